// Reads a RAR 1.5-4.x archive held in memory: its file entries in order and,
// for stored entries, their data with the CRC checked. Every length is
// checked against the archive's size before it is used; a damaged archive
// gives a result code, never a read outside the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rar4 {

// The archive library's result codes.
enum : int {
    kOk = 0,
    kEndArchive = 10,
    kNoMemory = 11,
    kBadData = 12,
    kBadArchive = 13,
    kUnknownFormat = 14,
    kOpenError = 15,
    kCreateError = 16,
    kCloseError = 17,
    kReadError = 18,
    kWriteError = 19,
};

struct Entry {
    std::string name;  // as stored (OEM), the encoded Unicode part dropped
    uint16_t flags = 0;
    uint32_t hostOS = 0;
    uint32_t fileCrc = 0;
    uint32_t fileTime = 0;
    uint32_t unpackVersion = 0;
    uint32_t method = 0;
    uint32_t attributes = 0;
    uint64_t packSize = 0;
    uint64_t unpackSize = 0;
    size_t dataOffset = 0;
    bool IsDirectory() const;
    // The name may be written below a folder (relative, no "..", ...).
    bool HasSafeName() const;
};

class Reader {
public:
    // Takes the archive's bytes; kOk, or kBadArchive (no marker, no main
    // header, cut short), kBadData (main header CRC), kUnknownFormat
    // (encrypted headers).
    int Open(std::vector<uint8_t> bytes);
    // The next file entry: kOk, kEndArchive, kBadData (header CRC) or
    // kBadArchive (a header or its data runs past the end, or makes no sense).
    int Next(Entry& entry);
    // The stored data of an entry read by Next: kOk with `data` and `size`,
    // kUnknownFormat (compressed, encrypted or split), kBadData (CRC).
    int Data(const Entry& entry, const uint8_t*& data, size_t& size) const;

private:
    std::vector<uint8_t> bytes_;
    size_t position_ = 0;
};

// Reads a whole file: kOk, kOpenError, kReadError or kNoMemory.
int ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes);

}  // namespace rar4
