#include "framework/ui/dialog_metrics.h"

std::array<uint32_t, 10> DpiScaleTable(uint32_t dpi)
{
    static constexpr uint32_t kUnits[9] = {1, 2, 3, 4, 5, 6, 8, 10, 16};
    std::array<uint32_t, 10> table{};
    table[0] = dpi;
    const uint64_t d = dpi < 120 ? 120 : dpi;
    for (int i = 0; i < 9; ++i) table[static_cast<size_t>(i) + 1] = static_cast<uint32_t>((d * kUnits[i] + 60) / 120);
    return table;
}

POINT CenterPosition(const RECT& window, int screenWidth, int screenHeight)
{
    return POINT{(screenWidth + window.left - window.right) / 2, (screenHeight + window.top - window.bottom) / 2};
}

COLORREF Shade(double factor, COLORREF colour)
{
    int channels[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    const bool lighter = channels[0] + channels[1] + channels[2] <= 750;
    for (int& v : channels) {
        double x = lighter ? (v == 0 ? 92 : v) : v;
        double r = lighter ? x + factor * x : x - factor * x;
        int t = static_cast<int>(r);
        v = t < 0 ? 0 : (t > 255 ? 255 : t);
    }
    return RGB(channels[0], channels[1], channels[2]);
}

int PointsToHeight(int points, int logPixelsY) { return -MulDiv(points, logPixelsY, 72); }

int HeightToPoints(int height, int logPixelsY)
{
    if (height >= 0) return height;
    const int divisor = logPixelsY ? logPixelsY : 8;  // a divisor of 0 counts as 8
    const int scaled = -height * 72;
    int points = scaled / divisor;
    if (scaled % divisor > divisor / 2) ++points;
    return points;
}

uint32_t GaugePercent(uint32_t position, uint32_t maximum)
{
    const uint64_t m = maximum ? maximum : 1;
    return static_cast<uint32_t>(static_cast<uint64_t>(position) * 100 / m);
}
