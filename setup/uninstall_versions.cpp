#include "setup/uninstall_versions.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/base/message.h"
#include "framework/base/ml_text.h"
#include "setup/installed_versions.h"
#include "setup/setup_busy.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"

namespace {

constexpr const char* kUninstallerName = "unrigger.exe";
constexpr DWORD kUninstallStringSize = 1024;
constexpr DWORD kWaitSliceMs = 330;

uint32_t g_secondStageWaitMs = 300000;

size_t FindNoCase(const std::string& text, const char* what)
{
    const size_t length = std::strlen(what);
    for (size_t at = 0; at + length <= text.size(); ++at) {
        if (_strnicmp(text.c_str() + at, what, length) == 0) return at;
    }
    return std::string::npos;
}

std::string Trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

bool ReadUninstallString(const std::string& keyPath, std::string& out)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return false;
    char buffer[kUninstallStringSize + 1] = {};
    DWORD type = 0;
    DWORD bytes = kUninstallStringSize;
    const LONG error = RegQueryValueExA(key, "UninstallString", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &bytes);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return false;
    out = buffer;
    return !Trimmed(out).empty();
}

// Window messages are served while the setup waits, so that its windows
// repaint; the wait itself is in slices. True when the process ended.
bool WaitPumping(HANDLE process, uint32_t limitMs, bool unlimited)
{
    const DWORD start = GetTickCount();
    for (;;) {
        DWORD slice = kWaitSliceMs;
        if (!unlimited) {
            const DWORD spent = GetTickCount() - start;
            if (spent >= limitMs) return false;
            if (limitMs - spent < slice) slice = limitMs - spent;
        }
        const DWORD wait = MsgWaitForMultipleObjects(1, &process, FALSE, slice, QS_ALLINPUT);
        if (wait == WAIT_OBJECT_0) return true;
        if (wait == WAIT_FAILED) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
    }
}

// Starts the first stage and waits for it; false when it cannot be started.
bool RunFirstStage(const std::string& command, DWORD& exitCode)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOW;
    std::string line = command;  // CreateProcessA may write into it
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return false;
    CloseHandle(info.hThread);
    WaitPumping(info.hProcess, 0, true);
    exitCode = 0;
    GetExitCodeProcess(info.hProcess, &exitCode);
    CloseHandle(info.hProcess);
    return true;
}

void WaitForSecondStage(DWORD processId)
{
    // The exit code is taken as a process id only while it names a process
    // that can be waited for; anything else is not waited for.
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
    if (!process) return;
    LogPrintf("  Waiting for derived uninstaller exit\n");
    WaitPumping(process, g_secondStageWaitMs, false);
    CloseHandle(process);
}

bool ShouldUninstall(const SetupState& state, const VersionToUninstall& entry)
{
    return entry.checked || !state.product.multipleVersions || entry.version == state.product.version;
}

}  // namespace

std::string QuietUninstallCommand(const std::string& uninstallString)
{
    const std::string command = Trimmed(uninstallString);
    const size_t name = FindNoCase(command, kUninstallerName);
    if (name == std::string::npos) return command;
    if (command[0] == '"') {
        const size_t close = command.find('"', 1);
        if (close == std::string::npos) return command + "\" /q";
        return command.substr(0, close + 1) + " /q" + command.substr(close + 1);
    }
    const size_t end = name + std::strlen(kUninstallerName);
    std::string quoted(1, '"');
    quoted.append(command, 0, end);
    quoted += "\" /q";
    quoted.append(command, end, std::string::npos);
    return quoted;
}

uint32_t SetSecondStageWaitLimit(uint32_t milliseconds)
{
    const uint32_t previous = g_secondStageWaitMs;
    g_secondStageWaitMs = milliseconds;
    return previous;
}

uint32_t SecondStageWaitLimit()
{
    return g_secondStageWaitMs;
}

void UninstallVersions(SetupState& state, const std::vector<VersionToUninstall>& versions)
{
    for (const VersionToUninstall& entry : versions) {
        if (!ShouldUninstall(state, entry)) continue;
        const char* version = entry.version.c_str();
        LogPrintf("  Requested uninstall for version '%s'\n", version);
        std::string uninstallString;
        if (!ReadUninstallString(VersionUninstallKeyPath(state.product, entry.version), uninstallString)) {
            ShowMessageById(SETUP_MSG_UNINSTALL_INFO, version);
            return;
        }
        const std::string command = QuietUninstallCommand(uninstallString);
        char busyText[1200];
        std::snprintf(busyText, sizeof busyText,
                      GetMLText("Uninstalling version %s...|\323\344\340\353\345\355\350\345 \342\345\360\361\350\350 %s..."),
                      version);
        SMSControl busy(state, busyText);
        LogPrintf("  Starting '%s' to uninstall\n", command.c_str());
        DWORD exitCode = 0;
        if (!RunFirstStage(command, exitCode)) {
            ShowMessageById(SETUP_MSG_UNINSTALL_START, command.c_str());
            continue;
        }
        LogPrintf("  unrigger.exe returned %u (derived uninstaller PID)\n", static_cast<unsigned>(exitCode));
        if (exitCode != 0) WaitForSecondStage(exitCode);
    }
}
