// An open archive of the RAR extraction library, closed on every way out,
// and the library's entry names (OEM code page) as the setup's texts.
#pragma once

#include <string>

#include "setup/archive_api.h"

class ArchiveHandle {
public:
    explicit ArchiveHandle(HANDLE handle) : handle_(handle) {}
    ~ArchiveHandle()
    {
        if (handle_) RARCloseArchive(handle_);
    }
    ArchiveHandle(const ArchiveHandle&) = delete;
    ArchiveHandle& operator=(const ArchiveHandle&) = delete;
    HANDLE Get() const { return handle_; }

private:
    HANDLE handle_;
};

inline std::string ArchiveNameFromOem(const char* text)
{
    std::string out(text);
    if (!out.empty()) OemToCharA(out.c_str(), out.data());
    return out;
}
