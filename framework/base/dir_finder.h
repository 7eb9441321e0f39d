// A directory search cursor over FindFirstFileA/FindNextFileA.
// Entries whose name begins with "." are skipped, and so are directories
// unless included. The search handle is closed by the destructor.
#pragma once

#include <windows.h>

#include <cstdint>

#include "framework/base/path.h"

class PFileFinder {
public:
    PFileFinder(bool includeDirs, const char* mask);
    ~PFileFinder();
    PFileFinder(const PFileFinder&) = delete;
    PFileFinder& operator=(const PFileFinder&) = delete;

    bool Found() const { return found_; }
    bool Next();

    const WIN32_FIND_DATAA& Data() const { return data_; }
    const char* Name() const { return data_.cFileName; }
    bool IsDir() const { return (data_.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
    uint64_t Size() const;
    // The full path of the current entry (mask's drive and directory + name).
    const char* FullPath() const { return full_; }
    // The mask's drive and directory, with a trailing "\" when not empty.
    const char* Folder() const { return folder_; }

private:
    bool Accept();
    bool Advance();
    WIN32_FIND_DATAA data_ = {};
    HANDLE handle_ = INVALID_HANDLE_VALUE;
    bool found_ = false;
    bool includeDirs_;
    char folder_[kPathSize] = {};
    char full_[kPathSize] = {};
};
