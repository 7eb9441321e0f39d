#include "setup/installed_versions.h"

#include <windows.h>

#include <algorithm>

#include "setup/registry_step.h"
#include "setup/setup_state.h"

namespace {

constexpr DWORD kKeyNameSize = 1025;     // names up to 1024 characters
constexpr DWORD kVersionValueSize = 64;
constexpr DWORD kFolderValueSize = 260;

// A REG_SZ value of an HKLM key, at most `size` bytes with its NUL; empty
// when missing, of another type or too long.
std::string ReadHklmString(const std::string& keyPath, const char* name, DWORD size)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, keyPath.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::string();
    std::string buffer(size, '\0');
    DWORD type = 0;
    DWORD bytes = size;
    const LONG error =
        RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    RegCloseKey(key);
    if (error != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return std::string();
    buffer.resize(std::min<DWORD>(bytes, size));
    const size_t end = buffer.find('\0');
    if (end != std::string::npos) buffer.resize(end);
    return buffer;
}

}  // namespace

bool IsVersionKeyName(const char* name)
{
    return name && *name >= '0' && *name <= '9';
}

std::string ProductKeyPath(const ProductSettings& product)
{
    return "SOFTWARE\\" + product.company + "\\" + product.name;
}

std::vector<std::string> ListInstalledVersions(const ProductSettings& product)
{
    std::vector<std::string> versions;
    const std::string path = ProductKeyPath(product);
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_ENUMERATE_SUB_KEYS, &key) != ERROR_SUCCESS)
        return versions;
    char name[kKeyNameSize];
    for (DWORD index = 0;; ++index) {
        DWORD length = sizeof name;
        const LONG error = RegEnumKeyExA(key, index, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (error == ERROR_MORE_DATA) continue;  // longer than a version name can be
        if (error != ERROR_SUCCESS) break;
        if (IsVersionKeyName(name)) versions.emplace_back(name);
    }
    RegCloseKey(key);
    if (!product.multipleVersions) {
        const std::string current = ReadHklmString(path, "Version", kVersionValueSize);
        if (!current.empty() && std::find(versions.begin(), versions.end(), current) == versions.end())
            versions.push_back(current);
    }
    return versions;
}

bool InstalledVersionFolder(const ProductSettings& product, const std::string& version, std::string& folder)
{
    const std::string path = ProductKeyPath(product);
    const bool inProductKey =
        !product.multipleVersions && ReadHklmString(path, "Version", kVersionValueSize) == version;
    folder = ReadHklmString(inProductKey ? path : path + "\\" + version, "Folder", kFolderValueSize);
    return !folder.empty();
}

std::string VersionUninstallKeyPath(const ProductSettings& product, const std::string& version)
{
    std::string path = std::string(kUninstallRoot) + "\\" + product.name;
    if (product.multipleVersions) path += " " + version;
    return path;
}
