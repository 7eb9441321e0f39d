#include "framework/base/path_split.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/base/path_parts.h"

PSplitPath::PSplitPath(bool asGiven, const char* path) : asGiven_(asGiven)
{
    if (!path) return;
    if (asGiven) {
        if (!CopyPathText(path_, kSplitSize, path)) return;
    } else {
        DWORD n = GetFullPathNameA(path, kSplitSize, path_, nullptr);
        if (n == 0 || n >= kSplitSize) {
            path_[0] = 0;
            return;
        }
    }
    SplitPathParts(path_, drive_, dir_, name_, ext_);
    // The extension keeps its dot here, as callers join the parts back.
    if (ext_[0]) {
        memmove(ext_ + 1, ext_, strlen(ext_) + 1);
        ext_[0] = '.';
    } else if (path_[0] && path_[strlen(path_) - 1] == '.') {
        strcpy(ext_, ".");
    }
    valid_ = true;
}

bool PSplitPath::FullPath(char* out, uint32_t size) const
{
    if (!valid_) return CopyPathText(out, size, "") && false;
    if (!asGiven_) return CopyPathText(out, size, path_);
    DWORD n = GetFullPathNameA(path_, size, out, nullptr);
    if (n == 0 || n >= size) {
        if (size) out[0] = 0;
        return false;
    }
    return true;
}

bool PSplitPath::NameExt(char* out, uint32_t size) const
{
    int n = snprintf(out, size, "%s%s", name_, ext_);
    if (n < 0 || static_cast<uint32_t>(n) >= size) {
        if (size) out[0] = 0;
        return false;
    }
    return true;
}

bool PSplitPath::Folder(char* out, uint32_t size) const
{
    int n = snprintf(out, size, "%s%s", drive_, dir_);
    if (n < 0 || static_cast<uint32_t>(n) >= size) {
        if (size) out[0] = 0;
        return false;
    }
    if (n > 0 && IsPathSeparator(out[n - 1]) && !(n >= 2 && out[n - 2] == ':')) out[n - 1] = 0;
    return true;
}
