// What the install step asks of the platform that a test cannot arrange
// under Wine: the system language, the Windows version, a refused registry
// write, the shell's folder lookup and the shell opening a folder. Each is a
// replaceable function; null restores the platform's own. Setters return the
// previous function so that a test can put it back.
#pragma once

#include <windows.h>

#include <cstdint>

// GetSystemDefaultLangID.
using SystemLangHook = uint16_t (*)();
SystemLangHook SetSystemLangHook(SystemLangHook hook);
uint16_t SystemLangId();

// GetVersionExA's platform id and version.
struct WindowsVersionInfo {
    uint32_t platform;
    uint32_t major;
    uint32_t minor;
};
using WindowsVersionHook = WindowsVersionInfo (*)();
WindowsVersionHook SetWindowsVersionHook(WindowsVersionHook hook);
WindowsVersionInfo CurrentWindowsVersion();

// Asked before each registry key creation and value write of the install
// step with the key's full path; a non-zero answer is taken as that call's
// error code and the call is not made (the platform's own answers 0).
using RegistryRefusalHook = LONG (*)(const char* keyPath);
RegistryRefusalHook SetRegistryRefusalHook(RegistryRefusalHook hook);
LONG RegistryRefusal(const char* keyPath);

// SHGetSpecialFolderPathA of shell32 bound at run time: true and `out`
// (MAX_PATH bytes) filled on success.
using ShellFolderHook = bool (*)(int csidl, char* out);
ShellFolderHook SetShellFolderHook(ShellFolderHook hook);
bool ShellSpecialFolder(int csidl, char* out);

// ShellExecuteA(open) of a folder, shown normally.
using OpenFolderHook = void (*)(const char* folder);
OpenFolderHook SetOpenFolderHook(OpenFolderHook hook);
void OpenFolderInShell(const char* folder);
