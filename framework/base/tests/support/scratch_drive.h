// Drive R: of the test prefix, whose root is a scratch folder made for the
// tests (cmake/wine-prefix.sh marks it with the file "voq-scratch-drive"), so
// that a test can name a drive root without naming a real one. Each test
// works in a folder of its own below that root.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

class ScratchDrive {
public:
    ScratchDrive()
    {
        static int serial = 0;
        char name[64];
        snprintf(name, sizeof name, "R:\\voq_%lu_%d", GetCurrentProcessId(), ++serial);
        folder_ = name;
        ready_ = GetFileAttributesA("R:\\voq-scratch-drive") != INVALID_FILE_ATTRIBUTES &&
                 CreateDirectoryA(folder_.c_str(), nullptr);
    }
    ~ScratchDrive()
    {
        if (!ready_) return;
        // The test's own folder only; the drive's root stays.
        WIN32_FIND_DATAA data;
        HANDLE h = FindFirstFileA((folder_ + "\\*").c_str(), &data);
        if (h != INVALID_HANDLE_VALUE) {
            do {
                std::string child = folder_ + "\\" + data.cFileName;
                if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveDirectoryA(child.c_str());
                else DeleteFileA(child.c_str());
            } while (FindNextFileA(h, &data));
            FindClose(h);
        }
        RemoveDirectoryA(folder_.c_str());
    }
    ScratchDrive(const ScratchDrive&) = delete;
    ScratchDrive& operator=(const ScratchDrive&) = delete;

    // The marked drive exists and the test's folder was made.
    bool Ready() const { return ready_; }
    static std::string Drive() { return "R:"; }
    // The test's folder below the root, "R:\voq_...".
    const std::string& Folder() const { return folder_; }

private:
    std::string folder_;
    bool ready_ = false;
};
