#include "framework/base/sys_window.h"

#include <cstdlib>
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/base/sys_box.h"

sstr GetWindowTextString(HWND window)
{
    char small[80];
    int length = GetWindowTextLengthA(window);
    if (length < static_cast<int>(sizeof small)) {
        small[0] = 0;
        GetWindowTextA(window, small, sizeof small);
        return sstr(small);
    }
    sstr text(static_cast<uint32_t>(length + 1));
    if (text.Buffer()) GetWindowTextA(window, text.Buffer(), length + 1);
    return text;
}

sstr GetWindowClassName(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return sstr(name);
}

uint32_t GetWindowStyle(HWND window) { return static_cast<uint32_t>(GetWindowLongA(window, GWL_STYLE)); }
uint32_t SetWindowStyle(HWND window, uint32_t style)
{
    return static_cast<uint32_t>(SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style)));
}
uint32_t GetWindowExStyle(HWND window) { return static_cast<uint32_t>(GetWindowLongA(window, GWL_EXSTYLE)); }
uint32_t SetWindowExStyle(HWND window, uint32_t style)
{
    return static_cast<uint32_t>(SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(style)));
}

sstr GetProgramFileName()
{
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return sstr("");
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return sstr(name);
}

sstr GetEnvString(const char* name)
{
    char small[260];
    DWORD n = GetEnvironmentVariableA(name, small, sizeof small);
    if (n == 0) return sstr("");
    if (n < sizeof small) return sstr(small);
    sstr text(static_cast<uint32_t>(n));
    if (!text.Buffer()) return sstr("");
    DWORD m = GetEnvironmentVariableA(name, text.Buffer(), n);
    if (m == 0 || m >= n) return sstr("");
    return text;
}

sstr GetCurrentDirString()
{
    char dir[260] = {};
    DWORD n = GetCurrentDirectoryA(sizeof dir, dir);
    if (n == 0 || n >= sizeof dir) return sstr("");
    return sstr(dir);
}

void DebugBreakOrMessage()
{
    if (!g_fwSettings.debug) return;
    if (IsDebuggerPresent()) {
        DebugBreak();
        return;
    }
    FwShowBox(MB_ICONEXCLAMATION, nullptr, "Not under debugger");
}
