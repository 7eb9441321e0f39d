// Saving a stream to its file or to memory.
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/config/ini_env.h"
#include "framework/config/ini_stream.h"
#include "framework/config/ini_text.h"

namespace {

// A line feed or carriage return inside a name or value would come back as
// other records; it is written as a blank.
std::string OneLine(const char* text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\n' || c == '\r') c = ' ';
  return out;
}

// A record's line starts with its name unless the name would not read back
// as one (a "[" would start a section, a "$" be taken off, another first
// character make a kept line): then the line starts with the "$" that the
// reader takes off before the name.
std::string RecordName(const char* name) {
  std::string out = OneLine(name);
  const unsigned char c = static_cast<unsigned char>(out[0]);
  if (!ini_text::IsLatinOrDigit(c) && c != '_') out.insert(0, 1, '$');
  return out;
}

std::string Header(const std::string& name, unsigned brackets) {
  std::string out(brackets, '[');
  for (char c : OneLine(name.c_str())) {
    if (c == '[') c = '\x10';
    else if (c == ']') c = '\x11';
    out += c;
  }
  out.append(brackets, ']');
  return out;
}

}  // namespace

void INIStream::WriteTo(FInOut& out, bool& lastWasNamed) {
  const bool debug = g_fwSettings.debug != 0;
  for (size_t i = 0; i < sections_.size(); ++i) {
    SectionItem& section = *sections_[i];
    if (debug) {
      for (size_t j = i + 1; j < sections_.size(); ++j)
        if (sections_[j]->Name() == section.Name())
          ini_env::Message("s", "Saving INIStream('%s'): duplicate section '%s'", fileName_.c_str(), section.Name().c_str());
    }
    if ((flags_ & INI_SKIP_EMPTY_SECTIONS) && section.Records().empty() && !section.Nested()) continue;
    if (lastWasNamed) out.printf("\n");
    out.printf("%s\n", Header(section.Name(), level_ + 1u).c_str());
    lastWasNamed = false;
    if (debug) {
      // Later records of an equal name are reported and dropped.
      for (size_t r = 0; r < section.Records().size(); ++r) {
        const INIItem* item = section.Records()[r].get();
        if (!*item->Name()) continue;
        for (size_t k = r + 1; k < section.Records().size();) {
          INIItem* later = section.Records()[k].get();
          if (!item->IsEqual(*later)) {
            ++k;
            continue;
          }
          ini_env::Message("s", "Saving INIStream('%s'): duplicate record '%s' in section [%s]", fileName_.c_str(),
                           later->Name(), section.Name().c_str());
          section.Remove(later);
        }
      }
    }
    for (const auto& item : section.Records()) {
      if (*item->Name()) {
        out.printf("%s=%s\n", RecordName(item->Name()).c_str(), OneLine(item->Value()).c_str());
        lastWasNamed = true;
      } else {
        out.printf("; %s\n", OneLine(item->Value()).c_str());
        lastWasNamed = false;
      }
    }
    if (section.Nested()) {
      section.Nested()->WriteTo(out, lastWasNamed);
      lastWasNamed = true;
    }
  }
}

bool INIStream::Save() {
  if (!MaySave()) return false;
  // The new text goes to a file beside the old one, which it then replaces
  // in one step: a failed write never leaves a short file.
  const std::string temporary = ini_env::NewFileBeside(fileName_);
  if (temporary.empty()) {
    ini_env::Message("sf", "%s", ini_env::FileErrorText(false, fileName_.c_str()).c_str());
    return false;
  }
  FileInOut out(false, "wt", temporary.c_str(), 16384);
  if (!out.IsOpen()) {
    ini_env::Message("sf", "%s", ini_env::FileErrorText(false, temporary.c_str()).c_str());
    ini_env::RemoveFile(temporary);
    return false;
  }
  bool lastWasNamed = false;
  WriteTo(out, lastWasNamed);
  out.Close();
  if (out.Failed()) {
    // What was written is incomplete: only the old file is worth keeping.
    ini_env::RemoveFile(temporary);
    ini_env::Message("sf", "Cannot write file '%s'; the file '%s' is left as it was", temporary.c_str(),
                     fileName_.c_str());
    return false;
  }
  if (!ini_env::ReplaceFileWith(temporary, fileName_)) {
    ini_env::Message("sf", "Cannot replace file '%s'; the file is left as it was and the new contents are kept in '%s'",
                     fileName_.c_str(), temporary.c_str());
    return false;
  }
  return true;
}

bool INIStream::SaveToMemory(size_t growthHint) {
  if (IsReadOnly()) return false;
  memory_ = MemoryArray();
  MemoryInOut out(growthHint, memory_);
  bool lastWasNamed = false;
  WriteTo(out, lastWasNamed);
  return true;
}
