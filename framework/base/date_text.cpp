// Date and time text steered by one flag word, with English and Russian
// month names (Russian in code page 1251 bytes).
#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/base/text_utils.h"

const char* const g_monthShortEn[13] = {
    "?", "Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec",
};
const char* const g_monthFullEn[13] = {
    "?", "January", "February", "March", "April", "May", "June",
    "July", "August", "September", "October", "November", "December",
};
const char* const g_monthShortRu[13] = {
    "?",
    "\xDF\xED\xE2" /* Янв */, "\xD4\xE5\xE2" /* Фев */, "\xCC\xE0\xF0" /* Мар */,
    "\xC0\xEF\xF0" /* Апр */, "\xCC\xE0\xE9" /* Май */, "\xC8\xFE\xED" /* Июн */,
    "\xC8\xFE\xEB" /* Июл */, "\xC0\xE2\xE3" /* Авг */, "\xD1\xE5\xED" /* Сен */,
    "\xCE\xEA\xF2" /* Окт */, "\xCD\xEE\xFF" /* Ноя */, "\xC4\xE5\xEA" /* Дек */,
};
const char* const g_monthFullRu[13] = {
    "?",
    "\xFF\xED\xE2\xE0\xF0\xFF" /* января */, "\xF4\xE5\xE2\xF0\xE0\xEB\xFF" /* февраля */,
    "\xEC\xE0\xF0\xF2\xE0" /* марта */, "\xE0\xEF\xF0\xE5\xEB\xFF" /* апреля */,
    "\xEC\xE0\xFF" /* мая */, "\xE8\xFE\xED\xFF" /* июня */, "\xE8\xFE\xEB\xFF" /* июля */,
    "\xE0\xE2\xE3\xF3\xF1\xF2\xE0" /* августа */, "\xF1\xE5\xED\xF2\xFF\xE1\xF0\xFF" /* сентября */,
    "\xEE\xEA\xF2\xFF\xE1\xF0\xFF" /* октября */, "\xED\xEE\xFF\xE1\xF0\xFF" /* ноября */,
    "\xE4\xE5\xEA\xE0\xE1\xF0\xFF" /* декабря */,
};

namespace {

constexpr size_t kTextSize = 64;

class DateTextOut {
public:
    explicit DateTextOut(char* buffer) : buffer_(buffer) { buffer_[0] = 0; }
    void Add(const char* format, ...) __attribute__((format(gnu_printf, 2, 3)))
    {
        size_t used = strlen(buffer_);
        if (used + 1 >= kTextSize)
            return;
        va_list args;
        va_start(args, format);
        vsnprintf(buffer_ + used, kTextSize - used, format, args);
        va_end(args);
    }

private:
    char* buffer_;
};

const char* MonthName(uint32_t flags, unsigned month)
{
    if (month > 12)
        return "?";
    bool russian = (flags & DT_DAY_FIRST) != 0;
    bool full = (flags & DT_FULL_MONTH) != 0;
    if (russian)
        return full ? g_monthFullRu[month] : g_monthShortRu[month];
    return full ? g_monthFullEn[month] : g_monthShortEn[month];
}

void AddDate(uint32_t flags, const SYSTEMTIME& t, DateTextOut& out)
{
    unsigned year = t.wYear;
    unsigned month = t.wMonth;
    unsigned day = t.wDay;
    if (flags & DT_ISO) {
        out.Add("%04u-%02u-%02u", year, month, day);
        return;
    }
    bool dayFirst = (flags & DT_DAY_FIRST) != 0;
    if (flags & DT_MONTH_NAME) {
        const char* name = MonthName(flags, month);
        bool twoDigit = (flags & DT_TWO_DIGIT_DAY) != 0;
        if (dayFirst)
            out.Add(twoDigit ? "%02u %s" : "%u %s", day, name);
        else
            out.Add(twoDigit ? "%s %02u" : "%s %u", name, day);
        if (flags & DT_NO_YEAR)
            return;
        if (!dayFirst)
            out.Add(",");
        if (flags & DT_SHORT_YEAR)
            out.Add(" %02u", year % 100);
        else
            out.Add(" %u", year);
        return;
    }
    if (dayFirst)
        out.Add("%02u-%02u-", day, month);
    else
        out.Add("%02u-%02u-", month, day);
    if (flags & DT_NO_YEAR)
        return;
    if (flags & DT_SHORT_YEAR)
        out.Add("%02u", year % 100);
    else
        out.Add("%u", year);
}

}  // namespace

char* FormatDateTime(uint32_t flags, const _SYSTEMTIME& time, char* buffer)
{
    DateTextOut out(buffer);
    if (flags & DT_DATE)
        AddDate(flags, time, out);
    if (flags & DT_TIME) {
        out.Add("%s%02u:%02u", (flags & DT_DATE) ? "  " : "", unsigned(time.wHour), unsigned(time.wMinute));
        if (flags & DT_SECONDS)
            out.Add(":%02u", unsigned(time.wSecond));
        // Three digits: 5 ms and 50 ms must not print alike.
        if (flags & DT_MILLISECONDS)
            out.Add(":%03u", unsigned(time.wMilliseconds));
    }
    if (flags & DT_DOTS) {
        for (char* p = buffer; *p != 0; ++p) {
            if (*p == '-')
                *p = '.';
        }
    }
    return buffer;
}

char* FormatDateTime(uint32_t flags, const _FILETIME& time, char* buffer)
{
    SYSTEMTIME st;
    if (!FileTimeToSystemTime(&time, &st)) {
        buffer[0] = 0;
        return buffer;
    }
    return FormatDateTime(flags, st, buffer);
}
