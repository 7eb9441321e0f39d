// INIEntry: a long-lived binding of a key name to a program variable, read
// from and written to the section "Options" of a stream.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/config/ini_record.h"

class INIStream;

class INIEntry {
 public:
  // An entry with a key name joins the process-wide entry list unless an
  // entry of that name is listed already. The key name is borrowed.
  INIEntry(void* variable, uint32_t tag, const char* keyName);
  INIEntry(uint8_t& variable, const char* keyName);
  INIEntry(uint16_t& variable, const char* keyName);
  INIEntry(uint32_t& variable, const char* keyName);
  // A fixed text buffer of size bytes.
  INIEntry(char* buffer, uint32_t size, const char* keyName);
  // A heap text; the entry frees only the copies it made itself.
  INIEntry(char*& text, const char* keyName);
  virtual ~INIEntry();
  INIEntry(const INIEntry&) = delete;
  INIEntry& operator=(const INIEntry&) = delete;

  virtual bool IsEqual(const INIEntry& other) const;
  virtual bool IsGreater(const INIEntry&) const { return false; }
  virtual void Read(INIStream& stream);
  virtual void Write(INIStream& stream);

  const char* KeyName() const { return keyName_; }
  uint32_t Tag() const { return tag_; }
  void* Variable() const { return variable_; }

 protected:
  // Options bind their own storage, which exists only once they are built.
  void Rebind(void* variable, uint32_t bufferSize) {
    variable_ = variable;
    bufferSize_ = bufferSize;
  }

 private:
  void* variable_;
  const char* keyName_;
  uint32_t tag_;
  uint32_t bufferSize_ = 0;       // tag 3
  char* ownedText_ = nullptr;     // tag 4: the copy this entry allocated
};

// A byte array written as hexadecimal pairs.
class INIEntryLen : public INIEntry {
 public:
  INIEntryLen(uint32_t count, uint8_t* bytes, const char* keyName);
  void Read(INIStream& stream) override;
  void Write(INIStream& stream) override;

 private:
  uint32_t count_;
};

// An entry holding its own text.
class INIEntrySstr : public INIEntry {
 public:
  INIEntrySstr(const char* defaultText, const char* keyName);
  void Read(INIStream& stream) override;
  void Write(INIStream& stream) override;
  const std::string& Text() const { return text_; }
  void SetText(const char* text);

 private:
  std::string text_;
};

// The process-wide list of bound entries (not owning, one entry per key).
class INIEntryList {
 public:
  static size_t ReadAll(INIStream& stream);
  static size_t WriteAll(INIStream& stream);
  static INIEntry* Find(const char* keyName);
  static bool Contains(const INIEntry* entry);
  // Joins when no entry of that key is listed; false otherwise.
  static bool Add(INIEntry* entry);
  // Takes this very entry off (never another of the same key).
  static void Remove(const INIEntry* entry);
  static size_t Count();

 private:
  static std::vector<INIEntry*>& Entries();
};

// A record or section name made of a number ("%u").
class ININumberKey {
 public:
  explicit ININumberKey(uint32_t number);
  const char* Text() const { return text_; }
  operator const char*() const { return text_; }

 private:
  char text_[12];
};
