// The framework's small text routines: character classes (code page 1251),
// identifiers, blanks, escapes, number parsing and printing, date and time
// text. Character tests index with unsigned char; <cctype> is not used.
#pragma once

#include <cstdint>

#include "framework/base/sstr.h"

struct _SYSTEMTIME;
struct _FILETIME;

// Character class bits.
enum : uint8_t {
    CC_IDENT_START = 0x01,   // A-Z a-z 0-9 _
    CC_IDENT = 0x02,         // the above and % ?
    CC_DOLLAR = 0x04,        // $
    CC_CYR1251 = 0x08,       // code page 1251 Cyrillic letters 0xC0-0xFF
    CC_CYR866 = 0x10,        // code page 866 Cyrillic letters 0x80-0xAF, 0xE0-0xEF
};

extern const uint8_t g_charClass[256];

// True when the character's entry has any bit of mask | 8 (the code page
// 1251 Cyrillic letters always count).
inline bool IsCharClass(uint8_t mask, char ch)
{
    return (g_charClass[static_cast<unsigned char>(ch)] & (mask | CC_CYR1251)) != 0;
}
// Tab, line feed, vertical tab, form feed, carriage return, blank.
inline bool IsBlank(char ch)
{
    return ch == ' ' || (ch >= '\t' && ch <= '\r');
}
inline bool IsDecDigit(char ch) { return ch >= '0' && ch <= '9'; }

// Code page 1251 aware upper case and case-blind comparison (Latin and
// Cyrillic letters, Ё/ё included); used by NCIstr and paths alike.
char ToUpper1251(char ch);
int CompareNoCase(const char* a, const char* b);

// Copies the identifier at text into out (size bytes including the NUL)
// and returns the pointer after it. A text starting with a digit, or an
// identifier that does not fit, leaves out empty and returns text.
const char* ReadIdentifier(const char* text, char* out, uint32_t size);

const char* SkipBlanks(const char* cursor);
char* SkipBlanks(char* cursor);
const unsigned char* SkipBlanks(const unsigned char* cursor);
// Removes leading white space and trailing blanks (only ' '), in place.
char* TrimBlanks(char* text);
char* TrimTrailingBlanks(char* text);
// Removes one trailing occurrence of ch.
char* RemoveTrailingChar(char* text, char ch);
// Removes every character of set from text.
char* RemoveChars(char* text, const char* set);
// n - 1 characters at most and a NUL; n == 0 copies nothing.
char* CopyBounded(char* destination, const char* source, uint32_t n);

// Decodes the escape after a backslash and advances cursor; at the end of
// the text nothing is consumed and NUL is returned.
char DecodeEscape(const char*& cursor);

// Decimal with "," between groups of three digits. Return buffer.
char* FormatThousands(char* buffer, uint32_t value);
char* FormatThousands64(char* buffer, uint64_t value);
sstr ThousandsText(uint32_t value);

bool StartsWith(const char* prefix, const char* text);
// sprintf at the end of the text in buffer (unbounded by design: callers
// size it); returns buffer.
char* AppendPrintf(char* buffer, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));

uint32_t ParseNumber(const char* text);
// As ParseNumber, and sets g_fwSettings.badNumber when the text is empty,
// only zeros (two or more), or has characters left after the number.
uint32_t ParseNumberChecked(const char* text);
// "0x"/"0X": hexadecimal, else decimal; 0 when nothing matches.
uint64_t Parse64(const char* text);

char* FormatAsmHex(char* buffer, uint32_t value);
char* FormatHex0x(char* buffer, uint32_t value);
char* FormatHex0x64(char* buffer, uint64_t value);
sstr Hex0x64Text(uint64_t value);
// Width code 1: "0x%02X", 2: "0x%04X", else "0x%08X".
sstr HexWidthText(uint32_t widthCode, uint32_t value);

// Bit types for FormatBits.
enum : uint32_t { BITS_BYTE = 0, BITS_WORD = 1, BITS_DWORD = 2, BITS_QWORD = 5 };
// '0'/'1' characters, most significant first; returns the count.
uint32_t FormatBits(uint32_t type, uint64_t value, char* buffer);

// Date-time flag bits.
enum : uint32_t {
    DT_DATE = 0x01,
    DT_MONTH_NAME = 0x02,
    DT_TIME = 0x04,
    DT_SECONDS = 0x08,
    DT_MILLISECONDS = 0x10,
    DT_SHORT_YEAR = 0x20,
    DT_NO_YEAR = 0x40,
    DT_ISO = 0x80,
    DT_DAY_FIRST = 0x100,
    DT_TWO_DIGIT_DAY = 0x200,
    DT_FULL_MONTH = 0x400,
    DT_DOTS = 0x800,
    DT_STORED_FORM = 15,
};
// Month name tables, index 0 "?"; the Russian ones in code page 1251.
extern const char* const g_monthShortEn[13];
extern const char* const g_monthFullEn[13];
extern const char* const g_monthShortRu[13];
extern const char* const g_monthFullRu[13];

// buffer must hold 64 bytes. Returns buffer.
char* FormatDateTime(uint32_t flags, const _SYSTEMTIME& time, char* buffer);
char* FormatDateTime(uint32_t flags, const _FILETIME& time, char* buffer);

// Exponent all ones and mantissa non-zero (NaN); with withInfinity also a
// zero mantissa. Only the high word of the double is examined.
bool IsNotFinite(bool withInfinity, uint32_t highWord);
