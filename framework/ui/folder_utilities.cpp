#include "framework/ui/folder_utilities.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/base/dir_tree.h"
#include "framework/ui/message.h"

namespace {

constexpr uint16_t kCannotEmpty = 2015;
constexpr uint16_t kCannotCreate = 2011;

std::string FullPath(const char* path)
{
    char full[MAX_PATH * 2] = "";
    DWORD n = GetFullPathNameA(path, sizeof full, full, nullptr);
    std::string result = n && n < sizeof full ? full : path;
    while (result.size() > 3 && (result.back() == '\\' || result.back() == '/')) result.pop_back();
    return result;
}

bool IsDir(const char* path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderIsEmpty(const char* path)
{
    std::string mask = std::string(path) + "\\*.*";
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(mask.c_str(), &data);
    if (h == INVALID_HANDLE_VALUE) return true;
    bool empty = true;
    do {
        if (strcmp(data.cFileName, ".") && strcmp(data.cFileName, "..")) empty = false;
    } while (empty && FindNextFileA(h, &data));
    FindClose(h);
    return empty;
}

}  // namespace

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

bool MakeEmptyFolder(const char* path)
{
    if (!path || !*path) return false;
    DWORD a = GetFileAttributesA(path);
    if (a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY)) {
        ShowMessageById(kCannotEmpty, path);
        return false;
    }
    if (a != INVALID_FILE_ATTRIBUTES) {
        DeleteDirTree(path);
        if (IsDir(path)) RemoveDir(path);
        if (IsDir(path)) {
            if (FolderIsEmpty(path)) return true;
            ShowMessageById(kCannotEmpty, path);
            return false;
        }
    }
    if (!MakeDirPath(path)) {
        ShowMessageById(kCannotCreate, path);
        return false;
    }
    return true;
}

bool JoinFolderName(const char* name, const char* folder, char* out, size_t size)
{
    if (!out || size == 0) return false;
    const char* f = folder ? folder : "";
    const size_t n = strlen(f);
    const bool slash = n && (f[n - 1] == '\\' || f[n - 1] == '/');
    int written = snprintf(out, size, "%s%s%s", f, (slash || !n) ? "" : "\\", name ? name : "");
    if (written < 0 || static_cast<size_t>(written) >= size) {
        out[0] = 0;
        return false;
    }
    return true;
}
