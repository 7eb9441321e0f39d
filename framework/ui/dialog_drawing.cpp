#include "framework/ui/dialog_drawing.h"

#include "framework/config/poption.h"
#include "framework/ui/dialog_metrics.h"
#include "framework/ui/dialog_module.h"

namespace {

bool GradientsOn() { return GradientFillOption().GetValue() != 0; }

void Solid(COLORREF colour, const RECT& rect, HDC dc)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &rect, brush);
    DeleteObject(brush);
}

TRIVERTEX Vertex(LONG x, LONG y, COLORREF c)
{
    return TRIVERTEX{x, y, static_cast<COLOR16>(GetRValue(c) << 8), static_cast<COLOR16>(GetGValue(c) << 8),
                     static_cast<COLOR16>(GetBValue(c) << 8), 0};
}

void Gradient(uint32_t mode, COLORREF from, COLORREF to, const RECT& rect, HDC dc)
{
    TRIVERTEX v[2] = {Vertex(rect.left, rect.top, from), Vertex(rect.right, rect.bottom, to)};
    GRADIENT_RECT r{0, 1};
    GradientFill(dc, v, 2, &r, 1, mode == GRADIENT_VERTICAL ? GRADIENT_FILL_RECT_V : GRADIENT_FILL_RECT_H);
}

}  // namespace

void FillGradient(uint32_t mode, COLORREF colour2, COLORREF colour1, const RECT& rect, HDC dc)
{
    if (!GradientsOn()) return Solid(colour1, rect, dc);
    Gradient(mode, colour1, colour2, rect, dc);
}

void FillMirrorGradient(uint32_t mode, COLORREF colour2, COLORREF colour1, const RECT& rect, HDC dc)
{
    if (!GradientsOn()) return Solid(colour1, rect, dc);
    RECT first = rect, second = rect;
    if (mode == GRADIENT_VERTICAL) first.bottom = second.top = rect.top + (rect.bottom - rect.top) / 2;
    else first.right = second.left = rect.left + (rect.right - rect.left) / 2;
    Gradient(mode, colour1, colour2, first, dc);
    Gradient(mode, colour2, colour1, second, dc);
}

void FillShadedGradient(uint32_t mode, COLORREF colour, const RECT& rect, HDC dc)
{
    FillMirrorGradient(mode, Shade(0.25, colour), colour, rect, dc);
}

bool IsKeyDown(int virtualKey) { return GetAsyncKeyState(virtualKey) < 0; }

POINT ClientOffset(HWND window)
{
    RECT w{};
    GetWindowRect(window, &w);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return POINT{origin.x - w.left, origin.y - w.top};
}

RedrawLock::RedrawLock(HWND control, int value) : control_(control), value_(value)
{
    if (control_) SendMessageA(control_, WM_SETREDRAW, FALSE, 0);
}

RedrawLock::~RedrawLock()
{
    if (!control_) return;
    char name[16] = "";
    GetClassNameA(control_, name, sizeof name);
    if (value_ && lstrcmpiA(name, "listbox") == 0) SendMessageA(control_, LB_SETTOPINDEX, static_cast<WPARAM>(value_), 0);
    SendMessageA(control_, WM_SETREDRAW, TRUE, 0);
}
