#include "framework/base/file_utils.h"

#include <io.h>

#include <cstring>

#include "framework/base/dir_finder.h"
#include "framework/base/path_parts.h"
#include "framework/base/sys_error.h"
#include "framework/base/text_utils.h"
#include "framework/base/message.h"

HANDLE OpenExisting(const char* path)
{
    if (!path || !*path) return INVALID_HANDLE_VALUE;
    // No "insert a disk" boxes for removable drives while we probe.
    UINT old = SetErrorMode(SEM_FAILCRITICALERRORS);
    HANDLE h = CreateFileA(path, 0, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    SetErrorMode(old);
    return h;
}

bool FileExists(uint32_t flags, const char* path)
{
    if (!path || !*path) return false;
    if (flags & 1) {
        // The drive-root rule holds in every deliverable: a search of "C:\"
        // finds nothing and would report an existing drive as missing.
        if (IsDriveRootText(path)) {
            char root[4] = {path[0], ':', '\\', 0};
            return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
        }
        PFileFinder finder(true, path);
        return finder.Found();
    }
    HANDLE h = OpenExisting(path);
    if (h == INVALID_HANDLE_VALUE) return false;
    CloseHandle(h);
    return true;
}

int64_t FileSizeOfHandle(HANDLE handle)
{
    if (handle == INVALID_HANDLE_VALUE || !handle) return -1;
    LARGE_INTEGER size;
    if (!GetFileSizeEx(handle, &size)) return -1;
    return size.QuadPart;
}

int64_t FileSize64(const char* path)
{
    HANDLE h = OpenExisting(path);
    if (h == INVALID_HANDLE_VALUE) return -1;
    int64_t size = FileSizeOfHandle(h);
    CloseHandle(h);
    return size;
}

int32_t FileSize(const char* path)
{
    int64_t size = FileSize64(path);
    return size < 0 ? -1 : static_cast<int32_t>(size);
}

int64_t FileSizeOfFd(int fd)
{
    intptr_t h = _get_osfhandle(fd);
    if (h == -1) return -1;
    return FileSizeOfHandle(reinterpret_cast<HANDLE>(h));
}

PFileTime::PFileTime(const char* path)
{
    if (!path) return;
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(path, &data);
    if (h == INVALID_HANDLE_VALUE) return;
    FindClose(h);
    found = FileTimeToLocalFileTime(&data.ftLastWriteTime, &time) != 0;
    if (!found) time = FILETIME{};
}

PFileTime::PFileTime(const PFileFinder& entry)
{
    if (!entry.Found()) return;
    found = FileTimeToLocalFileTime(&entry.Data().ftLastWriteTime, &time) != 0;
    if (!found) time = FILETIME{};
}

int PFileTime::Compare(const PFileTime& other) const { return CompareFileTime(&time, &other.time); }

bool SameFile(const PFileFinder& a, const PFileFinder& b)
{
    if (!a.Found() || !b.Found()) return false;
    if (CompareNoCase(a.Name(), b.Name()) != 0) return false;
    return CompareFileTime(&a.Data().ftLastWriteTime, &b.Data().ftLastWriteTime) == 0 &&
           a.Size() == b.Size();
}

namespace {

bool Unchanged(const char* target, const char* source)
{
    HANDLE t = OpenExisting(target);
    HANDLE s = OpenExisting(source);
    BY_HANDLE_FILE_INFORMATION ti, si;
    bool same = t != INVALID_HANDLE_VALUE && s != INVALID_HANDLE_VALUE &&
                GetFileInformationByHandle(t, &ti) && GetFileInformationByHandle(s, &si) &&
                CompareFileTime(&ti.ftLastWriteTime, &si.ftLastWriteTime) == 0 &&
                ti.nFileSizeHigh == si.nFileSizeHigh && ti.nFileSizeLow == si.nFileSizeLow;
    if (t != INVALID_HANDLE_VALUE) CloseHandle(t);
    if (s != INVALID_HANDLE_VALUE) CloseHandle(s);
    return same;
}

}  // namespace

int CopyFileIfChanged(bool onlyChanged, const char* target, const char* source)
{
    if (!target || !source) return 0;
    if (onlyChanged && Unchanged(target, source)) return 2;
    if (CopyFileA(source, target, FALSE)) return 1;
    DoMessageWithSystemError("mf", 6676, source, target);
    return 0;
}
