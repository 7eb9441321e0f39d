// Typed record descriptors: which record, which type, which variable.
#pragma once

#include <cstdint>
#include <string>

// Type tags of record values.
enum : uint8_t {
  INI_TAG_BYTE = 0,
  INI_TAG_WORD = 1,
  INI_TAG_DWORD = 2,
  INI_TAG_TEXT = 3,       // a char buffer of a given size
  INI_TAG_HEAP_TEXT = 4,  // a pointer to a heap text
  INI_TAG_BYTES = 5,      // n bytes as hexadecimal pairs
  INI_TAG_FLOAT = 6,
  INI_TAG_STR = 7,
  INI_TAG_SSTR = 8,
  INI_TAG_ISTR = 9,
  INI_TAG_INT64 = 10,
  INI_TAG_COLOR = 11,  // red in the low byte, then green, then blue
  INI_TAG_DOUBLE = 12,
};

enum : uint8_t { INI_READ_EXPRESSION = 0x01 };  // evaluate through the parse hook

// Longest text value read: 16379 characters and a NUL.
constexpr uint32_t kINITextMax = 16380;

struct INIReadRecord {
  const char* name;
  uint64_t defaultValue = 0;
  const char* defaultText = nullptr;
  void* variable;
  uint8_t tag;
  // Tag 5: the array's byte count. Tag 3: the size of the buffer.
  uint32_t count = 0;
  uint8_t flags = 0;

  INIReadRecord(const char* name, void* variable, uint8_t tag, uint32_t count, uint64_t defaultValue,
                const char* defaultText, uint8_t flags);
  // Numbers with the variable's current value, or an explicit default.
  INIReadRecord(const char* name, uint8_t& variable);
  INIReadRecord(const char* name, uint8_t& variable, uint8_t defaultValue, uint8_t flags = 0);
  INIReadRecord(const char* name, uint16_t& variable);
  INIReadRecord(const char* name, uint16_t& variable, uint16_t defaultValue, uint8_t flags = 0);
  INIReadRecord(const char* name, uint32_t& variable);
  INIReadRecord(const char* name, uint32_t& variable, uint32_t defaultValue, uint8_t flags = 0);
  INIReadRecord(const char* name, uint64_t& variable);
  // A text buffer of size bytes.
  INIReadRecord(const char* name, char* buffer, uint32_t size, const char* defaultText);
  // A heap text: the read stores a new copy (new[]) in the pointer.
  INIReadRecord(const char* name, char*& text);
  INIReadRecord(const char* name, uint8_t* bytes, uint32_t count);
  INIReadRecord(const char* name, float& variable);
  // Tags 7, 8 and 9; without a default the current text is the default.
  INIReadRecord(const char* name, std::string& text, uint8_t tag = INI_TAG_SSTR, const char* defaultText = nullptr);
  static INIReadRecord Color(const char* name, uint32_t& colour);
  static INIReadRecord Double(const char* name, double& variable);
};

struct INIWriteRecord {
  const char* name;
  uint64_t value = 0;
  const void* pointer = nullptr;
  uint8_t tag;
  uint32_t count = 0;

  INIWriteRecord(const char* name, uint64_t value, const void* pointer, uint8_t tag, uint32_t count);
  INIWriteRecord(const char* name, uint8_t value);
  INIWriteRecord(const char* name, uint16_t value);
  INIWriteRecord(const char* name, uint32_t value);
  INIWriteRecord(const char* name, uint64_t value);
  INIWriteRecord(const char* name, const char* text);
  INIWriteRecord(const char* name, const uint8_t* bytes, uint32_t count);
  INIWriteRecord(const char* name, float value);
  static INIWriteRecord Color(const char* name, uint32_t colour);
};
