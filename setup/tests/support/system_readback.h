// Reading back what the install step left in the system, for its tests: a
// value under HKLM and a shortcut file.
#pragma once

#include <windows.h>

#include <string>

struct RegValue {
    DWORD type = REG_NONE;  // REG_NONE when the value is missing
    std::string text;
    DWORD number = 0;
};

// A value of an HKLM key: its type, its text (string kinds) or its number.
RegValue ReadHklmValue(const std::string& key, const char* name);

struct LinkData {
    std::string path, arguments, workingDir, description, icon;
    int iconIndex = -1;
};

// Loads a .lnk file through the shell-link object (COM initialised by the
// caller); false when it cannot be loaded.
bool LoadLink(const std::string& file, LinkData& out);
