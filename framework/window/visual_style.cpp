#include "framework/window/visual_style.h"

#include "framework/window/theme_library.h"

ThemeData::ThemeData(HWND window, const wchar_t* className)
{
    if (className) theme_ = theme::OpenThemeData(window, className);
}

ThemeData::~ThemeData()
{
    if (theme_) theme::CloseThemeData(theme_);
}

bool ThemeData::DrawBackground(HDC dc, int part, int state, const RECT& r) const
{
    return theme_ && SUCCEEDED(theme::DrawThemeBackground(theme_, dc, part, state, &r, nullptr));
}

bool ThemeData::DrawText(HDC dc, int part, int state, const wchar_t* text, DWORD flags, const RECT& r) const
{
    return theme_ && SUCCEEDED(theme::DrawThemeText(theme_, dc, part, state, text, -1, flags, 0, &r));
}

SIZE ThemeData::PartSize(HDC dc, int part, int state) const
{
    SIZE size{0, 0};
    if (!theme_ || FAILED(theme::GetThemePartSize(theme_, dc, part, state, nullptr, TS_TRUE, &size)))
        return SIZE{0, 0};
    return size;
}
