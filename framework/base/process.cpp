#include "framework/base/process.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/base/sys_box.h"
#include "framework/base/sys_error.h"
#include "framework/base/sys_trace.h"

namespace {

constexpr DWORD kWaitSliceMs = 330;

void ReportStartFailure(const char* commandLine, DWORD error)
{
    char message[2048];
#if defined(FW_FLAVOUR_OUTRIG)
    (void)error;
    snprintf(message, sizeof message, "Failed to start application '%s'", commandLine);
#else
    char system[1024];
    GetLastErrorText(error, system, sizeof system);
    snprintf(message, sizeof message, "Failed to start application '%s': %s", commandLine, system);
#endif
    FwShowBox(MB_ICONERROR, nullptr, message);
}

}  // namespace

bool ExecProcess(uint32_t* exitCode, int showCommand, const char* directory,
                 const char* commandLine)
{
    const char* command = commandLine ? commandLine : "";
    STARTUPINFOA startup;
    memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;  // 68 bytes
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(showCommand);
    TraceProcessPrintf("ExecProcess:\n Exe: \"%s\"\n Dir: \"%s\"\n", command, directory ? directory : "");

    // CreateProcessA may write into the command line: give it a copy.
    size_t length = strlen(command);
    char* line = static_cast<char*>(malloc(length + 1));
    if (!line) return false;
    memcpy(line, command, length + 1);
    PROCESS_INFORMATION info = {};
    BOOL started = CreateProcessA(nullptr, line, nullptr, nullptr, FALSE, 0, nullptr, directory,
                                  &startup, &info);
    DWORD error = GetLastError();
    free(line);
    if (!started) {
        ReportStartFailure(command, error);
        return false;
    }
    CloseHandle(info.hThread);

    DWORD wait;
    for (;;) {
        wait = WaitForSingleObject(info.hProcess, kWaitSliceMs);
        if (wait != WAIT_TIMEOUT) break;
        g_fwHooks.idle(0);
    }
    if (wait != WAIT_OBJECT_0) {
        error = GetLastError();
        CloseHandle(info.hProcess);
        ReportStartFailure(command, error);
        return false;
    }
    if (exitCode) {
        DWORD code = 0;
        GetExitCodeProcess(info.hProcess, &code);
        *exitCode = code;
        TraceProcessPrintf(" Exit Code: %d\n", static_cast<int>(code));
    }
    CloseHandle(info.hProcess);
    return true;
}
