// References "@[section].record" in record values.
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/config/ini_env.h"
#include "framework/config/ini_stream.h"
#include "framework/config/ini_text.h"

namespace {

// Rebuilds one value; false (and the value untouched) when a reference
// cannot be resolved.
bool ResolveValue(INIStream& stream, const SectionItem& own, const INIItem& item, std::string& out) {
  const bool debug = g_fwSettings.debug != 0;
  const char* file = stream.FileName().c_str();
  const char* p = item.Value();
  while (*p) {
    if (p[0] != '@' || p[1] != '[') {
      out += *p++;
      continue;
    }
    const char* name = p + 2;
    const char* close = std::strchr(name, ']');
    if (!close) {
      if (debug)
        ini_env::Trace("File '%s', section '[%s]', item '%s': cannot find ']'\n", file, own.Name().c_str(), item.Name());
      return false;
    }
    const std::string sectionName(name, close);
    p = close + 1;
    if (sectionName == ".") {
      out += own.Name();
      continue;
    }
    const SectionItem* target = sectionName.empty() ? &own : stream.FindSection(sectionName.c_str());
    if (!target) {
      if (debug)
        ini_env::Trace("File '%s', section '[%s]', item '%s': cannot find section '%s' in file\n", file,
                       own.Name().c_str(), item.Name(), sectionName.c_str());
      return false;
    }
    std::string recordName = item.Name();
    if (*p == '.') {
      p = ini_text::ReadIdentifier(p + 1, recordName);
    }
    const INIItem* record = target->FindItem(recordName.c_str());
    if (!record) {
      if (debug)
        ini_env::Trace("File '%s', section '[%s]', item '%s': cannot find item '%s' in section '%s'\n", file,
                       own.Name().c_str(), item.Name(), recordName.c_str(), target->Name().c_str());
      return false;
    }
    out += record->Value();
  }
  return true;
}

}  // namespace

void INIStream::ResolveReferences() {
  // One pass in file order: a reference to a record resolved later gets that
  // record's text as it stands now. Nested streams resolve in themselves.
  for (const auto& section : sections_) {
    for (const auto& item : section->Records()) {
      if (!std::strstr(item->Value(), "@[")) continue;
      std::string value;
      if (ResolveValue(*this, *section, *item, value)) item->SetValue(value.c_str());
    }
    if (section->Nested()) section->Nested()->ResolveReferences();
  }
}
