// Most-recent lists of texts, one list per kind code, kept in the project's
// ".HST" file with one section per item.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class INIStream;

class HistoryItem {
 public:
  HistoryItem(const char* text, bool withCase);
  virtual ~HistoryItem() = default;
  const std::string& Text() const { return text_; }
  bool WithCase() const { return withCase_; }
  virtual bool IsEqual(const HistoryItem& other) const;
  // Writes the item into the current section.
  virtual void Write(INIStream& stream) const;

 private:
  std::string text_;
  bool withCase_;
};

class QueueList {
 public:
  static constexpr size_t kMaxItems = 64;
  explicit QueueList(uint32_t kind) : kind_(kind) {}
  uint32_t Kind() const { return kind_; }
  void Add(std::unique_ptr<HistoryItem> item);
  const std::vector<std::unique_ptr<HistoryItem>>& Items() const { return items_; }  // oldest first
  void RemoveNewest();
  void ReplaceNewest(std::unique_ptr<HistoryItem> item);

 private:
  uint32_t kind_;
  std::vector<std::unique_ptr<HistoryItem>> items_;
};

using HistoryStreamFactory = std::unique_ptr<HistoryItem> (*)(INIStream& stream);
using HistoryTextFactory = std::unique_ptr<HistoryItem> (*)(const char* text);

class History {
 public:
  History(bool readOnly, uint8_t flag2);
  ~History();
  History(const History&) = delete;
  History& operator=(const History&) = delete;

  void Load();
  void Add(uint32_t kind, std::unique_ptr<HistoryItem> item);
  void Add(uint32_t kind, const char* text, bool withCase = true);
  // The n-th most recent text of a kind (0 = newest), or null.
  const char* Text(uint32_t kind, size_t n) const;
  const HistoryItem* Find(uint32_t kind, const char* text) const;
  void RemoveNewest(uint32_t kind);
  const QueueList* List(uint32_t kind) const;

  // The file: the project name followed by ".HST".
  static std::string FileName();
  static bool RegisterKind(uint32_t kind, HistoryStreamFactory fromStream, HistoryTextFactory fromText);

  // The process-wide history used by the number functions.
  static void SetProcessHistory(History* history);
  static bool GetNumber(uint32_t kind, uint32_t& value);
  static void SetNumber(uint32_t kind, uint32_t value);

 private:
  QueueList& ListFor(uint32_t kind);
  void WriteFile();

  std::vector<std::unique_ptr<QueueList>> lists_;
  uint8_t flag2_;
  bool readOnly_;
};
