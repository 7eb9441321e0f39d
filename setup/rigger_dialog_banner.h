// Where the pages' banner goes: the bitmap at one side of the top of the
// page, the rest of its band filled with the banner's gradient.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct BannerPlacement {
    int bitmapX = 0;      // the bitmap's left edge (top at 0)
    RECT fill{};          // the band beside the bitmap, the bitmap's height
    bool filled = false;  // false: both colours are -1, the band stays as painted
    COLORREF left = 0;    // the gradient runs from `left` to `right`
    COLORREF right = 0;
};

// "Right" puts the bitmap at the right edge; "Left" and any other value at
// the left. A colour of -1 takes the other one's value.
BannerPlacement PlaceBanner(const std::string& align, int clientWidth, SIZE bitmap, int32_t colourLeft,
                            int32_t colourRight);
