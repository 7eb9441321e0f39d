#include "framework/window/visual_style.h"

#include "framework/base/rt_proc.h"

namespace {

using OpenFn = void*(WINAPI*)(HWND, const wchar_t*);
using CloseFn = HRESULT(WINAPI*)(void*);
using BackgroundFn = HRESULT(WINAPI*)(void*, HDC, int, int, const RECT*, const RECT*);
using TextFn = HRESULT(WINAPI*)(void*, HDC, int, int, const wchar_t*, int, DWORD, DWORD, const RECT*);
using PartSizeFn = HRESULT(WINAPI*)(void*, HDC, int, int, const RECT*, int, SIZE*);

constinit RT_IMPORT_PROC g_open("OpenThemeData", "uxtheme");
constinit RT_IMPORT_PROC g_close("CloseThemeData", "uxtheme");
constinit RT_IMPORT_PROC g_background("DrawThemeBackground", "uxtheme");
constinit RT_IMPORT_PROC g_text("DrawThemeText", "uxtheme");
constinit RT_IMPORT_PROC g_partSize("GetThemePartSize", "uxtheme");

template <typename Fn>
Fn Bound(RT_IMPORT_PROC& proc)
{
    return proc.Resolve() ? reinterpret_cast<Fn>(reinterpret_cast<void*>(proc.Address())) : nullptr;
}

constexpr int kTrueSize = 1;  // TS_TRUE

}  // namespace

ThemeData::ThemeData(HWND window, const wchar_t* className)
{
    if (!className) return;
    if (auto open = Bound<OpenFn>(g_open)) theme_ = open(window, className);
}

ThemeData::~ThemeData()
{
    if (!theme_) return;
    if (auto close = Bound<CloseFn>(g_close)) close(theme_);
}

bool ThemeData::DrawBackground(HDC dc, int part, int state, const RECT& r) const
{
    auto draw = theme_ ? Bound<BackgroundFn>(g_background) : nullptr;
    return draw && SUCCEEDED(draw(theme_, dc, part, state, &r, nullptr));
}

bool ThemeData::DrawText(HDC dc, int part, int state, const wchar_t* text, DWORD flags, const RECT& r) const
{
    auto draw = theme_ ? Bound<TextFn>(g_text) : nullptr;
    return draw && SUCCEEDED(draw(theme_, dc, part, state, text, -1, flags, 0, &r));
}

SIZE ThemeData::PartSize(HDC dc, int part, int state) const
{
    SIZE size{0, 0};
    auto get = theme_ ? Bound<PartSizeFn>(g_partSize) : nullptr;
    if (!get || FAILED(get(theme_, dc, part, state, nullptr, kTrueSize, &size))) return SIZE{0, 0};
    return size;
}
