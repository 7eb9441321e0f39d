// Folder helpers of the setup and the dialogs: removing a folder that may be
// a drive's current directory, emptying a folder, joining a folder and a name.
#pragma once

#include <cstddef>

// RemoveDir is a base service (directory-tree deletion uses it).
#include "framework/base/dir_tree.h"

// Deletes the tree below an existing folder and makes sure an empty folder
// `path` exists. A folder that could not be deleted counts as done when
// nothing is left in it. Failures: message 2015 (the folder cannot be
// emptied, or the path is a file) and message 2011 (it cannot be created).
bool MakeEmptyFolder(const char* path);

// `folder` + "\" (unless it ends in "\" or "/") + `name` into `out` of `size`
// bytes; false (and `out` empty) when it does not fit.
bool JoinFolderName(const char* name, const char* folder, char* out, size_t size);
