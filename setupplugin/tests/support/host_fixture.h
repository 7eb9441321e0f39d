// Fixtures of the plug-in's tests: folders of simulated host installations
// in a temporary tree, their registry entries under a key of the test's
// own, and the plug-in's state on a scratch folder.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/tests/support/temp_tree.h"

// One product sub-key. Texts may hold "$T", replaced by the tree's root.
struct ProductKey {
    std::string subKey;
    std::string productName;  // empty: no value
    std::string version;      // empty: no value
    std::string ccApp;        // empty: no value
    DWORD ccAppType = REG_SZ;
};

// Writes `products` as sub-keys of root\path (made afresh); the destructor
// removes root\path with everything below it.
class RegistryFixture {
public:
    RegistryFixture(HKEY root, std::string path);
    ~RegistryFixture();
    RegistryFixture(const RegistryFixture&) = delete;
    RegistryFixture& operator=(const RegistryFixture&) = delete;
    void Write(const std::vector<ProductKey>& products, const std::string& treeRoot) const;
    void Clear() const;
    HKEY Root() const { return root_; }
    const std::string& Path() const { return path_; }

private:
    HKEY root_;
    std::string path_;
};

// "$T" in `text` replaced by `root`.
std::string WithRoot(const std::string& text, const std::string& root);

// A host installation below the tree: <name>\cc\bin, and <name>\Drivers
// unless `withDrivers` is false.
void MakeHost(const TempTree& tree, const std::string& name, bool withDrivers = true);
