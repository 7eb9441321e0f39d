// The product's registry key and the uninstall entry of the system's program
// list, written after the files are in place; every key the setup creates is
// recorded in the install log.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class InstallLog;

struct RegistryJob {
    InstallLog* log = nullptr;
    std::string company;
    std::string productName;
    std::string version;
    bool multipleVersions = true;
    std::string targetDir;
    std::string setupFolder;   // InstallSource
    std::string displayIcon;   // from the shortcut step; empty: not written
    uint64_t totalBytes = 0;   // the selection's unpacked size
    SYSTEMTIME date = {};      // the local date of the installation
    // setup.ini [Uninstall Keys], in file order.
    std::vector<std::pair<std::string, std::string>> uninstallKeys;
};

constexpr const char* kUninstallRoot = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall";

// The uninstall entry's name: the product name, with "MultipleVersions" on
// followed by " " and the version.
std::string UninstallDisplayName(const RegistryJob& job);

// 1 written, 2 after the first failure (reported; the remaining writes are
// skipped). [Uninstall Keys] entries that name a value written here are
// skipped with a line in the setup log.
int WriteRegistryInfo(const RegistryJob& job);
