// The entry a directory walk records by default: a full path and a
// directory flag. Directories sort before files, then names without regard
// to case.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PDirFile {
    std::string name;  // full path of the entry
    bool isDir;
    uint64_t size;

    bool IsEqual(const PDirFile& other) const;
    bool IsGreater(const PDirFile& other) const;
};

class PDirFileList {
public:
    void Add(const PDirFile& entry) { items_.push_back(entry); }
    void Sort();
    uint32_t Count() const { return static_cast<uint32_t>(items_.size()); }
    const PDirFile& operator[](uint32_t i) const { return items_[i]; }
    void Clear() { items_.clear(); }

private:
    std::vector<PDirFile> items_;
};
