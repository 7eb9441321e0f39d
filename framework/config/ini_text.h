// The framework's text routines (framework/base/text_utils.h) in the forms
// the configuration engine uses them: on std::string, with the engine's
// NUL-ends-the-text rule for escapes. Nothing here decides a rule of its
// own. Internal to framework/config.
#pragma once

#include <cstdint>
#include <string>

namespace ini_text {

// Identifier characters of the framework's character class 1 (letters,
// digits, "_" and the code page 1251 Cyrillic letters).
bool IsIdentChar(unsigned char ch);
// Tab, line feed, vertical tab, form feed, carriage return, blank.
bool IsSpace(unsigned char ch);
bool IsLatinOrDigit(unsigned char ch);

// Leading white space and trailing blanks removed.
void TrimBlanks(std::string& text);

// Reads an identifier at p into out; a leading digit gives none.
const char* ReadIdentifier(const char* p, std::string& out);
const char* SkipBlanks(const char* p);

// The framework's ParseNumber and Parse64.
uint32_t ParseNumber(const char* text);
uint64_t Parse64(const char* text);

// Decodes every backslash escape in text with the framework's DecodeEscape;
// a decoded NUL ends the text.
std::string DecodeEscapes(const std::string& text);

// Copies at most size - 1 bytes and a NUL (size > 0).
void CopyBounded(char* dest, size_t size, const char* src);

// Case-blind equality of the framework (code page 1251 aware).
bool EqualNoCase(const std::string& a, const std::string& b);

std::string Printf(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace ini_text
