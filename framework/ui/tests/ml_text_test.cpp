#include "framework/ui/ml_text.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "framework/base/sys_box_recorder.h"
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

TEST_F(MlText, ResultsAreConvertedOnceEvenWhenCutAgain)
{
    // "папа" from code page 866 becomes 0xEF 0xE0 0xEF 0xE0 in code page
    // 1251; a second pass would turn that into 0xFF 0xF0 0xFF 0xF0.
    const char kDad1251[] = "\xEF\xE0\xEF\xE0";
    g_mlLanguage = 1;
    const char* once = GetMLText("dad|\xAF\xA0\xAF\xA0");
    ASSERT_STREQ(once, kDad1251);
    EXPECT_STREQ(GetMLText(once), kDad1251);
    const char* byId = GetMLText(MsgText(7005));
    ASSERT_STREQ(byId, kDad1251);
    EXPECT_STREQ(GetMLText(byId), kDad1251);
    // The whole source text of an id is converted too, and cutting it later
    // leaves it as it is.
    const char* source = GetMLSourceText(MsgText(7005));
    EXPECT_STREQ(source, "dad|\xEF\xE0\xEF\xE0");
    EXPECT_STREQ(GetMLText(source), kDad1251);
}

TEST_F(MlText, CaptionConvertsLiteralsOnceAndKeepsShortTextsInline)
{
    struct Case {
        const char* text;
        uint8_t language;
        const char* expected;
    } cases[] = {
        {"Close|\x87\xA0\xAA\xE0\xEB\xE2\xEC", 0, "Close"},
        {"Close|\x87\xA0\xAA\xE0\xEB\xE2\xEC", 1, "\xC7\xE0\xEA\xF0\xFB\xF2\xFC"},  // "Закрыть"
        {"No bar \x87\xA0", 1, "No bar \x87\xA0"},  // whole and unconverted
        {MsgText(7005), 1, "\xEF\xE0\xEF\xE0"},    // an id's text converted once only
        {MsgText(7005), 0, "dad"},
        {nullptr, 1, ""},
    };
    for (const Case& c : cases) {
        g_mlLanguage = c.language;
        MLCaption caption(c.text);
        EXPECT_STREQ(caption.Text(), c.expected) << int(c.language);
        EXPECT_FALSE(caption.OnHeap());
    }
    g_mlLanguage = 0;
    std::string fits(79, 'c'), heap(80, 'h');
    MLCaption small(fits.c_str()), large(heap.c_str());
    EXPECT_FALSE(small.OnHeap());
    EXPECT_EQ(small.Text(), fits);
    EXPECT_TRUE(large.OnHeap());
    EXPECT_EQ(large.Text(), heap);
}

BOOL CALLBACK CollectFrameworkId(HMODULE, LPCSTR, LPSTR name, LONG_PTR param)
{
    uintptr_t id = reinterpret_cast<uintptr_t>(name);
    // 7000-7999 and 17020: this test's own resources; 6484: a keyed table.
    if (id < 0x8000 && (id < 7000 || id > 7999) && id != 17020 && id != 6484)
        reinterpret_cast<std::vector<uint32_t>*>(param)->push_back(static_cast<uint32_t>(id));
    return TRUE;
}

// The framework's own texts keep their Russian halves in code page 1251 with
// at least one byte of 0xC0-0xDF or 0xF0-0xFF, so the 866 conversion leaves
// them alone: each comes out byte for byte as stored.
TEST_F(MlText, FrameworkResourceTextsAreSafeFromThe866Conversion)
{
    std::vector<uint32_t> ids;
    EnumResourceNamesA(GetProgramInstance(), RT_RCDATA, CollectFrameworkId, reinterpret_cast<LONG_PTR>(&ids));
    ASSERT_GE(ids.size(), 10u);  // 5008, 5229, 5230, 5280, 6447, 6448, 6676, 6795, 8102, 8385
    g_mlLanguage = 1;
    for (uint32_t id : ids) {
        HRSRC info = FindResourceA(GetProgramInstance(), MAKEINTRESOURCEA(id), RT_RCDATA);
        ASSERT_NE(info, nullptr);
        const char* raw = static_cast<const char*>(LockResource(LoadResource(GetProgramInstance(), info)));
        std::string stored(raw, strnlen(raw, SizeofResource(GetProgramInstance(), info)));
        size_t bar = stored.find('|');
        ASSERT_NE(bar, std::string::npos) << id;
        EXPECT_STREQ(GetMLResString(id), stored.substr(bar + 1).c_str()) << id;
    }
}

TEST_F(MlText, KeyedTextsOfBothLayoutsStayInsideTheTable)
{
    struct Case {
        uint32_t key;
        uint16_t table;
        uint8_t language;
        const char* expected;
    } cases[] = {
        {70000, 7010, 0, "seventy thousand"},
        {70000, 7010, 1, "\xD1\xE5\xEC\xFC\xE4\xE5\xF1\xFF\xF2 \xF2\xFB\xF1\xFF\xF7"},
        {5, 7010, 0, "five"},
        {9, 7010, 0, "9: Unknown"},  // behind the end pair
        {1, 7011, 0, "one"},
        {2, 7011, 0, "2: Unknown"},  // its text runs to the end without a NUL
        {10, 6484, 0, "RT_RCDATA"},
        {5, 6484, 0, "RT_DIALOG"},
        {13, 6484, 0, "13: Unknown"},
        {13, 6484, 1, "13: \xCD\xE5\xE8\xE7\xE2\xE5\xF1\xF2\xED\xEE"},
        {1, 7999, 0, "[Unable to load resource]"},
    };
    for (const Case& c : cases) {
        g_mlLanguage = c.language;
        EXPECT_STREQ(GetKeyedText(c.key, c.table), c.expected) << c.key << " in " << c.table;
    }
}

TEST_F(MlText, LocalizedResourceIdTakesTheRussianTwinOnlyInRussian)
{
    FwBoxRecorder boxes;
    EXPECT_EQ(LocalizedResourceId(RT_RCDATA, 7020), 7020u);
    EXPECT_EQ(LocalizedResourceId(RT_RCDATA, 7021), 7021u);
    g_mlLanguage = 1;
    EXPECT_EQ(LocalizedResourceId(RT_RCDATA, 7020), 17020u);
    EXPECT_EQ(LocalizedResourceId(RT_RCDATA, 7021), 7021u);
    EXPECT_TRUE(boxes.Boxes().empty());
    g_mlLanguage = 0;
    // Missing in both forms: reported, and the plain id goes on.
    EXPECT_EQ(LocalizedResourceId(RT_DIALOG, 7022), 7022u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 6795);
    EXPECT_EQ(boxes.Boxes()[0].text, "Internal Error: Resource 7022 of type RT_DIALOG not linked. Please contact Korvan.");
}

TEST_F(MlText, ResourceBytesAreCopiedOut)
{
    ResRCDATA none;
    EXPECT_EQ(none.LoadedSize(), 0u);
    ResRCDATA table(nullptr, 7011);
    ASSERT_EQ(table.LoadedSize(), 11u);  // 2 + "one" + NUL + 2 + "two"
    EXPECT_EQ(table.Bytes()[0], 1);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(table.Bytes()) + 2), "one");
    EXPECT_FALSE(table.Load(nullptr, 7999));
    EXPECT_EQ(table.LoadedSize(), 0u);
}

}  // namespace
