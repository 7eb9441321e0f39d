#include "framework/base/sys_version.h"

#include <windows.h>

#include "framework/base/rt_proc.h"

int WindowsVersionCode(uint32_t platform, uint32_t major, uint32_t minor)
{
    if (platform == VER_PLATFORM_WIN32_WINDOWS) {
        if (minor == 10) return 2;
        if (minor == 90) return 3;
        return 1;
    }
    if (platform != VER_PLATFORM_WIN32_NT) return 0;
    switch (major) {
    case 3: return 0;
    case 4: return 4;
    case 5: return minor == 0 ? 5 : 6;
    case 6: return minor == 0 ? 7 : 8;
    default: return 6;  // NT 10.0 and others share 5.1's code
    }
}

int GetWindowsVersion()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return 0;
    return WindowsVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

bool IsWow64()
{
    static constinit RT_PROC<BOOL> isWow64Process(2, "IsWow64Process", "kernel32");
    BOOL wow = FALSE;
    if (!isWow64Process.Resolve()) return false;
    if (!isWow64Process(reinterpret_cast<uintptr_t>(GetCurrentProcess()),
                        reinterpret_cast<uintptr_t>(&wow)))
        return false;
    return wow != FALSE;
}
