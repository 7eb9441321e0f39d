// Double-buffered painting: the drawing goes to an off-screen bitmap that
// covers the window's client area from its origin to the paint rectangle's
// right and bottom, and is copied to the target when the object goes.
#pragma once

#include <windows.h>

class PMemoryDC {
public:
    // Copies the target's text alignment, background mode and colours and
    // selects its current font. An empty area makes no bitmap: drawing then
    // goes straight to the target.
    PMemoryDC(const RECT& paintRect, HDC targetDC, HWND window);
    // Copies the painted place (the paint rectangle within the covered
    // area) to the target: the rest of the off-screen picture was never
    // drawn and must not overwrite what the target shows. Then the DC's own
    // bitmap and font are selected back before the off-screen objects go.
    ~PMemoryDC();
    PMemoryDC(const PMemoryDC&) = delete;
    PMemoryDC& operator=(const PMemoryDC&) = delete;

    operator HDC() const { return memory_ ? memory_ : target_; }
    const RECT& Covered() const { return covered_; }
    bool Buffered() const { return memory_ != nullptr; }

private:
    HDC target_;
    RECT covered_{};
    RECT painted_{};
    HDC memory_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ oldBitmap_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
};
