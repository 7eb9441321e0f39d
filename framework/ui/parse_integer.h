// The dialogs' number parser: decimal, "0x" hexadecimal or a trailing "H",
// with a leading "-". An empty text, a lone "-" or "0x", any stray character
// and a value beyond 64 bits are errors; unless `quiet`, an error shows
// message 8055 with the text.
#pragma once

#include <cstdint>

struct ParsedInteger {
    uint64_t value = 0;  // two's complement for a negative number
    bool error = true;
};

ParsedInteger ParseInteger(bool quiet, const char* text);
// Reads a string of '0' and '1' (at most 64); false on anything else.
bool ParseBitString(const char* text, uint64_t& value);
