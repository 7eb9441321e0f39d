// A temporary file that deletes itself when asked to.
#pragma once

#include "framework/base/path.h"

class TempFile {
public:
    // `name` inside the temporary folder (not created).
    TempFile(const char* name, bool deleteOnClose);
    // A new unique file (GetTempFileNameA, empty prefix) in the temporary
    // folder, or in `folder`; the file is created. Empty path on failure.
    explicit TempFile(bool deleteOnClose);
    TempFile(const char* folder, bool deleteOnClose, int);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;

    const PPath& Path() const { return path_; }
    const char* Text() const { return path_.Text(); }
    void SetDelete(bool on) { delete_ = on; }

private:
    PPath path_;
    bool delete_;
};
