// The theme data of one window class on a control, bound at run time from
// the visual-styles library: a system without it (or with no theme open
// for the class) gives a null theme, and the caller draws the classic way.
#pragma once

#include <windows.h>

class ThemeData {
public:
    // Opens the theme of `className` (for example L"Button") on `window`;
    // a null class name opens nothing (the classic drawing).
    ThemeData(HWND window, const wchar_t* className);
    ~ThemeData();
    ThemeData(const ThemeData&) = delete;
    ThemeData& operator=(const ThemeData&) = delete;

    explicit operator bool() const { return theme_ != nullptr; }
    bool DrawBackground(HDC dc, int part, int state, const RECT& r) const;
    bool DrawText(HDC dc, int part, int state, const wchar_t* text, DWORD flags, const RECT& r) const;
    // The part's true size; {0, 0} when unknown.
    SIZE PartSize(HDC dc, int part, int state) const;

private:
    void* theme_ = nullptr;
};
