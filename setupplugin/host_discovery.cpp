#include "setupplugin/host_discovery.h"

#include <cstring>
#include <string>

#include "framework/base/path.h"
#include "setupplugin/plugin_state.h"
#include "setupplugin/reg_key.h"

namespace {

constexpr const char* kProductPhrase = "Code Composer Studio";
constexpr uint32_t kNameBuffer = 256;

bool EqualsNoCase(const char* a, const char* b) { return _stricmp(a, b) == 0; }

// A CC_APP text that names a folder on a drive or a network share; a
// relative one would be taken from whatever the current folder is.
bool IsAbsoluteFolderText(const char* text)
{
    if (text[0] && text[1] == ':' && (text[2] == '\\' || text[2] == '/')) return true;
    return (text[0] == '\\' || text[0] == '/') && (text[1] == '\\' || text[1] == '/');
}

// The installation's root, two levels above its CC_APP folder, in its full
// form (no "..\..\" left for the user to read); empty when it cannot be had
// or would not fit the folder option.
std::string RootOf(const char* ccApp)
{
    char joined[kPathSize];
    if (!JoinPath(joined, sizeof joined, ccApp, "..\\..\\")) return {};
    char full[kPathSize];
    DWORD n = GetFullPathNameA(joined, sizeof full, full, nullptr);
    if (n == 0 || n >= sizeof full) return {};
    std::string root(full, n);
    bool driveRoot = root.size() == 3 && root[1] == ':';
    if (!driveRoot && (root.back() == '\\' || root.back() == '/')) root.pop_back();
    if (root.size() >= PFolderOption::kPathSize) return {};
    return root;
}

// The root of an acceptable installation described by `product`, or empty.
std::string AcceptedRoot(uint32_t version, RegKey& product, std::string& ccApp)
{
    if (!product.IsOpen()) return {};
    if (product.Query("ProductName") != 0 || !product.GetString()) return {};
    std::string name = product.GetString();
    if (product.Query("Version") != 0 || !product.GetString()) return {};
    if (!IsCcsCandidate(version, name.c_str(), product.GetString())) return {};
    if (product.Query("CC_APP") != 0 || !product.GetString()) return {};
    ccApp = product.GetString();
    if (!IsAbsoluteFolderText(ccApp.c_str()) || !PPath(ccApp.c_str()).IsDirectory()) return {};
    std::string root = RootOf(ccApp.c_str());
    if (root.empty() || !JoinPath(root.c_str(), "Drivers").IsDirectory()) return {};
    return root;
}

}  // namespace

bool IsCcsCandidate(uint32_t version, const char* productName, const char* versionText)
{
    if (!productName || !versionText) return false;
    if (version == 2) return EqualsNoCase(productName, kProductPhrase) && EqualsNoCase(versionText, "2");
    return strstr(productName, kProductPhrase) != nullptr && versionText[0] == '3';
}

bool FindCcsFolder(uint32_t version, HKEY root, const char* keyPath)
{
    PPath& ccAppPath = CcsAppPath(version);
    ccAppPath.Set("");
    RegKey products(root, keyPath, KEY_READ);
    if (!products.IsOpen()) return false;
    char name[kNameBuffer];
    for (;;) {
        LONG rc = products.NextSubKey(name, sizeof name);
        // A name too long for the buffer is passed over; the index has moved on.
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) return false;
        RegKey product(products.Key(), name, KEY_READ);
        std::string ccApp;
        std::string found = AcceptedRoot(version, product, ccApp);
        if (found.empty()) continue;
        ccAppPath.Set(ccApp.c_str());
        CcsFolderOption(version).SetText(found.c_str());
        return true;
    }
}

bool FindCcs2Folder() { return FindCcsFolder(2, HKEY_LOCAL_MACHINE, kCcsRegistryKey); }
bool FindCcs3Folder() { return FindCcsFolder(3, HKEY_LOCAL_MACHINE, kCcsRegistryKey); }
