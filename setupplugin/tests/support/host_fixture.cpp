#include "host_fixture.h"

RegistryFixture::RegistryFixture(HKEY root, std::string path) : root_(root), path_(std::move(path)) { Clear(); }

RegistryFixture::~RegistryFixture() { Clear(); }

void RegistryFixture::Clear() const { RegDeleteTreeA(root_, path_.c_str()); }

std::string WithRoot(const std::string& text, const std::string& root)
{
    std::string out = text;
    for (size_t at = out.find("$T"); at != std::string::npos; at = out.find("$T", at + root.size()))
        out.replace(at, 2, root);
    return out;
}

void RegistryFixture::Write(const std::vector<ProductKey>& products, const std::string& treeRoot) const
{
    Clear();
    HKEY base = nullptr;
    RegCreateKeyExA(root_, path_.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &base, nullptr);
    for (const ProductKey& p : products) {
        HKEY key = nullptr;
        if (RegCreateKeyExA(base, p.subKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
            continue;
        auto put = [&](const char* name, const std::string& value, DWORD type) {
            if (value.empty()) return;
            std::string text = WithRoot(value, treeRoot);
            RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                           static_cast<DWORD>(text.size() + 1));
        };
        put("ProductName", p.productName, REG_SZ);
        put("Version", p.version, REG_SZ);
        put("CC_APP", p.ccApp, p.ccAppType);
        RegCloseKey(key);
    }
    RegCloseKey(base);
}

void MakeHost(const TempTree& tree, const std::string& name, bool withDrivers)
{
    tree.MakeDir(name);
    tree.MakeDir(name + "\\cc");
    tree.MakeDir(name + "\\cc\\bin");
    if (withDrivers) tree.MakeDir(name + "\\Drivers");
}
