#include "framework/base/file_utils.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/base/dir_finder.h"
#include "framework/base/sys_box_recorder.h"
#include "support/temp_tree.h"

namespace {

TEST(FileExists, DriveRootsAndSearches)
{
    TempTree tree;
    tree.Write("f.txt", "x");
    struct Case {
        uint32_t flags;
        std::string path;
        bool exists;
    } cases[] = {
        {1, "C:", true},
        {1, "C:\\", true},
        {1, "Q:\\", false},
        {1, tree.Path("f.txt"), true},
        {1, tree.Path("*.txt"), true},
        {1, tree.Path("*.none"), false},
        {0, tree.Path("f.txt"), true},
        {0, tree.Path("missing"), false},
        {1, "", false},
    };
    for (const Case& c : cases) EXPECT_EQ(FileExists(c.flags, c.path.c_str()), c.exists) << c.flags << " " << c.path;
}

TEST(FileExists, FileOpenElsewhereStillExists)
{
    TempTree tree;
    tree.Write("busy.txt", "x");
    HANDLE h = CreateFileA(tree.Path("busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(FileExists(0, tree.Path("busy.txt").c_str()));
    CloseHandle(h);
}

TEST(FileSize, ByPathAndMissing)
{
    TempTree tree;
    tree.Write("five", "12345");
    EXPECT_EQ(FileSize(tree.Path("five").c_str()), 5);
    EXPECT_EQ(FileSize64(tree.Path("five").c_str()), 5);
    EXPECT_EQ(FileSize(tree.Path("none").c_str()), -1);
}

TEST(FileTime, ComparesLastWriteTimes)
{
    TempTree tree;
    tree.Write("old", "1");
    tree.Write("new", "2");
    FILETIME t = {};
    SYSTEMTIME s = {2011, 12, 0, 6, 9, 5, 7, 0};
    SystemTimeToFileTime(&s, &t);
    HANDLE h = CreateFileA(tree.Path("old").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(h, nullptr, nullptr, &t);
    CloseHandle(h);
    PFileTime oldTime(tree.Path("old").c_str()), newTime(tree.Path("new").c_str()), none(tree.Path("x").c_str());
    EXPECT_TRUE(oldTime.found);
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(oldTime < newTime);
    EXPECT_TRUE(newTime >= oldTime);
    EXPECT_TRUE(oldTime != newTime);
    EXPECT_TRUE(oldTime == PFileTime(tree.Path("old").c_str()));
}

TEST(CopyIfChanged, IdenticalFilesAreNotCopied)
{
    TempTree tree;
    tree.Write("src", "same");
    ASSERT_EQ(CopyFileIfChanged(false, tree.Path("dst").c_str(), tree.Path("src").c_str()), 1);
    EXPECT_EQ(CopyFileIfChanged(true, tree.Path("dst").c_str(), tree.Path("src").c_str()), 2);
    // A rewritten source has a new write time: it is copied again.
    tree.Write("src", "diff");
    EXPECT_EQ(CopyFileIfChanged(true, tree.Path("dst").c_str(), tree.Path("src").c_str()), 1);
    EXPECT_EQ(tree.Read("dst"), "diff");
    EXPECT_EQ(CopyFileIfChanged(false, tree.Path("dst").c_str(), tree.Path("src").c_str()), 1);
}

TEST(CopyIfChanged, FailureShowsMessageWithBothNames)
{
    TempTree tree;
    FwBoxRecorder boxes;
    EXPECT_EQ(CopyFileIfChanged(false, tree.Path("dst").c_str(), tree.Path("missing").c_str()), 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 6676);
    EXPECT_EQ(boxes.Boxes()[0].text.rfind("Cannot copy file '" + tree.Path("missing") + "' to '" + tree.Path("dst") + "':\n", 0), 0u)
        << boxes.Boxes()[0].text;
}

TEST(SameFile, NamesTimesAndSizes)
{
    TempTree a, b;
    a.Write("f.txt", "1234");
    ASSERT_EQ(CopyFileIfChanged(false, b.Path("F.TXT").c_str(), a.Path("f.txt").c_str()), 1);
    PFileFinder fa(false, a.Path("f.txt").c_str()), fb(false, b.Path("F.TXT").c_str());
    EXPECT_TRUE(SameFile(fa, fb));
    PFileFinder missing(false, a.Path("nothing").c_str());
    EXPECT_FALSE(SameFile(fa, missing));
}

}  // namespace
