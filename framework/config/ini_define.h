// Macros of the INI preprocessor.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class SectionItem;

// At most 15 parameters: their bytes 1..n in a body must stay clear of the
// section bracket bytes 0x10/0x11 and the line-break byte 0x1F.
constexpr uint32_t kINIDefineMaxParameters = 15;

class INIDefine {
 public:
  INIDefine(const std::string& name, uint32_t parameters, const std::string& body, bool predefined);
  virtual ~INIDefine() = default;

  // Parses "NAME body" or "NAME(a, b) body"; null when the definition is
  // invalid.
  static std::unique_ptr<INIDefine> Parse(const char* definition);

  const std::string& Name() const { return name_; }
  uint32_t Parameters() const { return parameters_; }
  const std::string& Body() const { return body_; }
  void SetBody(const std::string& body) { body_ = body; }
  bool IsPredefined() const { return predefined_; }
  uint32_t Expansions() const { return expansions_; }
  uint32_t CountExpansion() { return ++expansions_; }
  // A macro that always takes an argument list, even with no parameters.
  virtual bool NeedsArguments() const { return parameters_ > 0; }

  // The body with each parameter byte replaced by its argument. section is
  // the section being processed (null in the line pass).
  virtual std::string Compute(const std::vector<std::string>& arguments, SectionItem* section) const;

 private:
  std::string name_;
  uint32_t parameters_;
  std::string body_;
  uint32_t expansions_ = 0;
  bool predefined_;
};

// __R__(name): the value of a record of the section being processed.
class INIDefine__R__ : public INIDefine {
 public:
  INIDefine__R__();
  std::string Compute(const std::vector<std::string>& arguments, SectionItem* section) const override;
};
