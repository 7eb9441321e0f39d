// A path split into drive, directory, name and extension (260 bytes each).
#pragma once

#include <cstdint>

constexpr uint32_t kSplitSize = 260;

class PSplitPath {
public:
    // Without `asGiven` the path is first made absolute. A path longer than
    // 259 characters gives an empty, invalid split.
    PSplitPath(bool asGiven, const char* path);

    bool IsValid() const { return valid_; }
    const char* Drive() const { return drive_; }
    const char* Dir() const { return dir_; }
    const char* Name() const { return name_; }
    const char* Ext() const { return ext_; }  // with its dot, as _splitpath gives it
    const char* Path() const { return path_; }

    // The absolute path (made on demand for an as-given path) into out.
    bool FullPath(char* out, uint32_t size) const;
    bool NameExt(char* out, uint32_t size) const;
    // Drive and directory, a trailing "\" or "/" removed unless it follows ":".
    bool Folder(char* out, uint32_t size) const;

private:
    char drive_[kSplitSize] = {};
    char dir_[kSplitSize] = {};
    char name_[kSplitSize] = {};
    char ext_[kSplitSize] = {};
    char path_[kSplitSize] = {};
    bool asGiven_;
    bool valid_ = false;
};
