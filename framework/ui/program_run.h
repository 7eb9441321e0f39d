// Running a program and waiting for it, opening a file with a report, and
// the Windows version code.
#pragma once

#include <windows.h>

#include <cstdint>

// ShellExecuteExA (no verb, hidden); false after DoMessage("em", 6445). Waits
// for the process when the shell gave one back.
bool RunAndWait(const char* file, const char* parameters, const char* directory);

// The runtime's open; on failure, unless `quiet`, message 5229 with the name.
int OpenFileOrReport(bool quiet, int access, int mode, const char* name);

// 1 on Windows 9x; on NT: 0 for 3.x, 4 for 4.x, 5 for 5.0, 6 for 5.1 and later.
int GetOSVersion();
int OSVersionCode(DWORD platform, DWORD major, DWORD minor);

// One step of the message loop: a pending message is dispatched, else Sleep(0).
void PumpOnce();
// The cursor position in `window`'s client coordinates.
POINT CursorClientPos(HWND window);
