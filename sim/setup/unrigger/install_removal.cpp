#include "sim/setup/unrigger/install_removal.h"

#include <windows.h>
#include <shlobj.h>

#include <cctype>
#include <cstdio>
#include <cstring>

#include "framework/base/dir_tree.h"

namespace {


// Registry paths: only below "SOFTWARE\" of HKLM or HKCU, no empty parts.
bool RegistryPathAllowed(HKEY root, const std::string& path)
{
    if (root != HKEY_LOCAL_MACHINE && root != HKEY_CURRENT_USER) return false;
    if (path.size() < 9 || _strnicmp(path.c_str(), "SOFTWARE", 8) != 0) return false;
    if (path.size() > 8 && path[8] != '\\') return false;
    if (path.find("\\\\") != std::string::npos || path.back() == '\\') return false;
    return true;
}

std::string EntryText(const LogRegistryEntry& e, const char* separator)
{
    char root[16];
    std::snprintf(root, sizeof root, "%08X", LogRootCode(e.root));
    return std::string(root) + "\\" + e.path + separator + e.name;
}

void RemoveValue(const LogRegistryEntry& value, RemovalRecord& record)
{
    const std::string text = EntryText(value, ", ");
    if (!RegistryPathAllowed(value.root, value.path)) {
        record.push_back("refused: " + text);
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(value.root, value.path.c_str(), 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    if (RegDeleteValueA(key, value.name.c_str()) == ERROR_SUCCESS) record.push_back("value: " + text);
    RegCloseKey(key);
}

void DeleteAllValues(HKEY key)
{
    char name[16384];
    for (;;) {
        DWORD length = sizeof name;
        if (RegEnumValueA(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) return;
        if (RegDeleteValueA(key, name) != ERROR_SUCCESS) return;
    }
}

void RemoveKey(const LoggedKey& logged, RemovalRecord& record)
{
    const LogRegistryEntry& e = logged.entry;
    const std::string text = EntryText(e, ",");
    const std::string full = e.path + "\\" + e.name;
    if (e.name.empty() || e.name.find('\\') != std::string::npos || !RegistryPathAllowed(e.root, full)) {
        record.push_back("refused: " + text);
        return;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(e.root, full.c_str(), 0, KEY_READ | KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
    // A key with subkeys is left whole, its values too: the setup's own
    // keys never hold keys it did not record.
    DWORD subkeys = 0, values = 0;
    bool known = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                  nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    if (known && subkeys == 0 && values != 0 && logged.forced) {
        DeleteAllValues(key);
        known = RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                                 nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    }
    RegCloseKey(key);
    if (!known || subkeys != 0 || values != 0) {
        record.push_back("kept: " + text);
        return;
    }
    HKEY parent = nullptr;
    bool removed = false;
    if (RegOpenKeyExA(e.root, e.path.c_str(), 0, KEY_WRITE, &parent) == ERROR_SUCCESS) {
        removed = RegDeleteKeyA(parent, e.name.c_str()) == ERROR_SUCCESS;
        RegCloseKey(parent);
    }
    record.push_back((removed ? "key: " : "kept: ") + text);
}

bool Allowed(const std::string& path, const LoggedInstall& log, const std::vector<std::string>& programs)
{
    const std::string canonical = CanonicalPath(path);
    if (canonical.empty()) return false;
    // A log that names a drive or share root as its folder is damaged: it
    // would open the whole drive.
    const std::string folder = CanonicalPath(log.folder);
    if (!folder.empty() && !IsDriveOrShareRoot(folder.c_str()) && IsWithin(canonical, folder, true)) return true;
    for (const std::string& p : programs) {
        const std::string root = CanonicalPath(p);
        if (!root.empty() && IsWithin(canonical, root, false)) return true;
    }
    return false;
}

}  // namespace

std::string CanonicalPath(const std::string& path)
{
    std::string p = path;
    for (char& c : p)
        if (c == '/') c = '\\';
    while (p.size() > 3 && p.back() == '\\') p.pop_back();
    size_t start;
    if (p.size() >= 3 && std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':' && p[2] == '\\') {
        start = 3;
    } else if (p.size() > 2 && p[0] == '\\' && p[1] == '\\') {
        start = 2;
    } else {
        return std::string();
    }
    if (start == p.size()) return p;  // a drive root
    while (start <= p.size()) {
        size_t end = p.find('\\', start);
        if (end == std::string::npos) end = p.size();
        const std::string part = p.substr(start, end - start);
        if (part.empty() || part == "." || part == "..") return std::string();
        start = end + 1;
    }
    return p;
}

bool IsWithin(const std::string& path, const std::string& root, bool orEqual)
{
    if (root.empty() || path.size() < root.size()) return false;
    if (_strnicmp(path.c_str(), root.c_str(), root.size()) != 0) return false;
    if (path.size() == root.size()) return orEqual;
    // A drive root keeps its "\", any other root needs one after it.
    return root.back() == '\\' || path[root.size()] == '\\';
}

std::vector<std::string> ProgramsFolders()
{
    std::vector<std::string> folders;
    for (int csidl : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
        char path[MAX_PATH] = {};
        if (SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) && path[0]) folders.emplace_back(path);
    }
    return folders;
}

RemovalRecord RemoveLoggedInstall(const LoggedInstall& log, const std::vector<std::string>& programsFolders)
{
    RemovalRecord record;
    for (auto v = log.values.rbegin(); v != log.values.rend(); ++v) RemoveValue(*v, record);
    for (auto k = log.keys.rbegin(); k != log.keys.rend(); ++k) RemoveKey(*k, record);

    std::vector<std::string> folders;
    for (auto f = log.files.rbegin(); f != log.files.rend(); ++f) {
        const DWORD attributes = GetFileAttributesA(f->c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) continue;
        if (!Allowed(*f, log, programsFolders)) {
            record.push_back("refused: " + *f);
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
            folders.push_back(*f);
            continue;
        }
        if (attributes & FILE_ATTRIBUTE_READONLY) SetFileAttributesA(f->c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
        record.push_back((DeleteFileA(f->c_str()) ? "file: " : "kept: ") + *f);
    }
    // Folders after the files, deepest (latest logged) first; a folder that
    // still holds something stays.
    for (const std::string& folder : folders)
        record.push_back((RemoveDirectoryA(folder.c_str()) ? "folder: " : "kept: ") + folder);
    return record;
}
