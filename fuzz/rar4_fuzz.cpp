// The archive reader behind the setup's unrar.dll stand-in on hostile
// archives. Input: a mode byte, then the rest.
//
// Mode bit 0 clear: the rest is an archive's bytes. Oracles: the sanitizers;
// the entry walk ends within one entry per header's worth of bytes; an
// entry's data lies inside the archive; data handed out as good has the
// entry's size and CRC; a name that passes the safety check is relative and
// holds no ".." level.
// Mode bit 0 set: the rest is split at 0x00 bytes into names and contents of
// entries that the writer puts into an archive, spoiled as bits 1-5 say
// (a data CRC, a header CRC, the main header's CRC, a compressed entry, the
// archive cut short). Oracles: an archive the writer made unspoiled reads
// back exactly as written; a spoiled one never hands out the spoiled
// entry's data as good.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz/support/fuzz_check.h"
#include "setup/archive_names.h"
#include "sim/setup/rar4/rar4_format.h"
#include "sim/setup/rar4/rar4_writer.h"
#include "sim/setup/unrar/rar4_reader.h"

namespace {

using fuzz_support::check;

struct ReadBack {
    int openResult = rar4::kOk;
    int endResult = rar4::kOk;
    std::vector<rar4::Entry> entries;
    std::vector<int> dataResults;
    std::vector<std::string> data;
};

bool has_dot_dot_level(const std::string& name)
{
    size_t start = 0;
    while (start <= name.size()) {
        size_t end = name.find_first_of("\\/", start);
        if (end == std::string::npos) end = name.size();
        if (name.compare(start, end - start, "..") == 0) return true;
        start = end + 1;
    }
    return false;
}

ReadBack read_archive(const uint8_t* bytes, size_t size)
{
    ReadBack out;
    rar4::Reader reader;
    out.openResult = reader.Open(std::vector<uint8_t>(bytes, bytes + size));
    if (out.openResult != rar4::kOk) return out;
    // Every entry takes at least one base header of the archive's bytes.
    const size_t bound = size / rar4::kBaseHeader + 1;
    for (;;) {
        rar4::Entry entry;
        const int result = reader.Next(entry);
        if (result != rar4::kOk) {
            out.endResult = result;
            break;
        }
        check(out.entries.size() < bound, "the entry walk runs past the archive's bytes");
        check(entry.dataOffset <= size && entry.packSize <= size - entry.dataOffset,
              "an entry's data lies outside the archive");
        if (entry.HasSafeName()) {
            check(!entry.name.empty() && entry.name[0] != '\\' && entry.name[0] != '/' &&
                      entry.name.find(':') == std::string::npos && !has_dot_dot_level(entry.name),
                  "a name passed as safe leaves the destination folder");
            check(entry.name.size() <= kMaxEntryName, "a name passed as safe is too long");
        }
        const uint8_t* data = nullptr;
        size_t dataSize = 0;
        const int dataResult = reader.Data(entry, data, dataSize);
        if (dataResult == rar4::kOk) {
            check(dataSize == entry.unpackSize, "good data of another size than the entry's");
            check(rar4::Crc32(data, dataSize) == entry.fileCrc, "good data that fails its CRC");
            out.data.emplace_back(reinterpret_cast<const char*>(data), dataSize);
        } else {
            out.data.emplace_back();
        }
        out.dataResults.push_back(dataResult);
        out.entries.push_back(std::move(entry));
    }
    return out;
}

std::vector<rar4::WriterItem> split_items(const uint8_t* bytes, size_t size)
{
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (bytes[i] == 0)
            parts.emplace_back();
        else
            parts.back().push_back(static_cast<char>(bytes[i]));
    }
    std::vector<rar4::WriterItem> items;
    for (size_t i = 0; i + 1 < parts.size() && items.size() < 16; i += 2) {
        rar4::WriterItem item;
        item.name = parts[i];
        item.bytes = parts[i + 1];
        item.folder = !item.name.empty() && item.name.back() == '\\';
        if (item.folder) {
            item.name.pop_back();
            item.bytes.clear();
        }
        items.push_back(std::move(item));
    }
    return items;
}

void round_trip(uint8_t mode, const uint8_t* bytes, size_t size)
{
    std::vector<rar4::WriterItem> items = split_items(bytes, size);
    if (items.empty()) return;
    const uint32_t spoiled = 1 + (size > 0 ? bytes[size - 1] : 0) % items.size();
    rar4::WriterOptions options;
    if (mode & 0x02) options.badDataCrcEntry = spoiled;
    if (mode & 0x04) options.badHeaderCrcEntry = spoiled;
    if (mode & 0x08) options.badMainHeaderCrc = true;
    if (mode & 0x10) options.compressedEntry = spoiled;
    std::string archive;
    std::string error;
    if (!rar4::WriteArchive(items, options, archive, error)) return;
    if (mode & 0x20) options.truncateTo = archive.size() * (size % 97) / 97;
    if (options.truncateTo < archive.size()) archive.resize(options.truncateTo);

    const ReadBack back = read_archive(reinterpret_cast<const uint8_t*>(archive.data()), archive.size());
    const bool clean = (mode & 0x3E) == 0;
    if (clean) {
        check(back.openResult == rar4::kOk, "the writer's archive does not open");
        check(back.endResult == rar4::kEndArchive, "the writer's archive does not end cleanly");
        check(back.entries.size() == items.size(), "the writer's entries do not all read back");
        for (size_t i = 0; i < items.size() && i < back.entries.size(); ++i) {
            std::string written = items[i].name;  // the writer stores "/" as "\"
            for (char& c : written)
                if (c == '/') c = '\\';
            check(back.entries[i].name == written, "an entry's name reads back changed");
            check(back.entries[i].IsDirectory() == items[i].folder, "a folder entry reads back as a file");
            if (!items[i].folder) {
                check(back.dataResults[i] == rar4::kOk, "an entry's data does not read back");
                check(back.data[i] == items[i].bytes, "an entry's data reads back changed");
            }
        }
        return;
    }
    const size_t index = spoiled - 1;
    if ((mode & (0x02 | 0x10)) && index < back.entries.size()) {
        check(back.dataResults[index] != rar4::kOk || items[index].folder,
              "a spoiled entry's data handed out as good");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const uint8_t mode = data[0];
    if ((mode & 1) == 0)
        read_archive(data + 1, size - 1);
    else
        round_trip(mode, data + 1, size - 1);
    return 0;
}
