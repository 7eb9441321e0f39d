#include "framework/config/ini_preprocessor.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "framework/base/hooks.h"
#include "framework/config/ini_env.h"
#include "framework/config/ini_line_io.h"
#include "framework/config/ini_stream.h"
#include "framework/config/ini_text.h"

namespace {

constexpr char kLineBreak = '\x1F';

std::string WithExtension(const std::string& path, const char* extension) {
  const size_t slash = path.find_last_of("\\/");
  const size_t dot = path.find_last_of('.');
  std::string base = (dot != std::string::npos && (slash == std::string::npos || dot > slash)) ? path.substr(0, dot) : path;
  return base + "." + extension;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Windows file names: case and separator do not tell two files apart.
std::string PathKey(const std::string& path) {
  std::string key = path;
  for (char& c : key) {
    if (c == '/') c = '\\';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return key;
}

// CON, NUL, COM1 and their kin name devices in every folder, whatever the
// extension: reading one could wait for input that never comes.
bool IsDeviceName(const std::string& path) {
  std::string name = NameOf(path);
  name = name.substr(0, name.find('.'));
  while (!name.empty() && (name.back() == ' ' || name.back() == ':')) name.pop_back();
  for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
  for (const char* device : kDevices)
    if (name == device) return true;
  return name.size() == 4 && (name.compare(0, 3, "COM") == 0 || name.compare(0, 3, "LPT") == 0) && name[3] >= '0' &&
         name[3] <= '9';
}

std::string Underscored(std::string text) {
  std::replace(text.begin(), text.end(), '-', '_');
  return text;
}

// Removes a trailing continuation; true when the next line is to be joined.
bool StripContinuation(std::string& text) {
  if (text.empty() || text.back() != '\\') return false;
  if (text.size() >= 2 && text[text.size() - 2] == '\\') {
    text.pop_back();
    text.back() = kLineBreak;
    return true;
  }
  text.pop_back();
  return true;
}

enum class DirectiveKind { Include, Define, If, Else, Endif, Ifdef, Ifndef, Undef, Error };

struct DirectiveRow {
  const char* name;
  DirectiveKind kind;
  bool runsInactive;
};

constexpr DirectiveRow kDirectives[] = {
    {"include", DirectiveKind::Include, false}, {"define", DirectiveKind::Define, false},
    {"if", DirectiveKind::If, true},            {"else", DirectiveKind::Else, true},
    {"endif", DirectiveKind::Endif, true},      {"ifdef", DirectiveKind::Ifdef, true},
    {"ifndef", DirectiveKind::Ifndef, true},    {"undef", DirectiveKind::Undef, false},
    {"error", DirectiveKind::Error, false},
};

}  // namespace

INIPreprocessor::INIPreprocessor(INIStream& stream) : stream_(stream) {
  origins_.push_back({stream.fileName_, -1, 0});
}

INIPreprocessor::~INIPreprocessor() {
  if (ppFile_) std::fclose(ppFile_);
}

std::vector<INIPreprocessor::Line> INIPreprocessor::Merge(std::vector<Line> lines) {
  std::vector<Line> merged;
  merged.reserve(lines.size());
  bool join = false;
  for (Line& line : lines) {
    if (join) merged.back().text += line.text;
    else merged.push_back(std::move(line));
    join = StripContinuation(merged.back().text);
  }
  // A continuation on the last line has nothing to join: it is only removed.
  return merged;
}

bool INIPreprocessor::IsBeingRead(const std::string& path) const {
  const std::string key = PathKey(path);
  for (const Origin& origin : origins_)
    if (PathKey(origin.path) == key) return true;
  return false;
}

void INIPreprocessor::WriteMergedSideFile(const std::vector<Line>& lines) {
  const std::string path = WithExtension(stream_.fileName_, "pp1");
  // A source named *.pp1 would be its own side file.
  if (IsBeingRead(path)) return;
  std::FILE* f = std::fopen(path.c_str(), "wt");
  if (!f) return;
  std::fputs(";;; Source configuration file with line continuation characters removed and lines merged.\n\n", f);
  for (const Line& line : lines) {
    for (char c : line.text) {
      if (c == kLineBreak) std::fputs("\\\n", f);
      else std::fputc(c, f);
    }
    std::fputc('\n', f);
  }
  std::fclose(f);
}

void INIPreprocessor::Predefine(const std::string& name, const std::string& value) {
  macros_[name] = std::make_unique<INIDefine>(name, 0, value, true);
}

void INIPreprocessor::OpenSideFile() {
  const std::string path = WithExtension(stream_.fileName_, "pp");
  // Neither the source (named *.pp) nor a file it included is written over.
  if (IsBeingRead(path)) return;
  ppFile_ = std::fopen(path.c_str(), "wt");
  if (!ppFile_) return;
  std::fputs("; -------- Predefined macros --------\n", ppFile_);
  for (const auto& [name, macro] : macros_)
    if (macro->IsPredefined()) std::fprintf(ppFile_, "; %s = %s\n", name.c_str(), macro->Body().c_str());
}

void INIPreprocessor::FirstPass(const std::vector<std::string>& raw, std::vector<std::string>& output) {
  std::vector<Line> lines;
  lines.reserve(raw.size());
  for (const std::string& text : raw) lines.push_back({text, 0});
  lines = Merge(std::move(lines));
  if (stream_.flags_ & INI_PP_FILES) WriteMergedSideFile(lines);

  if (g_fwSettings.hardware) Predefine("__HARDWARE__", "");
  if (g_fwSettings.localVersion) Predefine("__LOCAL_VERSION", "");
  if (g_fwSettings.debug) Predefine("__DEBUG__", "");
  Predefine("__APP_NAME__", Underscored(g_fwSettings.appName ? g_fwSettings.appName : ""));
  Predefine("__PROJECT_NAME__", Underscored(g_fwSettings.projectName ? g_fwSettings.projectName : ""));
  if (g_fwHooks.debuggerName) {
    const char* name = g_fwHooks.debuggerName();
    if (name && *name) Predefine("__DEBUGGER__", name);
  }
  std::string file = NameOf(stream_.fileName_);
  for (char& c : file) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  Predefine("__FILE__", file);

  // Includes insert their lines after the directive, so the list grows while
  // it is walked.
  for (size_t i = 0; i < lines.size(); ++i) {
    std::string text = lines[i].text;
    if (!text.empty() && text[0] == '$') text.erase(0, 1);
    if (text.empty()) continue;
    const unsigned char c = static_cast<unsigned char>(text[0]);
    if (c == '#') {
      Directive(lines, i, text);
      continue;
    }
    if (c != '[' && !ini_text::IsIdentChar(c)) continue;
    if (!Active()) continue;
    ExpandState state{nullptr, &origins_[static_cast<size_t>(lines[i].origin)].path};
    const std::string expanded = ExpandText(text, state);
    size_t start = 0;
    for (;;) {
      const size_t cut = expanded.find(kLineBreak, start);
      output.push_back(expanded.substr(start, cut == std::string::npos ? std::string::npos : cut - start));
      if (cut == std::string::npos) break;
      start = cut + 1;
    }
  }
  if (!conditions_.empty())
    ini_env::Message("s", "File '%s': \"#if\" without \"#endif\"", stream_.fileName_.c_str());
  if (stream_.flags_ & INI_PP_FILES) OpenSideFile();
}

void INIPreprocessor::Directive(std::vector<Line>& lines, size_t index, const std::string& text) {
  const std::string file = origins_[static_cast<size_t>(lines[index].origin)].path;
  const char* p = text.c_str() + 1;
  while (*p == ' ' || *p == '\t') ++p;
  std::string name;
  p = ini_text::ReadIdentifier(p, name);
  const std::string argument = ini_text::SkipBlanks(p);
  if (name.empty()) {
    if (Active()) ini_env::Message("s", "Invalid directive '#%s' in file '%s'", text.c_str() + 1, file.c_str());
    return;
  }
  const DirectiveRow* row = nullptr;
  for (const DirectiveRow& r : kDirectives)
    if (name == r.name) row = &r;
  if (!row) {
    // Unknown names inside a skipped block are not reported: they may belong
    // to another build's text.
    if (Active()) ini_env::Message("s", "Unknown directive '#%s' in file '%s'", name.c_str(), file.c_str());
    return;
  }
  if (!Active() && !row->runsInactive) return;

  switch (row->kind) {
    case DirectiveKind::Include:
      Include(lines, index, argument);
      return;
    case DirectiveKind::Define: {
      std::unique_ptr<INIDefine> macro = INIDefine::Parse(argument.c_str());
      if (!macro) {
        ini_env::Message("s", "Invalid #define directive '#define %s' in file '%s'", argument.c_str(), file.c_str());
        return;
      }
      AddMacro(std::move(macro));
      return;
    }
    case DirectiveKind::Undef: {
      std::string macro;
      ini_text::ReadIdentifier(argument.c_str(), macro);
      macros_.erase(macro);
      return;
    }
    case DirectiveKind::If:
      If(file, argument);
      return;
    case DirectiveKind::Ifdef:
    case DirectiveKind::Ifndef: {
      std::string macro;
      ini_text::ReadIdentifier(argument.c_str(), macro);
      if (macro.empty()) {
        ini_env::Message("s", "File '%s': Invalid \"#%s\" directive: identifier expected", file.c_str(), name.c_str());
        // A block is still opened so that its #endif closes it, not an outer one.
        Push(false);
        return;
      }
      const bool defined = FindMacro(macro) != nullptr;
      Push(row->kind == DirectiveKind::Ifdef ? defined : !defined);
      return;
    }
    case DirectiveKind::Else:
      if (conditions_.empty()) {
        ini_env::Message("s", "File '%s': \"#else\" without \"if\"", file.c_str());
        return;
      }
      if (conditions_.size() == 1 || conditions_[conditions_.size() - 2] == 1) conditions_.back() ^= 1;
      return;
    case DirectiveKind::Endif:
      if (conditions_.empty()) {
        ini_env::Message("s", "File '%s': \"#endif\" without \"if\"", file.c_str());
        return;
      }
      conditions_.pop_back();
      return;
    case DirectiveKind::Error: {
      ExpandState state{nullptr, &file};
      ini_env::Message("is", "%s", ExpandText(argument, state).c_str());
      return;
    }
  }
}

void INIPreprocessor::If(const std::string& file, const std::string& argument) {
  if (!Active()) {
    // The result cannot matter inside a skipped block.
    Push(false);
    return;
  }
  ExpandState state{nullptr, &file};
  const std::string text = ExpandText(argument, state);
  const size_t op = text.find_first_of("=!");
  bool valid = op != std::string::npos;
  bool equal = true;
  size_t right = 0;
  if (valid && text[op] == '!') {
    valid = op + 1 < text.size() && text[op + 1] == '=';
    equal = false;
    right = op + 2;
  } else if (valid) {
    right = op + 1 < text.size() && text[op + 1] == '=' ? op + 2 : op + 1;
  }
  if (!valid) {
    ini_env::Message("s", "File '%s': Invalid \"#if\" directive: #if %s", file.c_str(), argument.c_str());
    Push(false);
    return;
  }
  std::string left;
  for (size_t i = 0; i < op; ++i)
    if (!ini_text::IsSpace(static_cast<unsigned char>(text[i]))) left += text[i];
  const std::string rightText = ini_text::SkipBlanks(text.c_str() + right);
  Push((left == rightText) == equal);
}

void INIPreprocessor::Include(std::vector<Line>& lines, size_t index, const std::string& argument) {
  const int parent = lines[index].origin;
  const Origin& including = origins_[static_cast<size_t>(parent)];
  const std::string path = FolderOf(including.path) + argument;
  const std::string key = PathKey(path);
  for (int o = parent; o >= 0; o = origins_[static_cast<size_t>(o)].parent) {
    if (PathKey(origins_[static_cast<size_t>(o)].path) != key) continue;
    ini_env::Message("s", "File '%s': \"#include\" of '%s' skipped: the file is already being read", including.path.c_str(),
                     path.c_str());
    return;
  }
  if (including.depth + 1 > kINIIncludeDepthMax || includes_ >= kINIIncludeCountMax) {
    ini_env::Message("s", "File '%s': \"#include\" of '%s' skipped: too many nested or repeated includes",
                     including.path.c_str(), path.c_str());
    return;
  }
  if (IsDeviceName(path)) {
    ini_env::Message("s", "File '%s': \"#include\" of '%s' skipped: not a file", including.path.c_str(), path.c_str());
    return;
  }
  FileInOut in(true, "rt", path.c_str(), 0);
  if (!in.IsOpen()) {
    ini_env::MessageId("mq1", 6922, including.path.c_str(), path.c_str());
    return;
  }
  if (includedBytes_ + in.Size() > kINIIncludeBytesMax) {
    ini_env::Message("s", "File '%s': \"#include\" of '%s' skipped: the included files are too large",
                     including.path.c_str(), path.c_str());
    return;
  }
  includedBytes_ += in.Size();
  ++includes_;
  const int origin = static_cast<int>(origins_.size());
  origins_.push_back({path, parent, including.depth + 1});
  long long size = in.Size();
  if (size < 0 || size > 65536) size = 65536;
  const size_t bufferSize = size + 1 < 260 ? 260 : (size + 1 > 65536 ? 65536 : static_cast<size_t>(size + 1));
  std::vector<char> buffer(bufferSize);
  std::vector<Line> inserted;
  while (in.ReadLine(buffer.size(), buffer.data())) {
    std::string text(buffer.data());
    ini_text::TrimBlanks(text);
    if (!text.empty() && text[0] == ';') continue;
    if (!text.empty() && text[0] == '#' && (stream_.flags_ & INI_HASH_COMMENTS)) continue;
    inserted.push_back({std::move(text), origin});
  }
  inserted = Merge(std::move(inserted));
  lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(index) + 1, std::make_move_iterator(inserted.begin()),
               std::make_move_iterator(inserted.end()));
}

void INIPreprocessor::AddMacro(std::unique_ptr<INIDefine> macro) {
  const std::string name = macro->Name();
  macros_[name] = std::move(macro);
}

INIDefine* INIPreprocessor::FindMacro(const std::string& name) const {
  auto it = macros_.find(name);
  return it == macros_.end() ? nullptr : it->second.get();
}

void INIPreprocessor::Expand(SectionItem* section, const std::string& text, std::string& output) {
  ExpandState state{section, &stream_.fileName_};
  output = ExpandText(text, state);
}

std::string INIPreprocessor::ExpandText(const std::string& text, ExpandState& state) {
  using ini_text::IsIdentChar;
  std::string out;
  size_t i = 0;
  while (i < text.size() && !state.stopped) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (!IsIdentChar(c)) {
      out += text[i++];
      continue;
    }
    size_t end = i;
    while (end < text.size() && IsIdentChar(static_cast<unsigned char>(text[end]))) ++end;
    const std::string ident = text.substr(i, end - i);
    INIDefine* macro = (c >= '0' && c <= '9') ? nullptr : FindMacro(ident);
    if (!macro) {
      out += ident;
      i = end;
      continue;
    }
    const unsigned count = macro->CountExpansion();
    const char* file = state.file->c_str();
    if (state.depth >= kINIExpansionDepthMax) {
      ini_env::Message("s", "Macro '%s' nested too deeply while expanding in file '%s', expansion count: %u",
                       ident.c_str(), file, count);
      state.stopped = true;
      break;
    }
    if (budgetSpent_) {
      state.stopped = true;
      break;
    }
    if (++state.uses > kINIExpansionCountMax || state.produced > kINIExpansionSizeMax) {
      ini_env::Message("s", "Expansion of macro '%s' too long in file '%s', expansion count: %u", ident.c_str(), file,
                       count);
      state.stopped = true;
      break;
    }
    if (expandedTotal_ + state.produced > kINIExpansionTotalMax) {
      // Many lines of bounded size can still exhaust memory together.
      ini_env::Message("s", "Macro expansion stopped in file '%s': the expanded text is too large", file);
      budgetSpent_ = true;
      state.stopped = true;
      break;
    }
    std::vector<std::string> arguments;
    if (macro->NeedsArguments()) {
      size_t k = end;
      while (k < text.size() && ini_text::IsSpace(static_cast<unsigned char>(text[k]))) ++k;
      if (k >= text.size() || text[k] != '(') {
        ini_env::Message("s", "'(' expected while expanding macro '%s' in file '%s', expansion count: %u", ident.c_str(),
                         file, count);
        state.stopped = true;
        break;
      }
      const size_t close = text.find(')', k + 1);
      if (close == std::string::npos) {
        ini_env::Message("s", "')' expected while expanding macro '%s' in file '%s', expansion count: %u", ident.c_str(),
                         file, count);
        state.stopped = true;
        break;
      }
      const std::string list = text.substr(k + 1, close - k - 1);
      size_t start = 0;
      for (;;) {
        const size_t comma = list.find(',', start);
        arguments.push_back(list.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos) break;
        start = comma + 1;
      }
      if (arguments.size() != macro->Parameters()) {
        ini_env::Message("s", "Invalid number of parameters to macro '%s' in file '%s', expansion count: %u",
                         ident.c_str(), file, count);
        state.stopped = true;
        break;
      }
      end = close + 1;
    }
    const std::string result = macro->Compute(arguments, state.section);
    // Every byte of the final text comes from a body counted here once, so
    // the count bounds the result however deeply macros nest.
    state.produced += result.size();
    ++state.depth;
    const std::string expanded = ExpandText(result, state);
    --state.depth;
    out += expanded;
    i = end;
  }
  if (state.depth == 0) expandedTotal_ += state.produced;
  return ini_text::DecodeEscapes(out);
}

void INIPreprocessor::SecondPass() {
  AddMacro(std::make_unique<INIDefine>("__S__", 0, std::string(), true));
  AddMacro(std::make_unique<INIDefine__R__>());
  SecondPassOver(stream_);
  macros_.clear();
  if (ppFile_) std::fclose(ppFile_);
  ppFile_ = nullptr;
}

void INIPreprocessor::SecondPassOver(INIStream& stream) {
  INIDefine* sectionMacro = FindMacro("__S__");
  for (const auto& section : stream.sections_) {
    if (sectionMacro) sectionMacro->SetBody(section->Name());
    if (ppFile_) {
      const std::string brackets(stream.level_ + 1u, '[');
      const std::string closing(stream.level_ + 1u, ']');
      std::fprintf(ppFile_, "\n%s%s%s\n", brackets.c_str(), section->Name().c_str(), closing.c_str());
    }
    for (const auto& item : section->Records()) {
      const char* value = item->Value();
      const char* underscore = std::strchr(value, '_');
      if (underscore && underscore[1] == '_') {
        std::string expanded;
        Expand(section.get(), value, expanded);
        item->SetValue(expanded.c_str());
      }
      if (ppFile_) std::fprintf(ppFile_, "%s=%s\n", item->Name(), item->Value());
    }
    if (section->Nested()) SecondPassOver(*section->Nested());
  }
}
