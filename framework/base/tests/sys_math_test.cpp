#include "framework/base/sys_math.h"

#include <gtest/gtest.h>

#include <climits>

namespace {

TEST(Rounding, NearestTakesHalvesAwayFromZero)
{
    struct Case {
        float in;
        int out;
    } cases[] = {{2.5f, 3}, {-2.5f, -3}, {2.49f, 2}, {-2.49f, -2}, {0.0f, 0}, {1e20f, INT_MAX}, {-1e20f, INT_MIN}};
    for (const Case& c : cases) EXPECT_EQ(RoundNearest(c.in), c.out) << c.in;
}

TEST(Rounding, DownTruncatesExceptNearlyWholeNonNegative)
{
    struct Case {
        float in;
        int out;
    } cases[] = {{2.99995f, 3}, {2.9f, 2}, {2.0f, 2}, {-2.9f, -2}, {-2.99995f, -2}, {0.99995f, 1}, {1e20f, INT_MAX}};
    for (const Case& c : cases) EXPECT_EQ(RoundDown(c.in), c.out) << c.in;
}

}  // namespace
