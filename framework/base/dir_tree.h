// Recursive directory walks, tree copies, directory-path creation.
#pragma once

#include <cstdint>

class PFileFinder;

// Called for every entry; returns 0 to stop the walk, 2 to skip a directory
// (not entered), anything else to go on.
using WalkDirCallback = int (*)(void* container, const PFileFinder& entry);

// The default callback: adds a PDirFile to a PDirFileList and returns 1.
int AddDirFile(void* container, const PFileFinder& entry);

// Files matching `mask` first, then the directories of the mask's folder,
// each entered with the same name mask. Directories that are reparse points
// (junctions, links) are reported but not entered, so a link loop cannot
// recurse. 0 when stopped, else 1.
int WalkDirTree(void* container, WalkDirCallback callback, const char* mask);

// Progress of a tree copy; the default hooks do nothing.
class PCopyProgress {
public:
    virtual ~PCopyProgress() = default;
    virtual void SetRange(uint64_t totalBytes);
    virtual void SetPosition(uint64_t bytesDone);
    virtual void SetText(const char* text);
};

// Copies the tree below `source` into `target`. 1 done; 0 when a directory
// cannot be made, a file failed to copy (each failure was shown), or the
// cancel flag was set.
int CopyDirTree(PCopyProgress* progress, bool onlyChanged, const char* target,
                const char* source);

// 2 already a directory, 1 created, 0 failed (empty path, a level that is a
// file, a missing drive, a path too long). UNC server and share are skipped.
int MakeDirPath(const char* path);

// Removes a directory with everything below it (reparse points are removed,
// not followed; a directory that is the current one is stepped out of).
// True when the directory is gone; false, with nothing deleted, when `path`
// is not an existing directory (a plain file, a missing name) or is a root.
bool DeleteDirTree(const char* path);

// True for a drive root ("X:", "X:") or a network share ("\server\share"),
// also when a relative or dotted path resolves to one: no tree deletion
// starts there.
bool IsDriveOrShareRoot(const char* path);

// Removes the empty directory `path`. When it is its drive's current
// directory, that drive's current directory moves to the parent first; the
// process's current directory is put back unless it was the one removed (it
// then stays at the parent). True when the directory is gone.
bool RemoveDir(const char* path);
