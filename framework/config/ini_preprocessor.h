// The preprocessing of an INI stream read with INI_PREPROCESS: continuation,
// directives (include, define, conditionals, error), macro expansion and the
// second pass over record values. Lives only while the stream reads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "framework/config/ini_define.h"

class INIStream;
class SectionItem;

// Bounds that keep hostile files from running forever or without memory.
constexpr unsigned kINIIncludeDepthMax = 16;
constexpr unsigned kINIIncludeCountMax = 256;
constexpr unsigned kINIExpansionDepthMax = 64;
constexpr unsigned kINIExpansionCountMax = 100000;       // macro uses per expanded text
constexpr size_t kINIExpansionSizeMax = size_t(1) << 20;  // bytes per expanded text
constexpr size_t kINIExpansionTotalMax = size_t(16) << 20;  // bytes expanded in one file
constexpr long long kINIIncludeBytesMax = 16ll << 20;       // bytes of all included files

class INIPreprocessor {
 public:
  explicit INIPreprocessor(INIStream& stream);
  ~INIPreprocessor();
  INIPreprocessor(const INIPreprocessor&) = delete;
  INIPreprocessor& operator=(const INIPreprocessor&) = delete;

  // Continuation, side file "pp1", predefined macros, directives and line
  // expansion; output gets the lines to parse.
  void FirstPass(const std::vector<std::string>& raw, std::vector<std::string>& output);
  // After parsing: __S__ and __R__ in record values, side file "pp".
  void SecondPass();
  void Expand(SectionItem* section, const std::string& text, std::string& output);

 private:
  struct Line {
    std::string text;
    int origin;  // index into origins_: the file the line came from
  };
  struct Origin {
    std::string path;
    int parent;
    unsigned depth;
  };
  struct ExpandState {
    SectionItem* section;
    const std::string* file;
    bool stopped = false;
    unsigned depth = 0;
    unsigned uses = 0;
    size_t produced = 0;
  };

  static std::vector<Line> Merge(std::vector<Line> lines);
  // True when path names the source or a file it included (case and
  // separator do not tell Windows file names apart).
  bool IsBeingRead(const std::string& path) const;
  void WriteMergedSideFile(const std::vector<Line>& lines);
  void Predefine(const std::string& name, const std::string& value);
  void OpenSideFile();
  void SecondPassOver(INIStream& stream);

  bool Active() const { return conditions_.empty() || conditions_.back() == 1; }
  void Push(bool result) { conditions_.push_back(Active() && result ? 1 : 0); }
  void Directive(std::vector<Line>& lines, size_t index, const std::string& text);
  void Include(std::vector<Line>& lines, size_t index, const std::string& argument);
  void If(const std::string& file, const std::string& argument);
  std::string ExpandText(const std::string& text, ExpandState& state);
  void AddMacro(std::unique_ptr<INIDefine> macro);
  INIDefine* FindMacro(const std::string& name) const;

  INIStream& stream_;
  std::map<std::string, std::unique_ptr<INIDefine>> macros_;
  std::vector<uint8_t> conditions_;
  std::vector<Origin> origins_;
  unsigned includes_ = 0;
  long long includedBytes_ = 0;
  size_t expandedTotal_ = 0;  // bytes produced by macro uses in this file
  bool budgetSpent_ = false;  // reported once; later macro uses are not expanded
  std::FILE* ppFile_ = nullptr;
};
