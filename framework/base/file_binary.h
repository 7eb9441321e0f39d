// A whole file read into memory, with a NUL after its bytes.
#pragma once

#include <cstdint>
#include <vector>

class PBinaryFile {
public:
    PBinaryFile(bool quiet, const char* name);
    bool Loaded() const { return loaded_; }
    uint32_t Size() const { return size_; }
    const unsigned char* Data() const { return bytes_.empty() ? nullptr : bytes_.data(); }

private:
    std::vector<unsigned char> bytes_;
    uint32_t size_ = 0;
    bool loaded_ = false;
};

// Reads exactly `count` bytes of `name` into `out`. True only when all of
// them arrived (a short read shows message 8102; a failed open 5230).
bool ReadFileExact(bool quiet, const char* name, void* out, uint32_t count);
