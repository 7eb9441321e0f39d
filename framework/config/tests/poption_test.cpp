#include "framework/config/poption.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/config/ini_stream.h"
#include "framework/config/poption_session.h"
#include "framework/base/ev_handler.h"

namespace {

std::string WrittenOptions() {
  INIStream stream;
  INIEntryList::WriteAll(stream);
  if (!stream.SaveToMemory(0)) return "";
  return stream.Memory().Text();
}

TEST(POption, ValuesDefaultsAndIsDefault) {
  PBoolOption b(nullptr, "B", true);
  EXPECT_TRUE(b.IsDefault());
  b.SetValue(0);
  EXPECT_FALSE(b.IsDefault());
  PRadioOption r(nullptr, "R", 3);
  r.SetValue(3);
  EXPECT_TRUE(r.IsDefault());
  PIntValueOption64 w(nullptr, "W", uint64_t{1} << 33);
  w.Set64((uint64_t{1} << 33) + (uint64_t{1} << 32));
  EXPECT_FALSE(w.IsDefault());
  PStringOption s(nullptr, "S", "abc", 8);
  EXPECT_TRUE(s.IsDefault());
  s.SetText("ABC");
  EXPECT_FALSE(s.IsDefault());
  PMenuBoolOption m(nullptr, "M", false, 1234);
  EXPECT_EQ(m.GetMenuCommand(), 1234u);
  EXPECT_EQ(b.GetMenuCommand(), 0u);
}

TEST(POption, TextsAreCutToTheirBuffers) {
  PStringOption s(nullptr, "S8", "a much longer default", 8);
  EXPECT_STREQ(s.GetText(), "a much ");
  s.SetText("12345678901234567890");
  EXPECT_STREQ(s.GetText(), "1234567");
  const std::string longPath(400, 'p');
  PFolderOption f(nullptr, "F", longPath.c_str());
  EXPECT_EQ(std::string(f.GetText()).size(), 259u);
  // A record longer than the buffers is cut too.
  INIStream stream;
  stream.SetSection("Options").SetValue(std::string(20000, 'x').c_str(), "S8").SetValue(longPath.c_str(), "F");
  INIEntryList::ReadAll(stream);
  EXPECT_STREQ(s.GetText(), "xxxxxxx");
  EXPECT_EQ(std::string(f.GetText()), std::string(259, 'p'));
}

TEST(POption, OwnedOptionsLeaveTheEntryListByIdentity) {
  PBoolOption listed(nullptr, "Shared", true);
  POptionList owner;
  PBoolOption owned(&owner, "Shared", false);
  PBoolOption ownedAlone(&owner, "Alone", false);
  EXPECT_TRUE(INIEntryList::Contains(&listed));
  EXPECT_FALSE(INIEntryList::Contains(&ownedAlone));
  EXPECT_TRUE(owner.Contains(&owned));
  EXPECT_TRUE(owner.Contains(&ownedAlone));
  EXPECT_EQ(WrittenOptions(), "[Options]\nShared=1\n");
}

TEST(POption, SessionOptionsAreWrittenOnlyOnTheSessionBroadcast) {
  PBoolOption listed(nullptr, "Same", true);
  PBoolOptionSes session(nullptr, "Same", false);
  PStringOptionSes text(nullptr, "SesText", "t", 16);
  EXPECT_TRUE(INIEntryList::Contains(&listed));
  EXPECT_FALSE(INIEntryList::Contains(&text));
  EXPECT_EQ(WrittenOptions(), "[Options]\nSame=1\n");

  INIStream stream;
  stream.SetSection("Session");
  PEvHandlerDispatcher::OnSessionWrite(&stream);
  ASSERT_TRUE(stream.SaveToMemory(0));
  EXPECT_EQ(stream.Memory().Text(), "[Session]\nSame=0\nSesText=t\n");
  stream.SetSection("Session").SetValue("1", "Same").SetValue("u", "SesText");
  PEvHandlerDispatcher::OnSessionRead(&stream);
  EXPECT_EQ(session.GetValue(), 1u);
  EXPECT_STREQ(text.GetText(), "u");

  // A session option is an event handler for exactly its lifetime.
  const uint32_t handlers = EvHandlerCount();
  {
    PBoolOptionSes temporary(nullptr, "Temporary", true);
    EXPECT_EQ(EvHandlerCount(), handlers + 1);
  }
  EXPECT_EQ(EvHandlerCount(), handlers);
}

TEST(POption, EmptyKeyNameWritesNothing) {
  PBoolOption none(nullptr, "", true);
  INIStream stream;
  stream.SetSection("x");
  none.Write(stream);
  EXPECT_TRUE(stream.Sections().empty());
}

TEST(POption, ComboBoxTextsByDisplayFormat) {
  static const uint32_t kValues[] = {5, 16, 0xFFFFFFFF};
  PRadioOptionAsComboBox dec(nullptr, "C1", 5, kValues, 3, 2);
  PRadioOptionAsComboBox sig(nullptr, "C2", 5, kValues, 3, 11);
  PRadioOptionAsComboBox hex(nullptr, "C3", 5, kValues, 3, 12);
  static const char* const kTexts[] = {"one", "two", nullptr};
  PRadioOptionAsComboBox texts(nullptr, "C4", 0, kTexts);
  EXPECT_EQ(dec.DisplayTexts(), (std::vector<std::string>{"5", "16", "4294967295"}));
  EXPECT_EQ(sig.DisplayTexts(), (std::vector<std::string>{"5", "16", "-1"}));
  EXPECT_EQ(hex.DisplayTexts(), (std::vector<std::string>{"5", "0x10", "0xFFFFFFFF"}));
  EXPECT_EQ(texts.DisplayTexts(), (std::vector<std::string>{"one", "two"}));
}

TEST(POption, ScriptFileOptionCarriesItsTitleAndFilter) {
  // The Russian half is in code page 1251, as every text of the program.
  PScriptFileOption script(nullptr, "Script", "run.cmd");
  EXPECT_EQ(script.Filter(), "Script files (*.cmd)|*.cmd");
  EXPECT_EQ(script.Title(), "Choose Script File|"
            "\xC2\xFB\xE1\xE5\xF0\xE8\xF2\xE5 \xF4\xE0\xE9\xEB \xF1\xF6\xE5\xED\xE0\xF0\xE8\xFF");
  EXPECT_STREQ(script.GetText(), "run.cmd");
}

}  // namespace
