#include "framework/base/dir_tree.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/base/dir_file.h"
#include "framework/base/dir_finder.h"
#include "framework/base/file_utils.h"
#include "framework/base/hooks.h"
#include "framework/base/path_parts.h"
#include "framework/base/message.h"
#include "framework/base/ml_text.h"

namespace {

bool IsReparsePoint(const PFileFinder& entry)
{
    return (entry.Data().dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

bool IsExistingDir(const char* path)
{
    DWORD a = GetFileAttributesA(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

// Absolute, without a trailing separator (a drive root keeps its "\").
bool NormalisedFolder(const char* folder, char* out)
{
    DWORD n = GetFullPathNameA(folder, kPathSize, out, nullptr);
    if (n == 0 || n >= kPathSize) return false;
    if (n > 3 && IsPathSeparator(out[n - 1])) out[n - 1] = 0;
    return true;
}

void PumpOnce()
{
    MSG msg;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        return;
    }
    Sleep(0);
}

}  // namespace

int AddDirFile(void* container, const PFileFinder& entry)
{
    static_cast<PDirFileList*>(container)->Add({entry.FullPath(), entry.IsDir(), entry.Size()});
    return 1;
}

int WalkDirTree(void* container, WalkDirCallback callback, const char* mask)
{
    if (!mask || !callback) return 0;
    for (PFileFinder files(false, mask); files.Found(); files.Next())
        if (callback(container, files) == 0) return 0;

    char drive[kPathSize], dir[kPathSize], name[kPathSize], ext[kPathSize];
    SplitPathParts(mask, drive, dir, name, ext);
    char all[kPathSize];
    if (snprintf(all, sizeof all, "%s%s*.*", drive, dir) >= static_cast<int>(sizeof all)) return 0;
    for (PFileFinder dirs(true, all); dirs.Found(); dirs.Next()) {
        if (!dirs.IsDir()) continue;
        int answer = callback(container, dirs);
        if (answer == 0) return 0;
        // A junction or link may point back up the tree: never enter one.
        if (answer == 2 || IsReparsePoint(dirs)) continue;
        char inner[kPathSize];
        int n = snprintf(inner, sizeof inner, "%s\\%s%s%s", dirs.FullPath(), name, ext[0] ? "." : "", ext);
        // A mask that no longer fits ends the walk as a failure, not a cut path.
        if (n < 0 || n >= static_cast<int>(sizeof inner)) return 0;
        if (WalkDirTree(container, callback, inner) == 0) return 0;
    }
    return 1;
}

void PCopyProgress::SetRange(uint64_t) {}
void PCopyProgress::SetPosition(uint64_t) {}
void PCopyProgress::SetText(const char*) {}

int CopyDirTree(PCopyProgress* progress, bool onlyChanged, const char* target, const char* source)
{
    char from[kPathSize], mask[kPathSize];
    if (!source || !target || !NormalisedFolder(source, from)) return 0;
    if (snprintf(mask, sizeof mask, "%s%s*.*", from, IsPathSeparator(from[strlen(from) - 1]) ? "" : "\\") >=
        static_cast<int>(sizeof mask))
        return 0;
    PDirFileList list;
    if (WalkDirTree(&list, AddDirFile, mask) == 0) return 0;
    list.Sort();

    uint64_t total = 0;
    for (uint32_t i = 0; i < list.Count(); ++i) total += list[i].size;
    if (progress) progress->SetRange(total);

    size_t fromLength = strlen(from);
    uint64_t done = 0;
    bool allCopied = true;
    for (uint32_t i = 0; i < list.Count(); ++i) {
        const PDirFile& entry = list[i];
        char to[kPathSize];
        const char* rest = entry.name.c_str() + fromLength;
        if (!JoinPath(to, sizeof to, target, rest)) {
            DoMessage("s", "Cannot create directory '%s'", to);
            return 0;
        }
        if (entry.isDir) {
            if (MakeDirPath(to) == 0) {
                DoMessage("s", "Cannot create directory '%s'", to);
                return 0;
            }
            continue;
        }
        if (progress) {
            const char* nameExt = entry.name.c_str();
            for (const char* p = nameExt; *p; ++p)
                if (IsPathSeparator(*p)) nameExt = p + 1;
            char text[kPathSize + 64];
            snprintf(text, sizeof text, "%s%s", GetMLText("Copying  |\xCA\xEE\xEF\xE8\xF0\xF3\xE5\xF2\xF1\xFF  "),
                     nameExt);
            progress->SetText(text);
        }
        // A failed copy was shown by CopyFileIfChanged; the others still go.
        if (CopyFileIfChanged(onlyChanged, to, entry.name.c_str()) == 0) allCopied = false;
        if (progress) {
            done += entry.size;
            progress->SetPosition(done);
            PumpOnce();
            if (g_fwSettings.cancelCopy) return 0;
        }
    }
    return allCopied ? 1 : 0;
}

int MakeDirPath(const char* path)
{
    char p[kPathSize];
    if (!path || !CopyPathText(p, sizeof p, path)) return 0;
    size_t n = strlen(p);
    if (n > 0 && IsPathSeparator(p[n - 1])) p[--n] = 0;
    if (n == 0) return 0;
    if (IsExistingDir(p)) return 2;

    size_t start = 0;
    if (n >= 2 && p[1] == ':') {
        char root[4] = {p[0], ':', '\\', 0};
        if (GetDriveTypeA(root) == DRIVE_NO_ROOT_DIR) return 0;
        start = 2;
    } else if (IsPathSeparator(p[0]) && IsPathSeparator(p[1])) {
        // "\\server\share" cannot be created: start below it.
        start = 2;
        for (int skip = 0; skip < 2 && start < n; ++skip) {
            while (start < n && !IsPathSeparator(p[start])) ++start;
            if (skip == 0 && start < n) ++start;
        }
    }
    if (start < n && IsPathSeparator(p[start])) ++start;

    bool created = false;
    for (size_t i = start; i <= n; ++i) {
        if (i < n && !IsPathSeparator(p[i])) continue;
        if (i == start || IsPathSeparator(p[i - 1])) continue;  // empty piece
        char saved = p[i];
        p[i] = 0;
        DWORD a = GetFileAttributesA(p);
        if (a == INVALID_FILE_ATTRIBUTES) {
            if (!CreateDirectoryA(p, nullptr)) return 0;
            created = true;
        } else if (!(a & FILE_ATTRIBUTE_DIRECTORY)) {
            return 0;
        }
        p[i] = saved;
    }
    return created ? 1 : (IsExistingDir(p) ? 2 : 0);
}

bool DeleteDirTree(const char* path)
{
    char mask[kPathSize];
    // Only a directory is deleted: a plain file (or nothing) is left alone,
    // and so is a whole drive or share.
    if (!path || !*path || IsDriveOrShareRoot(path) || !IsExistingDir(path)) return false;
    if (snprintf(mask, sizeof mask, "%s\\*", path) >= static_cast<int>(sizeof mask)) return false;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(mask, &data);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if (!strcmp(data.cFileName, ".") || !strcmp(data.cFileName, "..")) continue;
            char child[kPathSize];
            if (snprintf(child, sizeof child, "%s\\%s", path, data.cFileName) >= static_cast<int>(sizeof child))
                continue;
            if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
                SetFileAttributesA(child, data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
            bool isDir = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
            bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
            if (isDir && !isLink) DeleteDirTree(child);
            else if (isDir) RemoveDir(child);
            else DeleteFileA(child);
        } while (FindNextFileA(h, &data));
        FindClose(h);
    }
    // Steps out of the directory first when it is the current one.
    return RemoveDir(path);
}
