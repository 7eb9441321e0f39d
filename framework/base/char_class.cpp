// The character class table (code page 1251 text) and the case-blind
// comparison built on the same code page.
#include <array>

#include "framework/base/text_utils.h"

namespace {

constexpr std::array<uint8_t, 256> BuildTable()
{
    std::array<uint8_t, 256> t{};
    for (int c = 'A'; c <= 'Z'; ++c)
        t[c] = CC_IDENT_START | CC_IDENT;
    for (int c = 'a'; c <= 'z'; ++c)
        t[c] = CC_IDENT_START | CC_IDENT;
    for (int c = '0'; c <= '9'; ++c)
        t[c] = CC_IDENT_START | CC_IDENT;
    t['_'] = CC_IDENT_START | CC_IDENT;
    t['%'] = CC_IDENT;
    t['?'] = CC_IDENT;
    t['$'] = CC_DOLLAR;
    for (int c = 0x80; c <= 0xAF; ++c)
        t[c] = CC_CYR866;
    for (int c = 0xC0; c <= 0xDF; ++c)
        t[c] = CC_CYR1251;
    for (int c = 0xE0; c <= 0xEF; ++c)
        t[c] = CC_CYR1251 | CC_CYR866;
    for (int c = 0xF0; c <= 0xFF; ++c)
        t[c] = CC_CYR1251;
    return t;
}

constexpr std::array<uint8_t, 256> kTable = BuildTable();

}  // namespace

constinit const uint8_t g_charClass[256] = {
#define ROW(i) kTable[i], kTable[i + 1], kTable[i + 2], kTable[i + 3], kTable[i + 4], kTable[i + 5], kTable[i + 6], kTable[i + 7]
#define ROWS(i) ROW(i), ROW(i + 8), ROW(i + 16), ROW(i + 24)
    ROWS(0), ROWS(32), ROWS(64), ROWS(96), ROWS(128), ROWS(160), ROWS(192), ROWS(224)
#undef ROWS
#undef ROW
};

char ToUpper1251(char ch)
{
    unsigned char c = static_cast<unsigned char>(ch);
    if (c >= 'a' && c <= 'z')
        return static_cast<char>(c - 0x20);
    if (c >= 0xE0)  // а-я
        return static_cast<char>(c - 0x20);
    if (c == 0xB8)  // ё
        return static_cast<char>(0xA8);
    return ch;
}

int CompareNoCase(const char* a, const char* b)
{
    for (;; ++a, ++b) {
        unsigned char x = static_cast<unsigned char>(ToUpper1251(*a));
        unsigned char y = static_cast<unsigned char>(ToUpper1251(*b));
        if (x != y)
            return x < y ? -1 : 1;
        if (x == 0)
            return 0;
    }
}

const char* ReadIdentifier(const char* text, char* out, uint32_t size)
{
    if (out != nullptr && size != 0)
        out[0] = 0;
    if (text == nullptr || out == nullptr || size == 0 || IsDecDigit(*text))
        return text;
    uint32_t n = 0;
    while (text[n] != 0 && IsCharClass(CC_IDENT_START, text[n]))
        ++n;
    // An identifier that does not fit is refused rather than cut: a cut
    // name could name a different entry.
    if (n >= size)
        return text;
    for (uint32_t i = 0; i < n; ++i)
        out[i] = text[i];
    out[n] = 0;
    return text + n;
}
