// Removing one directory, and telling the roots that a tree deletion must
// never start from.
#include <windows.h>

#include <cstring>
#include <string>

#include "framework/base/dir_tree.h"

namespace {

bool IsSeparator(char c) { return c == '\\' || c == '/'; }

std::string FullPath(const char* path)
{
    char full[MAX_PATH * 2] = "";
    DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    std::string result = n && n < sizeof full ? full : path;
    while (result.size() > 3 && IsSeparator(result.back())) result.pop_back();
    return result;
}

bool IsDir(const char* path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// The pieces between separators of text[0, n), empty ones skipped.
unsigned CountPieces(const char* text, size_t n)
{
    unsigned pieces = 0;
    for (size_t i = 0; i < n; ++i)
        if (!IsSeparator(text[i]) && (i == 0 || IsSeparator(text[i - 1]))) ++pieces;
    return pieces;
}

bool IsRootText(const char* text)
{
    size_t n = strlen(text);
    while (n > 0 && IsSeparator(text[n - 1])) --n;
    if (n == 0) return true;                     // "\": the current drive's root
    if (n == 2 && text[1] == ':') return true;   // "X:", "X:\"
    if (n < 2 || !IsSeparator(text[0]) || !IsSeparator(text[1])) return false;
    // "\\?\X:\" and "\\.\X:\" name the drive root too.
    if ((text[2] == '?' || text[2] == '.') && n > 3 && IsSeparator(text[3])) {
        std::string rest(text + 4, n - 4);
        if (_strnicmp(rest.c_str(), "UNC", 3) == 0 && (rest.size() == 3 || IsSeparator(rest[3])))
            return CountPieces(rest.c_str() + 3, rest.size() - 3) <= 2;
        return IsRootText(rest.c_str());
    }
    return CountPieces(text, n) <= 2;            // "\\server", "\\server\share"
}

}  // namespace

bool IsDriveOrShareRoot(const char* path)
{
    if (!path || !*path) return false;
    if (IsRootText(path)) return true;
    // "X:\dir\.." or "." in a root name a root as well.
    char full[MAX_PATH * 2];
    DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    return n > 0 && n < sizeof full && IsRootText(full);
}

bool RemoveDir(const char* path)
{
    if (!path || !*path) return false;
    const std::string target = FullPath(path);
    char saved[MAX_PATH * 2] = "";
    GetCurrentDirectoryA(sizeof saved, saved);
    const std::string current = FullPath(saved);
    bool moved = false;
    if (lstrcmpiA(current.c_str(), target.c_str()) == 0 ||
        (current.size() > target.size() && _strnicmp(current.c_str(), target.c_str(), target.size()) == 0 &&
         current[target.size()] == '\\')) {
        // Windows keeps the current directory open: step out of it first.
        std::string parent = target + "\\..";
        moved = SetCurrentDirectoryA(parent.c_str()) != 0;
    }
    bool removed = RemoveDirectoryA(target.c_str()) != 0 || !IsDir(target.c_str());
    // The removed directory cannot be gone back to: the parent stays.
    if (!(moved && removed)) SetCurrentDirectoryA(saved);
    return removed;
}
