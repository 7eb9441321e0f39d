// Small numeric rules of the dialog module: the DPI scale units, centring on
// the screen, colour shading, font sizes and the gauge percentage.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

// [0] the DPI as read, then round(d * k / 120) for k = 1, 2, 3, 4, 5, 6, 8,
// 10, 16 with d the DPI raised to at least 120 (half away from zero).
std::array<uint32_t, 10> DpiScaleTable(uint32_t dpi);

// The top-left corner that centres `window` on a screen of the given size.
POINT CenterPosition(const RECT& window, int screenWidth, int screenHeight);

// Lighter for dark colours (R + G + B <= 750), darker for light ones.
COLORREF Shade(double factor, COLORREF colour);

// Points -> a font height for `logPixelsY`; a height -> points.
int PointsToHeight(int points, int logPixelsY);
int HeightToPoints(int height, int logPixelsY);

// position * 100 / maximum, in 64 bits; a maximum of 0 counts as 1.
uint32_t GaugePercent(uint32_t position, uint32_t maximum);
