#include "sim/setup/rar4/rar4_writer.h"

#include <cstdio>

#include "setup/archive_names.h"
#include "sim/setup/rar4/rar4_format.h"

namespace rar4 {
namespace {

// 2011-12-06 09:05:06 as an MS-DOS date and time: archives come out the
// same on every run.
constexpr uint32_t kFixedTime = ((2011u - 1980u) << 25) | (12u << 21) | (6u << 16) | (9u << 11) | (5u << 5) | 3u;

void Put16(std::string& out, uint32_t v)
{
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}

void Put32(std::string& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// Fills in the CRC of the header at `start`, wrong on request.
void SealHeader(std::string& out, size_t start, bool wrong)
{
    const auto* header = reinterpret_cast<const uint8_t*>(out.data() + start);
    uint16_t crc = HeaderCrc(header, out.size() - start);
    if (wrong) crc ^= 0x5A5A;
    out[start] = static_cast<char>(crc & 0xFF);
    out[start + 1] = static_cast<char>(crc >> 8);
}

}  // namespace

bool WriteArchive(const std::vector<WriterItem>& items, const WriterOptions& options, std::string& out,
                  std::string& error)
{
    out.assign(reinterpret_cast<const char*>(kMarker), sizeof kMarker);
    size_t start = out.size();
    Put16(out, 0);
    out += static_cast<char>(kBlockMain);
    Put16(out, 0);
    Put16(out, kMainHeaderSize);
    Put16(out, 0);
    Put32(out, 0);
    SealHeader(out, start, options.badMainHeaderCrc);

    for (size_t i = 0; i < items.size(); ++i) {
        const WriterItem& item = items[i];
        const uint32_t number = static_cast<uint32_t>(i + 1);
        std::string name = item.name;
        if (!options.rawNames) {
            for (char& c : name) {
                if (c == '/') c = '\\';
            }
            if (!IsSafeEntryName(name.c_str())) {
                error = "unsafe entry name: " + item.name;
                return false;
            }
        }
        if (name.empty() || name.size() > 0xFFFF - kFileHeaderFixed) {
            error = "entry name of unusable length";
            return false;
        }
        if (item.bytes.size() > 0xFFFFFFFFu) {
            error = "entry over 4 GiB: " + item.name;
            return false;
        }
        const std::string& data = item.folder ? std::string() : item.bytes;
        uint32_t crc = Crc32(reinterpret_cast<const uint8_t*>(data.data()), data.size());
        if (number == options.badDataCrcEntry) crc ^= 0xFFFFFFFFu;
        start = out.size();
        Put16(out, 0);
        out += static_cast<char>(kBlockFile);
        Put16(out, kLongBlock | (item.folder ? kFileDirectoryMask : 0));
        Put16(out, static_cast<uint32_t>(kFileHeaderFixed + name.size()));
        Put32(out, static_cast<uint32_t>(data.size()));  // packed = unpacked: stored
        Put32(out, static_cast<uint32_t>(data.size()));
        out += static_cast<char>(kHostWin32);
        Put32(out, crc);
        Put32(out, kFixedTime);
        out += static_cast<char>(kUnpackVersion);
        out += static_cast<char>(number == options.compressedEntry ? kMethodStore + 3 : kMethodStore);
        Put16(out, static_cast<uint32_t>(name.size()));
        Put32(out, item.folder ? kAttrDirectory : kAttrArchive);
        out += name;
        SealHeader(out, start, number == options.badHeaderCrcEntry);
        out += data;
    }

    start = out.size();
    Put16(out, 0);
    out += static_cast<char>(kBlockEnd);
    Put16(out, kEndFlags);
    Put16(out, kBaseHeader);
    SealHeader(out, start, false);
    if (options.truncateTo < out.size()) out.resize(options.truncateTo);
    return true;
}

bool WriteArchiveFile(const std::string& path, const std::vector<WriterItem>& items, const WriterOptions& options,
                      std::string& error)
{
    std::string bytes;
    if (!WriteArchive(items, options, bytes, error)) return false;
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot create " + path;
        return false;
    }
    const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (std::fclose(file) != 0 || !ok) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace rar4
