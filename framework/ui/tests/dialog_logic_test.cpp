// The dialogs' pure rules, by tables: anchors, colour prefixes, the number
// parser, numeric item texts, scale units, the wait-box caption, browse
// start folders, line breaks, tooltip delays.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/ui/anchor_layout.h"
#include "framework/ui/colour_prefix.h"
#include "framework/ui/di_browsers.h"
#include "framework/ui/di_edit.h"
#include "framework/ui/dialog_metrics.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/int_value_text.h"
#include "framework/ui/parse_integer.h"
#include "framework/ui/wait_box.h"

namespace {

TEST(AnchorLayout, EdgesFollowTheDialog)
{
    const RECT client0{0, 0, 300, 200};
    const RECT control{10, 20, 110, 40};
    struct Case {
        uint32_t flags;
        int grow;  // both directions, client and window alike
        RECT expected;
    } cases[] = {
        {0, 100, {10, 20, 110, 40}},
        {ANCHOR_RIGHT, 100, {10, 20, 210, 40}},
        {ANCHOR_RIGHT | ANCHOR_KEEP_WIDTH, 100, {110, 20, 210, 40}},
        {ANCHOR_BOTTOM, 100, {10, 20, 110, 140}},
        {ANCHOR_BOTTOM | ANCHOR_KEEP_HEIGHT, 100, {10, 120, 110, 140}},
        {ANCHOR_HALF_RIGHT, 100, {10, 20, 160, 40}},
        {ANCHOR_HALF_LEFT, 100, {60, 20, 210, 40}},
        {ANCHOR_CENTER, 100, {150, 20, 250, 40}},
        // Smaller than at set-up: the signed half moves back, never far off.
        {ANCHOR_HALF_LEFT, -40, {-10, 20, 70, 40}},
        {ANCHOR_HALF_RIGHT, -41, {10, 20, 89, 40}},
    };
    for (const Case& c : cases) {
        AnchorRecord record;
        record.flags = c.flags;
        MeasureAnchor(record, client0, control);
        RECT client{0, 0, client0.right + c.grow, client0.bottom + c.grow};
        RECT got = RelayoutAnchor(record, client, c.grow, control);
        EXPECT_EQ(got.left, c.expected.left) << c.flags << " " << c.grow;
        EXPECT_EQ(got.top, c.expected.top) << c.flags;
        EXPECT_EQ(got.right, c.expected.right) << c.flags << " " << c.grow;
        EXPECT_EQ(got.bottom, c.expected.bottom) << c.flags;
    }
}

TEST(AnchorLayout, HalfAnchorsOnSideBySideControlsMoveTheirCommonEdgeByHalf)
{
    const RECT client0{0, 0, 200, 100};
    AnchorRecord left{1, ANCHOR_HALF_RIGHT}, right{2, ANCHOR_HALF_LEFT};
    const RECT l{10, 10, 100, 30}, r{100, 10, 190, 30};
    MeasureAnchor(left, client0, l);
    MeasureAnchor(right, client0, r);
    RECT client{0, 0, 300, 100};
    EXPECT_EQ(RelayoutAnchor(left, client, 100, l).right, 150);
    EXPECT_EQ(RelayoutAnchor(right, client, 100, r).left, 150);
    EXPECT_EQ(RelayoutAnchor(right, client, 100, r).right, 290);
}

TEST(ColourPrefix, StaticLabelTexts)
{
    struct Case {
        const char* in;
        bool hasColour;
        uint32_t colour;
        const char* text;
    } cases[] = {
        {"$255$red", true, 255, "red"},
        {"$5 apples", true, 5, " apples"},
        {"$$5 apples", false, 0, "$5 apples"},
        {"plain $1", false, 0, "plain $1"},
        {"$", false, 0, "$"},
        {"$x", false, 0, "$x"},
        {"$99999999999$big", true, 0xFFFFFFFFu, "big"},
        {"", false, 0, ""},
    };
    for (const Case& c : cases) {
        ColourPrefix p = ApplyColourPrefix(c.in);
        EXPECT_EQ(p.hasColour, c.hasColour) << c.in;
        EXPECT_EQ(p.colour, c.colour) << c.in;
        EXPECT_EQ(p.text, c.text) << c.in;
    }
    // Applied twice, "$$5" would lose its "$" and become colour 5.
    EXPECT_EQ(ApplyColourPrefix(ApplyColourPrefix("$$5 apples").text.c_str()).colour, 5u);
}

TEST(ParseInteger, Forms)
{
    struct Case {
        const char* text;
        bool error;
        uint64_t value;
    } cases[] = {
        {"12H", false, 18},
        {"12h", false, 18},
        {"-0x10", false, static_cast<uint64_t>(-16)},
        {"  42  ", false, 42},
        {"0x1F", false, 0x1F},
        {"1FH", false, 0x1F},
        {"18446744073709551615", false, UINT64_MAX},
        {"18446744073709551616", true, 0},  // beyond 64 bits
        {"0x10000000000000000", true, 0},
        {"12a", true, 0},
        {"", true, 0},
        {"-", true, 0},
        {"0x", true, 0},
        {"H", true, 0},
        {"1 2", true, 0},
    };
    for (const Case& c : cases) {
        ParsedInteger p = ParseInteger(true, c.text);
        EXPECT_EQ(p.error, c.error) << c.text;
        EXPECT_EQ(p.value, c.value) << c.text;
    }
}

TEST(ParseInteger, AnErrorShowsMessage8055UnlessQuiet)
{
    FwBoxRecorder boxes;
    ParseInteger(true, "bad");
    EXPECT_TRUE(boxes.Boxes().empty());
    ParseInteger(false, "bad");
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 8055);
    EXPECT_NE(boxes.Boxes()[0].text.find("bad"), std::string::npos);
}

TEST(IntValueText, EveryDisplayTypeReadsItsOwnText)
{
    struct Case {
        uint8_t type;
        bool wide;
        uint64_t value;
        const char* text;
    } cases[] = {
        {2, false, 4000000000u, "4000000000"},
        {11, false, static_cast<uint32_t>(-5), "-5"},
        {1, false, 0xABCD, "0xABCD"},
        {13, false, 0x1F, "0000001F"},
        {13, true, 0xFEDCBA9876543210ull, "FEDCBA9876543210"},
        {2, true, 12345678901234ull, "12345678901234"},
        {11, true, static_cast<uint64_t>(-7), "-7"},
        {12, true, static_cast<uint64_t>(-0x1A), "-0x1A"},
        {12, true, 0x2B, "0x2B"},
        {0, false, 5, "00000000000000000000000000000101"},
        {10, true, 0x1234567890ull, "0x1234567890"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(FormatIntValue(c.type, c.wide, c.value), c.text) << int(c.type);
        IntValueRead read = ReadIntValue(c.type, c.wide, false, c.text, true);
        EXPECT_TRUE(read.ok) << c.text;
        EXPECT_EQ(read.value, c.wide ? c.value : (c.value & 0xFFFFFFFFu)) << c.text;
    }
}

TEST(IntValueText, ReadingTypedText)
{
    // Type 13 reads hexadecimal without "0x", in both widths.
    EXPECT_EQ(ReadIntValue(13, false, false, "1F", true).value, 0x1Fu);
    EXPECT_EQ(ReadIntValue(13, true, false, "1F", true).value, 0x1Fu);
    EXPECT_EQ(ReadIntValue(2, true, false, "12H", true).value, 18u);
    // 32 bits: a value that does not fit is refused.
    EXPECT_FALSE(ReadIntValue(2, false, false, "4294967296", true).ok);
    IntValueRead bad = ReadIntValue(2, false, false, "12a", true);
    EXPECT_FALSE(bad.ok);
    EXPECT_EQ(bad.messageId, 8055);
    IntValueRead badHex = ReadIntValue(2, false, true, "xyz", true);
    EXPECT_FALSE(badHex.ok);
    EXPECT_EQ(badHex.messageId, 8121);
    EXPECT_EQ(ReadIntValue(2, false, true, "0x1F", true).value, 0x1Fu);
}

TEST(DialogMetrics, DpiUnits)
{
    const std::array<uint32_t, 10> at96{96, 1, 2, 3, 4, 5, 6, 8, 10, 16};
    const std::array<uint32_t, 10> at144{144, 1, 2, 4, 5, 6, 7, 10, 12, 19};
    EXPECT_EQ(DpiScaleTable(96), at96);
    EXPECT_EQ(DpiScaleTable(144), at144);
}

TEST(DialogMetrics, CentringFontsGaugeAndShade)
{
    POINT p = CenterPosition(RECT{500, 500, 701, 601}, 1024, 768);
    EXPECT_EQ(p.x, 411);  // (1024 - 201) / 2, towards zero
    EXPECT_EQ(p.y, 333);
    EXPECT_EQ(PointsToHeight(8, 96), -11);
    EXPECT_EQ(HeightToPoints(-11, 96), 8);
    EXPECT_EQ(HeightToPoints(12, 96), 12);
    EXPECT_EQ(HeightToPoints(-11, 0), 99);  // a divisor of 0 counts as 8
    EXPECT_EQ(GaugePercent(1, 0), 100u);  // maximum 0 counts as 1, no division by zero
    EXPECT_EQ(GaugePercent(50000000, 100000000), 50u);  // no 32-bit overflow
    EXPECT_EQ(GaugePercent(1, 3), 33u);
    EXPECT_EQ(Shade(0.25, RGB(0, 100, 200)), RGB(115, 125, 250));
    EXPECT_EQ(Shade(0.25, RGB(255, 255, 255)), RGB(191, 191, 191));
}

TEST(DialogModule, TooltipDelayKeepsToSixteenSignedBits)
{
    EXPECT_EQ(TooltipInitialDelay(0), -1);
    EXPECT_EQ(TooltipInitialDelay(1), 1000);
    EXPECT_EQ(TooltipInitialDelay(32), 32000);
    EXPECT_EQ(TooltipInitialDelay(33), 32767);
    EXPECT_EQ(TooltipInitialDelay(66), 32767);  // never wraps to a short delay
    EXPECT_EQ(TooltipInitialDelay(0xFFFFFFFFu), 32767);
}

TEST(WaitBoxCaption, ElapsedTime)
{
    EXPECT_EQ(FormatWaitCaption("Please wait...", 3725), "Please wait... 01:02:05");
    EXPECT_EQ(FormatWaitCaption("Please wait...", 0), "Please wait... 00:00:00");
}

TEST(BrowseStart, FolderAndFileFromTheComboText)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string existing = temp;
    if (existing.size() > 3 && existing.back() == '\\') existing.pop_back();
    struct Case {
        std::string text;
        const char* folder;
        const char* file;
    } cases[] = {
        {"C:\\dir\\file.txt", "C:\\dir", "file.txt"},
        {"\"C:\\dir\\file.txt\"", "C:\\dir", "file.txt"},
        {"C:\\file.txt", "C:\\", "file.txt"},
        {"\\file.txt", "\\", "file.txt"},
        {"file.txt", "", "file.txt"},
        {"C:\\dir\\*.txt", "C:\\dir", "*.txt"},
        {"", "", ""},
    };
    for (const Case& c : cases) {
        std::string folder, file;
        SplitBrowseStart(c.text.c_str(), folder, file);
        EXPECT_EQ(folder, c.folder) << c.text;
        EXPECT_EQ(file, c.file) << c.text;
    }
    std::string folder, file;
    SplitBrowseStart((existing + "\\").c_str(), folder, file);
    EXPECT_EQ(folder, existing);
    EXPECT_EQ(file, "");
}

TEST(EditLineBreaks, ExpandedWithinTheBuffer)
{
    EXPECT_EQ(ExpandLineBreaks("a\nb", 10), "a\r\nb");
    EXPECT_EQ(ExpandLineBreaks("a\n\nb", 10), "a\r\n\r\nb");
    // 7 bytes: "ab\r\ncd" needs 6 + NUL; "ab\r\ncde" would not fit and is
    // cut at the last whole line.
    EXPECT_EQ(ExpandLineBreaks("ab\ncd", 7), "ab\r\ncd");
    EXPECT_EQ(ExpandLineBreaks("ab\ncde", 7), "ab\r\n");
    EXPECT_EQ(ExpandLineBreaks("abcdef", 4), "");
    EXPECT_EQ(ExpandLineBreaks("x", 0), "");
}

}  // namespace
