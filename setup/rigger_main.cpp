#include "setup/rigger_main.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/base/message.h"
#include "framework/base/sys_version.h"
#include "framework/ui/text_macros.h"
#include "setup/command_line.h"
#include "setup/install_log.h"
#include "setup/install_seams.h"
#include "setup/page_seams.h"
#include "setup/setup_ini.h"
#include "setup/setup_state.h"
#include "setup/support_dir.h"

namespace {

constexpr int kExitDone = 0;
constexpr int kExitFailed = -1;

std::string TempFolder()
{
    char path[MAX_PATH + 1] = {};
    const DWORD length = GetTempPathA(MAX_PATH, path);
    std::string folder(path, length <= MAX_PATH ? length : 0);
    if (folder.empty() || folder.back() != '\\') folder += '\\';
    return folder;
}

std::string ModulePath()
{
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, length < sizeof path ? length : 0);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string LogPathFor(const std::string& programPath)
{
    const size_t slash = programPath.find_last_of("\\/");
    const size_t dot = programPath.find_last_of('.');
    const bool hasExt = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExt ? programPath.substr(0, dot) : programPath) + ".log";
}

// The setup log is <program>.log beside the program; the install writes
// Setup.log and SetupX.log into TARGETDIR. A program named Setup.exe (or
// SetupX.exe) told by /B to install into its own folder would have both
// write one file.
bool SetupLogClashes(const SetupState& state)
{
    if (!state.logging || !state.targetDirGiven) return false;
    const std::string log = LogPathFor(state.programPath);
    for (const char* name : {"\\Setup.log", "\\SetupX.log"})
        if (_stricmp(log.c_str(), (state.targetDir + name).c_str()) == 0) return true;
    return false;
}

void OpenSetupLog(SetupState& state)
{
    const std::string path = LogPathFor(state.programPath);
    FILE* log = fopen(path.c_str(), "wt");
    if (!log) {
        state.logging = false;
        return;
    }
    state.setupLogPath = path;
    SetSetupLog(log);
    // Under /Y nothing may wait for the user: the notice goes to the log.
    if (state.unattended)
        LogPrintf("Creating log file: '%s'\n", path.c_str());
    else
        DoMessage("is", "Creating log file: '%s'", path.c_str());
}

void CloseSetupLog(SetupState& state)
{
    FILE* log = GetSetupLog();
    if (!log || state.setupLogPath.empty()) return;
    SetSetupLog(nullptr);
    fclose(log);
    state.setupLogPath.clear();
}

// "$P" and "$p" give the product's name, "$V" and "$v" its version.
void PointMacrosAtProduct(SetupState& state)
{
    for (TextMacro* macro = state.textMacros; macro && macro->name; ++macro) {
        if (_stricmp(macro->name, "P") == 0) macro->value = state.product.name.c_str();
        if (_stricmp(macro->name, "V") == 0) macro->value = state.product.version.c_str();
    }
}

void CleanUp(SetupState& state)
{
    RemoveSupportDir(state);
    if (state.installLog) {
        state.installLog->SaveOrReport();
        state.installLog.reset();
    }
}

// The restart that the restart page asked for comes last: a restart ends
// the program, so Setup.log must be written and SUPPORTDIR gone first.
int Finish(SetupState& state, int exitCode)
{
    CleanUp(state);
    CloseSetupLog(state);
    if (state.restartPending) {
        state.restartPending = false;
        RestartSystem();
    }
    return exitCode;
}

}  // namespace

int RiggerMain(int argc, char** argv, SetupState& state, SetupTable& table)
{
    state.tempDir = TempFolder();
    if (state.programPath.empty()) state.programPath = ModulePath();
    state.programFolder = FolderOf(state.programPath);
    if (!HandleArguments(state, argc, argv)) return kExitFailed;
    if (SetupLogClashes(state)) {
        DoMessage("s",
                  "The setup log '%s' would be the install log of '%s': choose another folder|"
                  "\306\363\360\355\340\353 \357\360\356\343\360\340\354\354\373 \363\361\362\340\355\356\342\352\350 '%s' \361\356\342\357\340\353 \341\373 \361 \346\363\360\355\340\353\356\354 \363\361\362\340\355\356\342\352\350 \342 '%s': \342\373\341\345\360\350\362\345 \344\360\363\343\363\376 \357\340\357\352\363",
                  LogPathFor(state.programPath).c_str(), state.targetDir.c_str());
        return kExitFailed;
    }
    const WindowsVersionInfo version = CurrentWindowsVersion();
    if (WindowsVersionCode(version.platform, version.major, version.minor) == 0) {
        DoMessage("s", "This product will not work under Windows NT 3.51");
        return kExitFailed;
    }
    if (state.logging) OpenSetupLog(state);
    if (!PrepareSupportDir(state)) return Finish(state, kExitFailed);
    if (!ReadSetupIni(state)) return Finish(state, kExitFailed);
    PointMacrosAtProduct(state);
    LogPrintf("Entering dialogs loop\n");
    const bool completed = RunSetupTable(state, table);
    return Finish(state, completed ? kExitDone : kExitFailed);
}
