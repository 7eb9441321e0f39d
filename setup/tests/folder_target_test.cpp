// The destination folder as the folder page takes it: the trailing
// separator, relative paths, and whether the folder already holds anything.
#include <gtest/gtest.h>

#include <string>

#include "framework/base/tests/support/temp_tree.h"
#include "setup/folder_target.h"

namespace {

TEST(FolderTarget, OneTrailingSeparatorGoesUnlessItEndsADriveRoot)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"C:\\", "C:\\"},         {"C:/", "C:/"},           {"C:\\a\\", "C:\\a"}, {"C:\\a/", "C:\\a"},
        {"C:\\a\\\\", "C:\\a\\"}, {"C:\\a", "C:\\a"},       {"", ""},             {"\\", ""},
        {"\\\\srv\\share\\", "\\\\srv\\share"},
    };
    for (const auto& c : cases) EXPECT_EQ(NormalizeTargetFolder(c.in), c.out) << c.in;
}

TEST(FolderTarget, VerdictsForEmptyRelativeFilledAndEmptyFolders)
{
    TempTree tree;
    tree.MakeDir("empty");
    tree.MakeDir("filled");
    tree.Write("filled\\old.txt", "x");
    tree.MakeDir("withdir");
    tree.MakeDir("withdir\\sub");
    const struct {
        std::string in;
        FolderVerdict verdict;
        std::string normalised;
    } cases[] = {
        {"", FolderVerdict::Empty, ""},
        {"Program Files\\VOQ", FolderVerdict::NotAbsolute, "Program Files\\VOQ"},
        {"C:VOQ", FolderVerdict::NotAbsolute, "C:VOQ"},
        {"\\VOQ\\", FolderVerdict::NotAbsolute, "\\VOQ"},
        {"\\\\", FolderVerdict::NotAbsolute, "\\"},
        {tree.Path("new\\"), FolderVerdict::Accept, tree.Path("new")},
        {tree.Path("empty\\"), FolderVerdict::Accept, tree.Path("empty")},
        {tree.Path("filled"), FolderVerdict::AskReplace, tree.Path("filled")},
        {tree.Path("withdir/"), FolderVerdict::AskReplace, tree.Path("withdir")},
    };
    for (const auto& c : cases) {
        std::string folder = c.in;
        EXPECT_EQ(CheckTargetFolder(folder), c.verdict) << c.in;
        EXPECT_EQ(folder, c.normalised) << c.in;
    }
}

}  // namespace
