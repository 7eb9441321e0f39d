// Uninstalling installed versions through their registered uninstaller.
//
// The uninstaller runs in two stages: the registered program (started with
// " /q") copies itself out of the folder it is to remove, starts the copy
// and ends at once with the copy's process id as its exit code; the setup
// then waits for that second stage, at most a bounded time.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class SetupState;

// The command line that runs an uninstall string quietly. When the string
// names "unrigger.exe" (any case), " /q" follows the program: after the
// closing quote of a quoted program, or after "unrigger.exe" of an unquoted
// one, which is quoted then so that blanks in its folder cannot start
// another program. Any other string is used as it is.
std::string QuietUninstallCommand(const std::string& uninstallString);

// How long the setup waits for an uninstaller's second stage, in ms
// (300000 unless a test shortens it). Returns the previous limit.
uint32_t SetSecondStageWaitLimit(uint32_t milliseconds);
uint32_t SecondStageWaitLimit();

struct VersionToUninstall {
    std::string version;
    bool checked = false;
};

// Runs the uninstaller of every version that is checked, equals the version
// being installed, or, with "MultipleVersions" off, of every version, in
// list order. A version without an uninstall string (message 2002) ends the
// run; one whose uninstaller cannot be started (message 2003) is passed.
void UninstallVersions(SetupState& state, const std::vector<VersionToUninstall>& versions);
