#include "sim/ccs/host_install.h"

#include <windows.h>

namespace ccs {

namespace {

std::string Bin(const std::string& root) { return root + "\\cc\\bin"; }

bool SetString(HKEY key, const char* name, const std::string& value)
{
    return RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                          static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

// Deletes a key with all its sub-keys (the platform's own tree delete is not
// in every Windows version the setup runs on).
LONG DeleteTree(HKEY parent, const std::string& name)
{
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ | KEY_WRITE, &key);
    if (rc != ERROR_SUCCESS) return rc;
    char child[256];
    for (;;) {
        DWORD size = sizeof child;
        if (RegEnumKeyExA(key, 0, child, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (DeleteTree(key, child) != ERROR_SUCCESS) break;
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, name.c_str());
}

// Makes a folder with every missing level above it.
bool MakeFolder(const std::string& path)
{
    for (size_t i = 3; i <= path.size(); ++i) {
        if (i < path.size() && path[i] != '\\') continue;
        const std::string part = path.substr(0, i);
        const DWORD a = GetFileAttributesA(part.c_str());
        if (a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY)) continue;
        if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return true;
}

}  // namespace

std::vector<HostEntry> HostEntries(const HostLayout& layout)
{
    const std::string decoy = layout.DecoyRoot();
    return {
        {"0 code composer studio", "code composer studio", "2", Bin(decoy)},
        {"1 Code Composer Studio 2.2", "Code Composer Studio", "2.2", Bin(layout.root2)},
        {"2 Code Composer Studio 3.1", "Code Composer Studio 3.1", "3.10", decoy + "\\missing\\cc\\bin"},
        {"CCStudio 2", "Code Composer Studio", "2", Bin(layout.root2)},
        {"CCStudio_v3.1", "Code Composer Studio 3.1", "3.10", Bin(layout.root3)},
    };
}

bool DeleteKeyTree(HKEY root, const std::string& path)
{
    const LONG rc = DeleteTree(root, path);
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

bool ClearHostRegistry() { return DeleteKeyTree(HKEY_LOCAL_MACHINE, kVendorKey); }

bool MakeHostRegistry(const HostLayout& layout, std::string& error)
{
    if (!ClearHostRegistry()) {
        error = std::string("cannot remove HKLM\\") + kVendorKey;
        return false;
    }
    HKEY vendor = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kVendorKey, 0, nullptr, 0, KEY_WRITE, nullptr, &vendor, nullptr) !=
        ERROR_SUCCESS) {
        error = std::string("cannot create HKLM\\") + kVendorKey;
        return false;
    }
    bool ok = true;
    for (const HostEntry& e : HostEntries(layout)) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(vendor, e.subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr) !=
            ERROR_SUCCESS) {
            error = "cannot create the sub-key '" + e.subKey + "'";
            ok = false;
            break;
        }
        ok = SetString(key, "ProductName", e.productName) && SetString(key, "Version", e.version) &&
             SetString(key, "CC_APP", e.ccApp);
        RegCloseKey(key);
        if (!ok) {
            error = "cannot write the values of '" + e.subKey + "'";
            break;
        }
    }
    RegCloseKey(vendor);
    return ok;
}

bool MakeHostFolders(const HostLayout& layout, std::string& error)
{
    for (const std::string& folder : {Bin(layout.root2), layout.root2 + "\\Drivers", Bin(layout.root3),
                                      layout.root3 + "\\Drivers", Bin(layout.DecoyRoot())}) {
        if (!MakeFolder(folder)) {
            error = "cannot make the folder '" + folder + "'";
            return false;
        }
    }
    return true;
}

bool CopyHostPrograms(const HostLayout& layout, const std::string& ccSetup, const std::string& ccApp,
                      std::string& error)
{
    struct Copy {
        const std::string& from;
        std::string to;
    };
    const Copy copies[] = {
        {ccSetup, Bin(layout.root2) + "\\cc_setup.exe"},
        {ccSetup, Bin(layout.root3) + "\\cc_setup.exe"},
        {ccSetup, Bin(layout.DecoyRoot()) + "\\cc_setup.exe"},
        {ccApp, Bin(layout.root3) + "\\cc_app.exe"},
    };
    for (const Copy& c : copies) {
        if (c.from.empty()) continue;
        if (!CopyFileA(c.from.c_str(), c.to.c_str(), FALSE)) {
            error = "cannot copy '" + c.from + "' to '" + c.to + "'";
            return false;
        }
    }
    return true;
}

}  // namespace ccs
