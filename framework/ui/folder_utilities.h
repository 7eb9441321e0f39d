// Folder helpers of the setup and the dialogs: removing a folder that may be
// a drive's current directory, emptying a folder, joining a folder and a name.
#pragma once

#include <cstddef>

// Removes the empty directory `path`. When it is its drive's current
// directory, that drive's current directory moves to the parent first; the
// process's current directory is put back unless it was the one removed (it
// then stays at the parent). True when the directory is gone.
bool RemoveDir(const char* path);

// Deletes the tree below an existing folder and makes sure an empty folder
// `path` exists. A folder that could not be deleted counts as done when
// nothing is left in it. Failures: message 2015 (the folder cannot be
// emptied, or the path is a file) and message 2011 (it cannot be created).
bool MakeEmptyFolder(const char* path);

// `folder` + "\" (unless it ends in "\" or "/") + `name` into `out` of `size`
// bytes; false (and `out` empty) when it does not fit.
bool JoinFolderName(const char* name, const char* folder, char* out, size_t size);
