// The RAR 1.5-4.x block layout, as far as stored archives need it. Every
// block starts with a 7-byte header: CRC (low 16 bits of the CRC32 of the
// header from the type byte on), type, flags, header size; a block whose
// flags hold 0x8000 carries a 32-bit data size after it (for a file header:
// the packed size).
#pragma once

#include <cstddef>
#include <cstdint>

namespace rar4 {

inline constexpr uint8_t kMarker[7] = {0x52, 0x61, 0x72, 0x21, 0x1A, 0x07, 0x00};

enum : uint8_t {
    kBlockMain = 0x73,
    kBlockFile = 0x74,
    kBlockEnd = 0x7B,
};

enum : uint16_t {
    kMainEncryptedHeaders = 0x0080,
    kFileSplitBefore = 0x0001,
    kFileSplitAfter = 0x0002,
    kFileEncrypted = 0x0004,
    kFileDirectoryMask = 0x00E0,  // all three dictionary bits: a directory
    kFileLarge = 0x0100,          // 64-bit sizes follow the attributes
    kFileUnicode = 0x0200,        // the name holds a second, encoded form after a NUL
    kFileSalt = 0x0400,
    kFileExtTime = 0x1000,
    kLongBlock = 0x8000,
    kEndFlags = 0x4000,
};

enum : uint8_t {
    kMethodStore = 0x30,
    kHostWin32 = 2,
    kUnpackVersion = 29,
};

inline constexpr size_t kBaseHeader = 7;
inline constexpr size_t kMainHeaderSize = 13;
inline constexpr size_t kFileHeaderFixed = 32;  // up to the name
inline constexpr uint32_t kAttrDirectory = 0x10;
inline constexpr uint32_t kAttrArchive = 0x20;

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);
inline uint16_t HeaderCrc(const uint8_t* header, size_t size)
{
    return static_cast<uint16_t>(Crc32(header + 2, size - 2) & 0xFFFF);
}

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

}  // namespace rar4
