// Text routines of the configuration engine: the identifier character class,
// trimming, number parsing and backslash escapes, in the forms the INI files
// use. Internal to framework/config.
#pragma once

#include <cstdint>
#include <string>

namespace ini_text {

// Letters, digits, "_" and the code page 1251 Cyrillic letters.
bool IsIdentChar(unsigned char ch);
bool IsSpace(unsigned char ch);
bool IsLatinOrDigit(unsigned char ch);

// Leading white space and trailing blanks (and the carriage returns a
// foreign line end leaves) removed.
void TrimBlanks(std::string& text);

// Reads an identifier at p into out; a leading digit gives none.
const char* ReadIdentifier(const char* p, std::string& out);
const char* SkipBlanks(const char* p);

// Decimal, or "0x" hexadecimal; leading zeros are not octal.
uint32_t ParseNumber(const char* text);
// "0x"/"0X" hexadecimal, else decimal.
uint64_t Parse64(const char* text);

// Decodes every backslash escape in text. A decoded NUL ends the text.
std::string DecodeEscapes(const std::string& text);

// Copies at most size - 1 bytes and a NUL (size > 0).
void CopyBounded(char* dest, size_t size, const char* src);

std::string Printf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace ini_text
