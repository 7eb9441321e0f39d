#include "setup/shortcuts_folders.h"

#include <windows.h>

#include "setup/install_seams.h"

namespace {

constexpr DWORD kValueSize = 519;

// A string value of at most 519 bytes, REG_EXPAND_SZ expanded.
std::string ReadFolderValue(HKEY root, const char* path, const char* name)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    char value[kValueSize + 1] = {};
    DWORD size = kValueSize, type = 0;
    const LONG error = RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return {};
    value[kValueSize] = 0;
    if (type == REG_SZ) return value;
    char expanded[MAX_PATH * 2];
    const DWORD length = ExpandEnvironmentStringsA(value, expanded, sizeof expanded);
    if (length == 0 || length > sizeof expanded) return {};
    return expanded;
}

std::string CommonProgramsFromRegistry()
{
    constexpr const char* kUser = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
    constexpr const char* kShell = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
    // The common folder is the machine's "Common Programs"; the per-user
    // "Programs" values stay as the last resort of systems without it.
    const struct {
        HKEY root;
        const char* path;
        const char* name;
    } lookups[] = {
        {HKEY_LOCAL_MACHINE, kUser, "Common Programs"}, {HKEY_LOCAL_MACHINE, kShell, "Common Programs"},
        {HKEY_CURRENT_USER, kUser, "Programs"},         {HKEY_CURRENT_USER, kShell, "Programs"},
        {HKEY_LOCAL_MACHINE, kUser, "Programs"},        {HKEY_LOCAL_MACHINE, kShell, "Programs"},
    };
    for (const auto& lookup : lookups) {
        std::string value = ReadFolderValue(lookup.root, lookup.path, lookup.name);
        if (!value.empty()) return value;
    }
    return {};
}

}  // namespace

std::string ShellFolder(int csidl)
{
    char path[MAX_PATH + 1] = {};
    if (ShellSpecialFolder(csidl, path)) return path;
    if (csidl == kCsidlCommonPrograms) return CommonProgramsFromRegistry();
    if (csidl == kCsidlProgramFiles)
        return ReadFolderValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    return {};
}
