// Keyed text tables, "$"-name expansion, text replacement and box answers.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "framework/ui/message_boxes.h"
#include "framework/ui/text_macros.h"

namespace {

std::vector<uint8_t> LayoutA(std::initializer_list<std::pair<uint16_t, const char*>> records)
{
    std::vector<uint8_t> out;
    for (auto [key, text] : records) {
        out.push_back(static_cast<uint8_t>(key));
        out.push_back(static_cast<uint8_t>(key >> 8));
        out.insert(out.end(), text, text + strlen(text) + 1);
    }
    return out;
}

std::vector<uint8_t> LayoutB(std::initializer_list<std::pair<uint32_t, const char*>> records, bool ended)
{
    std::vector<uint8_t> out(4, 0xFF);
    auto put = [&](uint32_t v) {
        for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    for (auto [key, text] : records) {
        put(key);
        out.insert(out.end(), text, text + strlen(text) + 1);
    }
    if (ended) {
        put(0xFFFFFFFFu);
        put(0xFFFFFFFFu);
    }
    return out;
}

TEST(KeyedText, BothLayoutsAndTheirEnds)
{
    auto a = LayoutA({{1, "RT_CURSOR"}, {2, "RT_BITMAP"}, {24, "RT_MANIFEST"}});
    EXPECT_STREQ(FindKeyedText(a.data(), a.size(), 2), "RT_BITMAP");
    EXPECT_STREQ(FindKeyedText(a.data(), a.size(), 24), "RT_MANIFEST");
    EXPECT_EQ(FindKeyedText(a.data(), a.size(), 3), nullptr);
    auto b = LayoutB({{0x102, "STATUS_ABANDONED_WAIT_0"}, {0xC0000005, "STATUS_ACCESS_VIOLATION"}}, true);
    EXPECT_STREQ(FindKeyedText(b.data(), b.size(), 0xC0000005), "STATUS_ACCESS_VIOLATION");
    EXPECT_EQ(FindKeyedText(b.data(), b.size(), 7), nullptr);
    // A table without its end pair, or a text cut by the resource's end,
    // is never read past its size.
    auto unended = LayoutB({{5, "five"}}, false);
    EXPECT_EQ(FindKeyedText(unended.data(), unended.size(), 6), nullptr);
    auto cut = LayoutA({{1, "one"}, {2, "two"}});
    cut.pop_back();  // the last NUL
    EXPECT_EQ(FindKeyedText(cut.data(), cut.size(), 2), nullptr);
    EXPECT_STREQ(FindKeyedText(cut.data(), cut.size(), 1), "one");
}

TEST(TextMacros, ExpansionWithinTheBuffer)
{
    const TextMacro macros[] = {{"P", "A"}, {"V", "1.0"}, {"LONG", "abcdefghij"}, {nullptr, nullptr}};
    SetTextMacros(macros);
    struct Case {
        const char* text;
        size_t size;
        const char* expected;
    } cases[] = {
        {"$P-$V", 64, "A-1.0"},
        {"$$P", 64, "$A"},       // a "$" that no name follows is copied
        {"$x and $", 64, "$x and $"},
        {"[$LONG]", 9, "[abcd..."},  // cut to end in "..."
        {"$LONG", 3, ".."},          // fewer than four bytes left: only what fits
        {"$LONG", 1, ""},
        {"abc", 3, "ab"},
    };
    for (const Case& c : cases) {
        char out[72];
        memset(out, 'Z', sizeof out);
        ExpandTextMacros(out, c.text, c.size);
        EXPECT_STREQ(out, c.expected) << c.text << " " << c.size;
        EXPECT_EQ(out[c.size], 'Z') << "written past the buffer: " << c.text;
    }
    char untouched = 'Z';
    ExpandTextMacros(&untouched, "$P", 0);
    EXPECT_EQ(untouched, 'Z');
    SetTextMacros(nullptr);
}

TEST(TextMacros, ReplaceAllIsBoundedAndAnEmptyPatternCopies)
{
    char out[16];
    EXPECT_TRUE(ReplaceAll("xy", "ab", "1ab2ab3", out, sizeof out));
    EXPECT_STREQ(out, "1xy2xy3");
    EXPECT_TRUE(ReplaceAll("xy", "", "same", out, sizeof out));
    EXPECT_STREQ(out, "same");
    EXPECT_FALSE(ReplaceAll("0123456789", "a", "aa", out, sizeof out));
    EXPECT_STREQ(out, "0123456789");
    EXPECT_LT(strlen(out), sizeof out);
}

TEST(BoxAnswers, Names)
{
    const std::pair<int, const char*> names[] = {{1, "OK"}, {2, "CANCEL"}, {3, "ABORT"}, {4, "RETRY"}, {5, "IGNORE"},
                                                 {6, "YES"}, {7, "NO"}, {8, "CLOSE"}, {9, "HELP"}, {10, "TRYAGAIN"},
                                                 {11, "CONTINUE"}, {32000, "TIMEOUT"}, {12, "12"}, {-1, "-1"}};
    for (auto [answer, name] : names) EXPECT_EQ(BoxResultName(answer), name);
}

}  // namespace
