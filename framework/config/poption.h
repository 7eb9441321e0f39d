// Named settings: each option is an INIEntry bound to its own value, with a
// default. Options live in the process-wide entry list or in an owner's
// option list; the dialog items that edit them are added by the dialog layer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "framework/config/ini_entry.h"

class POption;

// An owner's options (not owning, one option per key).
class POptionList {
 public:
  bool Add(POption* option);
  void Remove(const POption* option);
  bool Contains(const POption* option) const;
  const std::vector<POption*>& Options() const { return options_; }

 private:
  std::vector<POption*> options_;
};

class POption : public INIEntry {
 public:
  POption(POptionList* owner, void* variable, uint32_t tag, const char* keyName);
  ~POption() override;

  void Write(INIStream& stream) override;
  virtual uint32_t GetValue() const { return 0; }
  virtual void SetValue(uint32_t) {}
  virtual bool IsDefault() const { return false; }
  virtual uint32_t GetMenuCommand() const { return 0; }

 private:
  POptionList* owner_;
};

class PBoolOption : public POption {
 public:
  PBoolOption(POptionList* owner, const char* keyName, bool value);
  uint32_t GetValue() const override { return value_; }
  void SetValue(uint32_t value) override { value_ = value ? 1 : 0; }
  bool IsDefault() const override { return value_ == default_; }
  bool Get() const { return value_ != 0; }

 private:
  uint8_t value_;
  uint8_t default_;
};

class PMenuBoolOption : public PBoolOption {
 public:
  PMenuBoolOption(POptionList* owner, const char* keyName, bool value, uint32_t menuCommand);
  uint32_t GetMenuCommand() const override { return menuCommand_; }

 private:
  uint32_t menuCommand_;
};

class PRadioOption : public POption {
 public:
  PRadioOption(POptionList* owner, const char* keyName, uint32_t value);
  uint32_t GetValue() const override { return value_; }
  void SetValue(uint32_t value) override { value_ = value; }
  bool IsDefault() const override { return value_ == default_; }

 private:
  uint32_t value_;
  uint32_t default_;
};

class PRadioOptionAsComboBox : public PRadioOption {
 public:
  // Either a list of values with their count, or a null-ended list of texts.
  PRadioOptionAsComboBox(POptionList* owner, const char* keyName, uint32_t value, const uint32_t* values, uint32_t count,
                         uint8_t displayFormat);
  PRadioOptionAsComboBox(POptionList* owner, const char* keyName, uint32_t value, const char* const* texts);
  // The texts the choice offers, in order.
  std::vector<std::string> DisplayTexts() const;

 private:
  const uint32_t* values_ = nullptr;
  uint32_t count_ = 0;
  const char* const* texts_ = nullptr;
  uint8_t displayFormat_ = 2;
};

class PStringOption : public POption {
 public:
  PStringOption(POptionList* owner, const char* keyName, const char* defaultText, uint32_t maxLength,
                uint32_t editFlags = 0, uint32_t itemArgument = 0);
  ~PStringOption() override;
  const char* GetText() const { return buffer_; }
  // At most maxLength - 1 characters are kept.
  void SetText(const char* text);
  bool IsDefault() const override { return std::string(buffer_) == default_; }
  uint32_t MaxLength() const { return maxLength_; }
  uint32_t EditFlags() const { return editFlags_; }
  uint32_t ItemArgument() const { return itemArgument_; }

 private:
  char* buffer_;
  std::string default_;
  uint32_t maxLength_;
  uint32_t editFlags_;
  uint32_t itemArgument_;
};

class PINetAddrOption : public PStringOption {
 public:
  using PStringOption::PStringOption;
};

class PIntValueOption : public POption {
 public:
  PIntValueOption(POptionList* owner, const char* keyName, uint32_t value, uint32_t itemFlags = 0,
                  uint8_t displayType = 0, uint8_t extra = 0);
  uint32_t GetValue() const override { return value_; }
  void SetValue(uint32_t value) override { value_ = value; }
  bool IsDefault() const override { return value_ == default_; }
  // The dialog item's flags and display type.
  uint32_t ItemFlags() const { return itemFlags_; }
  uint8_t DisplayType() const { return displayType_; }

 private:
  uint32_t value_;
  uint32_t default_;
  uint32_t itemFlags_;
  uint8_t displayType_;
  uint8_t extra_;
};

class PIntValueOption64 : public POption {
 public:
  PIntValueOption64(POptionList* owner, const char* keyName, uint64_t value, uint32_t itemFlags = 0,
                    uint8_t displayType = 0, uint8_t extra = 0);
  uint32_t GetValue() const override { return static_cast<uint32_t>(value_); }
  void SetValue(uint32_t value) override { value_ = value; }
  uint64_t Get64() const { return value_; }
  void Set64(uint64_t value) { value_ = value; }
  bool IsDefault() const override { return value_ == default_; }
  // The dialog item's flags and display type.
  uint32_t ItemFlags() const { return itemFlags_; }
  uint8_t DisplayType() const { return displayType_; }

 private:
  uint64_t value_;
  uint64_t default_;
  uint32_t itemFlags_;
  uint8_t displayType_;
  uint8_t extra_;
};

// A folder path of at most 259 characters.
class PFolderOption : public POption {
 public:
  static constexpr uint32_t kPathSize = 260;
  PFolderOption(POptionList* owner, const char* keyName, const char* defaultPath, uint32_t itemArgument1 = 0,
                uint32_t itemArgument2 = 0);
  const char* GetText() const { return path_; }
  void SetText(const char* path);
  bool IsDefault() const override { return std::string(path_) == default_; }

 private:
  char path_[kPathSize];
  std::string default_;
  uint32_t itemArgument1_;
  uint32_t itemArgument2_;
};

class PFileOption : public PFolderOption {
 public:
  PFileOption(POptionList* owner, const char* keyName, const char* defaultPath, const char* filter, const char* title,
              uint8_t flag1 = 0, uint8_t flag2 = 0);
  const std::string& Filter() const { return filter_; }
  const std::string& Title() const { return title_; }

 private:
  std::string filter_;
  std::string title_;  // bilingual: "English|Russian"
  uint8_t flag1_;
  uint8_t flag2_;
};

class PScriptFileOption : public PFileOption {
 public:
  PScriptFileOption(POptionList* owner, const char* keyName, const char* defaultPath);
};
