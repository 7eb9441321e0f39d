#include "framework/config/ini_item.h"

#include <algorithm>
#include <cstring>

#include "framework/config/ini_stream.h"
#include "framework/config/ini_text.h"

namespace {

// The name as it is stored, found and written: cut to the limit, and without
// the white space a cut can leave at its end (a saved "name =" reads back as
// "name").
std::string StoredName(const char* name) {
  std::string key(name ? name : "");
  if (key.size() > kINIRecordNameMax) key.resize(kINIRecordNameMax);
  while (!key.empty() && ini_text::IsSpace(static_cast<unsigned char>(key.back()))) key.pop_back();
  return key;
}

}  // namespace

INIItem::INIItem(const char* name, const char* value) {
  ini_text::CopyBounded(name_, sizeof name_, StoredName(name).c_str());
  inline_[0] = '\0';
  SetValue(value);
}

INIItem::~INIItem() { delete[] heap_; }

void INIItem::SetValue(const char* value) {
  if (!value) value = "";  // a missing value is an empty one
  const size_t n = std::strlen(value);
  if (n < sizeof inline_) {
    // The new value may be the old heap copy itself: copy before freeing.
    std::memmove(inline_, value, n + 1);
    delete[] heap_;
    heap_ = nullptr;
    short_ = true;
    return;
  }
  char* copy = new char[n + 1];
  std::memcpy(copy, value, n + 1);
  delete[] heap_;
  heap_ = copy;
  short_ = false;
}

bool INIItem::IsEqual(const INIItem& other) const { return std::strcmp(name_, other.name_) == 0; }
bool INIItem::IsGreater(const INIItem& other) const { return std::strcmp(name_, other.name_) > 0; }

namespace {

bool NameLess(const INIItem* a, const INIItem* b) { return std::strcmp(a->Name(), b->Name()) < 0; }

}  // namespace

SectionItem::SectionItem(const std::string& name) : name_(name) {
  if (name_.size() > kINISectionNameMax) name_.resize(kINISectionNameMax);
}

SectionItem::~SectionItem() = default;

INIItem* SectionItem::FindItem(const char* name) const {
  if (!name) return nullptr;
  const std::string key = StoredName(name);
  if (!index_.empty()) {
    auto it = std::lower_bound(index_.begin(), index_.end(), key,
                               [](const INIItem* item, const std::string& k) { return std::strcmp(item->Name(), k.c_str()) < 0; });
    if (it != index_.end() && key == (*it)->Name()) return *it;
    return nullptr;
  }
  for (const auto& item : records_)
    if (key == item->Name()) return item.get();
  return nullptr;
}

INIItem* SectionItem::Append(const char* name, const char* value) {
  records_.push_back(std::make_unique<INIItem>(name, value));
  INIItem* item = records_.back().get();
  if (!index_.empty()) index_.insert(std::upper_bound(index_.begin(), index_.end(), item, NameLess), item);
  return item;
}

bool SectionItem::Remove(INIItem* item) {
  auto ix = std::find(index_.begin(), index_.end(), item);
  if (ix != index_.end()) index_.erase(ix);
  for (auto it = records_.begin(); it != records_.end(); ++it) {
    if (it->get() != item) continue;
    records_.erase(it);
    return true;
  }
  return false;
}

void SectionItem::BuildIndex() {
  index_.clear();
  for (const auto& item : records_) index_.push_back(item.get());
  std::stable_sort(index_.begin(), index_.end(), NameLess);
}

void SectionItem::SetNested(std::unique_ptr<INIStream> nested) { nested_ = std::move(nested); }
