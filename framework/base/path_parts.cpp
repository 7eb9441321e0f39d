#include "framework/base/path_parts.h"

#include <cstring>

void SplitPathParts(const char* path, char* drive, char* dir, char* name, char* ext)
{
    drive[0] = dir[0] = name[0] = ext[0] = 0;
    if (!path) return;
    const char* p = path;
    if (p[0] && p[1] == ':') {
        drive[0] = p[0];
        drive[1] = ':';
        drive[2] = 0;
        p += 2;
    }
    const char* lastSep = nullptr;
    for (const char* q = p; *q; ++q)
        if (IsPathSeparator(*q)) lastSep = q;
    const char* file = p;
    if (lastSep) {
        size_t n = static_cast<size_t>(lastSep + 1 - p);
        memcpy(dir, p, n);
        dir[n] = 0;
        file = lastSep + 1;
    }
    const char* dot = strrchr(file, '.');
    if (!dot) dot = file + strlen(file);
    size_t n = static_cast<size_t>(dot - file);
    memcpy(name, file, n);
    name[n] = 0;
    if (*dot) strcpy(ext, dot + 1);
}

bool CopyPathText(char* out, uint32_t size, const char* text)
{
    if (!out || size == 0) return false;
    size_t n = text ? strlen(text) : 0;
    if (n >= size) {
        out[0] = 0;
        return false;
    }
    if (n) memcpy(out, text, n);
    out[n] = 0;
    return true;
}

bool IsDriveRootText(const char* path)
{
    if (!path || !path[0] || path[1] != ':') return false;
    char c = path[0];
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
    if (path[2] == 0) return true;
    return IsPathSeparator(path[2]) && path[3] == 0;
}
