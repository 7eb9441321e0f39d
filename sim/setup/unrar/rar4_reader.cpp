#include "sim/setup/unrar/rar4_reader.h"

#include <cstdio>
#include <new>

#include "setup/archive_names.h"
#include "sim/setup/rar4/rar4_format.h"

namespace rar4 {
namespace {

// Larger archives are refused rather than read into memory.
constexpr uint64_t kMaxArchive = 1ull << 30;

}  // namespace

bool Entry::IsDirectory() const
{
    return (flags & kFileDirectoryMask) == kFileDirectoryMask ||
           (hostOS == kHostWin32 && (attributes & kAttrDirectory));
}

bool Entry::HasSafeName() const { return IsSafeEntryName(name.c_str()) && name.size() == std::string(name.c_str()).size(); }

int Reader::Open(std::vector<uint8_t> bytes)
{
    bytes_ = std::move(bytes);
    position_ = 0;
    if (bytes_.size() < sizeof kMarker + kMainHeaderSize) return kBadArchive;
    for (size_t i = 0; i < sizeof kMarker; ++i) {
        if (bytes_[i] != kMarker[i]) return kBadArchive;
    }
    const uint8_t* main = bytes_.data() + sizeof kMarker;
    const size_t size = Get16(main + 5);
    if (main[2] != kBlockMain || size < kMainHeaderSize || sizeof kMarker + size > bytes_.size()) return kBadArchive;
    if (HeaderCrc(main, size) != Get16(main)) return kBadData;
    if (Get16(main + 3) & kMainEncryptedHeaders) return kUnknownFormat;
    position_ = sizeof kMarker + size;
    return kOk;
}

int Reader::Next(Entry& entry)
{
    for (;;) {
        if (position_ == bytes_.size()) return kEndArchive;
        const size_t left = bytes_.size() - position_;
        if (left < kBaseHeader) return kBadArchive;
        const uint8_t* h = bytes_.data() + position_;
        const uint8_t type = h[2];
        const uint16_t flags = Get16(h + 3);
        const size_t headerSize = Get16(h + 5);
        if (headerSize < kBaseHeader || headerSize > left) return kBadArchive;
        if (HeaderCrc(h, headerSize) != Get16(h)) return kBadData;
        if (type == kBlockEnd) {
            position_ = bytes_.size();
            return kEndArchive;
        }
        uint64_t dataSize = 0;
        if (flags & kLongBlock) {
            if (headerSize < kBaseHeader + 4) return kBadArchive;
            dataSize = Get32(h + 7);
        }
        if (type == kBlockFile) {
            if (headerSize < kFileHeaderFixed) return kBadArchive;
            Entry e;
            e.flags = flags;
            e.packSize = Get32(h + 7);
            e.unpackSize = Get32(h + 11);
            e.hostOS = h[15];
            e.fileCrc = Get32(h + 16);
            e.fileTime = Get32(h + 20);
            e.unpackVersion = h[24];
            e.method = h[25];
            const size_t nameSize = Get16(h + 26);
            e.attributes = Get32(h + 28);
            size_t nameAt = kFileHeaderFixed;
            if (flags & kFileLarge) {
                if (headerSize < kFileHeaderFixed + 8) return kBadArchive;
                e.packSize |= static_cast<uint64_t>(Get32(h + 32)) << 32;
                e.unpackSize |= static_cast<uint64_t>(Get32(h + 36)) << 32;
                nameAt += 8;
            }
            if (nameSize == 0 || nameAt + nameSize > headerSize) return kBadArchive;
            e.name.assign(reinterpret_cast<const char*>(h + nameAt), nameSize);
            if (flags & kFileUnicode) e.name.resize(std::string(e.name.c_str()).size());
            dataSize = e.packSize;
            if (dataSize > left - headerSize) return kBadArchive;
            e.dataOffset = position_ + headerSize;
            position_ += headerSize + static_cast<size_t>(dataSize);
            entry = std::move(e);
            return kOk;
        }
        // Comments, recovery records and the like: skipped with their data.
        if (dataSize > left - headerSize) return kBadArchive;
        position_ += headerSize + static_cast<size_t>(dataSize);
    }
}

int Reader::Data(const Entry& entry, const uint8_t*& data, size_t& size) const
{
    if (entry.flags & (kFileSplitBefore | kFileSplitAfter | kFileEncrypted)) return kUnknownFormat;
    if (entry.method != kMethodStore) return kUnknownFormat;
    if (entry.packSize != entry.unpackSize) return kBadData;
    if (entry.dataOffset > bytes_.size() || entry.packSize > bytes_.size() - entry.dataOffset) return kBadArchive;
    data = bytes_.data() + entry.dataOffset;
    size = static_cast<size_t>(entry.packSize);
    if (Crc32(data, size) != entry.fileCrc) return kBadData;
    return kOk;
}

int ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes)
{
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return kOpenError;
    int result = kOk;
    if (std::fseek(file, 0, SEEK_END) != 0) result = kReadError;
    const long end = result == kOk ? std::ftell(file) : -1;
    if (end < 0 || std::fseek(file, 0, SEEK_SET) != 0) result = kReadError;
    if (result == kOk && static_cast<uint64_t>(end) > kMaxArchive) result = kNoMemory;
    if (result == kOk) {
        try {
            bytes.resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc&) {
            result = kNoMemory;
        }
    }
    if (result == kOk && !bytes.empty() && std::fread(bytes.data(), 1, bytes.size(), file) != bytes.size()) {
        result = kReadError;
    }
    std::fclose(file);
    return result;
}

}  // namespace rar4
