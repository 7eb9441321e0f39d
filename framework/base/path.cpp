#include "framework/base/path.h"

#include <windows.h>
#include <shlobj.h>

#include <cstring>

#include "framework/base/dir_tree.h"
#include "framework/base/file_utils.h"
#include "framework/base/path_parts.h"
#include "framework/base/text_utils.h"

namespace {

bool HasWildcard(const char* text) { return strpbrk(text, "*?") != nullptr; }

// A copy of text with one trailing separator removed.
bool TrimmedCopy(const char* text, char* out)
{
    if (!CopyPathText(out, kPathSize, text)) return false;
    size_t n = strlen(out);
    if (n > 0 && IsPathSeparator(out[n - 1])) out[n - 1] = 0;
    return true;
}

}  // namespace

PPath::PPath(const char* text) { Set(text); }

PPath::PPath(FullTag, const char* relative)
{
    char full[kPathSize];
    DWORD n = relative ? GetFullPathNameA(relative, kPathSize, full, nullptr) : 0;
    if (n == 0 || n >= kPathSize) {
        tooLong_ = n >= kPathSize;
        return;
    }
    Set(full);
}

PPath::PPath(FolderTag, int csidl)
{
    char folder[MAX_PATH] = {};
    if (SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return;
    Set(folder);
}

bool PPath::Set(const char* text)
{
    if (!CopyPathText(path_, kPathSize, text)) {
        if (text) SetTooLong();
        else Split();
        return !text;
    }
    tooLong_ = false;
    Split();
    size_t n = strlen(path_);
    if (n > 0 && IsPathSeparator(path_[n - 1])) path_[n - 1] = 0;
    return true;
}

void PPath::SetTooLong()
{
    path_[0] = 0;
    Split();
    tooLong_ = true;
}

void PPath::Split() { SplitPathParts(path_, drive_, dir_, name_, ext_); }

PPath PPath::GetDir() const
{
    char text[kPathSize];
    snprintf(text, sizeof text, "%s%s", drive_, dir_);
    return PPath(text);
}

PPath PPath::GetNameExt() const
{
    char text[kPathSize];
    snprintf(text, sizeof text, "%s%s%s", name_, ext_[0] ? "." : "", ext_);
    return PPath(text);
}

PPath PPath::ChangedExt(const char* ext) const
{
    PPath result(*this);
    result.ChangeExt(ext);
    return result;
}

void PPath::ChangeExt(const char* ext)
{
    char text[kPathSize + 8];
    const char* e = ext ? ext : "";
    if (*e == '.') ++e;
    int n = snprintf(text, sizeof text, "%s%s%s%s%s", drive_, dir_, name_, *e ? "." : "", e);
    if (n < 0 || n >= static_cast<int>(kPathSize)) {
        SetTooLong();
        return;
    }
    Set(text);
}

PPath PPath::InFolder(const char* folder) const
{
    PPath result(*this);
    result.MoveToFolder(folder);
    return result;
}

void PPath::MoveToFolder(const char* folder)
{
    char nameExt[kPathSize];
    snprintf(nameExt, sizeof nameExt, "%s%s%s", name_, ext_[0] ? "." : "", ext_);
    *this = JoinPath(folder, nameExt);
}

PPath PPath::WithName(const char* name) const
{
    PPath result(*this);
    result.Rename(name);
    return result;
}

void PPath::Rename(const char* name)
{
    char text[kPathSize + 8];
    int n = snprintf(text, sizeof text, "%s%s%s%s%s", drive_, dir_, name ? name : "",
                     ext_[0] ? "." : "", ext_);
    if (n < 0 || n >= static_cast<int>(kPathSize)) {
        SetTooLong();
        return;
    }
    Set(text);
}

PPath& PPath::Append(const char* name)
{
    const char* n = name ? name : "";
    if (IsPathSeparator(*n)) ++n;
    char text[kPathSize + 8];
    int length = snprintf(text, sizeof text, "%s\\%s", path_, n);
    if (length < 0 || length >= static_cast<int>(kPathSize)) {
        SetTooLong();
        return *this;
    }
    Set(text);
    return *this;
}

bool PPath::Equals(const char* text) const
{
    char other[kPathSize];
    if (!text || !TrimmedCopy(text, other)) return false;
    return CompareNoCase(path_, other) == 0;
}

bool PPath::Greater(const char* text) const
{
    char other[kPathSize];
    if (!text || !TrimmedCopy(text, other)) return false;
    return CompareNoCase(path_, other) > 0;
}

bool PPath::Exists() const { return !IsEmpty() && FileExists(1, path_); }

bool PPath::IsDirectory() const
{
    if (IsEmpty() || HasWildcard(path_)) return false;
    if (IsDriveRootText(path_)) {
        char root[4] = {path_[0], ':', '\\', 0};
        return GetDriveTypeA(root) != DRIVE_NO_ROOT_DIR;
    }
    WIN32_FIND_DATAA data;
    HANDLE h = FindFirstFileA(path_, &data);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool PPath::IsFile() const { return name_[0] != 0 && Exists() && !IsDirectory(); }

int PPath::Delete() const
{
    if (IsEmpty() || !Exists()) return 0;
    if (IsDirectory()) return DeleteDirTree(path_) ? 1 : 0;
    return DeleteFileA(path_) ? 1 : 0;
}

bool PPath::MakeAbsolute()
{
    PPath full(kFull, path_);
    if (full.IsEmpty()) return false;
    *this = full;
    return true;
}

bool PPath::MakeShort()
{
    char shortPath[kPathSize];
    DWORD n = GetShortPathNameA(path_, shortPath, kPathSize);
    if (n == 0 || n >= kPathSize) return false;
    Set(shortPath);
    return true;
}

PPath PPath::CurrentDir()
{
    char dir[kPathSize];
    DWORD n = GetCurrentDirectoryA(kPathSize, dir);
    if (n == 0 || n >= kPathSize) return PPath();
    return PPath(dir);
}

PPath PPath::ProgramFolder()
{
    // The module this code is linked into: the program itself, or the driver
    // or plug-in DLL, whose own files lie beside it.
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&PPath::ProgramFolder), &module);
    char file[kPathSize];
    DWORD n = GetModuleFileNameA(module, file, kPathSize);
    if (n == 0 || n >= kPathSize) return PPath();
    return PPath(file).GetDir();
}

PPath PPath::TempFolder()
{
    char dir[kPathSize];
    DWORD n = GetTempPathA(kPathSize, dir);
    if (n == 0 || n >= kPathSize) return PPath();
    return PPath(dir);
}

bool JoinPath(char* out, uint32_t size, const char* dir, const char* name)
{
    const char* d = dir ? dir : "";
    const char* n = name ? name : "";
    if (IsPathSeparator(*n)) ++n;
    size_t dl = strlen(d);
    const char* sep = (dl > 0 && !IsPathSeparator(d[dl - 1])) ? "\\" : "";
    int length = snprintf(out, size, "%s%s%s", d, sep, n);
    if (length < 0 || static_cast<uint32_t>(length) >= size) {
        if (size) out[0] = 0;
        return false;
    }
    return true;
}

PPath JoinPath(const char* dir, const char* name)
{
    char text[kPathSize];
    if (!JoinPath(text, sizeof text, dir, name)) {
        PPath result;
        result.SetTooLong();
        return result;
    }
    return PPath(text);
}
