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

bool MakeEmptyFolder(const char* path)
{
    if (!path || !*path) return false;
    // A drive or share root is never emptied.
    if (IsDriveOrShareRoot(path)) {
        ShowMessageById(kCannotEmpty, path);
        return false;
    }
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
