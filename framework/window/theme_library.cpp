#include "framework/window/theme_library.h"

#include <string>

#include "framework/base/rt_proc.h"

namespace {

constexpr const char* kLibrary = "uxtheme.dll";

// The one binding of the library for every record: loaded once, freed once
// at exit when LoadLibraryA gave it (a handle of a library the process had
// already is not ours to free).
class ThemeModule {
public:
    ~ThemeModule()
    {
        if (loaded_ && handle_) FreeLibrary(handle_);
    }
    HMODULE Get()
    {
        if (tried_) return handle_;
        tried_ = true;
        if (!path_.empty()) {
            handle_ = LoadLibraryA(path_.c_str());
            loaded_ = handle_ != nullptr;
            return handle_;
        }
        if ((handle_ = GetModuleHandleA(kLibrary))) return handle_;
        char folder[MAX_PATH] = "";
        const UINT length = GetSystemDirectoryA(folder, sizeof folder);
        if (length == 0 || length >= sizeof folder) return nullptr;
        handle_ = LoadLibraryA((std::string(folder) + "\\" + kLibrary).c_str());
        loaded_ = handle_ != nullptr;
        return handle_;
    }
    void SetPath(const char* path)
    {
        if (!tried_) path_ = path ? path : "";
    }

private:
    HMODULE handle_ = nullptr;
    bool tried_ = false;
    bool loaded_ = false;
    std::string path_;
};

ThemeModule& Module()
{
    static ThemeModule module;
    return module;
}

HMODULE ModuleHandle() { return Module().Get(); }

// One record per function, in the order of the list; destroyed at exit in
// reverse. None frees the library: ThemeModule does, once.
constinit RT_PROC<BOOL> g_isAppThemed(0, "IsAppThemed", kLibrary, &ModuleHandle);
constinit RT_PROC<HTHEME> g_getWindowTheme(1, "GetWindowTheme", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_drawThemeBackground(6, "DrawThemeBackground", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_getThemeFont(6, "GetThemeFont", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_drawThemeText(9, "DrawThemeText", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_drawThemeIcon(7, "DrawThemeIcon", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_drawThemeParentBackground(3, "DrawThemeParentBackground", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_getThemeMargins(7, "GetThemeMargins", kLibrary, &ModuleHandle);
constinit RT_PROC<HTHEME> g_openThemeData(2, "OpenThemeData", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_closeThemeData(1, "CloseThemeData", kLibrary, &ModuleHandle);
constinit RT_PROC<DWORD> g_getThemeAppProperties(0, "GetThemeAppProperties", kLibrary, &ModuleHandle);
constinit RT_PROC<BOOL> g_isThemeActive(0, "IsThemeActive", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_getThemeBackgroundContentRect(6, "GetThemeBackgroundContentRect", kLibrary,
                                                           &ModuleHandle);
constinit RT_PROC<HRESULT> g_getThemeRect(5, "GetThemeRect", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_getThemeTextExtent(9, "GetThemeTextExtent", kLibrary, &ModuleHandle);
constinit RT_PROC<COLORREF> g_getThemeSysColor(2, "GetThemeSysColor", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_getThemeColor(5, "GetThemeColor", kLibrary, &ModuleHandle);
constinit RT_PROC<HBRUSH> g_getThemeSysColorBrush(2, "GetThemeSysColorBrush", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_getThemePartSize(7, "GetThemePartSize", kLibrary, &ModuleHandle);
constinit RT_PROC<HRESULT> g_enableTheming(1, "EnableTheming", kLibrary, &ModuleHandle);

}  // namespace

namespace theme {

BOOL IsAppThemed() { return g_isAppThemed(); }
HTHEME GetWindowTheme(HWND window) { return g_getWindowTheme(window); }
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int part, int state, const RECT* r, const RECT* clip)
{
    return g_drawThemeBackground(theme, dc, part, state, r, clip);
}
HRESULT GetThemeFont(HTHEME theme, HDC dc, int part, int state, int property, LOGFONTW* font)
{
    return g_getThemeFont(theme, dc, part, state, property, font);
}
HRESULT DrawThemeText(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int count, DWORD flags,
                      DWORD flags2, const RECT* r)
{
    return g_drawThemeText(theme, dc, part, state, text, count, flags, flags2, r);
}
HRESULT DrawThemeIcon(HTHEME theme, HDC dc, int part, int state, const RECT* r, HIMAGELIST images, int index)
{
    return g_drawThemeIcon(theme, dc, part, state, r, images, index);
}
HRESULT DrawThemeParentBackground(HWND window, HDC dc, const RECT* r)
{
    return g_drawThemeParentBackground(window, dc, r);
}
HRESULT GetThemeMargins(HTHEME theme, HDC dc, int part, int state, int property, const RECT* r, MARGINS* margins)
{
    return g_getThemeMargins(theme, dc, part, state, property, r, margins);
}
HTHEME OpenThemeData(HWND window, const wchar_t* classList) { return g_openThemeData(window, classList); }
HRESULT CloseThemeData(HTHEME theme) { return g_closeThemeData(theme); }
DWORD GetThemeAppProperties() { return g_getThemeAppProperties(); }
BOOL IsThemeActive() { return g_isThemeActive(); }
HRESULT GetThemeBackgroundContentRect(HTHEME theme, HDC dc, int part, int state, const RECT* bounds, RECT* content)
{
    return g_getThemeBackgroundContentRect(theme, dc, part, state, bounds, content);
}
HRESULT GetThemeRect(HTHEME theme, int part, int state, int property, RECT* r)
{
    return g_getThemeRect(theme, part, state, property, r);
}
HRESULT GetThemeTextExtent(HTHEME theme, HDC dc, int part, int state, const wchar_t* text, int count, DWORD flags,
                           const RECT* bounds, RECT* extent)
{
    return g_getThemeTextExtent(theme, dc, part, state, text, count, flags, bounds, extent);
}
COLORREF GetThemeSysColor(HTHEME theme, int colourId) { return g_getThemeSysColor(theme, colourId); }
HRESULT GetThemeColor(HTHEME theme, int part, int state, int property, COLORREF* colour)
{
    return g_getThemeColor(theme, part, state, property, colour);
}
HBRUSH GetThemeSysColorBrush(HTHEME theme, int colourId) { return g_getThemeSysColorBrush(theme, colourId); }
HRESULT GetThemePartSize(HTHEME theme, HDC dc, int part, int state, const RECT* r, THEMESIZE size, SIZE* out)
{
    return g_getThemePartSize(theme, dc, part, state, r, size, out);
}
HRESULT EnableTheming(BOOL enable) { return g_enableTheming(enable); }

HMODULE Library() { return Module().Get(); }
void SetLibraryPath(const char* path) { Module().SetPath(path); }

}  // namespace theme
