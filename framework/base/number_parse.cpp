// Number parsing in the styles of the configuration files and dialogs.
#include <cstdlib>
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/base/text_utils.h"

namespace {

// The text strtoul reads, with where it stopped. Leading blanks go first so
// that " 010" is decimal like "010".
uint32_t ParseWithEnd(const char* text, const char** end)
{
    *end = text;
    if (text == nullptr || *text == 0)
        return 0;
    const char* p = SkipBlanks(text);
    if (*p == 0) {
        *end = p;
        return 0;
    }
    if (IsDecDigit(p[0]) && p[1] == 0) {
        *end = p + 1;
        return static_cast<uint32_t>(p[0] - '0');
    }
    if (p[1] != 'x' && p[1] != 'X') {
        // A leading zero does not mean octal.
        while (*p == '0')
            ++p;
    }
    if (*p == 0) {
        *end = p;
        return 0;
    }
    char* stop = nullptr;
    uint32_t value = static_cast<uint32_t>(strtoul(p, &stop, 0));
    *end = stop;
    return value;
}

bool OnlyZeros(const char* text)
{
    size_t n = 0;
    for (; text[n] == '0'; ++n) {
    }
    return n >= 2 && text[n] == 0;
}

}  // namespace

uint32_t ParseNumber(const char* text)
{
    const char* end = nullptr;
    return ParseWithEnd(text, &end);
}

uint32_t ParseNumberChecked(const char* text)
{
    const char* end = nullptr;
    uint32_t value = ParseWithEnd(text, &end);
    bool bad = text == nullptr || *text == 0 || OnlyZeros(SkipBlanks(text)) || *end != 0;
    g_fwSettings.badNumber = bad ? 1 : 0;
    return value;
}

uint64_t Parse64(const char* text)
{
    if (text == nullptr)
        return 0;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return strtoull(text + 2, nullptr, 16);
    return strtoull(text, nullptr, 10);
}
