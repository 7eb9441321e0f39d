#include "framework/base/text_utils.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "framework/base/hooks.h"
#include "framework/base/istr.h"

namespace {

TEST(CharClass, TableBitsPerRange)
{
    struct Case { int ch; uint8_t bits; };
    const Case cases[] = {
        {'A', 3}, {'z', 3}, {'0', 3}, {'9', 3}, {'_', 3}, {'%', 2}, {'?', 2}, {'$', 4},
        {0x80, 0x10}, {0xAF, 0x10}, {0xB0, 0}, {0xA8, 0x10}, {0xB8, 0}, {0xC0, 8}, {0xDF, 8},
        {0xE0, 0x18}, {0xEF, 0x18}, {0xF0, 8}, {0xFF, 8}, {' ', 0}, {'-', 0}, {0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(g_charClass[c.ch], c.bits) << "char 0x" << std::hex << c.ch;
}

TEST(CharClass, Cp1251LettersAlwaysCountAndSignedCharIsSafe)
{
    EXPECT_TRUE(IsCharClass(CC_DOLLAR, static_cast<char>(0xC9)));   // Й with any mask
    EXPECT_FALSE(IsCharClass(CC_IDENT_START, static_cast<char>(0x85)));  // 866 only
    EXPECT_TRUE(IsCharClass(CC_CYR866, static_cast<char>(0x85)));
    EXPECT_TRUE(IsCharClass(CC_IDENT, '%'));
    EXPECT_FALSE(IsCharClass(CC_IDENT_START, '%'));
}

TEST(CharClass, CaseBlindComparisonCoversCyrillic)
{
    EXPECT_EQ(CompareNoCase("Setup.INI", "setup.ini"), 0);
    EXPECT_EQ(CompareNoCase("\xC0\xC1\xA8", "\xE0\xE1\xB8"), 0);  // АБЁ / абё
    EXPECT_LT(CompareNoCase("abc", "ABD"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_LT(CompareNoCase("ab", "abc"), 0);
}

TEST(ReadIdentifier, ReadsNamesRefusesDigitsAndOverlongNames)
{
    struct Case { const char* text; uint32_t size; const char* ident; size_t consumed; };
    const Case cases[] = {
        {"9abc", 32, "", 0},
        {"abc_9 = 1", 32, "abc_9", 5},
        {"\xC8\xEC\xFF=x", 32, "\xC8\xEC\xFF", 3},  // Имя
        {" name", 32, "", 0},                          // blanks are not skipped
        {"a%b", 32, "a", 1},                           // % is not an identifier char
        {"abcdef", 6, "", 0},                          // does not fit: refused
        {"abcde", 6, "abcde", 5},
    };
    for (const Case& c : cases) {
        char out[32] = "junk";
        const char* end = ReadIdentifier(c.text, out, c.size);
        EXPECT_STREQ(out, c.ident) << c.text;
        EXPECT_EQ(static_cast<size_t>(end - c.text), c.consumed) << c.text;
    }
}

TEST(Blanks, TrimKeepsTrailingTabAndSkipsAllWhiteSpace)
{
    char a[] = " \t\r\n x y \t ";
    EXPECT_STREQ(TrimBlanks(a), "x y \t");
    char b[] = "abc   ";
    EXPECT_STREQ(TrimTrailingBlanks(b), "abc");
    char c[] = "\v\fz";
    EXPECT_STREQ(SkipBlanks(c), "z");
    char d[] = "path\\\\";
    EXPECT_STREQ(RemoveTrailingChar(d, '\\'), "path\\");
    char e[] = "a-b_c-d";
    EXPECT_STREQ(RemoveChars(e, "-_"), "abcd");
    const unsigned char u[] = {' ', 0xE0, 0};
    EXPECT_EQ(*SkipBlanks(u), 0xE0);  // a Cyrillic byte is not white space
}

TEST(Blanks, BoundedCopyStopsAtSizeAndZeroSizeWritesNothing)
{
    char buf[8];
    memset(buf, 'X', sizeof buf);
    CopyBounded(buf, "abcdefghij", 4);
    EXPECT_STREQ(buf, "abc");
    memset(buf, 'X', sizeof buf);
    CopyBounded(buf + 1, "abc", 0);
    EXPECT_EQ(buf[0], 'X');
    EXPECT_EQ(buf[1], 'X');
}

TEST(Escapes, DecodeTable)
{
    struct Case { const char* text; char value; size_t consumed; };
    const Case cases[] = {
        {"n", '\n', 1}, {"t", '\t', 1}, {"v", '\v', 1}, {"b", '\b', 1}, {"r", '\r', 1},
        {"f", '\f', 1}, {"\\", '\\', 1}, {"'", '\'', 1}, {"\"", '"', 1}, {"0", 0, 1},
        {"x41", 0x41, 3}, {"x4", 0x04, 2}, {"x", 0, 1}, {"x4g", 0x04, 3},
        {"101", 65, 3}, {"012", 0, 1},  // '0' is NUL: octal cannot start with 0
        {"18", 1, 1},                   // 8 ends the octal number and stays
        {"1234567777", static_cast<char>(01234567777 & 0xFF), 9},
        {"8", '8', 1}, {"q", 'q', 1},
        {"", 0, 0},                     // backslash at the end: NUL stays unread
    };
    for (const Case& c : cases) {
        const char* cursor = c.text;
        EXPECT_EQ(DecodeEscape(cursor), c.value) << c.text;
        EXPECT_EQ(static_cast<size_t>(cursor - c.text), c.consumed) << c.text;
    }
}

TEST(Numbers, ThousandsGroups)
{
    struct Case { uint64_t value; const char* text; };
    const Case cases[] = {
        {1234567, "1,234,567"}, {999, "999"}, {0, "0"}, {1000, "1,000"}, {100000, "100,000"},
        {4294967295u, "4,294,967,295"},
    };
    char buf[40];
    for (const Case& c : cases)
        EXPECT_STREQ(FormatThousands(buf, static_cast<uint32_t>(c.value)), c.text);
    EXPECT_STREQ(FormatThousands64(buf, 18446744073709551615ull), "18,446,744,073,709,551,615");
    EXPECT_STREQ(ThousandsText(12345).c_str(), "12,345");
}

TEST(Numbers, ParseNumberTable)
{
    struct Case { const char* text; uint32_t value; };
    const Case cases[] = {
        {"010", 10}, {"0x10", 16}, {"0X1f", 31}, {"7", 7}, {"000", 0}, {"", 0}, {"0", 0},
        {"-1", 0xFFFFFFFFu}, {"4294967295", 0xFFFFFFFFu}, {"12abc", 12}, {" 010", 10},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseNumber(c.text), c.value) << '"' << c.text << '"';
    EXPECT_EQ(ParseNumber(nullptr), 0u);
    Istr item("0x20");
    EXPECT_EQ(item.ToNumber(), 32u);
}

TEST(Numbers, ParseNumberCheckedSetsBadNumberFlag)
{
    struct Case { const char* text; bool bad; };
    const Case cases[] = {
        {"12", false}, {"0", false}, {"5", false}, {"0x1F", false}, {"007", false},
        {"", true}, {"00", true}, {"000", true}, {"12 ", true}, {"abc", true}, {"1x", true},
    };
    for (const Case& c : cases) {
        g_fwSettings.badNumber = c.bad ? 0 : 1;  // the opposite, so a stale flag shows
        ParseNumberChecked(c.text);
        EXPECT_EQ(g_fwSettings.badNumber != 0, c.bad) << '"' << c.text << '"';
    }
    g_fwSettings.badNumber = 0;
}

TEST(Numbers, Parse64HexAndDecimalAndNothing)
{
    EXPECT_EQ(Parse64("0x123456789ABCDEF0"), 0x123456789ABCDEF0ull);
    EXPECT_EQ(Parse64("0XFF"), 255u);
    EXPECT_EQ(Parse64("18446744073709551615"), 0xFFFFFFFFFFFFFFFFull);
    EXPECT_EQ(Parse64("zz"), 0u);
    EXPECT_EQ(Parse64(""), 0u);
    EXPECT_EQ(Parse64(nullptr), 0u);
}

TEST(Numbers, HexStyles)
{
    struct Case { uint32_t value; const char* asmHex; const char* hex0x; };
    const Case cases[] = {
        {255, "0FFH", "0xFF"}, {16, "10H", "0x10"}, {9, "9", "9"}, {10, "0AH", "0xA"},
        {0, "0", "0"}, {0xDEADBEEF, "0DEADBEEFH", "0xDEADBEEF"},
    };
    char buf[32];
    for (const Case& c : cases) {
        EXPECT_STREQ(FormatAsmHex(buf, c.value), c.asmHex);
        EXPECT_STREQ(FormatHex0x(buf, c.value), c.hex0x);
    }
    EXPECT_STREQ(FormatHex0x64(buf, 0x100000000ull), "0x100000000");
    EXPECT_STREQ(FormatHex0x64(buf, 9), "9");
    EXPECT_STREQ(Hex0x64Text(0xABCDEF0123ull).c_str(), "0xABCDEF0123");
    EXPECT_STREQ(HexWidthText(1, 0xA).c_str(), "0x0A");
    EXPECT_STREQ(HexWidthText(2, 0xA).c_str(), "0x000A");
    EXPECT_STREQ(HexWidthText(3, 0xA).c_str(), "0x0000000A");
}

TEST(Numbers, FormatBitsWidthPerType)
{
    struct Case { uint32_t type; uint64_t value; const char* bits; };
    const Case cases[] = {
        {BITS_BYTE, 5, "00000101"},
        {BITS_WORD, 0x8001, "1000000000000001"},
        {BITS_DWORD, 0x80000001u, "10000000000000000000000000000001"},
        {BITS_QWORD, 0x8000000000000001ull, "1000000000000000000000000000000000000000000000000000000000000001"},
        {7, 3, "1"},
        {7, 2, "0"},
    };
    char buf[80];
    for (const Case& c : cases) {
        EXPECT_EQ(FormatBits(c.type, c.value, buf), strlen(c.bits));
        EXPECT_STREQ(buf, c.bits);
    }
}

TEST(Numbers, NotFiniteLooksAtHighWordOnly)
{
    EXPECT_TRUE(IsNotFinite(false, 0x7FF80000));   // NaN
    EXPECT_FALSE(IsNotFinite(false, 0x7FF00000));  // infinity without the flag
    EXPECT_TRUE(IsNotFinite(true, 0x7FF00000));
    EXPECT_TRUE(IsNotFinite(true, 0xFFF00000));    // minus infinity
    EXPECT_FALSE(IsNotFinite(true, 0x3FF00000));   // 1.0
}

TEST(DateText, MonthNamesAreCp1251Bytes)
{
    EXPECT_STREQ(g_monthShortRu[1], "\xDF\xED\xE2");                  // Янв
    EXPECT_STREQ(g_monthShortRu[12], "\xC4\xE5\xEA");                 // Дек
    EXPECT_STREQ(g_monthFullRu[9], "\xF1\xE5\xED\xF2\xFF\xE1\xF0\xFF");  // сентября
    EXPECT_STREQ(g_monthFullEn[5], "May");
    for (int i = 0; i <= 12; ++i) {
        EXPECT_EQ(strlen(g_monthShortEn[i]), i == 0 ? 1u : 3u);
        EXPECT_EQ(strlen(g_monthShortRu[i]), i == 0 ? 1u : 3u);
    }
}

TEST(DateText, FlagWordTable)
{
    SYSTEMTIME t = {};
    t.wYear = 2011;
    t.wMonth = 12;
    t.wDay = 6;
    t.wHour = 9;
    t.wMinute = 5;
    t.wSecond = 7;
    t.wMilliseconds = 5;
    struct Case { uint32_t flags; const char* text; };
    const Case cases[] = {
        {0x03, "Dec 6, 2011"},
        {0x103, "6 \xC4\xE5\xEA 2011"},
        {0x01, "12-06-2011"},
        {0x801, "12.06.2011"},
        {0x81, "2011-12-06"},
        {0x101, "06-12-2011"},
        {0x21, "12-06-11"},
        {0x41, "12-06-"},
        {0x203, "Dec 06, 2011"},
        {0x403, "December 6, 2011"},
        {0x503, "6 \xE4\xE5\xEA\xE0\xE1\xF0\xFF 2011"},
        {0x23, "Dec 6, 11"},
        {0x43, "Dec 6"},
        {0x143, "6 \xC4\xE5\xEA"},
        {0x04, "09:05"},
        {0x0C, "09:05:07"},
        {0x1C, "09:05:07:005"},
        {DT_STORED_FORM, "Dec 6, 2011  09:05:07"},
    };
    char buf[64];
    for (const Case& c : cases)
        EXPECT_STREQ(FormatDateTime(c.flags, t, buf), c.text) << "flags 0x" << std::hex << c.flags;

    t.wMonth = 13;
    EXPECT_STREQ(FormatDateTime(0x03, t, buf), "? 6, 2011");
}

TEST(DateText, FileTimeFormIsConvertedFirst)
{
    SYSTEMTIME st = {};
    st.wYear = 2020;
    st.wMonth = 2;
    st.wDay = 29;
    st.wHour = 23;
    st.wMinute = 59;
    FILETIME ft;
    ASSERT_TRUE(SystemTimeToFileTime(&st, &ft));
    char buf[64];
    EXPECT_STREQ(FormatDateTime(0x85, ft, buf), "2020-02-29  23:59");
    FILETIME bad = {0xFFFFFFFF, 0xFFFFFFFF};
    EXPECT_STREQ(FormatDateTime(0x85, bad, buf), "");
}

TEST(TextHelpers, StartsWithAndAppendPrintf)
{
    EXPECT_TRUE(StartsWith("ab", "abc"));
    EXPECT_FALSE(StartsWith("abc", "ab"));
    EXPECT_TRUE(StartsWith("", "x"));
    EXPECT_FALSE(StartsWith(nullptr, "x"));
    char buf[64] = "n=";
    EXPECT_STREQ(AppendPrintf(buf, "%d,%s", 42, "x"), "n=42,x");
}

}  // namespace
