// A loaded module (the program or a DLL) and the resources it carries.
#pragma once

#include <windows.h>

#include <cstdint>

#include <string>

class Module {
public:
    explicit Module(HINSTANCE instance) : instance_(instance) {}
    // The module this code is linked into.
    static Module& Own();

    HINSTANCE Handle() const { return instance_; }
    HRSRC FindResource(const char* type, uint32_t id) const;
    bool HasResource(const char* type, uint32_t id) const { return FindResource(type, id) != nullptr; }
    // Null when the module lacks the resource; the caller owns the handle.
    HBITMAP LoadBitmap(uint32_t id) const;
    // Shared icon handle (never destroyed); null when absent.
    HICON LoadIcon(uint32_t id, int size = 0) const;
    // Empty when the string table lacks the id.
    std::string LoadString(uint32_t id) const;

private:
    HINSTANCE instance_;
};
