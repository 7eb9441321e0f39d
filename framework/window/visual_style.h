// The theme data of one window class on a control, through the theme
// library's wrappers (framework/window/theme_library.h): a system without
// the library (or with no theme open for the class) gives a null theme, and
// the caller draws the classic way. A theme handle exists only where the
// library does, so the results of its calls are those of the system.
#pragma once

#include <windows.h>

#include "framework/window/theme_library.h"

class ThemeData {
public:
    // Opens the theme of `className` (for example L"Button") on `window`;
    // a null class name opens nothing (the classic drawing).
    ThemeData(HWND window, const wchar_t* className);
    ~ThemeData();
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;

    explicit operator bool() const { return theme_ != nullptr; }
    HTHEME Handle() const { return theme_; }
    bool DrawBackground(HDC dc, int part, int state, const RECT& r) const;
    bool DrawText(HDC dc, int part, int state, const wchar_t* text, DWORD flags, const RECT& r) const;
    // The part's true size; {0, 0} when unknown.
    SIZE PartSize(HDC dc, int part, int state) const;

private:
    HTHEME theme_ = nullptr;
};
