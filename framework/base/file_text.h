// A text file over a C stream, with an optional local working copy for
// files on network drives.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/base/file_temp.h"

class PTextFile {
public:
    // `tempCopy`: on a network drive work on a local copy (read modes get
    // the file's contents first; write modes copy it back on Close).
    // `extra` is appended on its own line to error messages; `quiet` shows none.
    PTextFile(bool tempCopy, const char* extra, bool quiet, const char* mode, const char* name);
    ~PTextFile();
    PTextFile(const PTextFile&) = delete;
    PTextFile& operator=(const PTextFile&) = delete;

    bool IsOpen() const { return stream_ != nullptr; }
    FILE* Stream() const { return stream_; }
    // fgets of `size` bytes (NUL included), cut at the first line feed.
    // False at the end or when not open.
    bool ReadLine(uint32_t size, char* buffer);
    // False when the working copy could not be copied back (reported).
    bool Close();
    uint32_t LinesRead() const { return lines_; }
    const char* Name() const { return name_.c_str(); }
    bool UsesWorkingCopy() const { return temp_ != nullptr; }

    // The drive-type query (GetDriveTypeA by default); tests replace it to
    // present a network drive.
    using DriveTypeSource = unsigned (*)(const char* root);
    static void SetDriveTypeSource(DriveTypeSource source);

private:
    // `kept`: the working copy left behind after a failed copy back.
    void ReportFailure(bool reading, const char* kept = nullptr);
    FILE* stream_ = nullptr;
    uint32_t lines_ = 0;
    std::string name_;
    std::string mode_;
    std::string extra_;
    TempFile* temp_ = nullptr;
    bool quiet_;
    bool writesBack_ = false;
};

struct PTextLine {
    std::string text;
    uint32_t line;  // 0-based number of the line read
};

// The lines of a text file, read quietly; blank lines (white space only) are
// kept only when asked.
class PTextFileLines {
public:
    PTextFileLines(bool keepBlank, const char* name);
    bool IsOpen() const { return open_; }
    uint32_t Count() const { return static_cast<uint32_t>(lines_.size()); }
    const PTextLine& operator[](uint32_t i) const { return lines_[i]; }
    uint32_t LinesRead() const { return linesRead_; }

private:
    std::vector<PTextLine> lines_;
    uint32_t linesRead_ = 0;
    bool open_ = false;
};
