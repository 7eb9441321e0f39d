#include "framework/ui/ml_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "framework/ui/message.h"

namespace {

// "Отмена" in code page 866 and in code page 1251.
const char kCancel866[] = "\x8E\xE2\xAC\xA5\xAD\xA0";
const char kCancel1251[] = "\xCE\xF2\xEC\xE5\xED\xE0";

class MlText : public ::testing::Test {
protected:
    void TearDown() override { g_mlLanguage = 0; }
};

struct CutCase {
    const char* source;
    const char* english;
    const char* russian;
};

TEST_F(MlText, CutsLiteralAtFirstBarByLanguage)
{
    const CutCase cases[] = {
        {"Cancel|\xCE\xF2\xEC\xE5\xED\xE0", "Cancel", kCancel1251},
        {"One|Two|Three", "One", "Two|Three"},  // the second "|" stays in Russian
        {"No bar", "No bar", "No bar"},
        {"|Russian only", "", "Russian only"},
        {"English only|", "English only", ""},
        {"", "", ""},
    };
    for (const CutCase& c : cases) {
        g_mlLanguage = 0;
        EXPECT_STREQ(GetMLText(c.source), c.english) << c.source;
        g_mlLanguage = 1;
        EXPECT_STREQ(GetMLText(c.source), c.russian) << c.source;
    }
}

TEST_F(MlText, NullAndMissingIdGiveEmptyText)
{
    EXPECT_STREQ(GetMLText(nullptr), "");
    EXPECT_STREQ(GetMLText(MsgText(7999)), "");
    EXPECT_STREQ(GetMLResString(7999), "");
}

TEST_F(MlText, RecodesOnly866LettersAndLeaves1251TextAlone)
{
    struct Case {
        std::string in;
        std::string out;
    } cases[] = {
        {kCancel866, kCancel1251},
        {"\x80\xAF\xE0\xEF", "\xC0\xEF\xF0\xFF"},          // the edges of both ranges
        {"\xB0\xBF\xB3", "\xB0\xBF\xB3"},                  // box drawing stays
        {"\x80\xC0", "\x80\xC0"},                          // a 1251 capital: untouched
        {"\x80\xF1", "\x80\xF1"},                          // a byte of 0xF0-0xFF: untouched
        {"plain ASCII", "plain ASCII"},
    };
    for (const Case& c : cases) {
        std::string text = c.in;
        RecodeCP866(true, text.data());
        EXPECT_EQ(text, c.out);
    }
    std::string unchecked = "\x80\xC0";
    RecodeCP866(false, unchecked.data());
    EXPECT_EQ(unchecked, "\xC0\xC0");
}

TEST_F(MlText, ResourceIdGivesConvertedHalfAndRcdataWinsOverStringTable)
{
    EXPECT_STREQ(GetMLText(MsgText(7001)), "Cancel");
    g_mlLanguage = 1;
    EXPECT_STREQ(GetMLText(MsgText(7001)), kCancel1251);
    // Only in the string table: it is used, cut and converted too.
    EXPECT_STREQ(GetMLResString(7002), kCancel1251);
    g_mlLanguage = 0;
    EXPECT_STREQ(GetMLResString(7002), "Only");
}

TEST_F(MlText, LongResourceIsCutAt4095Bytes)
{
    // The resource is "|", 4200 "A", 799 "B": 5000 bytes.
    const char* whole = GetMLSourceText(MsgText(7004));
    ASSERT_EQ(strlen(whole), 4095u);
    EXPECT_EQ(whole[0], '|');
    EXPECT_EQ(whole[4094], 'A');
    g_mlLanguage = 1;
    EXPECT_EQ(strlen(GetMLText(MsgText(7004))), 4094u);
}

TEST_F(MlText, SourceTextKeepsPointerAndBothHalvesOfId)
{
    const char* literal = "A|B";
    EXPECT_EQ(GetMLSourceText(literal), literal);
    EXPECT_EQ(std::string(GetMLSourceText(MsgText(7001))), std::string("Cancel|") + kCancel1251);
}

TEST_F(MlText, TextInOtherLanguageRestoresTheSwitch)
{
    g_mlLanguage = 0;
    EXPECT_STREQ(GetMLTextIn(1, "E|R"), "R");
    EXPECT_EQ(g_mlLanguage, 0);
}

TEST_F(MlText, RingWrapsAfter64KiBAndOverwritesOldResults)
{
    std::string block(1000, 'x');
    const char* first = GetMLText(block.c_str());
    const char* later = first;
    // 66 results of 1001 bytes exceed the ring: it must come back to its start.
    bool wrapped = false;
    for (int i = 0; i < 70 && !wrapped; ++i) {
        later = GetMLText(block.c_str());
        wrapped = later <= first;
    }
    EXPECT_TRUE(wrapped);
    EXPECT_STREQ(later, block.c_str());
}

TEST_F(MlText, ResultLargerThanRingIsCutNotOverrun)
{
    std::string huge(0x10000 + 100, 'z');
    const char* result = GetMLText(huge.c_str());
    EXPECT_EQ(strlen(result), 0xFFFFu);
}

TEST_F(MlText, EachThreadHasItsOwnRing)
{
    const char* mine = GetMLText("mine");
    std::thread([] { for (int i = 0; i < 200; ++i) GetMLText(std::string(1000, 'o').c_str()); }).join();
    EXPECT_STREQ(mine, "mine");
}

}  // namespace
