#include "framework/window/bitmap_cursor.h"

BitmapCursor::BitmapCursor(HBITMAP colour, HBITMAP mask, int hotX, int hotY)
{
    if (!mask) return;
    ICONINFO info{};
    info.fIcon = FALSE;
    info.xHotspot = static_cast<DWORD>(hotX);
    info.yHotspot = static_cast<DWORD>(hotY);
    info.hbmMask = mask;
    info.hbmColor = colour;
    cursor_ = CreateIconIndirect(&info);
}

// A cursor made by CreateIconIndirect is destroyed as an icon.
void BitmapCursor::Reset()
{
    if (cursor_) DestroyIcon(cursor_);
    cursor_ = nullptr;
}
