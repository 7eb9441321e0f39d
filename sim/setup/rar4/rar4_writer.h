// Writes stored (uncompressed) RAR 4 archives from a list of entries, and
// the damaged variants that the extraction is tested against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rar4 {

struct WriterItem {
    std::string name;   // "\"-separated; "/" is written as "\" unless raw
    std::string bytes;  // the file's content
    bool folder = false;
};

// Entry numbers count from 1 in the order of the list; 0 means none.
struct WriterOptions {
    uint32_t badDataCrcEntry = 0;    // a wrong data CRC in this entry
    uint32_t badHeaderCrcEntry = 0;  // a wrong header CRC in this entry
    bool badMainHeaderCrc = false;
    uint32_t compressedEntry = 0;    // this entry claims a compression method
    bool rawNames = false;           // names as given: "..", drives, "/"
    size_t truncateTo = SIZE_MAX;    // the archive cut to this many bytes
};

// The archive's bytes; false with `error` set for an entry the writer will
// not write (an unsafe name without rawNames, a name of 0 or over 65535
// bytes, content over 4 GiB).
bool WriteArchive(const std::vector<WriterItem>& items, const WriterOptions& options, std::string& out,
                  std::string& error);
bool WriteArchiveFile(const std::string& path, const std::vector<WriterItem>& items, const WriterOptions& options,
                      std::string& error);

}  // namespace rar4
