#include "setup/page_seams.h"

#include <windows.h>

#include "framework/base/sys_version.h"

namespace {

bool PlatformRestart()
{
    HANDLE token = nullptr;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) {
        TOKEN_PRIVILEGES privileges{};
        privileges.PrivilegeCount = 1;
        privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
        if (LookupPrivilegeValueA(nullptr, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
            AdjustTokenPrivileges(token, FALSE, &privileges, 0, nullptr, nullptr);
        CloseHandle(token);
    }
    return ExitWindowsEx(EWX_REBOOT, 0) != 0;
}

Wow64Hook g_wow64 = nullptr;
RestartHook g_restart = nullptr;

}  // namespace

Wow64Hook SetWow64Hook(Wow64Hook hook)
{
    Wow64Hook previous = g_wow64;
    g_wow64 = hook;
    return previous;
}

bool IsWow64System() { return g_wow64 ? g_wow64() : IsWow64(); }

RestartHook SetRestartHook(RestartHook hook)
{
    RestartHook previous = g_restart;
    g_restart = hook;
    return previous;
}

bool RestartSystem()
{
    return g_restart ? g_restart() : PlatformRestart();
}
