#include "framework/config/ini_entry.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "framework/config/ini_stream.h"

namespace {

TEST(INIEntry, SecondEntryOfAKeyIsNotListedAndItsDeathLeavesTheFirst) {
  uint32_t a = 1, b = 2;
  INIEntry first(a, "Foo");
  {
    INIEntry second(b, "Foo");
    EXPECT_EQ(INIEntryList::Find("Foo"), &first);
    EXPECT_FALSE(INIEntryList::Contains(&second));
  }
  // The unlisted duplicate took nothing off on its way out.
  EXPECT_EQ(INIEntryList::Find("Foo"), &first);
  INIStream stream;
  INIEntryList::WriteAll(stream);
  stream.SetSection("Options");
  EXPECT_STREQ(stream.FindValue("Foo"), "1");
}

TEST(INIEntry, WriteAllAndReadAllRoundTripUnderOptions) {
  uint8_t byte = 7;
  uint16_t word = 300;
  uint32_t dword = 0xFFFFFFFF;
  char text[16] = "hello";
  uint8_t bytes[2] = {0xAB, 0x01};
  INIEntry e1(byte, "Byte"), e2(word, "Word"), e3(dword, "Dword"), e4(text, sizeof text, "Text");
  INIEntryLen e5(2, bytes, "Bytes");
  INIEntrySstr e6("default", "Sstr");
  INIEntry nameless(byte, nullptr);
  EXPECT_FALSE(INIEntryList::Contains(&nameless));

  INIStream stream;
  EXPECT_EQ(INIEntryList::WriteAll(stream), INIEntryList::Count());
  ASSERT_TRUE(stream.SaveToMemory(0));
  EXPECT_EQ(stream.Memory().Text(), "[Options]\nByte=7\nWord=300\nDword=4294967295\nText=hello\nBytes=AB01\nSstr=default\n");

  byte = 0, word = 0, dword = 0, bytes[0] = 0, bytes[1] = 0;
  std::strcpy(text, "x");
  e6.SetText("y");
  INIEntryList::ReadAll(stream);
  EXPECT_EQ(byte, 7);
  EXPECT_EQ(word, 300);
  EXPECT_EQ(dword, 0xFFFFFFFFu);
  EXPECT_STREQ(text, "hello");
  EXPECT_EQ(bytes[0], 0xAB);
  EXPECT_EQ(bytes[1], 0x01);
  EXPECT_EQ(e6.Text(), "default");
}

TEST(INIEntry, MissingRecordsKeepCurrentValuesAndLongTextsAreCut) {
  uint32_t dword = 42;
  char text[4] = "abc";
  INIEntry e1(dword, "Keep32"), e2(text, sizeof text, "KeepText");
  INIStream stream;
  INIEntryList::ReadAll(stream);
  EXPECT_EQ(dword, 42u);
  EXPECT_STREQ(text, "abc");
  stream.SetSection("Options").SetValue("overlong", "KeepText");
  INIEntryList::ReadAll(stream);
  EXPECT_STREQ(text, "ove");
}

TEST(INIEntry, HeapTextFreesOnlyItsOwnCopies) {
  static const char kLiteral[] = "program's own";
  char* text = const_cast<char*>(kLiteral);
  {
    INIEntry entry(text, "Heap");
    INIStream stream;
    stream.SetSection("Options").SetValue("first", "Heap");
    entry.Read(stream);
    EXPECT_STREQ(text, "first");
    stream.SetValue("second", "Heap");
    entry.Read(stream);  // the first copy is freed (ASan would see a leak)
    EXPECT_STREQ(text, "second");
    INIStream out;
    INIEntryList::WriteAll(out);
    out.SetSection("Options");
    EXPECT_STREQ(out.FindValue("Heap"), "second");
  }
  EXPECT_EQ(text, nullptr);
  char* literal = const_cast<char*>(kLiteral);
  { INIEntry untouched(literal, "Heap2"); }  // never read: the literal is not freed
  EXPECT_EQ(literal, kLiteral);
}

TEST(ININumberKey, FormatsDecimal) {
  EXPECT_STREQ(ININumberKey(0).Text(), "0");
  EXPECT_STREQ(ININumberKey(4294967295u).Text(), "4294967295");
}

}  // namespace
