// Checks on the names that the installed product's .inf files, the product
// name and the version put into shortcut and folder paths, and the texts of
// items in the system's language.
//
// A name that could leave the program group or TARGETDIR, or that Windows
// would not take as a file name, is refused with a reason (shown by the
// caller through message 2009), never quietly changed.
#pragma once

#include <cstdint>
#include <string>

// One file-name level: not empty; none of \ / : * ? " < > | or control
// characters; no ".."; not ending in "." or " "; not a device name (CON,
// NUL, COM1, ...; also with an extension). Empty `reason` when accepted.
bool IsPlainFileName(const char* name, std::string& reason);

// A path below a folder: relative (no drive, no leading "\" or "/"), and
// every level a plain file name. Empty `reason` when accepted.
bool IsSafeRelativePath(const char* path, std::string& reason);

// The language of the items' texts: Russian (1) when the system's default
// language is 1049 and "NoRussian" is off, else English (0). The setup's own
// language plays no part.
uint8_t ItemLanguage(bool noRussian);

// The shortcut name "Uninstall # Modify # Repair" stands for the product's
// uninstaller: the name becomes "Uninstall " (in `language`) + the product
// name and the target's file name becomes "unrigger" (folder and extension
// kept). Other names are left alone. True when renamed.
bool ApplyUninstallName(std::string& name, std::string& target, const char* productName, uint8_t language);
