// The engine shows its messages through the framework's message function and
// reads the framework's settings and hooks.
#include <gtest/gtest.h>

#include <string>

#include "framework/base/hooks.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/config/ini_stream.h"
#include "framework/config/tests/support/ini_test_support.h"

using ini_test::Dump;
using ini_test::ScratchDir;

namespace {

constexpr uint16_t kIconError = 102;
constexpr uint16_t kIconInformation = 103;

TEST(INIFramework, ErrorDirectiveShowsAnInformationBoxAndReadingGoesOn) {
  ScratchDir dir;
  FwBoxRecorder boxes;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, dir.Write("e.ini", "[s]\n#error Oops\nx=1\n").c_str());
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].kind, FwBoxKind::Message);
  EXPECT_EQ(boxes.Boxes()[0].icon, kIconInformation);
  EXPECT_EQ(boxes.Boxes()[0].text, "Oops");
  EXPECT_EQ(Dump(stream), "[s]|x=1");
}

TEST(INIFramework, MissingIncludeShowsMessage6922WithBothFiles) {
  ScratchDir dir;
  const std::string path = dir.Write("m.ini", "[s]\n#include gone.ini\ny=2\n");
  FwBoxRecorder boxes;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, path.c_str());
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  const FwRecordedBox& box = boxes.Boxes()[0];
  EXPECT_EQ(box.messageId, 6922u);
  EXPECT_EQ(box.icon, kIconError);
  EXPECT_EQ(box.text, "File '" + path + "': cannot open the included file '" + dir.Path("gone.ini") + "'");
  EXPECT_EQ(Dump(stream), "[s]|y=2");
}

TEST(INIFramework, AppNameIsTheSetupProgramsInItsFlavour) {
  ScratchDir dir;
  INIStream stream(INI_READ_ONLY | INI_PREPROCESS, dir.Write("a.ini", "[s]\nname=__APP_NAME__\n").c_str());
  EXPECT_EQ(Dump(stream), "[s]|name=Setup");
}

TEST(INIFramework, FrameworkDebugFlagDefinesDebugAndChecksDuplicates) {
  ScratchDir dir;
  const std::string path = dir.Write("d.ini", "#ifdef __DEBUG__\n[dbg]\n#endif\n[s]\nx=1\nx=2\n");
  FwBoxRecorder boxes;
  g_fwSettings.debug = 1;
  {
    INIStream stream(INI_PREPROCESS, path.c_str());
    EXPECT_EQ(Dump(stream), "[dbg]|[s]|x=1|x=2");
    EXPECT_TRUE(stream.Save());
  }
  g_fwSettings.debug = 0;
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "Saving INIStream('" + path + "'): duplicate record 'x' in section [s]");
}

TEST(INIFramework, MessageTextsAreShownAsTheyAreNotAsFormats) {
  ScratchDir dir;
  const std::string path = dir.Write("100%s%n.ini", "[[x]]\n");
  FwBoxRecorder boxes;
  INIStream stream(INI_READ_ONLY, path.c_str());
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, "INIStream('" + path + "'): invalid section nesting [[x]]");
}

TEST(INIFramework, FileThatCannotBeCreatedIsReportedWithTheFileErrorText) {
  ScratchDir dir;
  const std::string path = dir.Path("missing-folder\\c.ini");
  const FwHookTable saved = g_fwHooks;
  g_fwHooks.fileErrorText = [](bool reading) { return reading ? "Cannot read '%s'" : "No room for '%s'"; };
  FwBoxRecorder boxes;
  {
    INIStream stream(0, path.c_str());
    stream.SetSection("s").SetValue("1", "x");
    EXPECT_FALSE(stream.Save());
  }
  g_fwHooks = saved;
  ASSERT_EQ(boxes.Boxes().size(), 2u);  // the explicit save and the one on closing
  EXPECT_EQ(boxes.Boxes()[0].text, "No room for '" + path + "'");
}

}  // namespace
