// Backslash escapes.
#include "framework/base/text_utils.h"

namespace {

// Value of a hexadecimal digit, -1 for any other character.
int HexValue(char c)
{
    if (IsDecDigit(c))
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace

char DecodeEscape(const char*& cursor)
{
    if (cursor == nullptr || *cursor == 0)
        return 0;  // a backslash at the end of the text: nothing to consume
    char c = *cursor;
    switch (c) {
    case 'n': ++cursor; return '\n';
    case 't': ++cursor; return '\t';
    case 'v': ++cursor; return '\v';
    case 'b': ++cursor; return '\b';
    case 'r': ++cursor; return '\r';
    case 'f': ++cursor; return '\f';
    case '\\': ++cursor; return '\\';
    case '\'': ++cursor; return '\'';
    case '"': ++cursor; return '"';
    case '0': ++cursor; return 0;
    default: break;
    }
    if (c == 'x') {
        // Two characters after the x, or what is left before the end.
        char digits[3] = {};
        ++cursor;
        for (int i = 0; i < 2 && *cursor != 0; ++i)
            digits[i] = *cursor++;
        // As strtoul would read them: up to the first non-hexadecimal one.
        uint32_t value = 0;
        for (int i = 0; i < 2 && HexValue(digits[i]) >= 0; ++i)
            value = value * 16 + static_cast<uint32_t>(HexValue(digits[i]));
        return static_cast<char>(value);
    }
    if (c >= '1' && c <= '7') {
        // Up to nine octal digits; a digit 8 or 9 ends the number and stays
        // in the text. (\8 and \9 stand for themselves below.)
        uint32_t value = 0;
        for (int i = 0; i < 9 && *cursor >= '0' && *cursor <= '7'; ++i)
            value = value * 8 + static_cast<uint32_t>(*cursor++ - '0');
        return static_cast<char>(value & 0xFF);
    }
    ++cursor;
    return c;
}
