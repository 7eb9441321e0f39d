#include "framework/config/history.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/hooks.h"
#include "framework/config/ini_stream.h"
#include "framework/config/tests/support/ini_test_support.h"

using ini_test::NativeLines;
using ini_test::ScratchDir;

namespace {

// Points the history file into a scratch folder for one test.
class HistoryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = g_fwSettings.projectName;
    project_ = dir_.Path("proj");
    g_fwSettings.projectName = project_.c_str();
  }
  void TearDown() override { g_fwSettings.projectName = saved_; }
  std::string Path() const { return dir_.Path("proj.HST"); }
  ScratchDir dir_;
  std::string project_;
  const char* saved_ = nullptr;
};

TEST_F(HistoryFile, AddingKeepsOneItemPerTextNewestLastAndAtMost64) {
  History history(true, 0);
  history.Add(1, "a");
  history.Add(1, "b");
  history.Add(1, "a");
  EXPECT_STREQ(history.Text(1, 0), "a");
  EXPECT_STREQ(history.Text(1, 1), "b");
  EXPECT_EQ(history.Text(1, 2), nullptr);
  EXPECT_EQ(history.Text(2, 0), nullptr);
  for (int i = 0; i < 65; ++i) history.Add(3, std::to_string(i).c_str());
  ASSERT_EQ(history.List(3)->Items().size(), 64u);
  EXPECT_EQ(history.List(3)->Items().front()->Text(), "1");
  history.RemoveNewest(3);
  EXPECT_STREQ(history.Text(3, 0), "63");
}

TEST_F(HistoryFile, LetterCaseMattersOnlyWhenBothItemsAskForIt) {
  History history(true, 0);
  history.Add(1, "Text", true);
  history.Add(1, "TEXT", true);
  EXPECT_EQ(history.List(1)->Items().size(), 2u);
  history.Add(1, "text", false);
  EXPECT_EQ(history.List(1)->Items().size(), 2u);
  EXPECT_STREQ(history.Text(1, 0), "text");
  EXPECT_NE(history.Find(1, "TEXT"), nullptr);
  EXPECT_EQ(history.Find(1, "none"), nullptr);
  // Case-blind comparison knows the code page 1251 letters.
  history.Add(3, "\xCF\xD0\xC8\xC2\xC5\xD2", false);
  history.Add(3, "\xEF\xF0\xE8\xE2\xE5\xF2", false);
  EXPECT_EQ(history.List(3)->Items().size(), 1u);
}

TEST_F(HistoryFile, SavesAndLoadsItemsAndIgnoresForeignSections) {
  dir_.Write("proj.HST", "[Options]\nx=1\n\n[My_Sec]\nT=\"no\"\n\n[1A_x]\nT=\"no\"\n\n[1A_0]\nT=\"abc\"\n\n"
                         "[2_0]\nT=\"\n\n[2_1]\nT=\"Case\"\nC=0\n");
  {
    History history(false, 0);
    history.Load();
    ASSERT_NE(history.List(0x1A), nullptr);
    EXPECT_EQ(history.List(0x1A)->Items().size(), 1u);
    EXPECT_STREQ(history.Text(0x1A, 0), "abc");
    EXPECT_STREQ(history.Text(2, 1), "");
    EXPECT_STREQ(history.Text(2, 0), "Case");
    EXPECT_FALSE(history.List(2)->Items().back()->WithCase());
    EXPECT_EQ(history.List(0), nullptr);
    history.Add(0x1A, "new");
  }
  EXPECT_EQ(ScratchDir::Read(Path()),
            NativeLines("[Options]\nx=1\n\n[My_Sec]\nT=\"no\"\n\n[1A_x]\nT=\"no\"\n\n[1A_0]\nT=\"abc\"\n\n"
                        "[1A_1]\nT=\"new\"\n\n[2_0]\nT=\"\"\n\n[2_1]\nT=\"Case\"\nC=0\n"));
}

TEST_F(HistoryFile, ItemsComeInFileOrderWhateverTheirPositions) {
  dir_.Write("proj.HST", "[4_1]\nT=\"older\"\n\n[4_0]\nT=\"newer\"\n");
  History history(false, 0);
  history.Load();
  EXPECT_STREQ(history.Text(4, 0), "newer");
  EXPECT_STREQ(history.Text(4, 1), "older");
}

TEST_F(HistoryFile, ShorterListRemovesItsOldSectionsOnly) {
  {
    History history(false, 0);
    for (const char* t : {"a", "b", "c"}) history.Add(5, t);
    history.Add(6, "other");
  }
  {
    History history(false, 0);
    history.Load();
    history.RemoveNewest(5);
    history.RemoveNewest(5);
  }
  History history(false, 0);
  history.Load();
  EXPECT_EQ(history.List(5)->Items().size(), 1u);
  EXPECT_STREQ(history.Text(5, 0), "a");
  EXPECT_STREQ(history.Text(6, 0), "other");
}

TEST_F(HistoryFile, ReadOnlyHistoryNeitherReadsNorWrites) {
  dir_.Write("proj.HST", "[1_0]\nT=\"x\"\n");
  {
    History history(true, 0);
    history.Load();
    EXPECT_EQ(history.List(1), nullptr);
    history.Add(2, "y");
  }
  EXPECT_EQ(ScratchDir::Read(Path()), "[1_0]\nT=\"x\"\n");
}

TEST_F(HistoryFile, NumbersUseTheNewestItemOfTheProcessHistory) {
  History history(true, 0);
  History::SetProcessHistory(&history);
  uint32_t value = 0;
  EXPECT_FALSE(History::GetNumber(9, value));
  History::SetNumber(9, 17);
  ASSERT_TRUE(History::GetNumber(9, value));
  EXPECT_EQ(value, 17u);
  History::SetNumber(9, 18);
  EXPECT_EQ(history.List(9)->Items().size(), 1u);
  history.Add(9, "0x10");
  ASSERT_TRUE(History::GetNumber(9, value));
  EXPECT_EQ(value, 16u);
  history.Add(9, "010");  // read with base 0, as typed numbers always were: octal
  ASSERT_TRUE(History::GetNumber(9, value));
  EXPECT_EQ(value, 8u);
  History::SetProcessHistory(nullptr);
}

TEST_F(HistoryFile, RegisteredKindsBuildTheirOwnItems) {
  struct Tagged : HistoryItem {
    using HistoryItem::HistoryItem;
  };
  ASSERT_TRUE(History::RegisterKind(
      0x77, [](INIStream&) -> std::unique_ptr<HistoryItem> { return std::make_unique<Tagged>("from file", true); },
      [](const char* t) -> std::unique_ptr<HistoryItem> { return std::make_unique<Tagged>((std::string("<") + t + ">").c_str(), true); }));
  dir_.Write("proj.HST", "[77_0]\nT=\"ignored\"\n");
  History history(false, 0);
  history.Load();
  EXPECT_STREQ(history.Text(0x77, 0), "from file");
  history.Add(0x77, "typed");
  EXPECT_STREQ(history.Text(0x77, 0), "<typed>");
}

}  // namespace
