// One shell link (.lnk) made through IShellLinkA and saved through
// IPersistFile, and recorded in the install log when the file exists.
#pragma once

#include <cstdint>
#include <string>

class InstallLog;

struct LinkRequest {
    std::string folder;       // where the link goes (exists)
    std::string name;         // shortcut name, "$" macros not yet expanded
    std::string target;       // program file
    std::string workingDir;
    std::string arguments;
    std::string description;
    std::string iconFile;     // relative to TARGETDIR; empty: none
};

struct LinkContext {
    InstallLog* log = nullptr;
    std::string targetDir;
    std::string productName;
    uint8_t language = 0;     // of "Uninstall " in the uninstaller's name
};

// COM must be initialised on this thread. Expands the name's "$" macros,
// applies the uninstaller's name, refuses a name that is not a plain file
// name, and makes "<folder>\<name>.lnk". Every failing step is shown as
// message 2009 with its text. Only a link file that exists afterwards is
// recorded (a ".pif" when the shell made a program information file
// instead). True when a file was made.
bool CreateLink(const LinkContext& context, const LinkRequest& request);
