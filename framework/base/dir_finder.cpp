#include "framework/base/dir_finder.h"

#include <cstdio>
#include <cstring>

#include "framework/base/path_parts.h"

PFileFinder::PFileFinder(bool includeDirs, const char* mask) : includeDirs_(includeDirs)
{
    if (!mask || strlen(mask) >= kPathSize) return;
    char drive[kPathSize], dir[kPathSize], name[kPathSize], ext[kPathSize];
    SplitPathParts(mask, drive, dir, name, ext);
    snprintf(folder_, sizeof folder_, "%s%s", drive, dir);
    handle_ = FindFirstFileA(mask, &data_);
    if (handle_ == INVALID_HANDLE_VALUE) return;
    found_ = true;
    if (!Accept()) Advance();
}

PFileFinder::~PFileFinder()
{
    if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
}

bool PFileFinder::Accept()
{
    if (data_.cFileName[0] == '.') return false;
    if (IsDir() && !includeDirs_) return false;
    // An entry whose full path does not fit is skipped rather than cut.
    int n = snprintf(full_, sizeof full_, "%s%s", folder_, data_.cFileName);
    return n >= 0 && static_cast<uint32_t>(n) < sizeof full_;
}

bool PFileFinder::Advance()
{
    while (FindNextFileA(handle_, &data_)) {
        if (Accept()) return true;
    }
    found_ = false;
    full_[0] = 0;
    return false;
}

bool PFileFinder::Next()
{
    if (!found_) return false;
    return Advance();
}

uint64_t PFileFinder::Size() const
{
    return (static_cast<uint64_t>(data_.nFileSizeHigh) << 32) | data_.nFileSizeLow;
}
