// A generated setup package for the main flow's tests: SetupFiles.rar
// (setup.ini, the licence texts, a banner, optional plug-ins) and two
// component archives, Core and Shared, where Shared is named by both
// features. The product's registry keys and Start-menu group are removed
// before and after.
#pragma once

#include <string>
#include <vector>

#include "framework/base/tests/support/temp_tree.h"  // ReadFileBytes
#include "sim/setup/rar4/rar4_writer.h"

struct TestPackageSpec {
    std::string name = "VOQ Flow";
    std::string version = "2.01.5";
    std::string company = "VOQ-Flow-Co";
    bool multipleVersions = true;
    // Extra [Product] lines and a replacement of the whole setup.ini.
    std::string productExtra;
    std::string setupIni;
    bool withSetupFiles = true;
    bool withSetupIni = true;  // false: SetupFiles.rar without setup.ini
    bool withPlugIns = false;  // PlugInA.dll and PlugInB.dll in SetupFiles.rar
    // Extra entries of SetupFiles.rar, written with raw names.
    std::vector<rar4::WriterItem> extraSupport;
};

// The built programs and libraries (beside the running test).
std::string BuiltFile(const std::string& name);

// Writes the package into `folder` (which must exist); false with `error`.
bool WriteTestPackage(const std::string& folder, const TestPackageSpec& spec, std::string& error);

// Removes the product's HKLM keys (product and uninstall entries) and its
// Start-menu group.
void RemoveProductTraces(const TestPackageSpec& spec);
// The Start-menu group of the product: "<name> <version>".
std::string ProductGroup(const TestPackageSpec& spec);

// The text of a log written in text mode, CR/LF as LF.
std::string TextOf(const std::string& bytes);
// True when `lines` holds every line of `expected` in that order (others
// between them allowed); else the first missing line in `missing`.
bool HasLinesInOrder(const std::string& text, const std::vector<std::string>& expected, std::string& missing);
