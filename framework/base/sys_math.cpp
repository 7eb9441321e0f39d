#include "framework/base/sys_math.h"

#include <climits>
#include <cmath>

namespace {
int Clamp(double value)
{
    if (std::isnan(value)) return 0;
    if (value >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (value <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(value);
}
}  // namespace

int RoundNearest(float value)
{
    double v = value;
    return Clamp(v >= 0 ? std::floor(v + 0.5) : std::ceil(v - 0.5));
}

int RoundDown(float value)
{
    double v = value;
    double whole = std::trunc(v);
    if (v >= 0 && v - whole >= 0.9999) whole += 1;
    return Clamp(whole);
}
