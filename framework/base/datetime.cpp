#include "framework/base/datetime.h"

#include <io.h>
#include <oleauto.h>

#include <cstdio>
#include <cstring>

#include "framework/base/file_utils.h"
#include "framework/base/text_utils.h"

namespace {

uint64_t Ticks(const FILETIME& t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; }

void MakeText(const SYSTEMTIME& time, char* out, size_t size)
{
    char buffer[64] = {};
    FormatDateTime(DT_STORED_FORM, time, buffer);
    snprintf(out, size, "%s", buffer);
}

// Zeroes what a failed conversion would leave undefined.
void ToDos(const FILETIME& time, uint32_t& packed, uint16_t& date, uint16_t& dosTime)
{
    WORD d = 0, t = 0;
    if (!FileTimeToDosDateTime(&time, &d, &t)) d = t = 0;
    date = d;
    dosTime = t;
    packed = (static_cast<uint32_t>(d) << 16) | t;
}

void ToSystem(const FILETIME& time, SYSTEMTIME& out)
{
    if (!FileTimeToSystemTime(&time, &out)) memset(&out, 0, sizeof out);
}

}  // namespace

PDateTime::PDateTime()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    SetFromFileTime(now, true);
}

PDateTime::PDateTime(const SYSTEMTIME& time, bool utc)
{
    FILETIME t = {};
    if (!SystemTimeToFileTime(&time, &t)) t = FILETIME{};
    SetFromFileTime(t, utc);
}

PDateTime::PDateTime(const FILETIME& time, bool utc) { SetFromFileTime(time, utc); }

PDateTime::PDateTime(const char* fileName)
{
    HANDLE h = OpenExisting(fileName);
    SetFromHandle(h);
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
}

PDateTime::PDateTime(FILE* stream) : PDateTime(kFd, stream ? _fileno(stream) : -1) {}

PDateTime::PDateTime(FdTag, int fd)
{
    intptr_t h = fd >= 0 ? _get_osfhandle(fd) : -1;
    SetFromHandle(h == -1 ? INVALID_HANDLE_VALUE : reinterpret_cast<HANDLE>(h));
}

PDateTime::PDateTime(uint32_t packedDos, bool utc)
    : PDateTime(static_cast<uint16_t>(packedDos >> 16), static_cast<uint16_t>(packedDos & 0xFFFF), utc)
{
}

PDateTime::PDateTime(uint16_t dosDate, uint16_t dosTime, bool utc)
{
    FILETIME t = {};
    if (!DosDateTimeToFileTime(dosDate, dosTime, &t)) t = FILETIME{};
    SetFromFileTime(t, utc);
}

PDateTime::PDateTime(double oleDate)
{
    SYSTEMTIME s = {};
    FILETIME t = {};
    if (!VariantTimeToSystemTime(oleDate, &s) || !SystemTimeToFileTime(&s, &t)) t = FILETIME{};
    SetFromFileTime(t, true);
    ole_ = oleDate;
}

void PDateTime::SetFromHandle(HANDLE handle)
{
    FILETIME t = {};
    if (handle == INVALID_HANDLE_VALUE || !GetFileTime(handle, nullptr, nullptr, &t)) t = FILETIME{};
    SetFromFileTime(t, true);
}

void PDateTime::SetFromFileTime(const FILETIME& time, bool utc)
{
    if (utc) {
        utcFile_ = time;
        // Time 0 west of UTC would go before 1601: keep the zero time.
        if (!FileTimeToLocalFileTime(&utcFile_, &localFile_)) localFile_ = FILETIME{};
    } else {
        localFile_ = time;
        if (!LocalFileTimeToFileTime(&localFile_, &utcFile_)) utcFile_ = FILETIME{};
    }
    ToSystem(utcFile_, utcSys_);
    ToSystem(localFile_, localSys_);
    ToDos(utcFile_, utcDos_, utcDosDate_, utcDosTime_);
    ToDos(localFile_, localDos_, localDosDate_, localDosTime_);
    double ole = 0;
    ole_ = SystemTimeToVariantTime(&utcSys_, &ole) ? ole : 0;
    MakeText(utcSys_, utcText_, sizeof utcText_);
    MakeText(localSys_, localText_, sizeof localText_);
}

sstr PDateTime::Text(bool utc, uint32_t flags) const
{
    char buffer[64] = {};
    FormatDateTime(flags, utc ? utcSys_ : localSys_, buffer);
    return sstr(buffer);
}

sstr PDateTime::Stamp() const
{
    return sstr::Format("%04u-%02u-%02u_%02u-%02u-%02u", localSys_.wYear, localSys_.wMonth, localSys_.wDay,
                        localSys_.wHour, localSys_.wMinute, localSys_.wSecond);
}

bool PDateTime::SetFileTime(const char* fileName) const
{
    if (!fileName) return false;
    HANDLE h = CreateFileA(fileName, GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    bool ok = ::SetFileTime(h, nullptr, nullptr, &utcFile_) != 0;
    CloseHandle(h);
    return ok;
}

int64_t PDateTime::Diff100ns(const PDateTime& other) const
{
    return static_cast<int64_t>(Ticks(utcFile_) - Ticks(other.utcFile_));
}

int64_t PDateTime::DiffMs(const PDateTime& o) const { return Diff100ns(o) / 10000LL; }
int64_t PDateTime::DiffSeconds(const PDateTime& o) const { return Diff100ns(o) / 10000000LL; }
int64_t PDateTime::DiffMinutes(const PDateTime& o) const { return Diff100ns(o) / 600000000LL; }
int64_t PDateTime::DiffHours(const PDateTime& o) const { return Diff100ns(o) / 36000000000LL; }
int64_t PDateTime::DiffDays(const PDateTime& o) const { return Diff100ns(o) / 864000000000LL; }

bool PDateTime::LocalFileTimeOf(const char* fileName, FILETIME* out)
{
    if (!out) return false;
    *out = FILETIME{};
    HANDLE h = OpenExisting(fileName);
    if (h == INVALID_HANDLE_VALUE) return false;
    FILETIME utc;
    bool ok = GetFileTime(h, nullptr, nullptr, &utc) && FileTimeToLocalFileTime(&utc, out);
    CloseHandle(h);
    if (!ok) *out = FILETIME{};
    return ok;
}
