// Feeds a few thousand mutated configuration files through every reading
// mode: nothing may crash, hang or report a broken stream.
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string>

#include "framework/config/ini_stream.h"
#include "framework/config/tests/support/ini_test_support.h"

using ini_test::MessageRecorder;
using ini_test::ScratchDir;

namespace {

const char kSeed[] =
    "#define ADD(a,b) a+b\n#define N 7\n#define REC(x) x x\n[Main]\nName = Value\n$Dollar=1\nx=ADD(1,N)\n"
    "#if N == 7\ny=__S__\n#else\nz=2\n#endif\n#ifdef N\nr=__R__(Name)\n#endif\n[[Nested]]\nq=@[Main].Name\n"
    "line without equals\n[Other\\\n]\ncont=a\\\\\nb\n#include other.ini\n#include self.ini\n#error E N\n";

const char* const kFragments[] = {"[", "]", "[[", "#", "#define ", "#include self.ini\n", "#if ", "#endif\n", "#else\n",
                                  "\\", "\\\\", "=", "\n", "__R__(", "__S__", "@[", "REC(REC(", ")", "(", ",", "$",
                                  ";", "\x10", "\x11", "\x1F", std::string(1, '\0').c_str()};

std::string Mutate(std::string text, std::mt19937& rng) {
  const int edits = 1 + static_cast<int>(rng() % 8);
  for (int e = 0; e < edits; ++e) {
    const size_t at = text.empty() ? 0 : rng() % (text.size() + 1);
    switch (rng() % 5) {
      case 0:  // flip a byte
        if (!text.empty()) text[at % text.size()] = static_cast<char>(rng() & 0xFF);
        break;
      case 1:  // drop a run
        if (!text.empty()) text.erase(at % text.size(), rng() % 16);
        break;
      case 2: {  // insert a syntax fragment
        const size_t n = sizeof kFragments / sizeof kFragments[0];
        const size_t f = rng() % n;
        text.insert(at, f == n - 1 ? std::string(1, '\0') : std::string(kFragments[f]));
        break;
      }
      case 3:  // duplicate a run
        if (!text.empty()) text.insert(at, text.substr(rng() % text.size(), rng() % 64));
        break;
      default:  // a long line
        text.insert(at, std::string(rng() % 3000, static_cast<char>('a' + rng() % 26)));
        break;
    }
  }
  return text;
}

// The header lines of a file as a plain read sees them: every one of them is
// a section of a stream that read the file whole.
size_t HeaderLines(const std::string& text, bool simple) {
  size_t headers = 0;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line;
    for (size_t i = start; i < end; ++i)
      if (text[i] != '\r') line += text[i];
    const size_t first = line.find_first_not_of(" \t\v\f");
    line = first == std::string::npos ? std::string() : line.substr(first);
    if (!simple && !line.empty() && line[0] == '$') line.erase(0, 1);
    if (!line.empty() && line[0] == '[') ++headers;
    start = end + 1;
  }
  return headers;
}

size_t SectionsOf(const INIStream& stream) {
  size_t n = 0;
  for (const auto& section : stream.Sections()) n += 1 + (section->Nested() ? SectionsOf(*section->Nested()) : 0);
  return n;
}

// Sections and named records: the kept lines of a read-write stream are
// saved as comments and do not come back.
std::string NamedDump(const INIStream& stream) {
  std::string out;
  std::string dump = ini_test::Dump(stream) + "|";
  for (size_t start = 0, bar; (bar = dump.find('|', start)) != std::string::npos; start = bar + 1) {
    const std::string piece = dump.substr(start, bar - start);
    if (piece.compare(0, 2, "; ") != 0) out += piece + "|";
  }
  return out;
}

TEST(INIMutation, MutatedFilesNeverCrashOrHang) {
  std::mt19937 rng(20261210u);
  ScratchDir dir;
  dir.Write("other.ini", "o=1\n#include self.ini\n");
  const std::string self = dir.Path("self.ini");
  const uint8_t modes[] = {0, INI_READ_ONLY, INI_READ_ONLY | INI_PREPROCESS, INI_PREPROCESS | INI_HASH_COMMENTS,
                           INI_SIMPLE, INI_KEEP_BLANKS};
  MessageRecorder messages;
  for (int i = 0; i < 3000; ++i) {
    const std::string text = Mutate(kSeed, rng);
    dir.Write("self.ini", text);
    const uint8_t flags = modes[i % (sizeof modes)];
    messages.Clear();
    {
      INIStream stream(flags, self.c_str());
      ASSERT_TRUE(stream.IsLoaded()) << i;
      stream.ResolveReferences();
      ASSERT_TRUE(stream.SaveToMemory(0) || stream.IsReadOnly());
      // What a read-write stream saves can be read again.
      if (!stream.IsReadOnly() && !(flags & INI_PREPROCESS)) {
        ScratchDir copy;
        INIStream once(flags, copy.Write("a.ini", stream.Memory().Text()).c_str());
        ASSERT_TRUE(once.IsLoaded()) << "mutation " << i;
        ASSERT_LE(once.Sections().size(), stream.Sections().size()) << "mutation " << i;
      }
    }
  }
}

TEST(INIMutation, ReadWriteOpenAndCloseLeavesWhatItRead) {
  std::mt19937 rng(20261211u);
  ScratchDir dir;
  const std::string path = dir.Path("rw.ini");
  const uint8_t modes[] = {0, INI_SIMPLE, INI_KEEP_BLANKS, INI_HASH_COMMENTS};
  MessageRecorder messages;
  for (int i = 0; i < 2000; ++i) {
    // Seeds without directives: a plain stream drops them.
    const std::string original = Mutate(i % 2 ? "[a]\nx=1\n[[b]]\ny=2\n[c]\nz = 3\nwords\n" : kSeed, rng);
    dir.Write("rw.ini", original);
    const uint8_t flags = modes[i % (sizeof modes)];
    std::string read;
    std::string written;
    size_t sections = 0;
    {
      INIStream stream(flags, path.c_str());
      read = NamedDump(stream);
      sections = SectionsOf(stream);
      stream.SaveToMemory(0);
      written = stream.Memory().Text();
    }
    const std::string onDisk = ScratchDir::Read(path);
    if (onDisk == original) continue;  // not saved, or saved as it was
    // Saved: the stream held every header of the file, the file holds what
    // the stream held, and reads back as it.
    ASSERT_EQ(sections, HeaderLines(original, flags & INI_SIMPLE)) << "mutation " << i << "\n" << original;
    ASSERT_EQ(onDisk, ini_test::NativeLines(written)) << "mutation " << i;
    INIStream back(flags, path.c_str());
    ASSERT_EQ(NamedDump(back), read) << "mutation " << i << "\n" << original;
  }
}

}  // namespace
