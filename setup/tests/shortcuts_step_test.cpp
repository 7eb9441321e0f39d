// The program group from the installed product's .inf files: hostile values
// refused, the uninstall icon's priorities, the integration shortcut.
#include "setup/shortcuts_step.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/base/dir_tree.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/install_log.h"
#include "setup/tests/support/log_entries.h"
#include "setup/install_seams.h"
#include "setup/shortcuts_folders.h"

namespace {

std::vector<std::string> g_opened;
void RecordOpen(const char* folder) { g_opened.push_back(folder); }

class Shortcuts : public ::testing::Test {
protected:
    void SetUp() override
    {
        previous_ = SetOpenFolderHook(&RecordOpen);
        g_opened.clear();
        programs_ = ShellFolder(kCsidlCommonPrograms);
        ASSERT_FALSE(programs_.empty());
        group_ = programs_ + "\\VOQ-Test 1.0";
        DeleteDirTree(group_.c_str());
        tree.MakeDir("target");
        tree.MakeDir("setup");
        job.log = &log;
        job.targetDir = tree.Path("target");
        job.productName = "VOQ-Test";
        job.version = "1.0";
        job.setupFolder = tree.Path("setup");
    }
    void TearDown() override
    {
        SetOpenFolderHook(previous_);
        DeleteDirTree(group_.c_str());
    }
    bool InGroup(const char* name) const { return GetFileAttributesA((group_ + "\\" + name).c_str()) != INVALID_FILE_ATTRIBUTES; }

    TempTree tree;
    InstallLog log{tree.Path("Setup.log").c_str()};
    ShortcutJob job;
    std::string programs_, group_;
    FwBoxRecorder boxes;

private:
    OpenFolderHook previous_ = nullptr;
};

TEST_F(Shortcuts, GroupIsRecordedBeforeItIsMadeAndOpenedInTheShell)
{
    tree.Write("target\\none.inf", "[Other]\nExe=a.exe\nAddIcon=1\n");
    EXPECT_EQ(CreateShortcuts(job), 1);
    EXPECT_EQ(LoggedFiles(log), std::vector<std::string>{group_});
    EXPECT_EQ(g_opened, std::vector<std::string>{group_});
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(job.displayIcon.empty());
    EXPECT_FALSE(tree.Exists("target\\install.ini"));
}

TEST_F(Shortcuts, HostileValuesAreRefusedAndNothingLandsOutsideTheGroupOrTarget)
{
    tree.MakeDir("setup\\extra");
    tree.Write("setup\\extra\\tool.cfg", "cfg");
    tree.Write("target\\ok.exe", "MZ");
    tree.Write("target\\bad.inf",
               "[Product1]\nExe=ok.exe\nName=..\\..\\Escape\nAddIcon=1\n"
               "[Product2]\nExe=ok.exe\nName=Sub\nSubFolder=..\\Out\nAddIcon=1\n"
               "[Product3]\nExe=ok.exe\nName=Icon\nIconFile=..\\..\\evil.ico\nAddIcon=1\n"
               "[Product4]\nExe=ok.exe\nCopyFromDir=extra\nCopyFromName=tool.cfg\nCopyToDir=..\\outside\n"
               "[Product5]\nExe=..\\outside.exe\nCopyFromDir=extra\nCopyFromName=tool.cfg\n"
               "[Product6]\nExe=ok.exe\nName=A<B\nAddIcon=1\n"
               "[Product7]\nExe=!C:\\windows\\notepad.exe\nName=Editor\nAddIcon=1\n");
    EXPECT_EQ(CreateShortcuts(job), 1);
    ASSERT_EQ(boxes.Boxes().size(), 6u);
    for (const FwRecordedBox& box : boxes.Boxes()) EXPECT_EQ(box.messageId, 2009) << box.text;
    EXPECT_TRUE(InGroup("Editor.lnk"));
    EXPECT_FALSE(tree.Exists("outside"));
    EXPECT_FALSE(tree.Exists("outside.exe"));
    EXPECT_FALSE(tree.Exists("Escape.lnk"));
    EXPECT_EQ(GetFileAttributesA((programs_ + "\\Out").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA((programs_ + "\\Escape.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(LoggedFiles(log), (std::vector<std::string>{group_, group_ + "\\Editor.lnk"}));
}

TEST_F(Shortcuts, IconGoesToTheHighestPriorityAndIntegrationNeedsTwoItems)
{
    tree.Write("target\\a.exe", "MZ");
    tree.Write("target\\b.exe", "MZ");
    tree.Write("target\\c.exe", "MZ");
    tree.Write("target\\one.inf",
               "[Product A]\nExe=a.exe\nDisplayIcon=2\nIntegrate=1\n"
               "[Product B]\nExe=b.exe\nDisplayIcon=5\n"
               "[Product Missing]\nExe=gone.exe\nFileMustExist=1\nDisplayIcon=9\nAddIcon=1\nName=Gone\n"
               "[Product C]\nExe=c.exe\nDisplayIcon=5\n");
    EXPECT_EQ(CreateShortcuts(job), 1);
    EXPECT_EQ(job.displayIcon, tree.Path("target\\b.exe"));
    EXPECT_FALSE(InGroup("Gone.lnk"));
    EXPECT_FALSE(InGroup("VOQ-Test.lnk"));
    EXPECT_FALSE(tree.Exists("target\\integrat.ini"));

    // A second integrating item: the integration tool's shortcut, its ini,
    // and the tool as the uninstall icon.
    tree.Write("target\\two.inf", "[Product D]\nExe=c.exe\nIntegrate=1\n");
    EXPECT_EQ(CreateShortcuts(job), 1);
    EXPECT_TRUE(InGroup("VOQ-Test.lnk"));
    EXPECT_EQ(job.displayIcon, tree.Path("target\\integrat.exe"));
    const std::string ini = tree.Read("target\\integrat.ini");
    EXPECT_NE(ini.find("[Options]"), std::string::npos) << ini;
    EXPECT_NE(ini.find("Name=VOQ-Test"), std::string::npos) << ini;
    const std::vector<std::string> files = LoggedFiles(log);
    EXPECT_NE(std::find(files.begin(), files.end(), tree.Path("target\\integrat.ini")), files.end());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Shortcuts, ProductNameThatIsNoFolderNameMakesNoGroup)
{
    job.productName = "..\\..\\VOQ";
    EXPECT_EQ(CreateShortcuts(job), 2);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 2011);
    EXPECT_TRUE(LoggedFiles(log).empty());
    EXPECT_TRUE(g_opened.empty());
}

}  // namespace
