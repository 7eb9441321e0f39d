// Conversion between record texts and program variables.
#include "framework/config/ini_record.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/config/ini_env.h"
#include "framework/config/ini_stream.h"
#include "framework/config/ini_text.h"

INIReadRecord::INIReadRecord(const char* n, void* var, uint8_t t, uint32_t c, uint64_t def, const char* defText,
                             uint8_t f)
    : name(n), defaultValue(def), defaultText(defText), variable(var), tag(t), count(c), flags(f) {}
INIReadRecord::INIReadRecord(const char* n, uint8_t& v) : INIReadRecord(n, &v, INI_TAG_BYTE, 0, v, nullptr, 0) {}
INIReadRecord::INIReadRecord(const char* n, uint8_t& v, uint8_t d, uint8_t f)
    : INIReadRecord(n, &v, INI_TAG_BYTE, 0, d, nullptr, f) {}
INIReadRecord::INIReadRecord(const char* n, uint16_t& v) : INIReadRecord(n, &v, INI_TAG_WORD, 0, v, nullptr, 0) {}
INIReadRecord::INIReadRecord(const char* n, uint16_t& v, uint16_t d, uint8_t f)
    : INIReadRecord(n, &v, INI_TAG_WORD, 0, d, nullptr, f) {}
INIReadRecord::INIReadRecord(const char* n, uint32_t& v) : INIReadRecord(n, &v, INI_TAG_DWORD, 0, v, nullptr, 0) {}
INIReadRecord::INIReadRecord(const char* n, uint32_t& v, uint32_t d, uint8_t f)
    : INIReadRecord(n, &v, INI_TAG_DWORD, 0, d, nullptr, f) {}
INIReadRecord::INIReadRecord(const char* n, uint64_t& v) : INIReadRecord(n, &v, INI_TAG_INT64, 0, v, nullptr, 0) {}
INIReadRecord::INIReadRecord(const char* n, char* buffer, uint32_t size, const char* d)
    : INIReadRecord(n, buffer, INI_TAG_TEXT, size, 0, d, 0) {}
INIReadRecord::INIReadRecord(const char* n, char*& text) : INIReadRecord(n, &text, INI_TAG_HEAP_TEXT, 0, 0, "", 0) {}
INIReadRecord::INIReadRecord(const char* n, uint8_t* bytes, uint32_t c)
    : INIReadRecord(n, bytes, INI_TAG_BYTES, c, 0, nullptr, 0) {}
INIReadRecord::INIReadRecord(const char* n, float& v) : INIReadRecord(n, &v, INI_TAG_FLOAT, 0, 0, nullptr, 0) {}
INIReadRecord::INIReadRecord(const char* n, std::string& text, uint8_t t, const char* d)
    : INIReadRecord(n, &text, t, 0, 0, d, 0) {}
INIReadRecord INIReadRecord::Color(const char* n, uint32_t& colour) {
  return INIReadRecord(n, &colour, INI_TAG_COLOR, 0, colour, nullptr, 0);
}
INIReadRecord INIReadRecord::Double(const char* n, double& v) {
  return INIReadRecord(n, &v, INI_TAG_DOUBLE, 0, 0, nullptr, 0);
}

INIWriteRecord::INIWriteRecord(const char* n, uint64_t v, const void* p, uint8_t t, uint32_t c)
    : name(n), value(v), pointer(p), tag(t), count(c) {}
INIWriteRecord::INIWriteRecord(const char* n, uint8_t v) : INIWriteRecord(n, v, nullptr, INI_TAG_BYTE, 0) {}
INIWriteRecord::INIWriteRecord(const char* n, uint16_t v) : INIWriteRecord(n, v, nullptr, INI_TAG_WORD, 0) {}
INIWriteRecord::INIWriteRecord(const char* n, uint32_t v) : INIWriteRecord(n, v, nullptr, INI_TAG_DWORD, 0) {}
INIWriteRecord::INIWriteRecord(const char* n, uint64_t v) : INIWriteRecord(n, v, nullptr, INI_TAG_INT64, 0) {}
INIWriteRecord::INIWriteRecord(const char* n, const char* text) : INIWriteRecord(n, 0, text, INI_TAG_TEXT, 0) {}
INIWriteRecord::INIWriteRecord(const char* n, const uint8_t* bytes, uint32_t c)
    : INIWriteRecord(n, 0, bytes, INI_TAG_BYTES, c) {}
INIWriteRecord::INIWriteRecord(const char* n, float v) : INIWriteRecord(n, 0, nullptr, INI_TAG_FLOAT, 0) {
  std::memcpy(&value, &v, sizeof v);
}
INIWriteRecord INIWriteRecord::Color(const char* n, uint32_t colour) {
  return INIWriteRecord(n, colour, nullptr, INI_TAG_COLOR, 0);
}

namespace {

constexpr size_t kShortValueMax = 128;  // numbers and floats: at most 127 characters

std::string Cut(const char* text, size_t size) {
  std::string out(text);
  if (out.size() > size - 1) out.resize(size - 1);
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;  // a missing or foreign character counts as the digit 0
}

uint32_t ReadNumber(INIStream& stream, const INIReadRecord& r, const char* value) {
  if (!(r.flags & INI_READ_EXPRESSION)) return ini_text::ParseNumber(value);
  // The hook need not touch the flag; a stale one must not raise a message.
  g_fwSettings.badNumber = 0;
  const uint32_t number = g_fwHooks.parse ? g_fwHooks.parse(1, value) : ini_text::ParseNumber(value);
  if (g_fwSettings.debug && g_fwSettings.badNumber)
    ini_env::Message("sl", "Invalid expression string '%s'\nFile:    '%s'\nSection: '%s'\nRecord:  '%s'", value,
                     stream.FileName().c_str(), stream.CurrentSectionName().c_str(), r.name);
  return number;
}

#if !defined(FW_FLAVOUR_OUTRIG)
void ReadColor(const std::string& text, uint32_t& colour) {
  if (text.compare(0, 4, "RGB(") != 0) {
    colour = ini_text::ParseNumber(text.c_str());
    return;
  }
  std::vector<std::string> parts;
  std::string part;
  for (size_t i = 4; i <= text.size(); ++i) {
    const char c = i < text.size() ? text[i] : ',';
    if (c == ',' || c == ')') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (parts.size() != 3) return;
  colour = (ini_text::ParseNumber(parts[0].c_str()) & 0xFF) | (ini_text::ParseNumber(parts[1].c_str()) & 0xFF) << 8 |
           (ini_text::ParseNumber(parts[2].c_str()) & 0xFF) << 16;
}
#endif

}  // namespace

INIStream& INIStream::Read(const INIReadRecord& r) {
  const char* value = FindValue(r.name);
  switch (r.tag) {
    case INI_TAG_BYTE:
    case INI_TAG_WORD:
    case INI_TAG_DWORD: {
      const uint32_t number = value ? ReadNumber(*this, r, value) : static_cast<uint32_t>(r.defaultValue);
      if (r.tag == INI_TAG_BYTE) *static_cast<uint8_t*>(r.variable) = static_cast<uint8_t>(number);
      else if (r.tag == INI_TAG_WORD) *static_cast<uint16_t*>(r.variable) = static_cast<uint16_t>(number);
      else *static_cast<uint32_t*>(r.variable) = number;
      break;
    }
    case INI_TAG_TEXT: {
      // The copy is bounded by the buffer the descriptor names.
      if (r.count == 0) break;
      const size_t size = r.count < kINITextMax ? r.count : kINITextMax;
      ReadValue(size, static_cast<char*>(r.variable), r.defaultText, r.name);
      break;
    }
    case INI_TAG_HEAP_TEXT: {
      const std::string text = Cut(value ? value : (r.defaultText ? r.defaultText : ""), kINITextMax);
      char* copy = new char[text.size() + 1];
      std::memcpy(copy, text.c_str(), text.size() + 1);
      *static_cast<char**>(r.variable) = copy;
      break;
    }
    case INI_TAG_BYTES: {
      uint8_t* bytes = static_cast<uint8_t*>(r.variable);
      std::string text;
      if (value) {
        text = value;
      } else {
        for (uint32_t i = 0; i < r.count; ++i) text += ini_text::Printf("%02X", bytes[i]);
      }
      if (text.size() > 2u * r.count) text.resize(2u * r.count);
      text.resize(2u * r.count, '0');
      for (uint32_t i = 0; i < r.count; ++i)
        bytes[i] = static_cast<uint8_t>(HexValue(text[2 * i]) << 4 | HexValue(text[2 * i + 1]));
      break;
    }
    case INI_TAG_FLOAT: {
      float* f = static_cast<float*>(r.variable);
      const std::string text = Cut(value ? value : ini_text::Printf("%g", static_cast<double>(*f)).c_str(), kShortValueMax);
      std::sscanf(text.c_str(), "%g", f);
      break;
    }
    case INI_TAG_STR:
    case INI_TAG_SSTR:
    case INI_TAG_ISTR: {
      std::string* s = static_cast<std::string*>(r.variable);
      const char* source = value ? value : r.defaultText;
      if (source) *s = Cut(source, kINITextMax);
      break;
    }
    case INI_TAG_INT64: {
      uint64_t* v = static_cast<uint64_t*>(r.variable);
      const std::string text = Cut(value ? value : ini_text::Printf("%" PRIu64, r.defaultValue).c_str(), kShortValueMax);
      *v = ini_text::Parse64(text.c_str());
      break;
    }
#if !defined(FW_FLAVOUR_OUTRIG)
    case INI_TAG_COLOR: {
      uint32_t* colour = static_cast<uint32_t*>(r.variable);
      const std::string text = value ? std::string(value)
                                     : ini_text::Printf("RGB(%u,%u,%u)", *colour & 0xFF, (*colour >> 8) & 0xFF,
                                                        (*colour >> 16) & 0xFF);
      ReadColor(text, *colour);
      break;
    }
#endif
#if defined(FW_FLAVOUR_TMS)
    case INI_TAG_DOUBLE: {
      double* d = static_cast<double*>(r.variable);
      const std::string text = Cut(value ? value : ini_text::Printf("%g", *d).c_str(), kShortValueMax);
      std::sscanf(text.c_str(), "%lg", d);
      break;
    }
#endif
    default:
      break;
  }
  return *this;
}

INIStream& INIStream::Write(const INIWriteRecord& w) {
  std::string text;
  switch (w.tag) {
    case INI_TAG_BYTE:
    case INI_TAG_WORD:
    case INI_TAG_DWORD:
    case INI_TAG_INT64: {
      const bool wide = w.tag == INI_TAG_INT64;
      const uint64_t v = wide ? w.value : (w.value & 0xFFFFFFFFu);
      bool hex = numberFormat_ == INI_FORMAT_HEX;
      // A record the user wrote in hexadecimal stays hexadecimal.
      if (const char* old = FindValue(w.name)) {
        old = ini_text::SkipBlanks(old);
        if (old[0] == '0' && old[1] == 'x') hex = true;
      }
      text = hex ? ini_text::Printf("0x%" PRIX64, v) : ini_text::Printf("%" PRIu64, v);
      break;
    }
    case INI_TAG_TEXT:
      text = w.pointer ? static_cast<const char*>(w.pointer) : "";
      break;
    case INI_TAG_BYTES: {
      const uint8_t* bytes = static_cast<const uint8_t*>(w.pointer);
      for (uint32_t i = 0; bytes && i < w.count; ++i) text += ini_text::Printf("%02X", bytes[i]);
      break;
    }
    case INI_TAG_FLOAT: {
      float f;
      std::memcpy(&f, &w.value, sizeof f);
      text = ini_text::Printf("%g", static_cast<double>(f));
      break;
    }
#if !defined(FW_FLAVOUR_OUTRIG)
    case INI_TAG_COLOR:
      text = ini_text::Printf("RGB(%u,%u,%u)", static_cast<unsigned>(w.value & 0xFF),
                              static_cast<unsigned>((w.value >> 8) & 0xFF), static_cast<unsigned>((w.value >> 16) & 0xFF));
      break;
#endif
    default:
      return *this;
  }
  return SetValue(text.c_str(), w.name);
}
