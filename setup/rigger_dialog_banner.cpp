#include "setup/rigger_dialog_banner.h"

BannerPlacement PlaceBanner(const std::string& align, int clientWidth, SIZE bitmap, int32_t colourLeft,
                            int32_t colourRight)
{
    BannerPlacement placement;
    if (align == "Right") {
        placement.bitmapX = clientWidth - bitmap.cx;
        placement.fill = RECT{0, 0, placement.bitmapX, bitmap.cy};
    } else {
        placement.bitmapX = 0;
        placement.fill = RECT{bitmap.cx, 0, clientWidth, bitmap.cy};
    }
    if (colourLeft == -1) colourLeft = colourRight;
    if (colourRight == -1) colourRight = colourLeft;
    placement.filled = colourLeft != -1;
    placement.left = static_cast<COLORREF>(colourLeft);
    placement.right = static_cast<COLORREF>(colourRight);
    return placement;
}
