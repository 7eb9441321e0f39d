#include "framework/config/ini_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/config/ini_stream.h"
#include "framework/config/tests/support/ini_test_support.h"

using ini_test::MessageRecorder;

namespace {

INIStream& WithValue(INIStream& stream, const char* value) {
  stream.SetSection("s");
  if (value) stream.SetValue(value, "r");
  return stream;
}

TEST(INIReadRecord, NumbersParseDecimalAndHexAndKeepTheirWidth) {
  struct Case {
    const char* value;  // null: no record
    uint32_t expected32;
    uint8_t expected8;
  } cases[] = {
      // " 010" is what a record "r= 010" holds with flag 0x20: decimal too.
      {"0x10", 16, 16}, {"010", 10, 10}, {" 010", 10, 10}, {"000", 0, 0}, {"7", 7, 7}, {"0x1FF", 0x1FF, 0xFF}, {"junk", 0, 0},
      {nullptr, 1234, 99},
  };
  for (const Case& c : cases) {
    INIStream stream;
    WithValue(stream, c.value);
    uint32_t v32 = 1234;
    uint8_t v8 = 99;
    stream.Read(INIReadRecord("r", v32)).Read(INIReadRecord("r", v8));
    EXPECT_EQ(v32, c.expected32) << (c.value ? c.value : "(none)");
    EXPECT_EQ(v8, c.expected8) << (c.value ? c.value : "(none)");
  }
}

TEST(INIReadRecord, ExpressionReadsReportOnlyWhatThisReadFlagged) {
  const FwSettings saved = g_fwSettings;
  const FwHookTable savedHooks = g_fwHooks;
  g_fwSettings.debug = 1;
  INIStream stream;
  WithValue(stream, "1+");
  uint32_t v = 0;
  MessageRecorder messages;
  // A stale flag from an earlier parse must not raise a message.
  g_fwSettings.badNumber = 1;
  g_fwHooks.parse = FwDefaultParse;
  stream.Read(INIReadRecord("r", v, 0, INI_READ_EXPRESSION));
  EXPECT_TRUE(messages.Messages().empty()) << messages.All();
  g_fwHooks.parse = [](uint8_t mode, const char*) -> uint32_t {
    g_fwSettings.badNumber = 1;
    return mode == 1 ? 5 : 0;
  };
  stream.Read(INIReadRecord("r", v, 0, INI_READ_EXPRESSION));
  EXPECT_EQ(v, 5u);
  EXPECT_EQ(messages.Count("Invalid expression string '1+'\nFile:    '<In Memory>'\nSection: 's'\nRecord:  'r'"), 1u)
      << messages.All();
  g_fwSettings = saved;
  g_fwHooks = savedHooks;
}

TEST(INIReadRecord, TextIsBoundedByTheBufferItNames) {
  INIStream stream;
  WithValue(stream, std::string(20000, 'x').c_str());
  char small[8];
  std::memset(small, '#', sizeof small);
  stream.Read(INIReadRecord("r", small, sizeof small, ""));
  EXPECT_EQ(std::string(small), std::string(7, 'x'));
  std::vector<char> big(20000, '#');
  stream.Read(INIReadRecord("r", big.data(), static_cast<uint32_t>(big.size()), ""));
  EXPECT_EQ(std::string(big.data()).size(), 16379u);
  char keep[8] = "mine";
  stream.Read(INIReadRecord("missing", keep, sizeof keep, keep));
  EXPECT_STREQ(keep, "mine");
}

TEST(INIReadRecord, HeapTextGetsANewCopyAndEmptyWhenMissing) {
  INIStream stream;
  WithValue(stream, "value");
  char* text = nullptr;
  stream.Read(INIReadRecord("r", text));
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "value");
  delete[] text;
  stream.Read(INIReadRecord("missing", text));
  EXPECT_STREQ(text, "");
  delete[] text;
}

TEST(INIReadRecord, ByteArraysFromHexPairs) {
  struct Case {
    const char* value;
    uint8_t expected[3];
  } cases[] = {
      {"0A0B", {0x0A, 0x0B, 0x00}},
      {"A", {0xA0, 0x00, 0x00}},  // a missing digit reads as 0
      {"zz11FFEE", {0x00, 0x11, 0xFF}},
      {nullptr, {1, 2, 3}},  // the current bytes are the default
  };
  for (const Case& c : cases) {
    INIStream stream;
    WithValue(stream, c.value);
    uint8_t bytes[3] = {1, 2, 3};
    stream.Read(INIReadRecord("r", bytes, 3));
    EXPECT_EQ(0, std::memcmp(bytes, c.expected, 3)) << (c.value ? c.value : "(none)");
  }
}

TEST(INIReadRecord, ColourFloatTextAnd64BitValues) {
  struct Case {
    const char* value;
    uint32_t expected;
  } colours[] = {{"RGB(1,2,3)", 0x030201}, {"RGB(1,2)", 0xABCDEF}, {"255", 255}, {"RGB(256,0,1)", 0x010000}};
  for (const auto& c : colours) {
    INIStream stream;
    WithValue(stream, c.value);
    uint32_t colour = 0xABCDEF;
    stream.Read(INIReadRecord::Color("r", colour));
    EXPECT_EQ(colour, c.expected) << c.value;
  }
  INIStream stream;
  WithValue(stream, "2.5");
  float f = 0;
  stream.Read(INIReadRecord("r", f));
  EXPECT_FLOAT_EQ(f, 2.5f);
  std::string s = "old";
  stream.Read(INIReadRecord("r", s)).Read(INIReadRecord("missing", s));
  EXPECT_EQ(s, "2.5");
  stream.SetValue("0x123456789A", "big");
  uint64_t v = 0;
  stream.Read(INIReadRecord("big", v));
  EXPECT_EQ(v, 0x123456789Aull);
  uint64_t kept = 77;
  stream.Read(INIReadRecord("missing", kept));
  EXPECT_EQ(kept, 77u);
}

TEST(INIWriteRecord, NumbersFollowTheFormatAndAnEarlierHexRecord) {
  struct Case {
    uint32_t format;
    const char* old;  // null: no record
    const char* expected;
  } cases[] = {
      {INI_FORMAT_DECIMAL, nullptr, "255"},
      {INI_FORMAT_DECIMAL, "0x0A", "0xFF"},
      {INI_FORMAT_DECIMAL, "  0x0A", "0xFF"},
      {INI_FORMAT_DECIMAL, "0X0A", "255"},
      {INI_FORMAT_HEX, nullptr, "0xFF"},
  };
  for (const Case& c : cases) {
    INIStream stream;
    stream.SetNumberFormat(c.format);
    WithValue(stream, c.old);
    stream.Write(INIWriteRecord("r", uint32_t{255}));
    EXPECT_STREQ(stream.FindValue("r"), c.expected) << (c.old ? c.old : "(none)");
  }
}

TEST(INIWriteRecord, OtherTagsAndTheSectionCreatedOnFirstWrite) {
  INIStream stream;
  stream.SetSection("new");
  const uint8_t bytes[] = {0x0A, 0xFF, 0x00};
  stream.Write(INIWriteRecord("b", bytes, 3))
      .Write(INIWriteRecord("f", 0.5f))
      .Write(INIWriteRecord::Color("c", 0x030201))
      .Write(INIWriteRecord("t", "text"))
      .Write(INIWriteRecord("w", uint64_t{1} << 40))
      .Write(INIWriteRecord("h", uint64_t{0}, "ignored", INI_TAG_HEAP_TEXT, 0));
  ASSERT_TRUE(stream.SaveToMemory(0));
  EXPECT_EQ(stream.Memory().Text(), "[new]\nb=0AFF00\nf=0.5\nc=RGB(1,2,3)\nt=text\nw=1099511627776\n");
}

}  // namespace
