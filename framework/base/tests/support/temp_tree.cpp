#include "temp_tree.h"

#include <windows.h>

#include <cstdio>

#include "framework/base/dir_tree.h"

TempTree::TempTree()
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    static int serial = 0;
    char name[MAX_PATH];
    snprintf(name, sizeof name, "%svoq_fw_%lu_%d", temp, GetCurrentProcessId(), ++serial);
    root_ = name;
    CreateDirectoryA(root_.c_str(), nullptr);
}

TempTree::~TempTree() { DeleteDirTree(root_.c_str()); }

void TempTree::MakeDir(const std::string& relative) const { CreateDirectoryA(Path(relative).c_str(), nullptr); }

void TempTree::Write(const std::string& relative, const std::string& bytes) const
{
    FILE* f = fopen(Path(relative).c_str(), "wb");
    if (!f) return;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

std::string TempTree::Read(const std::string& relative) const { return ReadFileBytes(Path(relative)); }

std::string ReadFileBytes(const std::string& path)
{
    std::string bytes;
    FILE* f = fopen(path.c_str(), "rb");
    if (!f) return bytes;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, n);
    fclose(f);
    return bytes;
}

bool TempTree::Exists(const std::string& relative) const
{
    return GetFileAttributesA(Path(relative).c_str()) != INVALID_FILE_ATTRIBUTES;
}
