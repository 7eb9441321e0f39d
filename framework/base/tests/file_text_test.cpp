#include "framework/base/file_text.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/file_binary.h"
#include "framework/base/sys_box_recorder.h"
#include "support/temp_tree.h"

namespace {

TEST(TextFile, ReadLineCutsAtLineFeedAndCounts)
{
    TempTree tree;
    tree.Write("t.txt", "one\ntwo\n\nlast");
    PTextFile file(false, nullptr, true, "rt", tree.Path("t.txt").c_str());
    ASSERT_TRUE(file.IsOpen());
    char line[64];
    std::vector<std::string> lines;
    while (file.ReadLine(sizeof line, line)) lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two", "", "last"}));
    EXPECT_EQ(file.LinesRead(), 4u);
    file.Close();
    EXPECT_FALSE(file.ReadLine(sizeof line, line));
}

TEST(TextFile, OpenFailureTextNamesFileAndKeepsPercentSigns)
{
    TempTree tree;
    FwBoxRecorder boxes;
    std::string name = tree.Path("100%s%n.txt");
    PTextFile reading(false, "extra line", false, "r", name.c_str());
    EXPECT_FALSE(reading.IsOpen());
    PTextFile writing(false, nullptr, false, "w", tree.Path("no\\such\\dir.txt").c_str());
    PTextFile quiet(false, nullptr, true, "r", name.c_str());
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    const std::string& first = boxes.Boxes()[0].text;
    EXPECT_EQ(first.rfind("Cannot open file '" + name + "': ", 0), 0u) << first;
    EXPECT_EQ(first.substr(first.size() - 11), "\nextra line");
    EXPECT_EQ(boxes.Boxes()[1].text.rfind("Cannot create file '", 0), 0u);
    EXPECT_EQ(boxes.Boxes()[0].icon, 102);
}

TEST(TextFile, ReadPlusModeCountsAsCreate)
{
    TempTree tree;
    FwBoxRecorder boxes;
    PTextFile file(false, nullptr, false, "r+", tree.Path("missing").c_str());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind("Cannot create file '", 0), 0u);
}

TEST(TextFileLines, BlankLinesOnlyWhenAskedAndNumbersCountEveryLine)
{
    TempTree tree;
    tree.Write("l.txt", "a\n \n\t\nb\n");
    PTextFileLines without(false, tree.Path("l.txt").c_str());
    PTextFileLines with(true, tree.Path("l.txt").c_str());
    ASSERT_EQ(without.Count(), 2u);
    EXPECT_EQ(without[1].text, "b");
    EXPECT_EQ(without[1].line, 3u);
    EXPECT_EQ(without.LinesRead(), 4u);
    ASSERT_EQ(with.Count(), 4u);
    EXPECT_EQ(with[1].text, " ");
}

TEST(TextFileLines, OverlongLineArrivesInPieces)
{
    TempTree tree;
    tree.Write("long.txt", std::string(32760 + 5, 'x') + "\n");
    PTextFileLines lines(false, tree.Path("long.txt").c_str());
    ASSERT_EQ(lines.Count(), 2u);
    EXPECT_EQ(lines[0].text.size(), 32760u);
    EXPECT_EQ(lines[1].text.size(), 5u);
}

TEST(BinaryFile, LoadsWholeFileWithNulAfterIt)
{
    TempTree tree;
    tree.Write("b.bin", std::string("\x01\x00\x02", 3));
    PBinaryFile file(false, tree.Path("b.bin").c_str());
    ASSERT_TRUE(file.Loaded());
    EXPECT_EQ(file.Size(), 3u);
    EXPECT_EQ(file.Data()[1], 0);
    EXPECT_EQ(file.Data()[2], 2);
    EXPECT_EQ(file.Data()[3], 0);
}

TEST(BinaryFile, MissingFileShowsMessage8385UnlessQuiet)
{
    TempTree tree;
    FwBoxRecorder boxes;
    PBinaryFile quiet(true, tree.Path("none").c_str());
    EXPECT_TRUE(boxes.Boxes().empty());
    PBinaryFile loud(false, tree.Path("none").c_str());
    EXPECT_FALSE(loud.Loaded());
    EXPECT_EQ(loud.Size(), 0u);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 8385);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind("Cannot open file '" + tree.Path("none") + "': ", 0), 0u);
}

TEST(BinaryFile, ExactReadFailsOnShortFile)
{
    TempTree tree;
    tree.Write("fw.bin", "1234");
    FwBoxRecorder boxes;
    char out[8] = {};
    EXPECT_TRUE(ReadFileExact(false, tree.Path("fw.bin").c_str(), out, 4));
    EXPECT_STREQ(out, "1234");
    EXPECT_FALSE(ReadFileExact(false, tree.Path("fw.bin").c_str(), out, 8));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 8102);
    EXPECT_FALSE(ReadFileExact(false, tree.Path("none").c_str(), out, 1));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].messageId, 5230);
}

}  // namespace
