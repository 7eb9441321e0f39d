#include "framework/base/sys_version.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

TEST(WindowsVersion, CodeTable)
{
    struct Case {
        uint32_t platform, major, minor;
        int code;
    } cases[] = {
        {VER_PLATFORM_WIN32_WINDOWS, 4, 10, 2},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 90, 3},
        {VER_PLATFORM_WIN32_WINDOWS, 4, 0, 1},
        {VER_PLATFORM_WIN32_NT, 3, 51, 0},
        {VER_PLATFORM_WIN32_NT, 4, 0, 4},
        {VER_PLATFORM_WIN32_NT, 5, 0, 5},
        {VER_PLATFORM_WIN32_NT, 5, 1, 6},
        {VER_PLATFORM_WIN32_NT, 5, 2, 6},
        {VER_PLATFORM_WIN32_NT, 6, 0, 7},
        {VER_PLATFORM_WIN32_NT, 6, 1, 8},
        {VER_PLATFORM_WIN32_NT, 6, 2, 8},
        {VER_PLATFORM_WIN32_NT, 10, 0, 6},
        {VER_PLATFORM_WIN32s, 3, 1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(WindowsVersionCode(c.platform, c.major, c.minor), c.code)
            << c.platform << " " << c.major << "." << c.minor;
}

TEST(WindowsVersion, SystemAnswerGoesThroughTheTable)
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    ASSERT_TRUE(GetVersionExA(&info));
    EXPECT_EQ(GetWindowsVersion(), WindowsVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion));
}

TEST(WindowsVersion, Wow64AgreesWithTheSystem)
{
    BOOL wow = FALSE;
    using Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process")));
    bool expected = fn && fn(GetCurrentProcess(), &wow) && wow;
    EXPECT_EQ(IsWow64(), expected);
}

}  // namespace
