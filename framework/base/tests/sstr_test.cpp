#include "framework/base/sstr.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/base/fast_str.h"
#include "framework/base/hooks.h"
#include "framework/base/istr.h"
#include "framework/base/sys_box_recorder.h"

namespace {

TEST(Sstr, EqualityOfAbsentAndPresentValues)
{
    sstr none;
    sstr none2(static_cast<const char*>(nullptr));
    sstr a("abc");
    sstr a2("abc");
    sstr b("abd");
    sstr empty("");
    EXPECT_TRUE(none == none2);
    EXPECT_TRUE(a == a2);
    EXPECT_FALSE(a == b);
    EXPECT_FALSE(none == empty);
    EXPECT_TRUE(b > a);
    EXPECT_FALSE(a > b);
    EXPECT_FALSE(a > none);
    EXPECT_FALSE(none > a);
}

TEST(Sstr, AssignAndAppendFromInsideTheirOwnValue)
{
    sstr s("hello world");
    s.Assign(s.c_str() + 6);
    EXPECT_STREQ(s.c_str(), "world");
    s.Append(s.c_str());
    EXPECT_STREQ(s.c_str(), "worldworld");
    s.Append(s.c_str() + 5);
    EXPECT_STREQ(s.c_str(), "worldworldworld");
    s.Assign(nullptr);
    EXPECT_EQ(s.c_str(), nullptr);
    s.Append("x");
    EXPECT_STREQ(s.c_str(), "x");
}

TEST(Sstr, AssignIfChangedKeepsTheSameBlock)
{
    sstr s("same");
    const char* before = s.c_str();
    s.AssignIfChanged("same");
    EXPECT_EQ(s.c_str(), before);
    s.AssignIfChanged("other");
    EXPECT_STREQ(s.c_str(), "other");
}

TEST(Sstr, ConcatenationCopiesAndEmptyBuffer)
{
    sstr a("ab");
    sstr c = a + "cd" + sstr("ef");
    EXPECT_STREQ(c.c_str(), "abcdef");
    EXPECT_STREQ(a.c_str(), "ab");
    EXPECT_STREQ((sstr() + "x").c_str(), "x");
    sstr buf(static_cast<uint32_t>(16));
    ASSERT_NE(buf.c_str(), nullptr);
    EXPECT_EQ(buf.c_str()[0], 0);
    sstr copy(a);
    EXPECT_NE(copy.c_str(), a.c_str());
    EXPECT_TRUE(copy == a);
}

TEST(Sstr, FormatIsBoundedAndSizedToTheResult)
{
    // Larger than any fixed per-thread buffer would hold.
    std::string big(100000, 'q');
    sstr s = sstr::Format("<%s>%d", big.c_str(), 7);
    ASSERT_NE(s.c_str(), nullptr);
    EXPECT_EQ(s.Length(), 100003u);
    EXPECT_EQ(s.c_str()[0], '<');
    EXPECT_STREQ(s.c_str() + 100001, ">7");
    EXPECT_STREQ(sstr::Format("%llu|%05.1f", 18446744073709551615ull, 2.25).c_str(), "18446744073709551615|002.2");
}

TEST(FastStr, NullTolerantCopies)
{
    char buf[16] = "keep";
    EXPECT_EQ(_fast_strcpy(buf, nullptr), buf);
    EXPECT_STREQ(buf, "keep");
    EXPECT_EQ(_fast_strcpy(nullptr, "x"), nullptr);
    EXPECT_EQ(_fast_strcat(nullptr, "x"), nullptr);
    EXPECT_STREQ(_fast_strcat(buf, "er"), "keeper");
    EXPECT_STREQ(_fast_strcpycat(buf, "a", "b"), "ab");
    EXPECT_EQ(_fast_strend(buf), buf + 2);
    EXPECT_EQ(_fast_strdup(nullptr), nullptr);
    char* d = _fast_strdup("dup");
    EXPECT_STREQ(d, "dup");
    free(d);
}

TEST(FastStr, NullParameterBoxOnlyUnderDebugFlag)
{
    FwBoxRecorder boxes;
    char buf[4] = "";
    g_fwSettings.debug = 0;
    _fast_strcpy(buf, nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());
    g_fwSettings.debug = 1;
    _fast_strcpy(buf, nullptr);
    g_fwSettings.debug = 0;
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "_fast_strcpy: NULL parameter");
    EXPECT_EQ(boxes.Boxes()[0].style & MB_ICONMASK, static_cast<uint32_t>(MB_ICONSTOP));
}

TEST(Istr, EqualityAndOrderTable)
{
    Istr none;
    Istr none2;
    Istr a("abc");
    Istr A("ABC");
    Istr b("abd");
    EXPECT_FALSE(none.IsEqual(&none2));  // two absent texts are not equal
    EXPECT_FALSE(a.IsEqual(&none));
    EXPECT_TRUE(a.IsEqual(&a));
    EXPECT_FALSE(a.IsEqual(&A));
    EXPECT_TRUE(b.IsGreater(&a));
    EXPECT_FALSE(a.IsGreater(&b));
    EXPECT_FALSE(a.IsGreater(&none));

    NCIstr nc("\xC0\xE1\xE2");  // Абв
    Istr upper("\xC0\xC1\xC2");  // АБВ
    EXPECT_TRUE(nc.IsEqual(&upper));
    NCIstr ncb("ABD");
    EXPECT_TRUE(ncb.IsGreater(&a));

    DRIstr r1(1, "a");
    DRIstr r2(2, "b");
    EXPECT_TRUE(r1.IsGreater(&r2));
    EXPECT_FALSE(r2.IsGreater(&r1));
    DRIstr sameText(9, "a");
    EXPECT_TRUE(r1.IsEqual(&sameText));  // equality ignores the data word
}

TEST(Istr, SetAndAppendFromOwnText)
{
    Istr s("abcdef");
    s.Set(s.Text() + 3);
    EXPECT_STREQ(s.Text(), "def");
    s.Append(s.Text());
    EXPECT_STREQ(s.Text(), "defdef");
    EXPECT_EQ(s.Set(nullptr), nullptr);
    EXPECT_EQ(s.Text(), nullptr);
    DIstr d(static_cast<uint32_t>(8), 77u);
    EXPECT_EQ(d.Data(), 77u);
    ASSERT_NE(d.Buffer(), nullptr);
    EXPECT_EQ(d.Buffer()[0], 0);
}

TEST(CodePage, WideCyrillicGivesCp1251Bytes)
{
    const wchar_t wide[] = L"\x041F\x0440\x0438\x0432\x0435\x0442 \x0401\x0451!";  // Привет Ёё!
    char* bytes = WideToCp1251(wide);
    ASSERT_NE(bytes, nullptr);
    EXPECT_STREQ(bytes, "\xCF\xF0\xE8\xE2\xE5\xF2 \xA8\xB8!");
    wchar_t* back = Cp1251ToWide(bytes);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(wcscmp(back, wide), 0);
    free(bytes);
    free(back);
    EXPECT_STREQ(WideToSstr(L"\x0416").c_str(), "\xC6");
    EXPECT_EQ(WideToCp1251(nullptr), nullptr);
    wchar_t* empty = WideBuffer(3);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(empty[0], 0);
    EXPECT_EQ(empty[3], 0);
    free(empty);
}

TEST(CodePage, ConversionToMultibyteIsSizedFromTheResult)
{
    // Six Cyrillic letters become twelve UTF-8 bytes.
    sstr utf8 = ConvertCodePage("\xCF\xF0\xE8\xE2\xE5\xF2", 1251, CP_UTF8);
    EXPECT_STREQ(utf8.c_str(), "\xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82");
    sstr back = ConvertCodePage(utf8.c_str(), CP_UTF8, 1251);
    EXPECT_STREQ(back.c_str(), "\xCF\xF0\xE8\xE2\xE5\xF2");
    sstr oem866 = ConvertCodePage("\xC0\xE0", 1251, 866);  // Аа
    EXPECT_STREQ(oem866.c_str(), "\x80\xA0");
    EXPECT_EQ(ConvertCodePage(nullptr, 1251, 866).c_str(), nullptr);
}

}  // namespace
