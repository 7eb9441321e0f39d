#include "framework/ui/program_run.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include "framework/ui/message.h"

namespace {
constexpr uint16_t kCannotStart = 6445;
constexpr uint16_t kCannotOpen = 5229;
}  // namespace

bool RunAndWait(const char* file, const char* parameters, const char* directory)
{
    SHELLEXECUTEINFOA info{};
    info.cbSize = sizeof info;
    // The failure is reported here, not by the shell.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.lpFile = file;
    info.lpParameters = parameters;
    info.lpDirectory = directory;
    info.nShow = SW_HIDE;
    if (!ShellExecuteExA(&info)) {
        DoMessage("em", static_cast<uint32_t>(kCannotStart));
        return false;
    }
    // A document opened in a running program gives no process to wait for.
    if (info.hProcess) {
        WaitForSingleObject(info.hProcess, INFINITE);
        CloseHandle(info.hProcess);
    }
    return true;
}

int OpenFileOrReport(bool quiet, int access, int mode, const char* name)
{
    int handle = _open(name ? name : "", access, mode);
    if (handle == -1 && !quiet) ShowMessageById(kCannotOpen, name ? name : "");
    return handle;
}

int OSVersionCode(DWORD platform, DWORD major, DWORD minor)
{
    if (platform == VER_PLATFORM_WIN32_WINDOWS) return 1;
    if (platform != VER_PLATFORM_WIN32_NT) return 0;
    if (major <= 3) return 0;
    if (major == 4) return 4;
    if (major == 5 && minor == 0) return 5;
    return 6;
}

int GetOSVersion()
{
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return 0;
#pragma GCC diagnostic pop
    return OSVersionCode(info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion);
}

void PumpOnce()
{
    MSG msg;
    if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    } else {
        Sleep(0);
    }
}

POINT CursorClientPos(HWND window)
{
    POINT p{};
    GetCursorPos(&p);
    if (window) ScreenToClient(window, &p);
    return p;
}
