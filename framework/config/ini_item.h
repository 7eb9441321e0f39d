// Records and sections of an INI stream.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class INIStream;

// Record names are kept in a 54-byte buffer; longer names are cut, and so are
// the keys they are looked up with.
constexpr size_t kINIRecordNameMax = 53;
// Section names are cut to the 256-byte current-name buffer.
constexpr size_t kINISectionNameMax = 255;

// One record: a name and a value. A record with an empty name is a kept
// line whose value holds the whole line.
class INIItem {
 public:
  INIItem(const char* name, const char* value);
  ~INIItem();
  INIItem(const INIItem&) = delete;
  INIItem& operator=(const INIItem&) = delete;

  const char* Name() const { return name_; }
  const char* Value() const { return short_ ? inline_ : heap_; }
  void SetValue(const char* value);
  // Short values (under 8 characters) live in the item itself.
  bool IsShortValue() const { return short_; }

  bool IsEqual(const INIItem& other) const;
  bool IsGreater(const INIItem& other) const;

 private:
  char name_[kINIRecordNameMax + 1];
  char inline_[8];
  char* heap_ = nullptr;
  bool short_ = true;
};

// A section: its name (brackets in it are real "[" and "]"), its records in
// file order, the record index of a read-only stream and a nested stream.
class SectionItem {
 public:
  explicit SectionItem(const std::string& name);
  ~SectionItem();

  const std::string& Name() const { return name_; }
  INIItem* FindItem(const char* name) const;
  // Appends a record; keeps the index (when there is one) in order.
  INIItem* Append(const char* name, const char* value);
  bool Remove(INIItem* item);
  // Sorts the index by name, equal names in file order.
  void BuildIndex();
  bool HasIndex() const { return !index_.empty(); }

  const std::vector<std::unique_ptr<INIItem>>& Records() const { return records_; }
  INIStream* Nested() const { return nested_.get(); }
  void SetNested(std::unique_ptr<INIStream> nested);

 private:
  std::string name_;
  std::unique_ptr<INIStream> nested_;
  std::vector<std::unique_ptr<INIItem>> records_;
  std::vector<INIItem*> index_;
};
