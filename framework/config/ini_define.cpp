#include "framework/config/ini_define.h"

#include "framework/config/ini_env.h"
#include "framework/config/ini_item.h"
#include "framework/config/ini_text.h"

INIDefine::INIDefine(const std::string& name, uint32_t parameters, const std::string& body, bool predefined)
    : name_(name), parameters_(parameters), body_(body), predefined_(predefined) {}

std::unique_ptr<INIDefine> INIDefine::Parse(const char* definition) {
  using ini_text::IsIdentChar;
  const char* p = ini_text::SkipBlanks(definition);
  std::string name;
  p = ini_text::ReadIdentifier(p, name);
  if (name.empty()) return nullptr;
  p = ini_text::SkipBlanks(p);
  if (*p != '(') return std::make_unique<INIDefine>(name, 0, std::string(p), false);

  std::vector<std::string> params;
  ++p;
  for (;;) {
    p = ini_text::SkipBlanks(p);
    std::string param;
    p = ini_text::ReadIdentifier(p, param);
    if (param.empty()) return nullptr;  // empty parameter, end of text or a stray character
    params.push_back(param);
    if (params.size() > kINIDefineMaxParameters) return nullptr;
    p = ini_text::SkipBlanks(p);
    if (*p == ',') {
      ++p;
      continue;
    }
    if (*p == ')') {
      ++p;
      break;
    }
    return nullptr;
  }
  p = ini_text::SkipBlanks(p);
  std::string body;
  while (*p) {
    if (p[0] == '#' && p[1] == '#') {
      p += 2;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(*p);
    if (!IsIdentChar(c)) {
      body += *p++;
      continue;
    }
    const char* start = p;
    while (*p && IsIdentChar(static_cast<unsigned char>(*p))) ++p;
    const std::string ident(start, p);
    size_t i = 0;
    if (!(c >= '0' && c <= '9')) {
      while (i < params.size() && params[i] != ident) ++i;
    } else {
      i = params.size();
    }
    if (i < params.size()) body += static_cast<char>(i + 1);
    else body += ident;
  }
  return std::make_unique<INIDefine>(name, static_cast<uint32_t>(params.size()), body, false);
}

std::string INIDefine::Compute(const std::vector<std::string>& arguments, SectionItem*) const {
  if (parameters_ == 0) return body_;
  std::string out;
  for (char c : body_) {
    const unsigned b = static_cast<unsigned char>(c);
    if (b >= 1 && b <= parameters_ && b <= arguments.size()) out += arguments[b - 1];
    else out += c;
  }
  return out;
}

INIDefine__R__::INIDefine__R__() : INIDefine("__R__", 1, std::string(), true) {}

std::string INIDefine__R__::Compute(const std::vector<std::string>& arguments, SectionItem* section) const {
  const std::string& name = arguments.empty() ? std::string() : arguments[0];
  const INIItem* item = section ? section->FindItem(name.c_str()) : nullptr;
  if (!item) {
    ini_env::Message("s", "Undefined record name '%s' in macro __R__()", name.c_str());
    return std::string();
  }
  return item->Value();
}
