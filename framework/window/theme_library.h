// The visual-styles (theme) library, bound once at run time: each of its
// functions is a wrapper with the system function's arguments and result,
// called through a run-time procedure record on first use. Where the
// library or a function is missing the wrapper calls nothing and answers
// 0 (FALSE, a null handle, or 0 as the result code, which reads as S_OK):
// a caller tests IsThemeActive (through the dialog module's ThemesActive)
// before it relies on a result.
//
// The library is taken from the system folder (never from the program's or
// the current folder), or the one already loaded in the process; it is
// loaded at most once, and freed at exit only when this code loaded it.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <uxtheme.h>

namespace theme {

BOOL IsAppThemed();
HTHEME GetWindowTheme(HWND window);
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* r, const RECT* clip);
HRESULT GetThemeFont(HTHEME theme, HDC dc, int part, int state, int property, LOGFONTW* font);
HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int count, DWORD flags,
                      DWORD flags2, const RECT* r);
HRESULT DrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* r, HIMAGELIST images, int index);
HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* r);
HRESULT GetThemeMargins(HTHEME theme, HDC dc, int part, int state, int property, const RECT* r, MARGINS* margins);
HTHEME OpenThemeData(HWND window, const wchar_t* classList);
HRESULT CloseThemeData(HTHEME theme);
DWORD GetThemeAppProperties();
BOOL IsThemeActive();
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds, RECT* content);
HRESULT GetThemeRect(HTHEME theme, int part, int state, int property, RECT* r);
HRESULT GetThemeTextExtent(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int count, DWORD flags,
                           const RECT* bounds, RECT* extent);
COLORREF GetThemeSysColor(HTHEME theme, int colourId);
HRESULT GetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* colour);
HBRUSH GetThemeSysColorBrush(HTHEME theme, int colourId);
HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* r, THEMESIZE size, SIZE* out);
HRESULT EnableTheming(BOOL enable);

// The bound library, null when it is missing.
HMODULE Library();
// Test seam: the library's full path instead of the system folder's, set
// before the first wrapper call (later calls change nothing).
void SetLibraryPath(const char* path);

}  // namespace theme
