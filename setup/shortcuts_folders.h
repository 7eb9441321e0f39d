// The shell folders the setup needs: the common Programs folder of the Start
// menu (the program group goes there) and Program Files (the default
// TARGETDIR of a standard install).
#pragma once

#include <string>

constexpr int kCsidlCommonPrograms = 23;
constexpr int kCsidlProgramFiles = 38;

// The shell's answer first (SHGetSpecialFolderPathA bound at run time). When
// it has none, the registry: for the common Programs folder the Explorer
// "Shell Folders" entries (the machine's "Common Programs", then "Programs"
// of the user and of the machine, "User Shell Folders" before "Shell
// Folders"); for Program Files the machine's "ProgramFilesDir". Other ids
// have no fallback. Empty when nothing was found.
std::string ShellFolder(int csidl);
