// The Windows version code and the WOW64 test.
#pragma once

#include <cstdint>

// The code of a version: platform is VER_PLATFORM_WIN32_WINDOWS (1),
// VER_PLATFORM_WIN32_NT (2) or anything else.
//   9x: minor 10 -> 2, minor 90 -> 3, other -> 1
//   NT: 3.x -> 0, 4.x -> 4, 5.0 -> 5, 5.1+ -> 6, 6.0 -> 7, 6.1+ -> 8, other major -> 6
//   other platform -> 0
int WindowsVersionCode(uint32_t platform, uint32_t major, uint32_t minor);
// WindowsVersionCode of what GetVersionExA reports (unmanifested programs on
// 8.1 and later are told 6.2).
int GetWindowsVersion();
// True only when kernel32 has IsWow64Process, it succeeds for this process
// and reports true.
bool IsWow64();
