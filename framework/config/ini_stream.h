// INIStream: an INI file read into memory as sections of named records, with
// nested sections, optional preprocessing, lookup, iteration, modification
// and saving back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "framework/config/ini_item.h"
#include "framework/config/ini_line_io.h"

struct INIReadRecord;
struct INIWriteRecord;
class INIPreprocessor;

enum : uint8_t {
  INI_READ_ONLY = 0x01,          // never saved; non-record lines dropped; indexes built
  INI_PREPROCESS = 0x02,         // directives, macros, continuation
  INI_PP_FILES = 0x04,           // write the preprocessor's side files
  INI_HASH_COMMENTS = 0x08,      // lines beginning with "#" are comments
  INI_SIMPLE = 0x10,             // lines taken as they are
  INI_KEEP_BLANKS = 0x20,        // keep the blanks at the start of values
  INI_SKIP_EMPTY_SECTIONS = 0x40 // do not save sections without content
};

enum : uint32_t { INI_FORMAT_DECIMAL = 1, INI_FORMAT_HEX = 2 };

// Longest file name kept; a longer one is refused (neither read nor saved)
// rather than cut to a path that may name another file.
constexpr size_t kINIFileNameMax = 259;
// The deepest level a nested stream can have: the level is one byte. A
// header nested deeper is a nesting error.
constexpr uint8_t kINILevelMax = 255;

class INIStream {
 public:
  // A file stream: reads the file when it can be opened.
  INIStream(uint8_t flags, const char* fileName);
  // An empty memory stream named "<In Memory>".
  INIStream();
  // A simple memory stream read from a byte array or a text.
  explicit INIStream(const MemoryArray& array);
  explicit INIStream(const char* text);
  ~INIStream();
  INIStream(const INIStream&) = delete;
  INIStream& operator=(const INIStream&) = delete;

  uint8_t Flags() const { return flags_; }
  uint8_t Level() const { return level_; }
  bool IsLoaded() const { return loaded_; }
  bool IsReadOnly() const { return (flags_ & INI_READ_ONLY) != 0; }
  // The file exists but is not in the stream whole: it could not be opened
  // or read, or a nesting error stopped the parse (reported when it was
  // found).
  bool IsIncomplete() const { return unreadable_; }
  const std::string& FileName() const { return fileName_; }
  uint32_t NumberFormat() const { return numberFormat_; }
  void SetNumberFormat(uint32_t format) { numberFormat_ = format; }
  INIStream* Parent() const { return parent_; }

  // Navigation.
  INIStream& SetSection(const char* name);
  INIStream& SelectSection(const char* name);  // creates it unless read-only
  void PushSection();
  void PopSection();
  SectionItem* FindSection(const char* name) const;
  SectionItem* CurrentSection() const { return current_; }
  const std::string& CurrentSectionName() const { return currentName_; }
  INIStream* GetSubStream(bool create, const char* sectionName);
  bool DeleteSection(const char* name);
  size_t DeleteSectionsWithPrefix(const char* prefix);
  const std::vector<std::unique_ptr<SectionItem>>& Sections() const { return sections_; }

  // Records of the current section.
  const char* ReadValue(size_t size, char* destination, const char* defaultValue, const char* name) const;
  const char* FindValue(const char* name) const;  // null when missing
  INIStream& SetValue(const char* value, const char* name);
  bool DeleteValue(const char* name);
  bool IsEmptyValue(const char* name) const;

  // Typed records.
  INIStream& Read(const INIReadRecord& record);
  INIStream& Write(const INIWriteRecord& record);

  void ResolveReferences();
  // Expands the macros of the preprocessing in progress in text; without one
  // the text is copied.
  void ExpandMacros(SectionItem* section, const std::string& text, std::string& output);

  // Saves a file stream now (also a preprocessed one). False when nothing was
  // written because the stream may not be saved or the file cannot be created.
  bool Save();
  bool SaveToMemory(size_t growthHint);
  const MemoryArray& Memory() const { return memory_; }

  // A stream with this stream's settings (file name, loaded flag, flags,
  // number format) one level deeper, without content; null at kINILevelMax.
  std::unique_ptr<INIStream> MakeNested();
  void WriteTo(FInOut& out, bool& lastWasNamed);

 private:
  friend class INIPreprocessor;
  struct NestedTag {};
  INIStream(NestedTag, INIStream& parent);
  void ReadFrom(FInOut& in, size_t lineBuffer);
  void ReadFile();
  // Parses from lines[position]; returns false when parsing stopped on a
  // nesting error (the whole read stops), with position on the bad header.
  bool Parse(const std::vector<std::string>& lines, size_t& position);
  // Parses a top stream's lines; a stopped parse is reported and marks the
  // stream not to be saved.
  void ParseAll(const std::vector<std::string>& lines);
  void BuildIndexes();
  SectionItem* AppendSection(const std::string& name);
  bool MaySave() const;
  bool MaySaveOnClose() const;

  uint8_t level_ = 0;
  uint8_t flags_ = 0;
  bool loaded_ = false;
  // The file exists but could not be read completely: never save over it.
  bool unreadable_ = false;
  bool refusedName_ = false;
  uint32_t numberFormat_ = INI_FORMAT_DECIMAL;
  INIStream* parent_ = nullptr;
  SectionItem* current_ = nullptr;
  std::vector<std::unique_ptr<SectionItem>> sections_;
  std::vector<SectionItem*> sectionIndex_;
  std::vector<std::string> sectionStack_;
  std::string fileName_ = "Undefined";
  std::string currentName_;
  uint8_t recordCursor_ = 0;
  INIPreprocessor* pp_ = nullptr;  // only while reading
  MemoryArray memory_;
};

// The sections whose names start with a prefix, in file order.
class INISectionIterator {
 public:
  INISectionIterator(const char* prefix, INIStream& stream);
  const char* Current() const;  // null at the end
  void Next();

 private:
  void Seek();
  std::string prefix_;
  INIStream& stream_;
  size_t position_ = 0;
};

// The records of a section whose names start with a prefix.
class INIItemIterator {
 public:
  INIItemIterator(const char* prefix, const char* sectionName, INIStream& stream);
  const char* Current() const;  // null at the end
  void Next();

 private:
  void Seek();
  std::string prefix_;
  SectionItem* section_;
  size_t position_ = 0;
};
