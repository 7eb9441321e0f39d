// Folder helpers, running programs, the colour table and the version code.
#include <gtest/gtest.h>

#include <windows.h>

#include <fcntl.h>

#include <string>

#include "framework/base/dir_tree.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/scratch_drive.h"
#include "framework/ui/colour_table.h"
#include "framework/ui/folder_utilities.h"
#include "framework/ui/program_run.h"

namespace {

std::string TempRoot(const char* leaf)
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string root = std::string(temp) + leaf;
    DeleteDirTree(root.c_str());
    return root;
}

void MakeFile(const std::string& path)
{
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD n = 0;
    ::WriteFile(h, "x", 1, &n, nullptr);
    CloseHandle(h);
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(FolderUtilities, MakeEmptyFolderEmptiesCreatesAndRefusesAFile)
{
    FwBoxRecorder boxes;
    std::string root = TempRoot("voq_empty");
    EXPECT_TRUE(MakeEmptyFolder(root.c_str()));  // created
    EXPECT_TRUE(Exists(root));
    CreateDirectoryA((root + "\\sub").c_str(), nullptr);
    MakeFile(root + "\\sub\\a.txt");
    MakeFile(root + "\\ro.txt");
    SetFileAttributesA((root + "\\ro.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(MakeEmptyFolder(root.c_str()));  // emptied, read-only file and all
    EXPECT_TRUE(Exists(root));
    EXPECT_FALSE(Exists(root + "\\ro.txt"));
    EXPECT_FALSE(Exists(root + "\\sub"));
    EXPECT_TRUE(boxes.Boxes().empty());
    std::string file = root + "\\plain.txt";
    MakeFile(file);
    EXPECT_FALSE(MakeEmptyFolder(file.c_str()));
    EXPECT_TRUE(Exists(file));  // nothing deleted
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 2015);
    DeleteDirTree(root.c_str());
}

TEST(FolderUtilities, MakeEmptyFolderRefusesDriveAndShareRoots)
{
    FwBoxRecorder boxes;
    // The root of the prefix's scratch drive: a real root is never named.
    ScratchDrive drive;
    ASSERT_TRUE(drive.Ready());
    const std::string kept = drive.Folder() + "\\kept.txt";
    MakeFile(kept);
    const std::string d = ScratchDrive::Drive();
    for (const std::string& path : {d, d + "\\", std::string("\\\\server\\share")}) {
        boxes.Clear();
        EXPECT_FALSE(MakeEmptyFolder(path.c_str())) << path;
        EXPECT_TRUE(Exists(kept)) << path;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << path;
        EXPECT_EQ(boxes.Boxes()[0].messageId, 2015) << path;
    }
}

TEST(FolderUtilities, JoinFolderName)
{
    struct Case {
        const char* name;
        const char* folder;
        size_t size;
        bool ok;
        const char* out;
    } cases[] = {
        {"a.txt", "C:\\dir", 64, true, "C:\\dir\\a.txt"},
        {"a.txt", "C:\\dir\\", 64, true, "C:\\dir\\a.txt"},
        {"a.txt", "C:/dir/", 64, true, "C:/dir/a.txt"},
        {"a.txt", "", 64, true, "a.txt"},
        {"a.txt", "C:\\dir", 12, false, ""},
    };
    for (const Case& c : cases) {
        char out[64];
        EXPECT_EQ(JoinFolderName(c.name, c.folder, out, c.size), c.ok) << c.folder;
        EXPECT_STREQ(out, c.out) << c.folder;
    }
}

TEST(ProgramRun, FailuresAreReportedAndAProgramIsAwaited)
{
    FwBoxRecorder boxes;
    EXPECT_FALSE(RunAndWait("Z:\\no\\such\\program.exe", nullptr, nullptr));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 6445);
    EXPECT_TRUE(RunAndWait("cmd.exe", "/c exit 0", nullptr));
    EXPECT_EQ(OpenFileOrReport(true, _O_RDONLY, 0, "Z:\\no\\such\\file"), -1);
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(OpenFileOrReport(false, _O_RDONLY, 0, "Z:\\no\\such\\file"), -1);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[1].messageId, 5229);
}

TEST(ProgramRun, VersionCodes)
{
    EXPECT_EQ(OSVersionCode(VER_PLATFORM_WIN32_WINDOWS, 4, 10), 1);
    EXPECT_EQ(OSVersionCode(VER_PLATFORM_WIN32_NT, 3, 51), 0);
    EXPECT_EQ(OSVersionCode(VER_PLATFORM_WIN32_NT, 4, 0), 4);
    EXPECT_EQ(OSVersionCode(VER_PLATFORM_WIN32_NT, 5, 0), 5);
    EXPECT_EQ(OSVersionCode(VER_PLATFORM_WIN32_NT, 5, 1), 6);
    EXPECT_EQ(OSVersionCode(VER_PLATFORM_WIN32_NT, 6, 1), 6);  // Windows 7
    EXPECT_EQ(OSVersionCode(99, 6, 1), 0);
}

TEST(ColourTable, ValuesDefaultsAndInvertedLinks)
{
    EXPECT_EQ(ColorValue(MiscColourGroup(), 20778), RGB(0, 0, 128));
    EXPECT_EQ(ColorValue(MiscColourGroup(), 21425), 0u);  // not in the table
    ColourEntry entries[] = {
        {"Base", RGB(10, 20, 30), false, 0, 0, false, 1, 0},
        {"Inverse", RGB(1, 1, 1), false, 0, 1, true, 2, 0},
        {"Cycle A", RGB(5, 5, 5), false, 0, 4, true, 3, 0},
        {"Cycle B", RGB(6, 6, 6), false, 0, 3, true, 4, 0},
        {"System", 0, true, COLOR_WINDOW, 0, false, 5, 0},
        {nullptr, 0, false, 0, 0, false, 0, 0},
    };
    ColourGroup group{"Test", 2000, entries};
    RegisterColorGroup(&group);
    EXPECT_EQ(ColorValue(&group, 1), RGB(10, 20, 30));
    EXPECT_EQ(ColorValue(&group, 2), RGB(245, 235, 225));
    EXPECT_EQ(ColorValue(&group, 3), RGB(249, 249, 249));  // a cycle ends at once
    EXPECT_EQ(ColorValue(&group, 5), GetSysColor(COLOR_WINDOW));
    UnregisterColorGroup(&group);
}

}  // namespace
