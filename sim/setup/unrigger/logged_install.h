// What an install log (Setup.log) lists for the stand-in uninstaller, read
// through the setup's own log layout (setup/install_log_format.h).
#pragma once

#include <string>
#include <vector>

#include "setup/install_log_format.h"

struct LoggedKey {
    bool forced = false;  // "FKey": removed with its values
    LogRegistryEntry entry;
};

struct LoggedInstall {
    std::string folder;               // [Setup] Folder: the installation's folder
    std::vector<std::string> files;   // [Files] F0, F1, ... in log order
    std::vector<LoggedKey> keys;      // [Registry Keys] in counter order
    std::vector<LogRegistryEntry> values;  // [Registry Key Values]
};

// Reads `logPath`; false when the file cannot be read. Entries that are not
// in the log's formats are left out; each list ends at its first gap.
bool ReadLoggedInstall(const char* logPath, LoggedInstall& out);
