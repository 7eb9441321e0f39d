// Existence tests, file sizes, file times and a copy that skips unchanged
// files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>

class PFileFinder;

// CreateFileA(path, no access, no sharing, OPEN_EXISTING) with critical-error
// boxes off. The caller closes the handle.
HANDLE OpenExisting(const char* path);

// Flag 1: a drive root ("X:" or "X:\") exists when its drive type is not
// DRIVE_NO_ROOT_DIR; other paths by a search, entries beginning with "."
// skipped. Without flag 1: when OpenExisting succeeds.
bool FileExists(uint32_t flags, const char* path);

// -1 when the file cannot be opened.
int32_t FileSize(const char* path);
int64_t FileSize64(const char* path);
int64_t FileSizeOfHandle(HANDLE handle);
int64_t FileSizeOfFd(int fd);

// The local last-write time of a file or finder entry.
struct PFileTime {
    FILETIME time = {};
    bool found = false;

    PFileTime() = default;
    explicit PFileTime(const char* path);
    explicit PFileTime(const PFileFinder& entry);

    int Compare(const PFileTime& other) const;  // CompareFileTime
    bool operator==(const PFileTime& o) const { return Compare(o) == 0; }
    bool operator!=(const PFileTime& o) const { return Compare(o) != 0; }
    bool operator<(const PFileTime& o) const { return Compare(o) < 0; }
    bool operator>(const PFileTime& o) const { return Compare(o) > 0; }
    bool operator<=(const PFileTime& o) const { return Compare(o) <= 0; }
    bool operator>=(const PFileTime& o) const { return Compare(o) >= 0; }
};

// Both found, names equal without regard to case, same last-write time and size.
bool SameFile(const PFileFinder& a, const PFileFinder& b);

// 1 copied, 2 unchanged (with `onlyChanged`: same last-write time and size),
// 0 failed (shown as message 6676 with the system error text).
int CopyFileIfChanged(bool onlyChanged, const char* target, const char* source);
