// PTextFile's local working copy for files on a network drive.
#include "framework/base/file_text.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/base/sys_box_recorder.h"
#include "support/temp_tree.h"

namespace {

// The drive that the drive-type query reports as a network drive. The test
// folder's own drive plays it, so the files are reached by their real names.
char g_networkDrive = 0;

unsigned FakeDriveType(const char* root)
{
    char drive = static_cast<char>(root[0] & ~0x20);  // upper case
    return drive == g_networkDrive ? DRIVE_REMOTE : DRIVE_FIXED;
}

class NetworkDrive : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_GE(tree.Root().size(), 2u);
        ASSERT_EQ(tree.Root()[1], ':');
        g_networkDrive = static_cast<char>(tree.Root()[0] & ~0x20);
        PTextFile::SetDriveTypeSource(FakeDriveType);
    }
    void TearDown() override
    {
        PTextFile::SetDriveTypeSource(nullptr);
        g_networkDrive = 0;
    }
    TempTree tree;
};

TEST_F(NetworkDrive, ReadingSeesTheFileAndLeavesItIntact)
{
    tree.Write("net.txt", "first\nsecond\n");
    {
        PTextFile file(true, nullptr, true, "rt", tree.Path("net.txt").c_str());
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.UsesWorkingCopy());
        char line[32];
        ASSERT_TRUE(file.ReadLine(sizeof line, line));
        EXPECT_STREQ(line, "first");
    }
    EXPECT_EQ(tree.Read("net.txt"), "first\nsecond\n");
}

TEST_F(NetworkDrive, AppendingKeepsOldContentAndWritesBack)
{
    tree.Write("log.txt", "old\n");
    {
        PTextFile file(true, nullptr, true, "ab", tree.Path("log.txt").c_str());
        ASSERT_TRUE(file.IsOpen());
        EXPECT_TRUE(file.UsesWorkingCopy());
        fputs("new\n", file.Stream());
        EXPECT_TRUE(file.Close());
    }
    EXPECT_EQ(tree.Read("log.txt"), "old\nnew\n");
}

TEST_F(NetworkDrive, WritingReplacesTheFileOnClose)
{
    tree.Write("out.txt", "stale");
    PTextFile file(true, nullptr, true, "w", tree.Path("out.txt").c_str());
    ASSERT_TRUE(file.IsOpen());
    EXPECT_TRUE(file.UsesWorkingCopy());
    fputs("fresh", file.Stream());
    EXPECT_EQ(tree.Read("out.txt"), "stale");  // the named file waits for Close
    EXPECT_TRUE(file.Close());
    EXPECT_EQ(tree.Read("out.txt"), "fresh");
}

TEST_F(NetworkDrive, FailedCopyBackKeepsTheWorkingCopyAndSaysWhere)
{
    tree.MakeDir("gone");
    FwBoxRecorder boxes;
    PTextFile file(true, nullptr, false, "w", tree.Path("gone\\out.txt").c_str());
    ASSERT_TRUE(file.IsOpen());
    ASSERT_TRUE(file.UsesWorkingCopy());
    fputs("precious", file.Stream());
    ASSERT_TRUE(RemoveDirectoryA(tree.Path("gone").c_str()));
    EXPECT_FALSE(file.Close());

    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string& text = boxes.Boxes()[0].text;
    EXPECT_EQ(text.rfind("Cannot create file '" + tree.Path("gone\\out.txt") + "': ", 0), 0u) << text;
    const std::string marker = "\nWorking copy kept: '";
    size_t at = text.find(marker);
    ASSERT_NE(at, std::string::npos) << text;
    std::string kept = text.substr(at + marker.size());
    ASSERT_FALSE(kept.empty());
    kept.pop_back();  // the closing quote
    FILE* copy = fopen(kept.c_str(), "rb");
    ASSERT_NE(copy, nullptr) << kept;
    char bytes[16] = {};
    size_t n = fread(bytes, 1, sizeof bytes, copy);
    fclose(copy);
    DeleteFileA(kept.c_str());
    EXPECT_EQ(std::string(bytes, n), "precious");
}

TEST_F(NetworkDrive, ReadingAMissingFileFailsWithoutAWorkingCopyLeftOver)
{
    PTextFile file(true, nullptr, true, "r", tree.Path("missing.txt").c_str());
    EXPECT_FALSE(file.IsOpen());
    EXPECT_FALSE(file.UsesWorkingCopy());
}

TEST_F(NetworkDrive, LocalDriveNeedsNoWorkingCopy)
{
    tree.Write("local.txt", "x");
    g_networkDrive = '#';  // no drive is a network drive now
    PTextFile file(true, nullptr, true, "rt", tree.Path("local.txt").c_str());
    ASSERT_TRUE(file.IsOpen());
    EXPECT_FALSE(file.UsesWorkingCopy());
}

}  // namespace
