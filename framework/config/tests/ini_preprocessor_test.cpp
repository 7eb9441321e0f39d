#include "framework/config/ini_preprocessor.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/config/ini_stream.h"
#include "framework/config/tests/support/ini_test_support.h"

using ini_test::Dump;
using ini_test::MessageRecorder;
using ini_test::NativeLines;
using ini_test::ScratchDir;

namespace {

struct File {
  const char* name;
  const char* text;
};

struct PPCase {
  const char* what;
  std::vector<File> files;  // the first is read
  const char* expected;
  std::vector<const char*> messages;  // fragments, each expected exactly once
};

std::vector<PPCase> Cases() {
  return {
      {"object macro", {{"m.ini", "#define V 42\n[s]\nx=V\n"}}, "[s]|x=42", {}},
      {"macro with parameters", {{"m.ini", "#define ADD(a,b) a+b\n[s]\nx=ADD(1,2)\n"}}, "[s]|x=1+2", {}},
      {"token pasting keeps the blank of the argument", {{"m.ini", "#define CAT(a,b) a##b\n[s]\nx=CAT(x, y)\n"}},
       "[s]|x=x y", {}},
      {"blank before the parameter list", {{"m.ini", "#define F (a) [a]\n[s]\nx=F(1)\n"}}, "[s]|x=[1]", {}},
      {"macro in a section name", {{"m.ini", "#define SEC Main\n[SEC]\nx=1\n"}}, "[Main]|x=1", {}},
      {"undef", {{"m.ini", "#define V 1\n#undef V\n[s]\nx=V\n"}}, "[s]|x=V", {}},
      {"escapes decoded in lines", {{"m.ini", "[s]\nx=a\\x41\\101\\q\n"}}, "[s]|x=aAAq", {}},
      {"escaped 8 and 9 stand for themselves and end an octal run",
       {{"m.ini", "[s]\nx=dir\\8051\\9\ny=\\18\nz=a\\0b\n"}}, "[s]|x=dir80519|y=\x01" "8|z=a", {}},
      {"if on undefined names compares texts",
       {{"m.ini", "[s]\n#if A == B\nx=1\n#else\ny=1\n#endif\n#if A!=B\nz=1\n#endif\n"}}, "[s]|y=1|z=1", {}},
      {"if after expansion", {{"m.ini", "#define M on\n[s]\n#if M=on\nx=1\n#endif\n"}}, "[s]|x=1", {}},
      {"ifdef inside an inactive block stays inactive",
       {{"m.ini", "#define D\n[s]\n#if a=b\n#ifdef D\nx=1\n#else\ny=1\n#endif\n#endif\nz=1\n"}}, "[s]|z=1", {}},
      {"ifndef", {{"m.ini", "[s]\n#ifndef NOPE\nx=1\n#endif\n"}}, "[s]|x=1", {}},
      {"else and endif without if", {{"m.ini", "[s]\n#else\n#endif\nx=1\n"}}, "[s]|x=1",
       {"\"#else\" without \"if\"", "\"#endif\" without \"if\""}},
      {"malformed if opens an inactive block closed by its own endif",
       {{"m.ini", "[s]\n#ifdef\nx=1\n#endif\n#if nothing\ny=1\n#endif\nz=1\n"}}, "[s]|z=1",
       {"identifier expected", "Invalid \"#if\" directive"}},
      {"error shows an information message and reading goes on", {{"m.ini", "#define W world\n#error Oops W\n[s]\nx=1\n"}},
       "[s]|x=1", {"Oops world"}},
      {"unknown and invalid directives", {{"m.ini", "[s]\n#elif x\n# \nx=1\n"}}, "[s]|x=1",
       {"Unknown directive '#elif'", "Invalid directive"}},
      {"unknown directive not reported in a skipped block", {{"m.ini", "[s]\n#if a=b\n#pragma\n#endif\nx=1\n"}},
       "[s]|x=1", {}},
      {"invalid defines", {{"m.ini", "#define 9x 1\n#define F(a,) 1\n#define G(a\n#define H() 1\n[s]\nx=1\n"}},
       "[s]|x=1", {"'#define 9x 1'", "'#define F(a,) 1'", "'#define G(a'", "'#define H() 1'"}},
      {"sixteen parameters are refused",
       {{"m.ini", "#define P(a,b,c,d,e,f,g,h,i,j,k,l,m,n,o,p) a\n[s]\nx=1\n"}}, "[s]|x=1", {"Invalid #define"}},
      {"continuation joins without a blank; double backslash breaks the line",
       {{"m.ini", "[s]\nx=ab\\\ncd\ny=1\\\\\nz=2\n"}}, "[s]|x=abcd|y=1|z=2", {}},
      {"continuation on the last line is only removed", {{"m.ini", "[s]\nx=1\\"}}, "[s]|x=1", {}},
      {"second pass: __S__ and __R__",
       {{"m.ini", "[Main]\nName=7\na=__S__\nb=a_b __S__\nc=x__S__\nd=__R__(Name)\n"}},
       "[Main]|Name=7|a=Main|b=a_b __S__|c=x__S__|d=7", {}},
      {"__R__ of a missing record", {{"m.ini", "[Main]\nd=__R__(Nope)\n"}}, "[Main]|d=",
       {"Undefined record name 'Nope'"}},
      {"parameter errors stop the expansion", {{"m.ini", "#define F(a) a\n[s]\nx=1F 2\ny=F(1\nz=F(1,2)\n"}},
       "[s]|x=1F 2|y=|z=", {"')' expected", "Invalid number of parameters"}},
      {"missing open parenthesis", {{"m.ini", "#define F(a) a\n[s]\nx=k F\n"}}, "[s]|x=k ", {"'(' expected"}},
      {"include inserts the lines after the directive",
       {{"m.ini", "[s]\n#include sub.ini\nz=3\n"}, {"sub.ini", "; c\nx=1\ny=\\\n2\n"}}, "[s]|x=1|y=2|z=3", {}},
      {"nested include is found beside the file that includes it",
       {{"m.ini", "[s]\n#include d/a.ini\n"}, {"d/a.ini", "#include b.ini\na=1\n"}, {"d/b.ini", "b=2\n"}},
       "[s]|b=2|a=1", {}},
      {"missing include", {{"m.ini", "[s]\n#include none.ini\nx=1\n"}}, "[s]|x=1", {"none.ini"}},
      {"file including itself", {{"m.ini", "[s]\nx=1\n#include m.ini\ny=2\n"}}, "[s]|x=1|y=2",
       {"already being read"}},
      {"include cycle through another file",
       {{"m.ini", "[s]\n#include a.ini\n"}, {"a.ini", "a=1\n#include b.ini\n"}, {"b.ini", "b=1\n#include a.ini\n"}},
       "[s]|a=1|b=1", {"already being read"}},
      {"device names are never opened as includes",
       {{"m.ini", "[s]\n#include con\n#include NUL.ini\n#include d/aux\n#include com1.txt\nx=1\n"}}, "[s]|x=1",
       {"con' skipped: not a file", "NUL.ini' skipped: not a file", "aux' skipped: not a file",
        "com1.txt' skipped: not a file"}},
      {"self-referencing macro is bounded", {{"m.ini", "#define X X\n[s]\nx=X\ny=2\n"}}, "[s]|x=|y=2",
       {"nested too deeply"}},
      {"mutually recursive macros are bounded", {{"m.ini", "#define A B\n#define B A\n[s]\nx=A\ny=2\n"}}, "[s]|x=|y=2",
       {"nested too deeply"}},
      {"self-referencing __R__ is bounded", {{"m.ini", "[s]\nA=__R__(A)\n"}}, "[s]|A=", {"nested too deeply"}},
      {"open if at the end is reported", {{"m.ini", "[s]\n#if a=a\nx=1\n"}}, "[s]|x=1", {"without \"#endif\""}},
  };
}

class PreprocessorTable : public ::testing::TestWithParam<PPCase> {};

TEST_P(PreprocessorTable, ReadsAsExpected) {
  const PPCase& c = GetParam();
  ScratchDir dir;
  std::filesystem::create_directories(dir.Path("d"));
  for (const File& f : c.files) dir.Write(f.name, f.text);
  MessageRecorder messages;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, dir.Path(c.files[0].name).c_str());
  EXPECT_EQ(Dump(stream), c.expected) << c.what;
  for (const char* fragment : c.messages) EXPECT_EQ(messages.Count(fragment), 1u) << c.what << ": " << fragment << "\n" << messages.All();
  EXPECT_EQ(messages.Messages().size(), c.messages.size()) << c.what << "\n" << messages.All();
}

INSTANTIATE_TEST_SUITE_P(Directives, PreprocessorTable, ::testing::ValuesIn(Cases()));

TEST(INIPreprocessor, MissingIncludeUsesItsMessageIdAndNamesBothFiles) {
  ScratchDir dir;
  const std::string path = dir.Write("m.ini", "[s]\n#include gone.ini\n");
  MessageRecorder messages;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, path.c_str());
  ASSERT_EQ(messages.Messages().size(), 1u);
  EXPECT_EQ(messages.Messages()[0].id, 6922u);
  EXPECT_NE(messages.Messages()[0].text.find(path), std::string::npos);
}

TEST(INIPreprocessor, ExponentialMacrosStopAtTheSizeBound) {
  std::string text;
  for (char c = 'A'; c < 'Z'; ++c) text += std::string("#define ") + c + " " + static_cast<char>(c + 1) + " " +
                                          static_cast<char>(c + 1) + " " + static_cast<char>(c + 1) + "\n";
  text += "#define Z zzzzzzzz\n[s]\nx=A\ny=2\n";
  ScratchDir dir;
  MessageRecorder messages;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, dir.Write("e.ini", text).c_str());
  stream.SetSection("s");
  ASSERT_NE(stream.FindValue("x"), nullptr);
  EXPECT_LE(std::string(stream.FindValue("x")).size(), kINIExpansionSizeMax + 65536);
  EXPECT_STREQ(stream.FindValue("y"), "2");
  EXPECT_EQ(messages.Count("too long"), 1u) << messages.All();
}

TEST(INIPreprocessor, ManyExpandingLinesStopAtTheFileBudget) {
  // Each line alone stays under the bound of one text; together they would
  // not fit in memory.
  std::string text = "#define A B B B B\n#define B C C C C\n#define C D D D D\n#define D " + std::string(4000, 'd') + "\n[s]\n";
  const size_t perLine = 64 * 4001;
  const size_t lines = kINIExpansionTotalMax / perLine + 8;
  for (size_t i = 0; i < lines; ++i) text += "x" + std::to_string(i) + "=A\n";
  text += "last=1\n";
  ScratchDir dir;
  MessageRecorder messages;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, dir.Write("b.ini", text).c_str());
  EXPECT_EQ(messages.Count("the expanded text is too large"), 1u) << messages.All();
  stream.SetSection("s");
  EXPECT_GT(std::string(stream.FindValue("x0")).size(), perLine - 64);
  EXPECT_STREQ(stream.FindValue(("x" + std::to_string(lines - 1)).c_str()), "");
  EXPECT_STREQ(stream.FindValue("last"), "1");
}

TEST(INIPreprocessor, RepeatedLargeIncludesStopAtTheSizeBound) {
  ScratchDir dir;
  const std::string line = "r=" + std::string(1000, 'v') + "\n";
  std::string chunk;
  while (chunk.size() < static_cast<size_t>(kINIIncludeBytesMax / 4)) chunk += line;
  dir.Write("big.ini", chunk);
  std::string top = "[s]\n";
  for (int i = 0; i < 6; ++i) top += "#include big.ini\n";
  top += "last=1\n";
  MessageRecorder messages;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, dir.Write("top.ini", top).c_str());
  EXPECT_EQ(messages.Count("the included files are too large"), 3u) << messages.All();
  stream.SetSection("s");
  EXPECT_EQ(stream.CurrentSection()->Records().size(), 3 * chunk.size() / line.size() + 1);
  EXPECT_STREQ(stream.FindValue("last"), "1");
}

TEST(INIPreprocessor, WideIncludeTreeStopsAtTheIncludeBound) {
  // Each file includes the next one twice: without a bound 2^20 copies.
  ScratchDir dir;
  for (int i = 0; i < 20; ++i) {
    const std::string next = "f" + std::to_string(i + 1) + ".ini";
    dir.Write("f" + std::to_string(i) + ".ini", "#include " + next + "\n#include " + next + "\n");
  }
  dir.Write("f20.ini", "x=1\n");
  dir.Write("top.ini", "[s]\n#include f0.ini\n");
  MessageRecorder messages;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, dir.Path("top.ini").c_str());
  EXPECT_GT(messages.Count("too many nested or repeated includes"), 0u);
  ASSERT_EQ(stream.Sections().size(), 1u);
  EXPECT_LE(stream.Sections()[0]->Records().size(), kINIIncludeCountMax);
}

TEST(INIPreprocessor, PredefinedMacrosDescribeProgramAndFile) {
  const FwSettings saved = g_fwSettings;
  const FwHookTable savedHooks = g_fwHooks;
  g_fwSettings.appName = "my-app";
  g_fwSettings.projectName = "voq-proj";
  g_fwSettings.hardware = 1;
  g_fwHooks.debuggerName = [] { return "POD"; };
  ScratchDir dir;
  const std::string path = dir.Write("setup.ini",
                                     "[s]\na=__APP_NAME__\np=__PROJECT_NAME__\nf=__FILE__\nd=__DEBUGGER__\n"
                                     "#ifdef __HARDWARE__\nh=1\n#endif\n#ifdef __DEBUG__\ng=1\n#endif\n"
                                     "#ifndef __LOCAL_VERSION\nl=0\n#endif\n");
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, path.c_str());
  g_fwSettings = saved;
  g_fwHooks = savedHooks;
  EXPECT_EQ(Dump(stream), "[s]|a=my_app|p=voq_proj|f=SETUP.INI|d=POD|h=1|l=0");
}

TEST(INIPreprocessor, SideFilesShowMergedAndExpandedText) {
  ScratchDir dir;
  const std::string path = dir.Write("s.ini", "#define V 5\n[Main]\nx=V\\\\\ny=__S__\n");
  { INIStream stream(INI_READ_ONLY | INI_PREPROCESS | INI_PP_FILES, path.c_str()); }
  const std::string pp1 = ScratchDir::Read(dir.Path("s.pp1"));
  EXPECT_NE(pp1.find(";;; Source configuration file with line continuation characters removed and lines merged."),
            std::string::npos);
  // The line-break byte is shown as one backslash at the end of its piece.
  EXPECT_NE(pp1.find(NativeLines("x=V\\\ny=__S__\n")), std::string::npos) << pp1;
  const std::string pp = ScratchDir::Read(dir.Path("s.pp"));
  EXPECT_NE(pp.find("; -------- Predefined macros --------"), std::string::npos);
  EXPECT_NE(pp.find("; __FILE__ = S.INI"), std::string::npos);
  EXPECT_NE(pp.find(NativeLines("\n[Main]\nx=5\ny=Main\n")), std::string::npos) << pp;
}

TEST(INIPreprocessor, SideFilesNeverOverwriteTheFilesBeingRead) {
  struct Case {
    const char* source;
    const char* included;  // written beside the source, or null
    const char* sideFile;  // the side file that must still be written
  } cases[] = {
      {"cfg.pp", nullptr, "cfg.pp1"},
      {"cfg.PP1", nullptr, "cfg.pp"},
      {"cfg.ini", "cfg.pp", "cfg.pp1"},
  };
  for (const Case& c : cases) {
    for (uint8_t readOnly : {uint8_t{0}, uint8_t{INI_READ_ONLY}}) {
      ScratchDir dir;
      const std::string source = std::string("[s]\nx=1\n") + (c.included ? "#include cfg.pp\n" : "");
      const std::string path = dir.Write(c.source, source);
      const std::string includedText = "y=2\n";
      if (c.included) dir.Write(c.included, includedText);
      {
        INIStream stream(readOnly | INI_PREPROCESS | INI_PP_FILES, path.c_str());
        EXPECT_EQ(Dump(stream), c.included ? "[s]|x=1|y=2" : "[s]|x=1") << c.source;
      }
      EXPECT_EQ(ScratchDir::Read(path), source) << c.source;
      if (c.included) {
        EXPECT_EQ(ScratchDir::Read(dir.Path(c.included)), includedText) << c.source;
      }
      EXPECT_TRUE(ScratchDir::Exists(dir.Path(c.sideFile))) << c.source;
    }
  }
}

}  // namespace
