#include "framework/config/ini_text.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/base/text_utils.h"

namespace ini_text {

bool IsIdentChar(unsigned char ch) { return IsCharClass(CC_IDENT_START, static_cast<char>(ch)); }

bool IsSpace(unsigned char ch) { return IsBlank(static_cast<char>(ch)); }

bool IsLatinOrDigit(unsigned char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || IsDecDigit(static_cast<char>(ch));
}

void TrimBlanks(std::string& text) {
  size_t start = 0;
  while (start < text.size() && IsBlank(text[start])) ++start;
  size_t end = text.size();
  while (end > start && text[end - 1] == ' ') --end;
  text = text.substr(start, end - start);
}

const char* ReadIdentifier(const char* p, std::string& out) {
  out.clear();
  if (IsDecDigit(*p)) return p;
  const char* end = p;
  while (*end && IsCharClass(CC_IDENT_START, *end)) ++end;
  out.assign(p, end);
  return end;
}

const char* SkipBlanks(const char* p) { return ::SkipBlanks(p); }

uint32_t ParseNumber(const char* text) { return ::ParseNumber(text); }

uint64_t Parse64(const char* text) { return ::Parse64(text); }

std::string DecodeEscapes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  // The text ends at its first NUL, as a C string would.
  const char* p = text.c_str();
  while (*p) {
    if (*p != '\\' || p[1] == 0) {
      out += *p++;
      continue;
    }
    ++p;
    const char c = DecodeEscape(p);
    if (c == 0) break;  // "\0", "\x00" and the like end the text
    out += c;
  }
  return out;
}

void CopyBounded(char* dest, size_t size, const char* src) {
  ::CopyBounded(dest, src, static_cast<uint32_t>(std::min<uint64_t>(size, UINT32_MAX)));
}

bool EqualNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && CompareNoCase(a.c_str(), b.c_str()) == 0;
}

std::string Printf(const char* format, ...) {
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  std::string out;
  if (n > 0) {
    std::vector<char> buf(static_cast<size_t>(n) + 1);
    std::vsnprintf(buf.data(), buf.size(), format, args);
    out.assign(buf.data(), static_cast<size_t>(n));
  }
  va_end(args);
  return out;
}

}  // namespace ini_text
