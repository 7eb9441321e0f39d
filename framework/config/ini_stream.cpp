#include "framework/config/ini_stream.h"

#include <algorithm>
#include <cstring>

#include "framework/config/ini_env.h"
#include "framework/config/ini_preprocessor.h"
#include "framework/config/ini_text.h"

namespace {

constexpr size_t kMinLineBuffer = 260;
constexpr size_t kMaxLineBuffer = 65536;

size_t LineBufferFor(long long size) {
  if (size < 0) size = 0;
  if (size > static_cast<long long>(kMaxLineBuffer)) size = kMaxLineBuffer;
  const long long n = size + 1;
  if (n < static_cast<long long>(kMinLineBuffer)) return kMinLineBuffer;
  if (n > static_cast<long long>(kMaxLineBuffer)) return kMaxLineBuffer;
  return static_cast<size_t>(n);
}

std::string CutSectionName(const char* name) {
  std::string key(name ? name : "");
  if (key.size() > kINISectionNameMax) key.resize(kINISectionNameMax);
  return key;
}

bool SectionLess(const SectionItem* a, const SectionItem* b) { return a->Name() < b->Name(); }

bool StartsRecord(unsigned char c) { return ini_text::IsLatinOrDigit(c) || c == '_' || c == '$'; }

}  // namespace

INIStream::INIStream(uint8_t flags, const char* fileName) : flags_(flags) {
  if (!fileName) return;
  if (std::strlen(fileName) > kINIFileNameMax) {
    // A cut name could be another file: the stream is neither read nor saved.
    refusedName_ = true;
    fileName_.assign(fileName, kINIFileNameMax);
    return;
  }
  fileName_ = fileName;
  ReadFile();
}

INIStream::INIStream() : fileName_("<In Memory>") {}

INIStream::INIStream(const MemoryArray& array) : flags_(INI_SIMPLE), fileName_("<In Memory>") {
  memory_ = array;
  MemoryInOut in(256, memory_);
  ReadFrom(in, LineBufferFor(static_cast<long long>(memory_.used)));
  memory_ = MemoryArray();
}

INIStream::INIStream(const char* text) : flags_(INI_SIMPLE), fileName_("<In Memory>") {
  if (!text) text = "";  // no text: an empty stream
  const size_t n = std::strlen(text);
  memory_.bytes.assign(text, text + n);
  memory_.used = n;
  MemoryInOut in(256, memory_);
  // Room for the whole text and its NUL, as for a file: a buffer of just the
  // text's length would split a one-line text before its last character.
  ReadFrom(in, LineBufferFor(static_cast<long long>(n)));
  memory_ = MemoryArray();
}

INIStream::INIStream(NestedTag, INIStream& parent)
    : level_(static_cast<uint8_t>(parent.level_ + 1)),
      flags_(parent.flags_),
      loaded_(parent.loaded_),
      numberFormat_(parent.numberFormat_),
      parent_(&parent),
      fileName_(parent.fileName_) {}

std::unique_ptr<INIStream> INIStream::MakeNested() {
  if (level_ >= kINILevelMax) return nullptr;
  return std::unique_ptr<INIStream>(new INIStream(NestedTag{}, *this));
}

INIStream::~INIStream() {
  if (MaySaveOnClose()) Save();
}

bool INIStream::MaySave() const {
  // A nested stream shares its file with the top stream, which writes it whole.
  if (parent_ || IsReadOnly() || refusedName_ || unreadable_) return false;
  // "<In Memory>" and the placeholder of a stream that was given no name.
  return !fileName_.empty() && fileName_[0] != '<' && fileName_ != "Undefined";
}

bool INIStream::MaySaveOnClose() const {
  // A preprocessed stream holds the expanded text, not its source: only an
  // explicit Save writes it.
  return MaySave() && !(flags_ & INI_PREPROCESS);
}

void INIStream::ReadFile() {
  FileInOut in(true, "rt", fileName_.c_str(), 65536);
  if (!in.IsOpen()) {
    // An existing file we may not read must not be overwritten by the empty
    // stream on closing.
    unreadable_ = !in.IsMissing();
    return;
  }
  loaded_ = true;
  ReadFrom(in, LineBufferFor(in.Size()));
  if (in.Failed()) {
    // Part of the file may be missing from the stream.
    unreadable_ = true;
    loaded_ = false;
    return;
  }
  if (!in.Lossy()) return;
  if (IsReadOnly()) {
    ini_env::Message("s", "INIStream('%s'): a line longer than %u characters or a NUL byte cannot be kept; the rest of the line is dropped",
                     fileName_.c_str(), static_cast<unsigned>(kMaxLineBuffer - 1));
    return;
  }
  // Saving would drop the rest of the line from the file.
  unreadable_ = true;
  ini_env::Message("s", "INIStream('%s'): a line longer than %u characters or a NUL byte cannot be kept; the file is not saved",
                   fileName_.c_str(), static_cast<unsigned>(kMaxLineBuffer - 1));
}

void INIStream::ReadFrom(FInOut& in, size_t lineBuffer) {
  std::vector<char> buffer(lineBuffer);
  std::vector<std::string> raw;
  std::vector<std::string> output;
  const bool preprocess = (flags_ & INI_PREPROCESS) != 0;
  const bool simple = (flags_ & INI_SIMPLE) && !preprocess;
  while (in.ReadLine(buffer.size(), buffer.data())) {
    std::string line(buffer.data());
    ini_text::TrimBlanks(line);
    if (!line.empty() && line[0] == ';') continue;
    if (!line.empty() && line[0] == '#' && (flags_ & INI_HASH_COMMENTS)) continue;
    if (simple) {
      if (!line.empty()) output.push_back(std::move(line));
      continue;
    }
    raw.push_back(std::move(line));
  }
  in.Close();

  if (preprocess) {
    INIPreprocessor pp(*this);
    pp_ = &pp;
    pp.FirstPass(raw, output);
    raw.clear();
    ParseAll(output);
    output.clear();
    if (IsReadOnly()) BuildIndexes();
    pp.SecondPass();
    pp_ = nullptr;
    return;
  }
  if (!simple) {
    for (std::string& line : raw) {
      if (!line.empty() && line[0] == '$') line.erase(0, 1);
      if (line.empty()) continue;
      const unsigned char c = static_cast<unsigned char>(line[0]);
      // Directives need the preprocessor; without it a "#" line is dropped.
      if (c == '#') continue;
      if (c != '[' && !ini_text::IsIdentChar(c)) continue;
      output.push_back(std::move(line));
    }
    raw.clear();
  }
  ParseAll(output);
  if (IsReadOnly()) BuildIndexes();
}

void INIStream::ParseAll(const std::vector<std::string>& lines) {
  size_t position = 0;
  if (Parse(lines, position)) return;
  // What follows the bad header is missing from the stream: saving it would
  // drop those lines from the file.
  const bool wouldSave = MaySave();
  unreadable_ = true;
  const std::string line = position < lines.size() ? lines[position] : std::string();
  ini_env::Message("sf", "INIStream('%s'): invalid section nesting %s%s", fileName_.c_str(), line.c_str(),
                   wouldSave ? "; the file is not saved" : "");
}

bool INIStream::Parse(const std::vector<std::string>& lines, size_t& position) {
  while (position < lines.size()) {
    const std::string& line = lines[position];
    const char* p = ini_text::SkipBlanks(line.c_str());
    if (*p == '[') {
      size_t n = 0;
      while (p[n] == '[') ++n;
      if (n == level_ + 2u && !sections_.empty()) {
        // One level more than a stream can count is a nesting error.
        if (level_ >= kINILevelMax) return false;
        SectionItem* last = sections_.back().get();
        if (!last->Nested()) last->SetNested(MakeNested());
        if (!last->Nested()->Parse(lines, position)) return false;
        continue;  // the line that ended the nested stream is read here
      }
      if (n < level_ + 1u) return true;  // an outer stream's header
      if (n != level_ + 1u) return false;  // position stays on the bad header
      const char* start = p + n;
      const char* end = std::strchr(start, ']');
      std::string name = end ? std::string(start, end) : std::string(start);
      for (char& c : name) {
        if (c == '\x10') c = '[';
        else if (c == '\x11') c = ']';
      }
      AppendSection(name);
      ++position;
      continue;
    }
    ++position;
    if (sections_.empty()) continue;
    SectionItem* section = sections_.back().get();
    const char* eq = std::strchr(p, '=');
    if (eq && StartsRecord(static_cast<unsigned char>(*p))) {
      const char* nameStart = *p == '$' ? p + 1 : p;
      const char* nameEnd = eq;
      while (nameEnd > nameStart && ini_text::IsSpace(static_cast<unsigned char>(nameEnd[-1]))) --nameEnd;
      if (nameEnd > nameStart) {
        const std::string name(nameStart, nameEnd);
        const char* value = eq + 1;
        if (!(flags_ & INI_KEEP_BLANKS)) value = ini_text::SkipBlanks(value);
        section->Append(name.c_str(), value);
        continue;
      }
    }
    if (!IsReadOnly()) section->Append("", p);
  }
  return true;
}

void INIStream::BuildIndexes() {
  if (sections_.size() > 8) {
    sectionIndex_.clear();
    for (const auto& s : sections_) sectionIndex_.push_back(s.get());
    std::stable_sort(sectionIndex_.begin(), sectionIndex_.end(), SectionLess);
  }
  for (const auto& s : sections_)
    if (s->Records().size() > 8) s->BuildIndex();
}

SectionItem* INIStream::AppendSection(const std::string& name) {
  sections_.push_back(std::make_unique<SectionItem>(name));
  SectionItem* section = sections_.back().get();
  if (!sectionIndex_.empty())
    sectionIndex_.insert(std::upper_bound(sectionIndex_.begin(), sectionIndex_.end(), section, SectionLess), section);
  return section;
}

INIStream& INIStream::SetSection(const char* name) {
  currentName_ = CutSectionName(name);
  recordCursor_ = 0;
  current_ = FindSection(currentName_.c_str());
  return *this;
}

INIStream& INIStream::SelectSection(const char* name) {
  SetSection(name);
  if (!current_ && !IsReadOnly()) current_ = AppendSection(currentName_);
  return *this;
}

void INIStream::PushSection() { sectionStack_.push_back(currentName_); }

void INIStream::PopSection() {
  if (sectionStack_.empty()) return;
  const std::string name = sectionStack_.back();
  sectionStack_.pop_back();
  SetSection(name.c_str());
}

SectionItem* INIStream::FindSection(const char* name) const {
  const std::string key = CutSectionName(name);
  if (!sectionIndex_.empty()) {
    auto it = std::lower_bound(sectionIndex_.begin(), sectionIndex_.end(), key,
                               [](const SectionItem* s, const std::string& k) { return s->Name() < k; });
    if (it != sectionIndex_.end() && (*it)->Name() == key) return *it;
    return nullptr;
  }
  for (const auto& s : sections_)
    if (s->Name() == key) return s.get();
  return nullptr;
}

INIStream* INIStream::GetSubStream(bool create, const char* sectionName) {
  SetSection(sectionName);
  if (create) {
    if (!current_) current_ = AppendSection(currentName_);
    if (!current_->Nested() && level_ < kINILevelMax) current_->SetNested(MakeNested());
  }
  return current_ ? current_->Nested() : nullptr;
}

bool INIStream::DeleteSection(const char* name) {
  SectionItem* section = FindSection(name);
  if (!section) return false;
  auto ix = std::find(sectionIndex_.begin(), sectionIndex_.end(), section);
  if (ix != sectionIndex_.end()) sectionIndex_.erase(ix);
  if (current_ == section) current_ = nullptr;
  for (auto it = sections_.begin(); it != sections_.end(); ++it) {
    if (it->get() != section) continue;
    sections_.erase(it);
    break;
  }
  return true;
}

size_t INIStream::DeleteSectionsWithPrefix(const char* prefix) {
  if (!prefix) return 0;  // no prefix names no section
  const size_t n = std::strlen(prefix);
  std::vector<std::string> names;
  for (const auto& s : sections_)
    if (s->Name().compare(0, n, prefix) == 0) names.push_back(s->Name());
  for (const std::string& name : names) DeleteSection(name.c_str());
  return names.size();
}

const char* INIStream::FindValue(const char* name) const {
  if (!current_ || !name) return nullptr;
  const INIItem* item = current_->FindItem(name);
  return item ? item->Value() : nullptr;
}

const char* INIStream::ReadValue(size_t size, char* destination, const char* defaultValue, const char* name) const {
  const char* source = FindValue(name);
  if (!source) source = defaultValue;
  if (!source || !destination || size == 0) return nullptr;
  // The default is often the destination's own text.
  if (source != destination) ini_text::CopyBounded(destination, size, source);
  return destination;
}

INIStream& INIStream::SetValue(const char* value, const char* name) {
  // A record without a name would become a kept line.
  if (!name) return *this;
  if (!current_) current_ = AppendSection(currentName_);
  INIItem* item = current_->FindItem(name);
  if (item) item->SetValue(value);
  else current_->Append(name, value);
  return *this;
}

bool INIStream::DeleteValue(const char* name) {
  if (!current_ || !name) return false;
  INIItem* item = current_->FindItem(name);
  return item && current_->Remove(item);
}

bool INIStream::IsEmptyValue(const char* name) const {
  const char* value = FindValue(name);
  return !value || !*value;
}

void INIStream::ExpandMacros(SectionItem* section, const std::string& text, std::string& output) {
  INIStream* root = this;
  while (root->parent_) root = root->parent_;
  if (!root->pp_) {
    output = text;
    return;
  }
  root->pp_->Expand(section, text, output);
}

INISectionIterator::INISectionIterator(const char* prefix, INIStream& stream)
    : prefix_(prefix ? prefix : ""), stream_(stream) {
  Seek();
}

void INISectionIterator::Seek() {
  const auto& sections = stream_.Sections();
  while (position_ < sections.size() && sections[position_]->Name().compare(0, prefix_.size(), prefix_) != 0) ++position_;
}

const char* INISectionIterator::Current() const {
  const auto& sections = stream_.Sections();
  return position_ < sections.size() ? sections[position_]->Name().c_str() : nullptr;
}

void INISectionIterator::Next() {
  if (position_ >= stream_.Sections().size()) return;
  ++position_;
  Seek();
}

INIItemIterator::INIItemIterator(const char* prefix, const char* sectionName, INIStream& stream)
    : prefix_(prefix ? prefix : ""), section_(stream.SetSection(sectionName).CurrentSection()) {
  Seek();
}

void INIItemIterator::Seek() {
  if (!section_) return;
  const auto& records = section_->Records();
  while (position_ < records.size() && std::strncmp(records[position_]->Name(), prefix_.c_str(), prefix_.size()) != 0)
    ++position_;
}

const char* INIItemIterator::Current() const {
  if (!section_ || position_ >= section_->Records().size()) return nullptr;
  return section_->Records()[position_]->Name();
}

void INIItemIterator::Next() {
  if (!section_ || position_ >= section_->Records().size()) return;
  ++position_;
  Seek();
}
