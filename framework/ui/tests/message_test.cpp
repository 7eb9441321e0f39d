#include "framework/ui/message.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/ui/ml_text.h"

namespace {

std::string ReadAll(FILE* f)
{
    std::string text;
    rewind(f);
    char buffer[512];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, n);
    return text;
}

class Message : public ::testing::Test {
protected:
    void TearDown() override
    {
        g_mlLanguage = 0;
        SetSetupLog(nullptr);
    }
    FwBoxRecorder boxes{6};
};

TEST_F(Message, TextIsFormattedWithRemainingArgumentsAndShownWithErrorIcon)
{
    EXPECT_EQ(DoMessage("s", "%s has %d items", "list", 3), 6);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const FwRecordedBox& box = boxes.Boxes()[0];
    EXPECT_EQ(box.kind, FwBoxKind::Message);
    EXPECT_EQ(box.icon, 102);
    EXPECT_EQ(box.caption, "Error");
    EXPECT_EQ(box.text, "list has 3 items");
}

TEST_F(Message, LettersSteerIconCaptionAndText)
{
    struct Case {
        const char* flags;
        uint16_t icon;
        const char* caption;
    } cases[] = {
        {"is", 103, "Information"},
        {"SI", 103, "Information"},       // letters are case-insensitive
        {"fs", 102, "Error"},
        {"its", 103, "Mine"},             // 't' wins over the information caption
    };
    for (const Case& c : cases) {
        boxes.Clear();
        if (strchr(c.flags, 't')) DoMessage(c.flags, "Mine|R", "text");
        else DoMessage(c.flags, "text");
        ASSERT_EQ(boxes.Boxes().size(), 1u) << c.flags;
        EXPECT_EQ(boxes.Boxes()[0].icon, c.icon) << c.flags;
        EXPECT_EQ(boxes.Boxes()[0].caption, c.caption) << c.flags;
        EXPECT_EQ(boxes.Boxes()[0].text, "text") << c.flags;
    }
}

TEST_F(Message, MessageIdGivesTextAndIdAndLaterTextReplacesIt)
{
    DoMessage("m", 7003, 5u, "x");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Value 5 of 'x'");
    EXPECT_EQ(boxes.Boxes()[0].messageId, 7003);

    boxes.Clear();
    DoMessage("MS", 7003, "later %d", 9);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "later 9");
    EXPECT_EQ(boxes.Boxes()[0].messageId, 7003);
}

TEST_F(Message, CaptionFromIdWithR)
{
    DoMessage("rs", 7001, "body");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Cancel");
}

TEST_F(Message, BadLettersOrNoTextShowMessage5008AndReturnOne)
{
    const char* bad[] = {"x", "i", "sq", ""};
    for (const char* flags : bad) {
        boxes.Clear();
        EXPECT_EQ(DoMessage(flags, "text"), 1) << flags;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << flags;
        EXPECT_EQ(boxes.Boxes()[0].messageId, 5008);
        EXPECT_NE(boxes.Boxes()[0].text.find(std::string("\"") + flags + "\""), std::string::npos)
            << boxes.Boxes()[0].text;
    }
}

TEST_F(Message, ErrorLetterAppendsTheCallersSystemError)
{
    SetLastError(ERROR_FILE_NOT_FOUND);
    DoMessage("es", "open");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string& text = boxes.Boxes()[0].text;
    ASSERT_GT(text.size(), 6u);
    EXPECT_EQ(text.substr(0, 6), "open:\n");
}

TEST_F(Message, PercentInArgumentIsNotReadAsFormat)
{
    DoMessage("s", "%s", "100% done %n %s");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "100% done %n %s");
}

TEST_F(Message, LongTextIsCutAt16383Characters)
{
    std::string big(20000, 'q');
    DoMessage("s", "%s", big.c_str());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text.size(), 16383u);
}

TEST_F(Message, LogLineIsWrittenOnlyWhileTheLogIsOn)
{
    DoMessage("s", "unlogged");
    FILE* log = tmpfile();
    ASSERT_NE(log, nullptr);
    SetSetupLog(log);
    DoMessage("s", "hello %d", 1);
    EXPECT_EQ(ReadAll(log), "** Message **: hello 1\n");
    SetSetupLog(nullptr);
    EXPECT_EQ(LogPrintf("x"), 0);
    fclose(log);
}

TEST_F(Message, ModuleLetterLastsForOneMessage)
{
    // kernel32 has no RCDATA 7001: the text comes out empty in that message
    // only; the next message looks in the program again.
    HMODULE other = GetModuleHandleA("kernel32");
    DoMessage("am", other, 7001);
    EXPECT_EQ(GetLanguageModule(), GetProgramInstance());
    DoMessage("m", 7001);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "");
    EXPECT_EQ(boxes.Boxes()[1].text, "Cancel");
}

TEST_F(Message, ShowMessageByIdForwardsArguments)
{
    ShowMessageById(7003, 42u, "name");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Value 42 of 'name'");
}

TEST_F(Message, RussianCaptionIsCodePage1251)
{
    g_mlLanguage = 1;
    DoMessage("s", "E|R");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "\xCE\xF8\xE8\xE1\xEA\xE0");  // "Ошибка"
    EXPECT_EQ(boxes.Boxes()[0].text, "R");
}

}  // namespace
