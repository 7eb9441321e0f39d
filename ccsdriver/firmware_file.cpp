#include "ccsdriver/firmware_file.h"

#include <cstdio>
#include <cstring>

namespace {

std::string LineError(const char* form, const std::string& name, uint32_t line)
{
    char text[1024];
    snprintf(text, sizeof text, form, name.c_str(), line);
    return text;
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// The digit pairs after the ':' as bytes; false when a character is not a
// hexadecimal digit or a pair is cut off.
bool DecodePairs(const char* at, size_t count, std::vector<uint8_t>& out)
{
    if (count % 2) return false;
    out.clear();
    for (size_t i = 0; i < count; i += 2) {
        int high = HexDigit(at[i]), low = HexDigit(at[i + 1]);
        if (high < 0 || low < 0) return false;
        out.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return true;
}

uint32_t Le32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
           (static_cast<uint32_t>(at[3]) << 24);
}

}  // namespace

bool ParseHexFirmware(const std::string& text, const std::string& name, std::vector<HexDataRecord>& records,
                      std::string& error)
{
    records.clear();
    error.clear();
    uint32_t base = 0;
    uint32_t lineNumber = 0;
    size_t at = 0;
    std::vector<uint8_t> bytes;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(at, end - at);
        at = end + 1;
        ++lineNumber;
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t')) line.pop_back();
        if (line.empty()) continue;
        if (line[0] != ':') {
            error = LineError("Invalid '%s' HEX file format: ':' expected in line %u", name, lineNumber);
            break;
        }
        // Count, address, type and checksum at least; then the count's data.
        if (!DecodePairs(line.c_str() + 1, line.size() - 1, bytes) || bytes.size() < 5 ||
            bytes.size() != 5u + bytes[0]) {
            error = LineError("Invalid '%s' HEX file format: bad record in line %u", name, lineNumber);
            break;
        }
        uint8_t sum = 0;
        for (uint8_t b : bytes) sum = static_cast<uint8_t>(sum + b);
        // A record that fails its checksum refuses the whole file: its data
        // must never reach the flash.
        if (sum != 0) {
            error = LineError("'%s' HEX file: CRC mismatch in line %u", name, lineNumber);
            break;
        }
        const uint8_t count = bytes[0];
        const uint32_t offset = (static_cast<uint32_t>(bytes[1]) << 8) | bytes[2];
        const uint8_t type = bytes[3];
        const uint8_t* data = bytes.data() + 4;
        switch (type) {
        case 0:
            records.push_back({base + offset, std::vector<uint8_t>(data, data + count)});
            break;
        case 2:
        case 4:
            if (count != 2) {
                error = LineError("Invalid '%s' HEX file format: bad record in line %u", name, lineNumber);
                break;
            }
            base = ((static_cast<uint32_t>(data[0]) << 8) | data[1]) << (type == 2 ? 4 : 16);
            break;
        case 1:  // an end-of-file record does not stop the reading
        case 3:
        case 5:
            break;
        default:
            error = LineError("'%s' HEX file: Invalid record tag in line %u", name, lineNumber);
            break;
        }
        if (!error.empty()) break;
    }
    if (error.empty()) return true;
    records.clear();
    return false;
}

bool IsFirmwareImage(const uint8_t* bytes, size_t size)
{
    return size >= sizeof kFirmwareMakerTag && memcmp(bytes, kFirmwareMakerTag, sizeof kFirmwareMakerTag) == 0;
}

bool ParseFirmwareImage(const std::vector<uint8_t>& file, uint32_t& headerSize, std::vector<ImageRecord>& records)
{
    records.clear();
    headerSize = 0;
    const uint64_t size = file.size();
    if (size < 16 || !IsFirmwareImage(file.data(), file.size())) return false;
    headerSize = Le32(file.data() + 8);
    if (headerSize < 16 || headerSize > size) return false;
    uint64_t at = headerSize;
    while (at < size) {
        if (at + kImageRecordDataOffset > size) return false;
        const uint8_t* head = file.data() + at;
        ImageRecord r;
        r.offset = static_cast<uint32_t>(at);
        const uint32_t recordHeader = Le32(head);
        r.length = Le32(head + 4) ^ kImageLengthKey;
        r.address = Le32(head + 8) ^ kImageAddressKey;
        // 64-bit sums: a scrambled length near 4 GiB must not wrap.
        const uint64_t carried = ((uint64_t{r.length} + 7) & ~uint64_t{7}) + kImageRecordTail;
        const uint64_t dataEnd = at + kImageRecordDataOffset + carried;
        const uint64_t next = at + recordHeader + carried;
        // The data is read at byte 12 and the next record found through the
        // header size: both must lie inside the file.
        if (recordHeader < kImageRecordDataOffset || dataEnd > size || next > size) return false;
        r.carried = static_cast<uint32_t>(carried);
        r.end = static_cast<uint32_t>(next);
        records.push_back(r);
        at = next;
    }
    return true;
}
