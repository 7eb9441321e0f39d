#include "framework/base/file_temp.h"

#include <windows.h>

namespace {

void MakeUnique(PPath& path, const char* folder)
{
    char file[MAX_PATH];
    if (!folder || !*folder) return;
    if (GetTempFileNameA(folder, "", 0, file) == 0) return;
    path.Set(file);
}

}  // namespace

TempFile::TempFile(const char* name, bool deleteOnClose) : delete_(deleteOnClose)
{
    path_ = PPath::TempFolder();
    if (!path_.IsEmpty()) path_.Append(name);
}

TempFile::TempFile(bool deleteOnClose) : delete_(deleteOnClose)
{
    PPath folder = PPath::TempFolder();
    MakeUnique(path_, folder.Text());
}

TempFile::TempFile(const char* folder, bool deleteOnClose, int) : delete_(deleteOnClose)
{
    MakeUnique(path_, folder);
}

TempFile::~TempFile()
{
    if (delete_ && !path_.IsEmpty()) DeleteFileA(path_.Text());
}
