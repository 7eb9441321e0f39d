// unrigger.exe: the stand-in for the maker's uninstaller, for the setup's
// tests; never shipped.
//
// Stage 1 ("unrigger.exe /q", run from the installation's folder) copies
// itself to the temporary folder, starts the copy as
//   "<copy>" /stage2 "<installation folder>" <stage 1 process id>
// and ends with the copy's process id as its exit code. Stage 2 waits for
// stage 1 to end (so that the registered program can be removed too),
// reads that folder's Setup.log and removes what it lists. A copy cannot
// remove itself: the next first stage removes the copies that have ended.
//
// Knobs from the environment, which the setup passes on:
//   UNRIGGER_RECORD       a file to which both stages append their command
//                         line and stage 2 what it removed
//   UNRIGGER_EXIT_CODE    stage 1 starts no stage 2 and ends with this code
//   UNRIGGER_STAGE2_SLEEP stage 2 sleeps this many ms before it removes
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "framework/base/sys_box.h"
#include "sim/setup/unrigger/install_removal.h"
#include "sim/setup/unrigger/logged_install.h"

namespace {

constexpr DWORD kStageOneWaitMs = 60000;

std::string Environment(const char* name)
{
    char value[1024];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

void Record(const std::string& line)
{
    const std::string file = Environment("UNRIGGER_RECORD");
    if (file.empty()) return;
    if (FILE* out = std::fopen(file.c_str(), "ab")) {
        std::fprintf(out, "%s\r\n", line.c_str());
        std::fclose(out);
    }
}

std::string OwnPath()
{
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH ? std::string(path, n) : std::string();
}

std::string FolderOf(const std::string& path)
{
    const size_t at = path.find_last_of('\\');
    return at == std::string::npos ? std::string() : path.substr(0, at);
}

// Copies left by earlier runs: a second stage cannot delete its own file,
// so each first stage removes those whose process has ended (a running
// one cannot be deleted and stays).
void RemoveEarlierCopies(const std::string& tempFolder)
{
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((tempFolder + "\\unrigger-*.exe").c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileA((tempFolder + "\\" + entry.cFileName).c_str());
    } while (FindNextFileA(find, &entry));
    FindClose(find);
}

int StageOne()
{
    const std::string forced = Environment("UNRIGGER_EXIT_CODE");
    if (!forced.empty()) return static_cast<int>(std::strtoul(forced.c_str(), nullptr, 0));

    const std::string self = OwnPath();
    char temp[MAX_PATH];
    const DWORD n = GetTempPathA(MAX_PATH, temp);
    if (self.empty() || n == 0 || n >= MAX_PATH) return 0;
    char name[64];
    std::snprintf(name, sizeof name, "unrigger-%lu.exe", static_cast<unsigned long>(GetCurrentProcessId()));
    const std::string tempFolder = FolderOf(std::string(temp) + "x");
    RemoveEarlierCopies(tempFolder);
    const std::string copy = tempFolder + "\\" + name;
    if (!CopyFileA(self.c_str(), copy.c_str(), FALSE)) {
        Record("stage1: cannot copy to " + copy);
        return 0;
    }
    char pid[16];
    std::snprintf(pid, sizeof pid, "%lu", static_cast<unsigned long>(GetCurrentProcessId()));
    std::string line = "\"" + copy + "\" /stage2 \"" + FolderOf(self) + "\" " + pid;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    // The copy runs in the temporary folder, so that no process keeps the
    // installation's folder as its current one.
    if (!CreateProcessA(copy.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, tempFolder.c_str(), &startup,
                        &info)) {
        Record("stage1: cannot start " + copy);
        return 0;
    }
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    return static_cast<int>(info.dwProcessId);
}

int StageTwo(const char* folder, DWORD stageOne)
{
    if (HANDLE first = OpenProcess(SYNCHRONIZE, FALSE, stageOne)) {
        WaitForSingleObject(first, kStageOneWaitMs);
        CloseHandle(first);
    }
    const std::string sleep = Environment("UNRIGGER_STAGE2_SLEEP");
    if (!sleep.empty()) Sleep(static_cast<DWORD>(std::strtoul(sleep.c_str(), nullptr, 0)));

    const std::string logPath = std::string(folder) + "\\Setup.log";
    LoggedInstall log;
    if (!ReadLoggedInstall(logPath.c_str(), log)) {
        Record("stage2: no log " + logPath);
        return 1;
    }
    for (const std::string& line : RemoveLoggedInstall(log, ProgramsFolders())) Record(line);
    Record("stage2: done");
    return 0;
}

// The uninstaller runs unattended: a box the log reader would show goes
// to the record instead of waiting for a click nobody gives.
int RecordBox(const FwBoxRequest& request)
{
    Record(std::string("box: ") + (request.text ? request.text : ""));
    return IDOK;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const int argc = __argc;
    char** argv = __argv;
    SetBoxPresenter(&RecordBox);
    if (argc >= 4 && _stricmp(argv[1], "/stage2") == 0) {
        Record(std::string("stage2: ") + GetCommandLineA());
        return StageTwo(argv[2], static_cast<DWORD>(std::strtoul(argv[3], nullptr, 10)));
    }
    Record(std::string("stage1: ") + GetCommandLineA());
    return StageOne();
}
