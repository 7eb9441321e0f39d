#include "framework/window/memory_dc.h"

#include <algorithm>

PMemoryDC::PMemoryDC(const RECT& paintRect, HDC targetDC, HWND window) : target_(targetDC)
{
    RECT client{};
    if (window) GetClientRect(window, &client);
    // Never inverted: a paint rectangle left of or above the origin covers
    // nothing.
    covered_ = RECT{client.left, client.top, std::max(client.left, paintRect.right), std::max(client.top, paintRect.bottom)};
    IntersectRect(&painted_, &paintRect, &covered_);
    const int w = covered_.right - covered_.left, h = covered_.bottom - covered_.top;
    if (!targetDC || w <= 0 || h <= 0 || IsRectEmpty(&painted_)) return;
    memory_ = CreateCompatibleDC(targetDC);
    bitmap_ = memory_ ? CreateCompatibleBitmap(targetDC, w, h) : nullptr;
    if (!bitmap_) {
        if (memory_) DeleteDC(memory_);
        memory_ = nullptr;
        return;
    }
    oldBitmap_ = SelectObject(memory_, bitmap_);
    SetWindowOrgEx(memory_, covered_.left, covered_.top, nullptr);
    SetTextAlign(memory_, GetTextAlign(targetDC));
    SetBkMode(memory_, GetBkMode(targetDC));
    SetBkColor(memory_, GetBkColor(targetDC));
    SetTextColor(memory_, GetTextColor(targetDC));
    oldFont_ = SelectObject(memory_, GetCurrentObject(targetDC, OBJ_FONT));
}

PMemoryDC::~PMemoryDC()
{
    if (!memory_) return;
    BitBlt(target_, painted_.left, painted_.top, painted_.right - painted_.left, painted_.bottom - painted_.top, memory_,
           painted_.left, painted_.top, SRCCOPY);
    // A DC is deleted only with its own objects selected: the target's font
    // must not stay selected, nor may the bitmap be deleted while selected.
    if (oldFont_) SelectObject(memory_, oldFont_);
    if (oldBitmap_) SelectObject(memory_, oldBitmap_);
    DeleteObject(bitmap_);
    DeleteDC(memory_);
}
