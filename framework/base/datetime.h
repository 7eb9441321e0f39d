// One moment in every form the program needs: UTC and local FILETIME and
// SYSTEMTIME, packed DOS date-time, OLE automation date and two texts.
// A conversion that fails leaves its output zeroed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <cstdio>
#include "framework/base/sstr.h"

class PDateTime {
public:
    PDateTime();  // now
    PDateTime(const SYSTEMTIME& time, bool utc);
    PDateTime(const FILETIME& time, bool utc);
    explicit PDateTime(const char* fileName);  // its last write time; zero when unreadable
    explicit PDateTime(FILE* stream);
    enum FdTag { kFd };
    PDateTime(FdTag, int fd);
    PDateTime(uint32_t packedDos, bool utc);  // date in the high 16 bits
    PDateTime(uint16_t dosDate, uint16_t dosTime, bool utc);
    explicit PDateTime(double oleDate);  // taken as UTC

    sstr Text(bool utc, uint32_t flags) const;
    sstr LocalText(uint32_t flags) const { return Text(false, flags); }
    // "YYYY-MM-DD_hh-mm-ss" of the local time.
    sstr Stamp() const;
    bool SetFileTime(const char* fileName) const;

    int64_t DiffMs(const PDateTime& other) const;
    int64_t DiffSeconds(const PDateTime& other) const;
    int64_t DiffMinutes(const PDateTime& other) const;
    int64_t DiffHours(const PDateTime& other) const;
    int64_t DiffDays(const PDateTime& other) const;

    const char* UtcText() const { return utcText_; }
    const char* LocalTextBuf() const { return localText_; }
    const SYSTEMTIME& UtcSystem() const { return utcSys_; }
    const SYSTEMTIME& LocalSystem() const { return localSys_; }
    const FILETIME& UtcFile() const { return utcFile_; }
    const FILETIME& LocalFile() const { return localFile_; }
    uint32_t UtcDos() const { return utcDos_; }
    uint16_t UtcDosDate() const { return utcDosDate_; }
    uint16_t UtcDosTime() const { return utcDosTime_; }
    uint32_t LocalDos() const { return localDos_; }
    uint16_t LocalDosDate() const { return localDosDate_; }
    uint16_t LocalDosTime() const { return localDosTime_; }
    double OleDate() const { return ole_; }

    // The local last-write time of a file; false when it could not be read.
    static bool LocalFileTimeOf(const char* fileName, FILETIME* out);

private:
    void SetFromFileTime(const FILETIME& time, bool utc);
    void SetFromHandle(HANDLE handle);
    int64_t Diff100ns(const PDateTime& other) const;

    char utcText_[32] = {};
    char localText_[32] = {};
    SYSTEMTIME utcSys_ = {};
    SYSTEMTIME localSys_ = {};
    FILETIME utcFile_ = {};
    FILETIME localFile_ = {};
    uint32_t utcDos_ = 0;
    uint16_t utcDosDate_ = 0;
    uint16_t utcDosTime_ = 0;
    uint32_t localDos_ = 0;
    uint16_t localDosDate_ = 0;
    uint16_t localDosTime_ = 0;
    double ole_ = 0;
};
