#include "framework/config/ini_text.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace ini_text {

bool IsIdentChar(unsigned char ch) {
  if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_')
    return true;
  return ch >= 0xC0;  // code page 1251 Cyrillic letters always count
}

bool IsSpace(unsigned char ch) {
  return ch == ' ' || ch == '\t' || ch == '\n' || ch == '\v' || ch == '\f' || ch == '\r';
}

bool IsLatinOrDigit(unsigned char ch) {
  return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9');
}

void TrimBlanks(std::string& text) {
  size_t start = 0;
  while (start < text.size() && IsSpace(static_cast<unsigned char>(text[start]))) ++start;
  size_t end = text.size();
  while (end > start && (text[end - 1] == ' ' || text[end - 1] == '\r')) --end;
  text = text.substr(start, end - start);
}

const char* ReadIdentifier(const char* p, std::string& out) {
  out.clear();
  if (*p >= '0' && *p <= '9') return p;
  while (*p && IsIdentChar(static_cast<unsigned char>(*p))) out += *p++;
  return p;
}

const char* SkipBlanks(const char* p) {
  while (*p && IsSpace(static_cast<unsigned char>(*p))) ++p;
  return p;
}

uint32_t ParseNumber(const char* text) {
  if (!text || !*text) return 0;
  if (text[0] >= '0' && text[0] <= '9' && text[1] == '\0') return static_cast<uint32_t>(text[0] - '0');
  const char* p = text;
  if (!(p[1] == 'x' || p[1] == 'X')) {
    while (*p == '0') ++p;
  }
  return static_cast<uint32_t>(std::strtoul(p, nullptr, 0));
}

uint64_t Parse64(const char* text) {
  if (!text) return 0;
  if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) return std::strtoull(text + 2, nullptr, 16);
  return std::strtoull(text, nullptr, 10);
}

namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

std::string DecodeEscapes(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '\0') break;
    if (c != '\\' || i + 1 >= text.size()) {
      out += c;
      continue;
    }
    const char e = text[++i];
    switch (e) {
      case 'n': c = '\n'; break;
      case 't': c = '\t'; break;
      case 'v': c = '\v'; break;
      case 'b': c = '\b'; break;
      case 'r': c = '\r'; break;
      case 'f': c = '\f'; break;
      case '0': return out;  // a NUL ends the text
      case 'x': {
        // Two characters are consumed; the number is what strtoul reads of them.
        unsigned value = 0;
        bool digits = true;
        for (int taken = 0; taken < 2 && i + 1 < text.size() && text[i + 1] != '\0'; ++taken) {
          const int d = HexDigit(text[++i]);
          if (d < 0) digits = false;
          if (digits) value = value * 16 + static_cast<unsigned>(d);
        }
        if (value == 0) return out;
        c = static_cast<char>(value);
        break;
      }
      default:
        if (e >= '1' && e <= '9') {
          std::string run(1, e);
          while (run.size() < 9 && i + 1 < text.size() && text[i + 1] >= '0' && text[i + 1] <= '9') run += text[++i];
          const unsigned long value = std::strtoul(run.c_str(), nullptr, 8);
          if ((value & 0xFF) == 0) return out;
          c = static_cast<char>(value & 0xFF);
        } else {
          c = e;  // \\ \' \" and any other character stand for themselves
        }
        break;
    }
    out += c;
  }
  return out;
}

void CopyBounded(char* dest, size_t size, const char* src) {
  if (size == 0) return;
  size_t n = std::strlen(src);
  if (n > size - 1) n = size - 1;
  std::memmove(dest, src, n);
  dest[n] = '\0';
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
