#include "framework/config/ini_entry.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/config/ini_stream.h"

INIEntry::INIEntry(void* variable, uint32_t tag, const char* keyName)
    : variable_(variable), keyName_(keyName && *keyName ? keyName : nullptr), tag_(tag) {
  if (keyName_) INIEntryList::Add(this);
}
INIEntry::INIEntry(uint8_t& v, const char* k) : INIEntry(&v, INI_TAG_BYTE, k) {}
INIEntry::INIEntry(uint16_t& v, const char* k) : INIEntry(&v, INI_TAG_WORD, k) {}
INIEntry::INIEntry(uint32_t& v, const char* k) : INIEntry(&v, INI_TAG_DWORD, k) {}
INIEntry::INIEntry(char* buffer, uint32_t size, const char* k) : INIEntry(static_cast<void*>(buffer), INI_TAG_TEXT, k) {
  bufferSize_ = size;
}
INIEntry::INIEntry(char*& text, const char* k) : INIEntry(&text, INI_TAG_HEAP_TEXT, k) {}

INIEntry::~INIEntry() {
  if (tag_ == INI_TAG_HEAP_TEXT) {
    char** text = static_cast<char**>(variable_);
    // Only a copy this entry made is freed; a text the program stored stays.
    if (ownedText_ && *text == ownedText_) *text = nullptr;
    delete[] ownedText_;
  }
  if (keyName_) INIEntryList::Remove(this);
}

bool INIEntry::IsEqual(const INIEntry& other) const {
  if (!keyName_ || !other.keyName_) return keyName_ == other.keyName_;
  return std::strcmp(keyName_, other.keyName_) == 0;
}

void INIEntry::Read(INIStream& stream) {
  if (!keyName_) return;
  switch (tag_) {
    case INI_TAG_BYTE:
      stream.Read(INIReadRecord(keyName_, *static_cast<uint8_t*>(variable_)));
      break;
    case INI_TAG_WORD:
      stream.Read(INIReadRecord(keyName_, *static_cast<uint16_t*>(variable_)));
      break;
    case INI_TAG_DWORD:
      stream.Read(INIReadRecord(keyName_, *static_cast<uint32_t*>(variable_)));
      break;
    case INI_TAG_INT64:
      stream.Read(INIReadRecord(keyName_, *static_cast<uint64_t*>(variable_)));
      break;
    case INI_TAG_TEXT: {
      char* buffer = static_cast<char*>(variable_);
      stream.Read(INIReadRecord(keyName_, buffer, bufferSize_, buffer));
      break;
    }
    case INI_TAG_HEAP_TEXT: {
      char** text = static_cast<char**>(variable_);
      stream.Read(INIReadRecord(keyName_, *text));
      // The earlier copy is replaced; free it only when it was ours.
      delete[] ownedText_;
      ownedText_ = *text;
      break;
    }
    default:
      break;
  }
}

void INIEntry::Write(INIStream& stream) {
  if (!keyName_) return;
  switch (tag_) {
    case INI_TAG_BYTE:
      stream.Write(INIWriteRecord(keyName_, *static_cast<uint8_t*>(variable_)));
      break;
    case INI_TAG_WORD:
      stream.Write(INIWriteRecord(keyName_, *static_cast<uint16_t*>(variable_)));
      break;
    case INI_TAG_DWORD:
      stream.Write(INIWriteRecord(keyName_, *static_cast<uint32_t*>(variable_)));
      break;
    case INI_TAG_INT64:
      stream.Write(INIWriteRecord(keyName_, *static_cast<uint64_t*>(variable_)));
      break;
    case INI_TAG_TEXT:
      stream.Write(INIWriteRecord(keyName_, static_cast<const char*>(variable_)));
      break;
    case INI_TAG_HEAP_TEXT: {
      const char* text = *static_cast<char**>(variable_);
      stream.Write(INIWriteRecord(keyName_, text ? text : ""));
      break;
    }
    default:
      break;
  }
}

INIEntryLen::INIEntryLen(uint32_t count, uint8_t* bytes, const char* keyName)
    : INIEntry(bytes, INI_TAG_BYTES, keyName), count_(count) {}

void INIEntryLen::Read(INIStream& stream) {
  if (!KeyName()) return;
  stream.Read(INIReadRecord(KeyName(), static_cast<uint8_t*>(Variable()), count_));
}

void INIEntryLen::Write(INIStream& stream) {
  if (!KeyName()) return;
  stream.Write(INIWriteRecord(KeyName(), static_cast<const uint8_t*>(Variable()), count_));
}

INIEntrySstr::INIEntrySstr(const char* defaultText, const char* keyName)
    : INIEntry(static_cast<void*>(nullptr), INI_TAG_SSTR, keyName), text_(defaultText ? defaultText : "") {}

// Out of line: GCC 12 reports a false overlap when the assignment is inlined.
void INIEntrySstr::SetText(const char* text) { text_ = text ? text : ""; }

void INIEntrySstr::Read(INIStream& stream) {
  if (!KeyName()) return;
  stream.Read(INIReadRecord(KeyName(), text_, INI_TAG_SSTR, nullptr));
}

void INIEntrySstr::Write(INIStream& stream) {
  if (!KeyName()) return;
  stream.Write(INIWriteRecord(KeyName(), text_.c_str()));
}

std::vector<INIEntry*>& INIEntryList::Entries() {
  // Built on first use and never destroyed: static entries join it during
  // start-up and leave it during exit, in any order of translation units.
  static std::vector<INIEntry*>* entries = new std::vector<INIEntry*>;
  return *entries;
}

bool INIEntryList::Add(INIEntry* entry) {
  if (!entry->KeyName() || Find(entry->KeyName())) return false;
  Entries().push_back(entry);
  return true;
}

void INIEntryList::Remove(const INIEntry* entry) {
  auto& entries = Entries();
  entries.erase(std::remove(entries.begin(), entries.end(), entry), entries.end());
}

bool INIEntryList::Contains(const INIEntry* entry) {
  const auto& entries = Entries();
  return std::find(entries.begin(), entries.end(), entry) != entries.end();
}

INIEntry* INIEntryList::Find(const char* keyName) {
  if (!keyName) return nullptr;
  for (INIEntry* entry : Entries())
    if (std::strcmp(entry->KeyName(), keyName) == 0) return entry;
  return nullptr;
}

size_t INIEntryList::Count() { return Entries().size(); }

size_t INIEntryList::ReadAll(INIStream& stream) {
  stream.SetSection("Options");
  const std::vector<INIEntry*> entries = Entries();
  for (INIEntry* entry : entries) entry->Read(stream);
  return entries.size();
}

size_t INIEntryList::WriteAll(INIStream& stream) {
  stream.SetSection("Options");
  const std::vector<INIEntry*> entries = Entries();
  for (INIEntry* entry : entries) entry->Write(stream);
  return entries.size();
}

ININumberKey::ININumberKey(uint32_t number) { std::snprintf(text_, sizeof text_, "%u", static_cast<unsigned>(number)); }
