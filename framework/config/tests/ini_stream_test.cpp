#include "framework/config/ini_stream.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/config/tests/support/ini_test_support.h"

using ini_test::Dump;
using ini_test::MessageRecorder;
using ini_test::NativeLines;
using ini_test::ScratchDir;

namespace {

struct ParseCase {
  const char* what;
  uint8_t flags;
  const char* text;
  const char* expected;
};

const ParseCase kParseCases[] = {
    {"records trimmed around the equals sign", 0, "[s]\nName = Value\n", "[s]|Name=Value"},
    {"leading blanks kept with flag 0x20", INI_KEEP_BLANKS, "[s]\nName = Value\n", "[s]|Name= Value"},
    {"dollar before a name is dropped", 0, "[s]\n$Name=1\n", "[s]|Name=1"},
    {"lines before the first section ignored", 0, "x=1\n[s]\ny=2\n", "[s]|y=2"},
    {"comment lines dropped", 0, "[s]\n; note\nx=1\n", "[s]|x=1"},
    {"line without equals kept as text", 0, "[s]\njust words\n", "[s]|; just words"},
    {"line without equals dropped when read-only", INI_READ_ONLY, "[s]\njust words\nx=1\n", "[s]|x=1"},
    {"Cyrillic record name is a kept line", 0, "[s]\n\xC8\xEC\xFF=1\n", "[s]|; \xC8\xEC\xFF=1"},
    {"hash line dropped without preprocessing", 0, "[s]\n#define A 1\nx=A\n", "[s]|x=A"},
    {"hash line dropped as comment with flag 8", INI_HASH_COMMENTS, "[s]\n#x=1\ny=2\n", "[s]|y=2"},
    {"first equals splits name and value", 0, "[s]\na=b=c\n", "[s]|a=b=c"},
    {"empty value", 0, "[s]\na=\n", "[s]|a="},
    {"section name keeps blanks, stops at bracket", 0, "[ my sec ]tail\nx=1\n", "[ my sec ]|x=1"},
    {"header without closing bracket runs to end of line", 0, "[open\nx=1\n", "[open]|x=1"},
    {"bracket bytes in a header stand for brackets", 0, "[a\x10" "b\x11]\n", "[a[b]]"},
    {"duplicates are kept", 0, "[s]\nx=1\nx=2\n[s]\n", "[s]|x=1|x=2|[s]"},
    {"nested stream and the next top-level section", 0, "[a]\nx=1\n[[b]]\ny=2\n[c]\nz=3\n",
     "[a]|x=1|[[b]]|y=2|[c]|z=3"},
    {"two levels of nesting", 0, "[a]\n[[b]]\n[[[c]]]\nq=1\n[[d]]\n[e]\n", "[a]|[[b]]|[[[c]]]|q=1|[[d]]|[e]"},
    {"missing final newline", 0, "[s]\nx=1", "[s]|x=1"},
    {"carriage returns dropped", 0, "[s]\r\nx=1\r\n", "[s]|x=1"},
    {"record name cut to 53", 0,
     "[s]\nabcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabcdefghij=v\n",
     "[s]|abcdefghijabcdefghijabcdefghijabcdefghijabcdefghijabc=v"},
    {"simple stream takes lines as they are", INI_SIMPLE, "[s]\n#x=1\n\nlone\n", "[s]|; #x=1|; lone"},
};

}  // namespace

class ParseTable : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTable, GivesSectionsAndRecords) {
  const ParseCase& c = GetParam();
  ScratchDir dir;
  const std::string path = dir.Write("t.ini", c.text);
  MessageRecorder messages;
  INIStream stream(c.flags, path.c_str());
  EXPECT_TRUE(stream.IsLoaded());
  EXPECT_EQ(Dump(stream), c.expected) << c.what;
  EXPECT_TRUE(messages.Messages().empty()) << messages.All();
}

INSTANTIATE_TEST_SUITE_P(Texts, ParseTable, ::testing::ValuesIn(kParseCases));

TEST(INIStreamNesting, HeaderTooDeepStopsParsingAndKeepsWhatWasRead) {
  struct Case {
    const char* text;
    const char* expected;
  } cases[] = {
      {"[[x]]\ny=1\n[z]\n", ""},
      {"[a]\nx=1\n[[[deep]]]\n[b]\n", "[a]|x=1"},
      {"[a]\n[[b]]\n[[[[c]]]]\n[d]\n", "[a]|[[b]]"},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    MessageRecorder messages;
    INIStream stream(INI_READ_ONLY, dir.Write("n.ini", c.text).c_str());
    EXPECT_EQ(Dump(stream), c.expected) << c.text;
    EXPECT_EQ(messages.Count("invalid section nesting"), 1u) << c.text;
  }
}

TEST(INIStreamRoundTrip, CanonicalFileSurvivesLoadAndSaveByteForByte) {
  const std::string text =
      "[Main]\nName=Value\nPath=C:\\dir\\file.txt\nEmpty=\n\n[Second]\nx=1\n\n[Holder]\nh=1\n\n[[Inner]]\ny=2\n\n"
      "[[Other]]\n\n[Tail]\n";
  ScratchDir dir;
  const std::string path = dir.Write("rt.ini", NativeLines(text));
  { INIStream stream(0, path.c_str()); }
  EXPECT_EQ(ScratchDir::Read(path), NativeLines(text));
}

TEST(INIStreamRoundTrip, KeptLinesAreWrittenAsCommentsAndVanishOnTheNextRead) {
  ScratchDir dir;
  const std::string path = dir.Write("k.ini", "[s]\nwords here\nx=1\n");
  { INIStream stream(0, path.c_str()); }
  EXPECT_EQ(ScratchDir::Read(path), NativeLines("[s]\n; words here\nx=1\n"));
  INIStream again(INI_READ_ONLY, path.c_str());
  EXPECT_EQ(Dump(again), "[s]|x=1");
}

TEST(INIStreamSave, SectionNameWithBracketsRoundTrips) {
  ScratchDir dir;
  const std::string path = dir.Path("b.ini");
  {
    INIStream stream(0, path.c_str());
    stream.SetSection("a]b[c").SetValue("1", "x");
  }
  EXPECT_EQ(ScratchDir::Read(path), NativeLines("[a\x11" "b\x10" "c]\nx=1\n"));
  INIStream back(INI_READ_ONLY, path.c_str());
  EXPECT_EQ(Dump(back), "[a]b[c]|x=1");
}

// Record names that would not read back as written ("[" starts a section,
// a leading "$" is taken off, a first character outside the record start
// keeps the line) are saved behind a "$", which the reader takes off again.
TEST(INIStreamSave, RecordNamesThatLookLikeOtherLinesRoundTrip) {
  ScratchDir dir;
  const std::string path = dir.Path("dollar.ini");
  {
    INIStream stream(INI_SIMPLE, path.c_str());
    stream.SetSection("s").SetValue("1", "[x");
    stream.SetValue("2", "$y");
    stream.SetValue("3", "-z");
    stream.SetValue("4", "w");
  }
  EXPECT_EQ(ScratchDir::Read(path), NativeLines("[s]\n$[x=1\n$$y=2\n$-z=3\nw=4\n"));
  INIStream back(INI_SIMPLE | INI_READ_ONLY, path.c_str());
  EXPECT_EQ(Dump(back), "[s]|[x=1|$y=2|-z=3|w=4");
}

TEST(INIStreamSave, LineBreaksInNamesAndValuesCannotForgeRecords) {
  ScratchDir dir;
  const std::string path = dir.Path("lf.ini");
  {
    INIStream stream(0, path.c_str());
    stream.SetSection("s").SetValue("1\n[evil]\ny=2\r\n", "x");
  }
  INIStream back(INI_READ_ONLY, path.c_str());
  EXPECT_EQ(Dump(back), "[s]|x=1 [evil] y=2");
}

TEST(INIStreamSave, SkipsEmptySectionsWithFlag40) {
  ScratchDir dir;
  const std::string path = dir.Write("e.ini", "[empty]\n[full]\nx=1\n");
  { INIStream stream(INI_SKIP_EMPTY_SECTIONS, path.c_str()); }
  EXPECT_EQ(ScratchDir::Read(path), NativeLines("[full]\nx=1\n"));
}

TEST(INIStreamSave, DebugFlagReportsDuplicatesAndDropsLaterRecords) {
  ScratchDir dir;
  const std::string path = dir.Write("d.ini", "[s]\nx=1\nx=2\n[s]\n");
  MessageRecorder messages;
  g_fwSettings.debug = 1;
  { INIStream stream(0, path.c_str()); }
  g_fwSettings.debug = 0;
  EXPECT_EQ(messages.Count("duplicate record 'x' in section [s]"), 1u);
  EXPECT_EQ(messages.Count("duplicate section 's'"), 1u);
  EXPECT_EQ(ScratchDir::Read(path), NativeLines("[s]\nx=1\n\n[s]\n"));
}

TEST(INIStreamSave, NeverOverwritesAFileItCouldNotRead) {
  ScratchDir dir;
  // A folder where the file should be: it exists but cannot be read as a file.
  const std::string path = dir.Path("locked.ini");
  std::filesystem::create_directory(path);
  {
    INIStream stream(0, path.c_str());
    EXPECT_FALSE(stream.IsLoaded());
    stream.SetSection("s").SetValue("1", "x");
    EXPECT_FALSE(stream.Save());
  }
  EXPECT_TRUE(std::filesystem::is_directory(path));
}

TEST(INIStreamSave, OnlyTheTopStreamOfANamedFileSaves) {
  ScratchDir dir;
  const std::string original = NativeLines("[a]\nx=1\n\n[[b]]\ny=2\n");
  const std::string path = dir.Write("n.ini", original);
  {
    INIStream stream(0, path.c_str());
    INIStream* nested = stream.GetSubStream(false, "a");
    ASSERT_NE(nested, nullptr);
    nested->SetSection("b").SetValue("3", "y");
    // The nested stream shares the file: saving it alone would drop the rest.
    EXPECT_FALSE(nested->Save());
    EXPECT_EQ(ScratchDir::Read(path), original);
  }
  EXPECT_EQ(ScratchDir::Read(path), NativeLines("[a]\nx=1\n\n[[b]]\ny=3\n"));
  INIStream unnamed(0, nullptr);
  unnamed.SetSection("s").SetValue("1", "x");
  EXPECT_FALSE(unnamed.Save());
  EXPECT_FALSE(ScratchDir::Exists("Undefined"));
}

TEST(INIStreamSave, MissingFileIsCreatedOnClose) {
  ScratchDir dir;
  const std::string path = dir.Path("new.ini");
  {
    INIStream stream(0, path.c_str());
    EXPECT_FALSE(stream.IsLoaded());
    stream.SetSection("s").SetValue("1", "x");
  }
  EXPECT_EQ(ScratchDir::Read(path), NativeLines("[s]\nx=1\n"));
}

TEST(INIStreamSave, StreamsThatMustNotSaveLeaveTheFileAlone) {
  const std::string original = "[s]\nx=1\n; note\n";
  struct Case {
    const char* what;
    uint8_t flags;
  } cases[] = {{"read-only", INI_READ_ONLY}, {"preprocessed", INI_PREPROCESS}};
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir.Write("keep.ini", original);
    {
      INIStream stream(c.flags, path.c_str());
      stream.SetSection("s").SetValue("2", "x");
    }
    EXPECT_EQ(ScratchDir::Read(path), original) << c.what;
  }
}

TEST(INIStreamSave, OverlongFileNameIsRefusedNotCut) {
  ScratchDir dir;
  const std::string cut = dir.Path(std::string(300 - dir.Path("").size(), 'a'));
  const std::string longName = cut + "b";
  ASSERT_GT(longName.size(), kINIFileNameMax);
  {
    INIStream stream(0, longName.c_str());
    stream.SetSection("s").SetValue("1", "x");
    EXPECT_FALSE(stream.Save());
  }
  EXPECT_FALSE(ScratchDir::Exists(longName.substr(0, kINIFileNameMax)));
}

TEST(INIStreamMemory, InMemoryStreamIsNeverSavedToAFileButToItsArray) {
  INIStream stream;
  EXPECT_EQ(stream.FileName(), "<In Memory>");
  stream.SetSection("s").SetValue(std::string(1000, 'v').c_str(), "long");
  EXPECT_FALSE(stream.Save());
  ASSERT_TRUE(stream.SaveToMemory(0));
  EXPECT_EQ(stream.Memory().Text(), "[s]\nlong=" + std::string(1000, 'v') + "\n");
}

TEST(INIStreamMemory, ReadsTextAndByteArraysAsSimpleStreams) {
  INIStream fromText("[a]\r\nx=1\r\n\r\n#y=2\n");
  EXPECT_EQ(Dump(fromText), "[a]|x=1|; #y=2");
  // A one-line text longer than the smallest line buffer stays one line.
  const std::string oneLine = "[s]" + std::string(300, 't');
  INIStream fromOneLine(oneLine.c_str());
  EXPECT_EQ(Dump(fromOneLine), "[s]");
  MemoryArray array;
  const std::string bytes = std::string("[b]\nz=3\n") + '\0' + "[hidden]\n";
  array.bytes.assign(bytes.begin(), bytes.end());
  array.used = bytes.size();
  INIStream fromArray(array);
  EXPECT_EQ(Dump(fromArray), "[b]|z=3");
}

TEST(MemoryInOut, ReadLineSplitsAtBufferSizeAndStopsAtNul) {
  MemoryArray array;
  const std::string bytes = std::string("abcdef\nxy") + '\0' + "zz";
  array.bytes.assign(bytes.begin(), bytes.end());
  array.used = bytes.size();
  MemoryInOut in(0, array);
  char line[4];
  std::vector<std::string> lines;
  while (in.ReadLine(sizeof line, line)) lines.push_back(line);
  EXPECT_EQ(lines, (std::vector<std::string>{"abc", "def", "", "xy"}));
}

TEST(INIStreamLookup, IndexedAndLinearSearchBothFindTheFirstDuplicate) {
  for (int sections : {8, 9}) {
    std::string text;
    for (int i = 0; i < sections; ++i) text += "[s" + std::to_string(i) + "]\n";
    text += "[dup]\nv=first\n";
    for (int i = 0; i < 10; ++i) text += "r=" + std::to_string(i) + "\n";
    text += "[dup]\nv=second\n";
    ScratchDir dir;
    INIStream stream(INI_READ_ONLY, dir.Write("i.ini", text).c_str());
    stream.SetSection("dup");
    EXPECT_STREQ(stream.FindValue("v"), "first") << sections;
    EXPECT_STREQ(stream.FindValue("r"), "0") << sections;
    EXPECT_NE(stream.FindSection("s3"), nullptr);
    EXPECT_EQ(stream.FindSection("s99"), nullptr);
    EXPECT_EQ(stream.FindSection("DUP"), nullptr) << "names compare with case";
    EXPECT_EQ(stream.SetSection("dup").FindValue("V"), nullptr) << "names compare with case";
  }
}

TEST(INIStreamLookup, OverlongKeysFindTheCutNames) {
  const std::string longRecord(60, 'r');
  const std::string longSection(300, 's');
  INIStream stream;
  stream.SelectSection(longSection.c_str()).SetValue("1", longRecord.c_str());
  EXPECT_NE(stream.FindSection(longSection.c_str()), nullptr);
  stream.SetSection(longSection.c_str());
  EXPECT_STREQ(stream.FindValue(longRecord.c_str()), "1");
  EXPECT_EQ(std::string(stream.CurrentSection()->Records()[0]->Name()).size(), kINIRecordNameMax);
}

TEST(INIStreamLookup, ValuesAddedToAnIndexedStreamAreFound) {
  std::string text;
  for (int i = 0; i < 12; ++i) text += "[s" + std::to_string(i) + "]\n";
  ScratchDir dir;
  INIStream stream(INI_READ_ONLY, dir.Write("ro.ini", text).c_str());
  stream.SetSection("new").SetValue("1", "x");
  EXPECT_NE(stream.FindSection("new"), nullptr);
  stream.SetSection("new");
  EXPECT_STREQ(stream.FindValue("x"), "1");
}

TEST(INIStreamValues, ShortValuesInlineLongOnHeap) {
  INIItem item("n", "1234567");
  EXPECT_TRUE(item.IsShortValue());
  item.SetValue("12345678");
  EXPECT_FALSE(item.IsShortValue());
  EXPECT_STREQ(item.Value(), "12345678");
  item.SetValue(item.Value() + 4);  // from its own heap copy
  EXPECT_STREQ(item.Value(), "5678");
}

TEST(INIStreamValues, ReadValueCopiesBoundedAndLeavesDestinationWhenNothingFound) {
  INIStream stream;
  stream.SetSection("s").SetValue("abcdefgh", "x");
  char buffer[5] = "keep";
  EXPECT_EQ(stream.ReadValue(sizeof buffer, buffer, nullptr, "missing"), nullptr);
  EXPECT_STREQ(buffer, "keep");
  EXPECT_EQ(stream.ReadValue(sizeof buffer, buffer, "dflt", "x"), buffer);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_EQ(stream.ReadValue(sizeof buffer, buffer, buffer, "missing"), buffer);
  EXPECT_STREQ(buffer, "abcd");
  EXPECT_TRUE(stream.IsEmptyValue("missing"));
  stream.SetValue("", "empty");
  EXPECT_TRUE(stream.IsEmptyValue("empty"));
  EXPECT_TRUE(stream.DeleteValue("x"));
  EXPECT_EQ(stream.FindValue("x"), nullptr);
}

TEST(INIStreamNavigation, PushPopSubStreamsIteratorsAndDeletion) {
  INIStream stream;
  stream.SetSection("opt_a").SetValue("1", "k1");
  stream.SetValue("2", "k2").SetValue("3", "other");
  stream.SetSection("opt_b").SetValue("4", "k1");
  stream.SetSection("zz").SetValue("5", "k1");
  stream.SetSection("opt_a");
  stream.PushSection();
  stream.SetSection("zz");
  stream.PopSection();
  EXPECT_EQ(stream.CurrentSectionName(), "opt_a");

  std::vector<std::string> sections;
  for (INISectionIterator it("opt_", stream); it.Current(); it.Next()) sections.push_back(it.Current());
  EXPECT_EQ(sections, (std::vector<std::string>{"opt_a", "opt_b"}));
  std::vector<std::string> records;
  for (INIItemIterator it("k", "opt_a", stream); it.Current(); it.Next()) records.push_back(it.Current());
  EXPECT_EQ(records, (std::vector<std::string>{"k1", "k2"}));
  EXPECT_EQ(INIItemIterator("k", "absent", stream).Current(), nullptr);

  INIStream* sub = stream.GetSubStream(true, "holder");
  ASSERT_NE(sub, nullptr);
  EXPECT_EQ(sub->Level(), 1);
  sub->SetSection("inner").SetValue("9", "y");
  EXPECT_EQ(stream.GetSubStream(false, "zz"), nullptr);
  EXPECT_EQ(stream.DeleteSectionsWithPrefix("opt_"), 2u);
  ASSERT_TRUE(stream.SaveToMemory(0));
  EXPECT_EQ(stream.Memory().Text(), "[zz]\nk1=5\n\n[holder]\n[[inner]]\ny=9\n");
}

TEST(INIStreamReferences, ResolvesSectionAndRecordReferences) {
  struct Case {
    const char* value;
    const char* expected;
    const char* trace;  // fragment expected in the debug trace, or null
  } cases[] = {
      {"@[.]", "Main", nullptr},
      {"x@[Other].name y", "x7 y", nullptr},
      {"@[Other]", "same", nullptr},  // the record of the same name
      {"@[].local!", "L!", nullptr},
      {"mail@home", "mail@home", nullptr},
      {"@[Other", "@[Other", "cannot find ']'"},
      {"@[Nope].x", "@[Nope].x", "cannot find section 'Nope'"},
      {"@[Other].nope", "@[Other].nope", "cannot find item 'nope'"},
  };
  for (const Case& c : cases) {
    INIStream stream;
    stream.SetSection("Other").SetValue("7", "name").SetValue("same", "ref");
    stream.SetSection("Main").SetValue("L", "local").SetValue(c.value, "ref");
    MessageRecorder messages;
    g_fwSettings.debug = 1;
    stream.ResolveReferences();
    g_fwSettings.debug = 0;
    stream.SetSection("Main");
    EXPECT_STREQ(stream.FindValue("ref"), c.expected) << c.value;
    if (c.trace) EXPECT_EQ(messages.Count(c.trace), 1u) << c.value << messages.All();
    else EXPECT_TRUE(messages.Messages().empty()) << c.value << messages.All();
  }
}

TEST(INIStreamHostile, OverlongLinesNulBytesAndHugeFilesAreReadSafely) {
  ScratchDir dir;
  MessageRecorder messages;
  // A line longer than the largest line buffer keeps what fits; the rest of
  // it is dropped, and the next line is read.
  const std::string big(200000, 'v');
  INIStream longLine(INI_READ_ONLY, dir.Write("long.ini", "[s]\nx=" + big + "\ny=1").c_str());
  longLine.SetSection("s");
  ASSERT_NE(longLine.FindValue("x"), nullptr);
  EXPECT_EQ(std::string(longLine.FindValue("x")).size(), 65535u - 2u);
  EXPECT_STREQ(longLine.FindValue("y"), "1");

  // A NUL ends its line; the next line is read. ("nul.ini" would name the
  // NUL device on Windows.)
  INIStream nul(INI_READ_ONLY, dir.Write("zero.ini", std::string("[s]\nx=ab") + '\0' + "cd\ny=2\n").c_str());
  nul.SetSection("s");
  EXPECT_STREQ(nul.FindValue("x"), "ab");
  EXPECT_STREQ(nul.FindValue("y"), "2");

  // A Ctrl-Z does not end the file.
  INIStream ctrlz(INI_READ_ONLY, dir.Write("z.ini", "[s]\nx=\x1A\ny=3\n").c_str());
  ctrlz.SetSection("s");
  EXPECT_STREQ(ctrlz.FindValue("y"), "3");

  // A file far larger than the line buffer is read to its last line.
  std::string huge;
  for (int s = 0; s < 200; ++s) {
    huge.append("[s").append(std::to_string(s)).append("]\n");
    for (int r = 0; r < 200; ++r) huge.append("r").append(std::to_string(r)).append("=").append(40, 'v').append("\n");
  }
  INIStream hugeStream(INI_READ_ONLY, dir.Write("huge.ini", huge).c_str());
  ASSERT_EQ(hugeStream.Sections().size(), 200u);
  EXPECT_EQ(hugeStream.Sections().back()->Records().size(), 200u);
  EXPECT_NE(hugeStream.SetSection("s199").FindValue("r199"), nullptr);
}

TEST(INIStreamHostile, FileThatCannotBeHeldWholeIsNotSavedOver) {
  const std::string overlong = "[s]\nx=" + std::string(70000, 'v') + "\ny=1\n";
  const std::string withNul = std::string("[s]\nx=ab") + '\0' + "cd\ny=1\n";
  for (const std::string& original : {overlong, withNul}) {
    ScratchDir dir;
    const std::string path = dir.Write("lossy.ini", original);
    MessageRecorder messages;
    {
      INIStream stream(0, path.c_str());
      EXPECT_TRUE(stream.IsLoaded());
      stream.SetSection("s");
      EXPECT_STREQ(stream.FindValue("y"), "1");
      stream.SetValue("2", "y");
    }
    EXPECT_EQ(ScratchDir::Read(path), original);
    EXPECT_EQ(messages.Count("the file is not saved"), 1u) << messages.All();
  }
  // A line that exactly fills the buffer before its line end is whole.
  ScratchDir dir;
  const std::string path = dir.Write("fits.ini", "[s]\nx=" + std::string(65533, 'v') + "\r\ny=1\n");
  MessageRecorder messages;
  { INIStream stream(0, path.c_str()); }
  EXPECT_TRUE(messages.Messages().empty()) << messages.All();
}

namespace {

// "[a]", "x=1", then headers of 2, 3, ... `deepest` brackets: each one level
// below the last, down to a level of deepest - 1.
std::string DeepNesting(unsigned deepest) {
  std::string text = "[a]\nx=1\n";
  for (unsigned n = 2; n <= deepest; ++n) text += std::string(n, '[') + std::string(n, ']') + "\n";
  return text;
}

}  // namespace

TEST(INIStreamSave, StoppedParseLeavesTheFileAsItWas) {
  struct Case {
    const char* what;
    std::string text;
  } cases[] = {
      {"first header nested", "[[x]]\ny=1\n[z]\nw=2\n"},
      {"header two levels deeper in the middle", "[a]\nx=1\n[[[b]]]\ny=2\n[a]\nx=1\n"},
      {"a level more than a stream can count", DeepNesting(257)},
  };
  for (const Case& c : cases) {
    ScratchDir dir;
    const std::string path = dir.Write("stop.ini", c.text);
    MessageRecorder messages;
    {
      INIStream stream(0, path.c_str());
      EXPECT_TRUE(stream.IsLoaded()) << c.what;
      EXPECT_FALSE(stream.Save()) << c.what;
    }
    EXPECT_EQ(ScratchDir::Read(path), c.text) << c.what;
    EXPECT_EQ(messages.Count("invalid section nesting"), 1u) << c.what << messages.All();
    EXPECT_EQ(messages.Count("the file is not saved"), 1u) << c.what << messages.All();
  }
}

TEST(INIStreamNesting, DeepestLevelAStreamCountsIsReadAndSaved) {
  ScratchDir dir;
  const std::string path = dir.Write("deep.ini", DeepNesting(kINILevelMax + 1u));
  MessageRecorder messages;
  std::string before;
  {
    INIStream stream(0, path.c_str());
    const INIStream* deepest = &stream;
    while (!deepest->Sections().empty() && deepest->Sections().back()->Nested())
      deepest = deepest->Sections().back()->Nested();
    EXPECT_EQ(deepest->Level(), kINILevelMax);
    // Nothing can be nested below it.
    EXPECT_EQ(const_cast<INIStream*>(deepest)->GetSubStream(true, ""), nullptr);
    before = Dump(stream);
  }
  EXPECT_TRUE(messages.Messages().empty()) << messages.All();
  INIStream back(INI_READ_ONLY, path.c_str());
  EXPECT_EQ(Dump(back), before);
}

TEST(INIStreamRoundTrip, NameCutToTheLimitIsStoredFoundAndWrittenAlike) {
  // Cut to 53 characters, the name ends in the blank before "B".
  const std::string name = std::string(52, 'A') + " B";
  ScratchDir dir;
  const std::string path = dir.Write("cut.ini", "[a]\n" + name + "=1\n");
  for (const char* value : {"2", "3"}) {
    INIStream stream(0, path.c_str());
    stream.SetSection("a").SetValue(value, name.c_str());
    EXPECT_EQ(stream.CurrentSection()->Records().size(), 1u) << value;
  }
  INIStream back(INI_READ_ONLY, path.c_str());
  back.SetSection("a");
  EXPECT_STREQ(back.FindValue(name.c_str()), "3");
  EXPECT_STREQ(back.FindValue(std::string(52, 'A').c_str()), "3");
  EXPECT_EQ(Dump(back), "[a]|" + std::string(52, 'A') + "=3");
}

TEST(INIStreamHostile, ReadOnlyStreamDropsTheTailOfAnOverlongLine) {
  // The line is 65,541 bytes: the last six, "Evil=1", are past the largest
  // line buffer.
  const std::string text = "[Main]\nA=" + std::string(65533, 'x') + "Evil=1\nB=2\n";
  ScratchDir dir;
  MessageRecorder messages;
  INIStream stream(INI_READ_ONLY, dir.Write("phantom.ini", text).c_str());
  stream.SetSection("Main");
  EXPECT_EQ(stream.FindValue("Evil"), nullptr);
  EXPECT_EQ(std::string(stream.FindValue("A")), std::string(65533, 'x'));
  EXPECT_STREQ(stream.FindValue("B"), "2");
  EXPECT_EQ(stream.CurrentSection()->Records().size(), 2u);
  EXPECT_EQ(messages.Count("the rest of the line is dropped"), 1u) << messages.All();
}

TEST(INIStreamValues, NullTextsAreMissingOrEmpty) {
  INIStream fromNull(static_cast<const char*>(nullptr));
  EXPECT_TRUE(fromNull.Sections().empty());

  INIStream stream;
  stream.SetSection("s").SetValue(nullptr, "x");
  EXPECT_STREQ(stream.FindValue("x"), "");
  stream.SetValue("1", nullptr);
  EXPECT_EQ(stream.CurrentSection()->Records().size(), 1u);
  EXPECT_EQ(stream.FindValue(nullptr), nullptr);
  EXPECT_EQ(stream.CurrentSection()->FindItem(nullptr), nullptr);
  char buffer[8] = "keep";
  EXPECT_EQ(stream.ReadValue(sizeof buffer, buffer, "dflt", nullptr), buffer);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_TRUE(stream.IsEmptyValue(nullptr));
  EXPECT_FALSE(stream.DeleteValue(nullptr));
  EXPECT_EQ(stream.DeleteSectionsWithPrefix(nullptr), 0u);
  EXPECT_STREQ(INISectionIterator(nullptr, stream).Current(), "s");
  EXPECT_STREQ(INIItemIterator(nullptr, "s", stream).Current(), "x");

  INIItem item(nullptr, nullptr);
  EXPECT_STREQ(item.Name(), "");
  EXPECT_STREQ(item.Value(), "");
}

TEST(INIStreamSave, ReplacesTheFileInOneStepOrKeepsItAndNamesTheNewText) {
  ScratchDir dir;
  const std::string original = "[s]\nx=1\n";
  const std::string path = dir.Write("a.ini", original);
  const std::string saved = NativeLines("[s]\nx=2\n");
  MessageRecorder messages;
  std::string kept;
  {
    INIStream stream(0, path.c_str());
    stream.SetSection("s").SetValue("2", "x");
    // Held open without sharing, the file cannot be replaced now.
    HANDLE held = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(stream.Save());
    CloseHandle(held);
    EXPECT_EQ(ScratchDir::Read(path), original);
    ASSERT_EQ(messages.Count("Cannot replace file '" + path + "'"), 1u) << messages.All();
    const std::string text = messages.Messages()[0].text;
    const std::string marker = "the new contents are kept in '";
    ASSERT_NE(text.find(marker), std::string::npos) << text;
    kept = text.substr(text.find(marker) + marker.size());
    kept.pop_back();  // the closing quote
    EXPECT_EQ(std::filesystem::path(kept).parent_path(), std::filesystem::path(path).parent_path());
    EXPECT_EQ(ScratchDir::Read(kept), saved);
  }
  // Closing saved it; the only other file is the one the message named.
  EXPECT_EQ(ScratchDir::Read(path), saved);
  std::vector<std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(path).parent_path()))
    files.push_back(entry.path().filename().string());
  std::sort(files.begin(), files.end());
  std::vector<std::string> expected = {"a.ini", std::filesystem::path(kept).filename().string()};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(files, expected);
}
