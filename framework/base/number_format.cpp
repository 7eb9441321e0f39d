// Number printing: thousands separators, hexadecimal styles, bit strings.
#include <cinttypes>
#include <cstdio>
#include <cstring>

#include "framework/base/text_utils.h"

namespace {

// Copies the decimal digits of digits into buffer with "," before every
// group of three counted from the right.
char* GroupThousands(char* buffer, const char* digits)
{
    size_t n = strlen(digits);
    char* out = buffer;
    for (size_t i = 0; i < n; ++i) {
        *out++ = digits[i];
        size_t left = n - i - 1;
        if (left != 0 && left % 3 == 0)
            *out++ = ',';
    }
    *out = 0;
    return buffer;
}

}  // namespace

char* FormatThousands(char* buffer, uint32_t value)
{
    char digits[16];
    snprintf(digits, sizeof digits, "%" PRIu32, value);
    return GroupThousands(buffer, digits);
}

char* FormatThousands64(char* buffer, uint64_t value)
{
    char digits[32];
    snprintf(digits, sizeof digits, "%" PRIu64, value);
    return GroupThousands(buffer, digits);
}

sstr ThousandsText(uint32_t value)
{
    char buffer[32];
    return sstr(FormatThousands(buffer, value));
}

char* FormatAsmHex(char* buffer, uint32_t value)
{
    char hex[16];
    snprintf(hex, sizeof hex, "%" PRIX32, value);
    const char* lead = hex[0] >= 'A' && hex[0] <= 'F' ? "0" : "";
    const char* suffix = value >= 10 ? "H" : "";
    sprintf(buffer, "%s%s%s", lead, hex, suffix);
    return buffer;
}

char* FormatHex0x(char* buffer, uint32_t value)
{
    sprintf(buffer, value >= 10 ? "0x%" PRIX32 : "%" PRIX32, value);
    return buffer;
}

char* FormatHex0x64(char* buffer, uint64_t value)
{
    bool prefix = (value >> 32) != 0 || value > 9;
    sprintf(buffer, prefix ? "0x%" PRIX64 : "%" PRIX64, value);
    return buffer;
}

sstr Hex0x64Text(uint64_t value)
{
    char buffer[32];
    return sstr(FormatHex0x64(buffer, value));
}

sstr HexWidthText(uint32_t widthCode, uint32_t value)
{
    if (widthCode == 1)
        return sstr::Format("0x%02" PRIX32, value);
    if (widthCode == 2)
        return sstr::Format("0x%04" PRIX32, value);
    return sstr::Format("0x%08" PRIX32, value);
}

uint32_t FormatBits(uint32_t type, uint64_t value, char* buffer)
{
    uint32_t count = 1;
    switch (type) {
    case BITS_BYTE: count = 8; break;
    case BITS_WORD: count = 16; break;
    case BITS_DWORD: count = 32; break;
    case BITS_QWORD: count = 64; break;
    default: break;
    }
    for (uint32_t i = 0; i < count; ++i)
        buffer[i] = ((value >> (count - 1 - i)) & 1) ? '1' : '0';
    buffer[count] = 0;
    return count;
}

bool IsNotFinite(bool withInfinity, uint32_t highWord)
{
    uint32_t exponent = (highWord >> 20) & 0x7FF;
    uint32_t mantissa = highWord & 0xFFFFF;
    return exponent == 0x7FF && (mantissa != 0 || withInfinity);
}
