// The program group and what the installed product's .inf files ask for:
// shortcuts, files copied beside programs, the lines of "install.ini", the
// integration tool's shortcut and "integrat.ini", and the uninstall entry's
// icon.
#pragma once

#include <string>

class InstallLog;

struct ShortcutJob {
    InstallLog* log = nullptr;
    std::string targetDir;
    std::string productName;
    std::string version;
    std::string setupFolder;  // the setup program's folder (CopyFromDir is below it)
    bool noRussian = true;
    // Out: the program chosen as the uninstall entry's icon (empty: none).
    std::string displayIcon;
};

// 1 done, 2 failed (reported: no Programs folder, 2010; the group cannot be
// made, 2011). Items that fail are reported one by one and the rest go on.
int CreateShortcuts(ShortcutJob& job);
