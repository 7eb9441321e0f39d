// Drawing operations of the dialog module: gradients (when
// "EnableGradientFill" is on, else solid), the key state, the client offset,
// and a scope that stops a control's redrawing.
#pragma once

#include <windows.h>

#include <cstdint>

enum : uint32_t {
    GRADIENT_HORIZONTAL = 0,  // GRADIENT_FILL_RECT_H: left to right
    GRADIENT_VERTICAL = 1,    // GRADIENT_FILL_RECT_V: top to bottom
};

// From colour1 at the start to colour2 at the end.
void FillGradient(uint32_t mode, COLORREF colour2, COLORREF colour1, const RECT& rect, HDC dc);
// Two halves meeting in the middle: colour1 -> colour2 -> colour1.
void FillMirrorGradient(uint32_t mode, COLORREF colour2, COLORREF colour1, const RECT& rect, HDC dc);
void FillShadedGradient(uint32_t mode, COLORREF colour, const RECT& rect, HDC dc);

bool IsKeyDown(int virtualKey);
// The client area's top-left corner inside the window rectangle.
POINT ClientOffset(HWND window);

// Sends WM_SETREDRAW 0 at construction and 1 at destruction; a non-zero
// value goes first to the control's restore step (list boxes: top index).
class RedrawLock {
public:
    RedrawLock(HWND control, int value = 0);
    ~RedrawLock();
    RedrawLock(const RedrawLock&) = delete;
    RedrawLock& operator=(const RedrawLock&) = delete;

private:
    HWND control_;
    int value_;
};
