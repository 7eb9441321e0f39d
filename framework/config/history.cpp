#include "framework/config/history.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/config/ini_env.h"
#include "framework/config/ini_record.h"
#include "framework/config/ini_stream.h"
#include "framework/config/ini_text.h"

namespace {

struct KindSlot {
  uint32_t kind;
  HistoryStreamFactory fromStream;
  HistoryTextFactory fromText;
};

constexpr size_t kKindSlots = 63;
KindSlot g_kinds[kKindSlots];
size_t g_kindCount = 0;
History* g_processHistory = nullptr;

const KindSlot* FindKind(uint32_t kind) {
  for (size_t i = 0; i < g_kindCount; ++i)
    if (g_kinds[i].kind == kind) return &g_kinds[i];
  return nullptr;
}

// "%X_%u": a whole hexadecimal kind code, "_", a whole decimal position.
// Any other section (a foreign one such as "My_Sec") is not an item.
bool ParseItemSection(const std::string& name, uint32_t& kind, uint32_t& position) {
  const size_t cut = name.find('_');
  if (cut == std::string::npos || cut == 0 || cut > 8 || cut + 1 >= name.size()) return false;
  uint32_t k = 0;
  for (size_t i = 0; i < cut; ++i) {
    const char c = name[i];
    if (!std::isxdigit(static_cast<unsigned char>(c))) return false;
    k = k * 16 + static_cast<uint32_t>(std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::toupper(c) - 'A' + 10);
  }
  if (name.size() - cut - 1 > 9) return false;
  uint32_t p = 0;
  for (size_t i = cut + 1; i < name.size(); ++i) {
    if (!std::isdigit(static_cast<unsigned char>(name[i]))) return false;
    p = p * 10 + static_cast<uint32_t>(name[i] - '0');
  }
  kind = k;
  position = p;
  return true;
}

std::unique_ptr<HistoryItem> ReadPlainItem(INIStream& stream) {
  uint8_t withCase = 1;
  stream.Read(INIReadRecord("C", withCase, 1));
  std::string text;
  stream.Read(INIReadRecord("T", text, INI_TAG_SSTR, "\"\""));
  if (!text.empty() && text.front() == '"') text.erase(0, 1);
  if (!text.empty() && text.back() == '"') text.pop_back();
  return std::make_unique<HistoryItem>(text.c_str(), withCase != 0);
}

}  // namespace

HistoryItem::HistoryItem(const char* text, bool withCase) : text_(text ? text : ""), withCase_(withCase) {}

bool HistoryItem::IsEqual(const HistoryItem& other) const {
  if (withCase_ && other.withCase_) return text_ == other.text_;
  return ini_text::EqualNoCase(text_, other.text_);
}

void HistoryItem::Write(INIStream& stream) const {
  const std::string quoted = "\"" + text_ + "\"";
  stream.Write(INIWriteRecord("T", quoted.c_str()));
  if (!withCase_) stream.Write(INIWriteRecord("C", uint8_t{0}));
}

void QueueList::Add(std::unique_ptr<HistoryItem> item) {
  bool removed = false;
  for (auto it = items_.begin(); it != items_.end(); ++it) {
    if (!(*it)->IsEqual(*item)) continue;
    items_.erase(it);
    removed = true;
    break;
  }
  if (!removed && items_.size() >= kMaxItems) items_.erase(items_.begin());
  items_.push_back(std::move(item));
}

void QueueList::RemoveNewest() {
  if (!items_.empty()) items_.pop_back();
}

void QueueList::ReplaceNewest(std::unique_ptr<HistoryItem> item) {
  if (items_.empty()) items_.push_back(std::move(item));
  else items_.back() = std::move(item);
}

History::History(bool readOnly, uint8_t flag2) : flag2_(flag2), readOnly_(readOnly) {}

History::~History() {
  if (g_processHistory == this) g_processHistory = nullptr;
  if (!readOnly_ && !lists_.empty()) WriteFile();
}

std::string History::FileName() {
  const char* project = g_fwSettings.projectName ? g_fwSettings.projectName : "";
  if (g_fwSettings.filesInProgramFolder) return ini_env::ProgramFolderPath(project, ".HST");
  return std::string(project) + ".HST";
}

void History::Load() {
  if (readOnly_) return;
  INIStream stream(INI_READ_ONLY, FileName().c_str());
  std::vector<std::string> names;
  for (const auto& section : stream.Sections()) names.push_back(section->Name());
  for (const std::string& name : names) {
    uint32_t kind = 0, position = 0;
    if (!ParseItemSection(name, kind, position)) continue;
    // Items come in file order; the position in the name is not needed.
    stream.SetSection(name.c_str());
    const KindSlot* slot = FindKind(kind);
    std::unique_ptr<HistoryItem> item = slot && slot->fromStream ? slot->fromStream(stream) : ReadPlainItem(stream);
    if (item) Add(kind, std::move(item));
  }
}

void History::WriteFile() {
  INIStream stream(0, FileName().c_str());
  for (const auto& list : lists_) {
    const size_t count = list->Items().size();
    // Items of an earlier, longer list would otherwise come back.
    std::vector<std::string> stale;
    for (const auto& section : stream.Sections()) {
      uint32_t kind = 0, position = 0;
      if (ParseItemSection(section->Name(), kind, position) && kind == list->Kind() && position >= count)
        stale.push_back(section->Name());
    }
    for (const std::string& name : stale) stream.DeleteSection(name.c_str());
    for (size_t i = 0; i < count; ++i) {
      const std::string name = ini_text::Printf("%X_%u", static_cast<unsigned>(list->Kind()), static_cast<unsigned>(i));
      stream.DeleteSection(name.c_str());
      stream.SetSection(name.c_str());
      list->Items()[i]->Write(stream);
    }
  }
}

QueueList& History::ListFor(uint32_t kind) {
  for (auto& list : lists_)
    if (list->Kind() == kind) return *list;
  lists_.push_back(std::make_unique<QueueList>(kind));
  return *lists_.back();
}

const QueueList* History::List(uint32_t kind) const {
  for (const auto& list : lists_)
    if (list->Kind() == kind) return list.get();
  return nullptr;
}

void History::Add(uint32_t kind, std::unique_ptr<HistoryItem> item) {
  if (item) ListFor(kind).Add(std::move(item));
}

void History::Add(uint32_t kind, const char* text, bool withCase) {
  const KindSlot* slot = FindKind(kind);
  if (slot && slot->fromText) Add(kind, slot->fromText(text));
  else Add(kind, std::make_unique<HistoryItem>(text, withCase));
}

const char* History::Text(uint32_t kind, size_t n) const {
  const QueueList* list = List(kind);
  if (!list || n >= list->Items().size()) return nullptr;
  return list->Items()[list->Items().size() - 1 - n]->Text().c_str();
}

const HistoryItem* History::Find(uint32_t kind, const char* text) const {
  const QueueList* list = List(kind);
  if (!list) return nullptr;
  const HistoryItem key(text, true);
  for (const auto& item : list->Items())
    if (item->IsEqual(key)) return item.get();
  return nullptr;
}

void History::RemoveNewest(uint32_t kind) {
  for (auto& list : lists_)
    if (list->Kind() == kind) list->RemoveNewest();
}

bool History::RegisterKind(uint32_t kind, HistoryStreamFactory fromStream, HistoryTextFactory fromText) {
  if (g_kindCount >= kKindSlots) return false;
  g_kinds[g_kindCount++] = {kind, fromStream, fromText};
  return true;
}

void History::SetProcessHistory(History* history) { g_processHistory = history; }

bool History::GetNumber(uint32_t kind, uint32_t& value) {
  const char* text = g_processHistory ? g_processHistory->Text(kind, 0) : nullptr;
  if (!text) return false;
  value = static_cast<uint32_t>(std::strtoul(text, nullptr, 0));
  return true;
}

void History::SetNumber(uint32_t kind, uint32_t value) {
  if (!g_processHistory) return;
  const std::string text = ini_text::Printf("%u", static_cast<unsigned>(value));
  QueueList& list = g_processHistory->ListFor(kind);
  if (list.Items().empty()) {
    g_processHistory->Add(kind, text.c_str());
    return;
  }
  list.ReplaceNewest(std::make_unique<HistoryItem>(text.c_str(), list.Items().back()->WithCase()));
}
