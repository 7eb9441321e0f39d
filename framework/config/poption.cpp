#include "framework/config/poption.h"

#include <algorithm>
#include <cstring>

#include "framework/config/ini_stream.h"
#include "framework/config/ini_text.h"

bool POptionList::Add(POption* option) {
  // One option per key; a second of the same key is not listed.
  for (const POption* listed : options_)
    if (listed == option || listed->IsEqual(*option)) return false;
  options_.push_back(option);
  return true;
}

void POptionList::Remove(const POption* option) {
  options_.erase(std::remove(options_.begin(), options_.end(), option), options_.end());
}

bool POptionList::Contains(const POption* option) const {
  return std::find(options_.begin(), options_.end(), option) != options_.end();
}

POption::POption(POptionList* owner, void* variable, uint32_t tag, const char* keyName)
    : INIEntry(variable, tag, keyName), owner_(owner) {
  if (!owner_) return;
  // The owner reads and writes it; it leaves the process-wide list, by
  // identity, so that another option of the same key stays listed.
  INIEntryList::Remove(this);
  owner_->Add(this);
}

POption::~POption() {
  if (owner_) owner_->Remove(this);
}

void POption::Write(INIStream& stream) {
  if (!KeyName() || !*KeyName()) return;
  INIEntry::Write(stream);
}

PBoolOption::PBoolOption(POptionList* owner, const char* keyName, bool value)
    : POption(owner, &value_, INI_TAG_BYTE, keyName), value_(value ? 1 : 0), default_(value_) {}

PMenuBoolOption::PMenuBoolOption(POptionList* owner, const char* keyName, bool value, uint32_t menuCommand)
    : PBoolOption(owner, keyName, value), menuCommand_(menuCommand) {}

PRadioOption::PRadioOption(POptionList* owner, const char* keyName, uint32_t value)
    : POption(owner, &value_, INI_TAG_DWORD, keyName), value_(value), default_(value) {}

PRadioOptionAsComboBox::PRadioOptionAsComboBox(POptionList* owner, const char* keyName, uint32_t value,
                                               const uint32_t* values, uint32_t count, uint8_t displayFormat)
    : PRadioOption(owner, keyName, value), values_(values), count_(count), displayFormat_(displayFormat) {}

PRadioOptionAsComboBox::PRadioOptionAsComboBox(POptionList* owner, const char* keyName, uint32_t value,
                                               const char* const* texts)
    : PRadioOption(owner, keyName, value), texts_(texts) {}

std::vector<std::string> PRadioOptionAsComboBox::DisplayTexts() const {
  std::vector<std::string> out;
  if (texts_) {
    for (const char* const* t = texts_; *t; ++t) out.emplace_back(*t);
    return out;
  }
  for (uint32_t i = 0; values_ && i < count_; ++i) {
    const uint32_t v = values_[i];
    if (displayFormat_ == 2) out.push_back(ini_text::Printf("%u", static_cast<unsigned>(v)));
    else if (displayFormat_ == 11) out.push_back(ini_text::Printf("%d", static_cast<int>(v)));
    else if (v >= 10) out.push_back(ini_text::Printf("0x%X", static_cast<unsigned>(v)));
    else out.push_back(ini_text::Printf("%X", static_cast<unsigned>(v)));
  }
  return out;
}

namespace {

char* NewBuffer(uint32_t size) {
  char* buffer = new char[size ? size : 1];
  buffer[0] = '\0';
  return buffer;
}

}  // namespace

PStringOption::PStringOption(POptionList* owner, const char* keyName, const char* defaultText, uint32_t maxLength,
                             uint32_t editFlags, uint32_t itemArgument)
    : POption(owner, nullptr, INI_TAG_TEXT, keyName),
      buffer_(NewBuffer(maxLength)),
      maxLength_(maxLength ? maxLength : 1),
      editFlags_(editFlags),
      itemArgument_(itemArgument) {
  ini_text::CopyBounded(buffer_, maxLength_, defaultText ? defaultText : "");
  default_ = buffer_;
  Rebind(buffer_, maxLength_);
}

PStringOption::~PStringOption() { delete[] buffer_; }

void PStringOption::SetText(const char* text) { ini_text::CopyBounded(buffer_, maxLength_, text ? text : ""); }

PIntValueOption::PIntValueOption(POptionList* owner, const char* keyName, uint32_t value, uint32_t itemFlags,
                                 uint8_t displayType, uint8_t extra)
    : POption(owner, &value_, INI_TAG_DWORD, keyName),
      value_(value),
      default_(value),
      itemFlags_(itemFlags),
      displayType_(displayType),
      extra_(extra) {}

PIntValueOption64::PIntValueOption64(POptionList* owner, const char* keyName, uint64_t value, uint32_t itemFlags,
                                     uint8_t displayType, uint8_t extra)
    : POption(owner, &value_, INI_TAG_INT64, keyName),
      value_(value),
      default_(value),
      itemFlags_(itemFlags),
      displayType_(displayType),
      extra_(extra) {}

PFolderOption::PFolderOption(POptionList* owner, const char* keyName, const char* defaultPath, uint32_t itemArgument1,
                             uint32_t itemArgument2)
    : POption(owner, path_, INI_TAG_TEXT, keyName), itemArgument1_(itemArgument1), itemArgument2_(itemArgument2) {
  ini_text::CopyBounded(path_, sizeof path_, defaultPath ? defaultPath : "");
  default_ = path_;
  Rebind(path_, sizeof path_);
}

void PFolderOption::SetText(const char* path) { ini_text::CopyBounded(path_, sizeof path_, path ? path : ""); }

PFileOption::PFileOption(POptionList* owner, const char* keyName, const char* defaultPath, const char* filter,
                         const char* title, uint8_t flag1, uint8_t flag2)
    : PFolderOption(owner, keyName, defaultPath),
      filter_(filter ? filter : ""),
      title_(title ? title : ""),
      flag1_(flag1),
      flag2_(flag2) {}

PScriptFileOption::PScriptFileOption(POptionList* owner, const char* keyName, const char* defaultPath)
    : PFileOption(owner, keyName, defaultPath, "Script files (*.cmd)|*.cmd",
                  "Choose Script File|\xC2\xFB\xE1\xE5\xF0\xE8\xF2\xE5 \xF4\xE0\xE9\xEB \xF1\xF6\xE5\xED\xE0\xF0\xE8\xFF") {}
