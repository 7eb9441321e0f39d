// The owner of one dynamically loaded library: loads it by file name, reports
// a failed load through the message function unless asked to stay quiet,
// looks up exports by name and frees the library.
//
// Promises:
// - `Load` returns the module handle, null on failure, whether or not a box
//   was shown: a caller tests the result (or `Handle`) without knowing what
//   the user answered.
// - A new `Load`, `Free` and the destructor release the library held before.
// - `GetProc` answers null while nothing is held and for a name the library
//   does not export; it shows nothing (the setup skips such plug-ins silently).
#pragma once

#include <windows.h>

#include <cstdint>

class PLibrary {
public:
    PLibrary() = default;
    PLibrary(const char* fileName, uint32_t flags, bool quiet) { Load(fileName, flags, quiet); }
    ~PLibrary() { Free(); }
    PLibrary(const PLibrary&) = delete;
    PLibrary& operator=(const PLibrary&) = delete;

    // LoadLibraryExA(fileName, null, flags); without `quiet` a failure shows
    // message 6498 with the file name and the system error text.
    HINSTANCE Load(const char* fileName, uint32_t flags, bool quiet);
    FARPROC GetProc(const char* name) const;
    // FreeLibrary's result; 0 when nothing was held.
    int Free();

    HINSTANCE Handle() const { return module_; }

private:
    HINSTANCE module_ = nullptr;
};
