#include "setup/install_seams.h"

#include <shellapi.h>

#include "framework/base/rt_proc.h"

namespace {

uint16_t PlatformLangId() { return GetSystemDefaultLangID(); }

WindowsVersionInfo PlatformVersion()
{
    OSVERSIONINFOA info = {};
    info.dwOSVersionInfoSize = sizeof info;
    if (!GetVersionExA(&info)) return {0, 0, 0};
    return {info.dwPlatformId, info.dwMajorVersion, info.dwMinorVersion};
}

LONG PlatformRefusal(const char*) { return 0; }

bool PlatformShellFolder(int csidl, char* out)
{
    // Bound by name: shell32 of the oldest systems lacks it.
    static constinit RT_PROC<BOOL> getPath(4, "SHGetSpecialFolderPathA", "SHELL32.DLL");
    out[0] = 0;
    if (!getPath.Resolve()) return false;
    const BOOL ok = getPath(uintptr_t{0}, reinterpret_cast<uintptr_t>(out), static_cast<uintptr_t>(csidl),
                            uintptr_t{0});
    return ok && out[0];
}

void PlatformOpenFolder(const char* folder) { ShellExecuteA(nullptr, "open", folder, nullptr, nullptr, SW_SHOW); }

SystemLangHook g_lang = &PlatformLangId;
WindowsVersionHook g_version = &PlatformVersion;
RegistryRefusalHook g_refusal = &PlatformRefusal;
ShellFolderHook g_shellFolder = &PlatformShellFolder;
OpenFolderHook g_openFolder = &PlatformOpenFolder;

template <typename T>
T Swap(T& slot, T hook, T platform)
{
    T previous = slot;
    slot = hook ? hook : platform;
    return previous;
}

}  // namespace

SystemLangHook SetSystemLangHook(SystemLangHook hook) { return Swap(g_lang, hook, &PlatformLangId); }
uint16_t SystemLangId() { return g_lang(); }

WindowsVersionHook SetWindowsVersionHook(WindowsVersionHook hook) { return Swap(g_version, hook, &PlatformVersion); }
WindowsVersionInfo CurrentWindowsVersion() { return g_version(); }

RegistryRefusalHook SetRegistryRefusalHook(RegistryRefusalHook hook)
{
    return Swap(g_refusal, hook, &PlatformRefusal);
}
LONG RegistryRefusal(const char* keyPath) { return g_refusal(keyPath); }

ShellFolderHook SetShellFolderHook(ShellFolderHook hook) { return Swap(g_shellFolder, hook, &PlatformShellFolder); }
bool ShellSpecialFolder(int csidl, char* out) { return g_shellFolder(csidl, out); }

OpenFolderHook SetOpenFolderHook(OpenFolderHook hook) { return Swap(g_openFolder, hook, &PlatformOpenFolder); }
void OpenFolderInShell(const char* folder) { g_openFolder(folder); }
