// The two forms of the board's firmware file, read and checked whole before
// anything is sent to the board: an Intel HEX text and the maker's binary
// image, whose record headers are scrambled.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

constexpr char kFirmwareMakerTag[] = "Korvan";  // with its NUL, 7 bytes
constexpr uint32_t kImageLengthKey = 0x5A17C3E9;
constexpr uint32_t kImageAddressKey = 0x9D04B6F1;
constexpr uint32_t kImageRecordTail = 512;      // bytes sent after the padded data
constexpr uint32_t kImageRecordDataOffset = 12;
constexpr uint32_t kMaxFirmwareFileBytes = 64u << 20;

// One data record of a HEX file, at its absolute address.
struct HexDataRecord {
    uint32_t address = 0;
    std::vector<uint8_t> bytes;
};

// Parses a HEX text. On a bad line it returns false with `error` set to the
// line's error text (the file name is `name`); nothing is kept then.
bool ParseHexFirmware(const std::string& text, const std::string& name, std::vector<HexDataRecord>& records,
                      std::string& error);

// One record of a binary image: where its bytes lie in the file and what
// its unscrambled header says.
struct ImageRecord {
    uint32_t offset = 0;      // of the record in the file
    uint32_t length = 0;      // data length (unpadded)
    uint32_t address = 0;     // flash address
    uint32_t carried = 0;     // padded length + 512: the bytes sent from offset + 12
    uint32_t end = 0;         // where the next record begins
};

// True when `bytes` begins with the maker tag and its NUL.
bool IsFirmwareImage(const uint8_t* bytes, size_t size);
// Walks the records of a binary image, checking every header and extent
// against the file before any of it is used; false for a file that does not
// hold its records.
bool ParseFirmwareImage(const std::vector<uint8_t>& file, uint32_t& headerSize, std::vector<ImageRecord>& records);
