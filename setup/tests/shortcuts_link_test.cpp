// Shell links made and read back through IShellLinkA, the failures of the
// link steps, and the shell-folder lookups with their registry fallbacks.
#include "setup/shortcuts_link.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/install_log.h"
#include "setup/tests/support/log_entries.h"
#include "setup/tests/support/system_readback.h"
#include "setup/install_seams.h"
#include "setup/shortcuts_folders.h"

namespace {

class Links : public ::testing::Test {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override { CoUninitialize(); }
    TempTree tree;
    InstallLog log{tree.Path("Setup.log").c_str()};
    FwBoxRecorder boxes;
};

TEST_F(Links, LinkReadsBackWithEveryFieldAndIsRecorded)
{
    tree.MakeDir("group");
    tree.Write("tool.exe", "MZ");
    LinkContext context{&log, tree.Root(), "VOQ", 0};
    LinkRequest request{tree.Path("group"), "VOQ Tool", tree.Path("tool.exe"), tree.Root(), "/x \"a b\"",
                        "The tool", "icons\\tool.ico"};
    ASSERT_TRUE(CreateLink(context, request));
    EXPECT_TRUE(boxes.Boxes().empty());
    LinkData data;
    ASSERT_TRUE(LoadLink(tree.Path("group\\VOQ Tool.lnk"), data));
    EXPECT_EQ(data.path, tree.Path("tool.exe"));
    EXPECT_EQ(data.arguments, "/x \"a b\"");
    EXPECT_EQ(data.workingDir, tree.Root());
    EXPECT_EQ(data.description, "The tool");
    EXPECT_EQ(data.icon, tree.Path("icons\\tool.ico"));
    EXPECT_EQ(data.iconIndex, 0);
    EXPECT_EQ(LoggedFiles(log), std::vector<std::string>{tree.Path("group\\VOQ Tool.lnk")});
}

TEST_F(Links, MissingTargetStillMakesTheLink)
{
    tree.MakeDir("group");
    LinkContext context{&log, tree.Root(), "VOQ", 0};
    LinkRequest request{tree.Path("group"), "Later", tree.Path("not-yet.exe"), tree.Root(), "", "", ""};
    EXPECT_TRUE(CreateLink(context, request));
    EXPECT_TRUE(tree.Exists("group\\Later.lnk"));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Links, UninstallItemNamesTheProductAndTargetsTheUninstaller)
{
    tree.MakeDir("group");
    LinkContext context{&log, tree.Root(), "VOQ Tools", 0};
    LinkRequest request{tree.Path("group"), "Uninstall # Modify # Repair", tree.Path("setup.exe"), tree.Root(), "",
                        "", ""};
    ASSERT_TRUE(CreateLink(context, request));
    LinkData data;
    ASSERT_TRUE(LoadLink(tree.Path("group\\Uninstall VOQ Tools.lnk"), data));
    EXPECT_EQ(data.path, tree.Path("unrigger.exe"));
}

TEST_F(Links, FailedSaveIsReportedAndNothingIsRecorded)
{
    LinkContext context{&log, tree.Root(), "VOQ", 0};
    LinkRequest request{tree.Path("no-such-group"), "Tool", tree.Path("tool.exe"), tree.Root(), "", "", ""};
    EXPECT_FALSE(CreateLink(context, request));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 2009);
    EXPECT_NE(boxes.Boxes()[0].text.find("IPersistFile::Save failed."), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_TRUE(LoggedFiles(log).empty());
    EXPECT_FALSE(tree.Exists("no-such-group"));
}

TEST_F(Links, NamesThatLeaveTheFolderAreRefused)
{
    tree.MakeDir("group");
    LinkContext context{&log, tree.Root(), "VOQ", 0};
    for (const char* name : {"..\\escape", "a/b", "CON", "x:y"}) {
        boxes.Clear();
        LinkRequest request{tree.Path("group"), name, tree.Path("tool.exe"), tree.Root(), "", "", ""};
        EXPECT_FALSE(CreateLink(context, request)) << name;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << name;
        EXPECT_EQ(boxes.Boxes()[0].messageId, 2009) << name;
    }
    EXPECT_FALSE(tree.Exists("escape.lnk"));
    EXPECT_TRUE(LoggedFiles(log).empty());
}

bool NoShellFolder(int, char* out)
{
    out[0] = 0;
    return false;
}

std::string MachineValue(const char* path, const char* name)
{
    char data[1024] = {};
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, path, name, RRF_RT_REG_SZ, nullptr, data, &size) !=
        ERROR_SUCCESS)
        return {};
    return data;
}

TEST(ShellFolders, WithoutTheShellProgramFilesComesFromProgramFilesDirAndProgramsFromCommonPrograms)
{
    const std::string shellPrograms = ShellFolder(kCsidlCommonPrograms);
    const std::string shellProgramFiles = ShellFolder(kCsidlProgramFiles);
    ASSERT_FALSE(shellPrograms.empty());
    ASSERT_FALSE(shellProgramFiles.empty());
    const ShellFolderHook previous = SetShellFolderHook(&NoShellFolder);
    const std::string programFiles = ShellFolder(kCsidlProgramFiles);
    const std::string programs = ShellFolder(kCsidlCommonPrograms);
    const std::string other = ShellFolder(0x1A);
    SetShellFolderHook(previous);
    const std::string expectedFiles =
        MachineValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    ASSERT_FALSE(expectedFiles.empty());
    EXPECT_EQ(programFiles, expectedFiles);
    // Not the Start menu's Programs folder, which the old lookup gave.
    EXPECT_NE(programFiles, shellPrograms);
    EXPECT_EQ(_stricmp(programs.c_str(), shellPrograms.c_str()), 0) << programs << " / " << shellPrograms;
    EXPECT_TRUE(other.empty());
}

}  // namespace
