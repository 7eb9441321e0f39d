#include "setup/registry_values.h"

#include <cstdio>

namespace {

// Reads one decimal number at `p` (stopping at the first non-digit) and
// moves past that character, unless it is the end of the text.
uint32_t NextNumber(const char*& p)
{
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') {
        value = value * 10 + static_cast<uint32_t>(*p - '0');
        ++p;
    }
    if (*p) ++p;
    return value;
}

}  // namespace

VersionNumbers ParseVersionNumbers(const char* text)
{
    VersionNumbers v;
    if (!text) return v;
    const char* p = text;
    v.major = NextNumber(p);
    v.minor = NextNumber(p);
    v.build = NextNumber(p);
    return v;
}

uint32_t PackVersion(const VersionNumbers& v)
{
    return ((v.major & 0xFFu) << 24) | ((v.minor & 0xFFu) << 16) | (v.build & 0xFFFFu);
}

uint32_t EstimatedSizeKiB(uint64_t bytes)
{
    const uint64_t kib = bytes / 1024 + (bytes % 1024 ? 1 : 0);
    return kib > 0xFFFFFFFFull ? 0xFFFFFFFFu : static_cast<uint32_t>(kib);
}

std::string InstallDateText(const SYSTEMTIME& date)
{
    char text[16];
    snprintf(text, sizeof text, "%04u%02u%02u", static_cast<unsigned>(date.wYear) % 10000u,
             static_cast<unsigned>(date.wMonth) % 100u, static_cast<unsigned>(date.wDay) % 100u);
    return text;
}

std::string UninstallCommand(const char* targetDir)
{
    return std::string("\"") + (targetDir ? targetDir : "") + "\\unrigger.exe\"";
}
