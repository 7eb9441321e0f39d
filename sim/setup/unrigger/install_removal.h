// The stand-in uninstaller's removal of what an install log lists, bounded
// so that a damaged or hostile log can do no harm: files and folders only
// at or below the installation's folder and strictly below the Programs
// folders; registry entries only under a root's "SOFTWARE\" key; keys
// without subkeys only.
#pragma once

#include <string>
#include <vector>

#include "sim/setup/unrigger/logged_install.h"

// One line per entry acted on: "value: ", "key: ", "file: ", "folder: "
// for what was removed, "refused: " for an entry outside the bounds,
// "kept: " for a key or folder that is not empty or could not be removed.
using RemovalRecord = std::vector<std::string>;

// The path in the form the bounds compare: "/" as "\", no trailing "\";
// empty when it is not absolute (drive or UNC) or has an empty, "." or ".."
// part.
std::string CanonicalPath(const std::string& path);
// `path` is `root` or below it (`orEqual`), or strictly below it; both in
// the form above, compared without regard to case.
bool IsWithin(const std::string& path, const std::string& root, bool orEqual);

// The shell's common and per-user Programs folders (those that exist).
std::vector<std::string> ProgramsFolders();

// Removes, in reverse log order: the values; the FKey keys with their
// values; the Key keys that are empty; the files; the folders that are
// empty. Files and folders must lie within `log.folder` or below one of
// `programsFolders`.
RemovalRecord RemoveLoggedInstall(const LoggedInstall& log, const std::vector<std::string>& programsFolders);
