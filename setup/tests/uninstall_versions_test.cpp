// Uninstalling installed versions through the stand-in uninstaller
// (bin/unrigger.exe, two stages) in the setup tests' own prefix.
#include "setup/uninstall_versions.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/install_log.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"
#include "setup/tests/support/captured_setup_log.h"

namespace {

constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

TEST(QuietUninstallCommand, SlashQFollowsTheProgram)
{
    struct Case {
        const char* registered;
        const char* run;
    } cases[] = {
        {"\"C:\\Program Files\\VOQ\\unrigger.exe\"", "\"C:\\Program Files\\VOQ\\unrigger.exe\" /q"},
        {"C:\\Program Files\\VOQ\\unrigger.exe", "\"C:\\Program Files\\VOQ\\unrigger.exe\" /q"},
        {"C:\\VOQ\\UNRIGGER.EXE", "\"C:\\VOQ\\UNRIGGER.EXE\" /q"},
        {"\"C:\\A B\\unrigger.exe\" -x", "\"C:\\A B\\unrigger.exe\" /q -x"},
        {"C:\\A B\\unrigger.exe -x", "\"C:\\A B\\unrigger.exe\" /q -x"},
        {"  \"C:\\VOQ\\unrigger.exe\"  ", "\"C:\\VOQ\\unrigger.exe\" /q"},
        {"\"C:\\VOQ\\unrigger.exe", "\"C:\\VOQ\\unrigger.exe\" /q"},
        {"\"C:\\Program Files\\Other\\remove.exe\" /s", "\"C:\\Program Files\\Other\\remove.exe\" /s"},
        {"C:\\Other\\remove.exe", "C:\\Other\\remove.exe"},
    };
    for (const Case& c : cases) EXPECT_EQ(QuietUninstallCommand(c.registered), c.run) << c.registered;
}

std::string TestFolder()
{
    char path[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, path, sizeof path);
    const std::string self(path);
    return self.substr(0, self.find_last_of('\\'));
}

void SetUninstallString(const std::string& entry, const std::string& command)
{
    HKEY h = nullptr;
    const std::string key = kUninstall + entry;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(h, "UninstallString", 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), command.size() + 1);
    RegCloseKey(h);
}

class Uninstall : public ::testing::Test {
protected:
    void SetUp() override
    {
        Clean();
        state.product.company = "VOQ-Uninstall-Co";
        state.product.name = "VOQ Uninst";
        state.product.version = "3.0";
        tree.MakeDir("tmp");
        SetEnvironmentVariableA("TEMP", tree.Path("tmp").c_str());
        SetEnvironmentVariableA("TMP", tree.Path("tmp").c_str());
        SetEnvironmentVariableA("UNRIGGER_RECORD", tree.Path("record.txt").c_str());
    }
    void TearDown() override
    {
        for (const char* name : {"UNRIGGER_RECORD", "UNRIGGER_EXIT_CODE", "UNRIGGER_STAGE2_SLEEP"})
            SetEnvironmentVariableA(name, nullptr);
        SetEnvironmentVariableA("TEMP", savedTemp.c_str());
        SetEnvironmentVariableA("TMP", savedTemp.c_str());
        SetSecondStageWaitLimit(300000);
        Clean();
    }
    static void Clean()
    {
        for (const char* entry : {"VOQ Uninst", "VOQ Uninst 1.0", "VOQ Uninst 2.0", "VOQ Uninst 3.0"})
            RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + entry).c_str());
    }
    static std::string SavedTemp()
    {
        char temp[MAX_PATH] = "";
        GetEnvironmentVariableA("TEMP", temp, sizeof temp);
        return temp;
    }

    // An installed version in `relative`: the stand-in uninstaller, a file
    // in a sub-folder and Setup.log listing them. Returns the folder.
    std::string Install(const std::string& relative)
    {
        const std::string folder = tree.Path(relative);
        InstallLog log((folder + "\\Setup.log").c_str());
        log.AddFile(folder.c_str());
        tree.MakeDir(relative);
        log.AddFile((folder + "\\bin\\tool.dat").c_str());
        tree.MakeDir(relative + "\\bin");
        tree.Write(relative + "\\bin\\tool.dat", "tool");
        const std::string uninstaller = folder + "\\unrigger.exe";
        log.AddFile(uninstaller.c_str());
        EXPECT_TRUE(CopyFileA((TestFolder() + "\\unrigger.exe").c_str(), uninstaller.c_str(), FALSE));
        log.AddFile((folder + "\\Setup.log").c_str());
        log.Stream().SelectSection("Setup").SetValue(folder.c_str(), "Folder");
        EXPECT_TRUE(log.Save());
        return folder;
    }
    int TempCopies() const
    {
        int count = 0;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA(tree.Path("tmp\\unrigger-*.exe").c_str(), &entry);
        if (find == INVALID_HANDLE_VALUE) return 0;
        do ++count;
        while (FindNextFileA(find, &entry));
        FindClose(find);
        return count;
    }
    std::string Record() const { return tree.Exists("record.txt") ? tree.Read("record.txt") : std::string(); }
    bool WaitForRecord(const char* text) const
    {
        for (int i = 0; i < 300; ++i) {
            if (Record().find(text) != std::string::npos) return true;
            Sleep(100);
        }
        return false;
    }

    std::string savedTemp = SavedTemp();
    TempTree tree;
    SetupState state;
    FwBoxRecorder boxes;
};

TEST_F(Uninstall, TheSecondStageIsAwaitedAndRemovesTheOldVersion)
{
    const std::string folder = Install("old 1.0");
    SetUninstallString("VOQ Uninst 1.0", "\"" + folder + "\\unrigger.exe\"");
    CapturedSetupLog log;
    UninstallVersions(state, {{"1.0", true}});
    EXPECT_TRUE(boxes.Boxes().empty());

    EXPECT_FALSE(tree.Exists("old 1.0")) << Record();
    const std::string record = Record();
    EXPECT_NE(record.find("stage1: \"" + folder + "\\unrigger.exe\" /q\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("/stage2 \"" + folder + "\""), std::string::npos) << record;
    const std::string text = log.Text();
    EXPECT_NE(text.find("  Requested uninstall for version '1.0'\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Starting '\"" + folder + "\\unrigger.exe\" /q' to uninstall\n"), std::string::npos) << text;
    EXPECT_NE(text.find(" (derived uninstaller PID)\n  Waiting for derived uninstaller exit\n"), std::string::npos)
        << text;
    EXPECT_EQ(text.find("unrigger.exe returned 0 "), std::string::npos) << text;

    // The next uninstall leaves only its own copy in the temporary folder.
    EXPECT_EQ(TempCopies(), 1);
    const std::string second = Install("old 2.0");
    SetUninstallString("VOQ Uninst 2.0", "\"" + second + "\\unrigger.exe\"");
    UninstallVersions(state, {{"2.0", true}});
    EXPECT_FALSE(tree.Exists("old 2.0")) << Record();
    EXPECT_EQ(TempCopies(), 1);
}

TEST_F(Uninstall, ASecondStageSlowerThanTheWaitLetsTheSetupGoOn)
{
    const std::string folder = Install("old");
    SetUninstallString("VOQ Uninst 1.0", folder + "\\unrigger.exe");  // unquoted, as older setups wrote it
    SetSecondStageWaitLimit(300);
    SetEnvironmentVariableA("UNRIGGER_STAGE2_SLEEP", "5000");
    CapturedSetupLog log;
    UninstallVersions(state, {{"1.0", true}});
    EXPECT_NE(log.Text().find("  Waiting for derived uninstaller exit\n"), std::string::npos) << log.Text();
    EXPECT_TRUE(tree.Exists("old\\bin\\tool.dat")) << "the setup did not wait for the sleeping second stage";

    ASSERT_TRUE(WaitForRecord("stage2: done")) << Record();
    EXPECT_FALSE(tree.Exists("old"));
}

TEST_F(Uninstall, ExitCodesThatNameNoSecondStageAreNotWaitedFor)
{
    const std::string folder = Install("old");
    SetUninstallString("VOQ Uninst 1.0", "\"" + folder + "\\unrigger.exe\"");
    struct Case {
        const char* exitCode;
        const char* logged;
    } cases[] = {{"0", "unrigger.exe returned 0 (derived uninstaller PID)\n"},
                 {"4294967280", "unrigger.exe returned 4294967280 (derived uninstaller PID)\n"}};
    for (const Case& c : cases) {
        SetEnvironmentVariableA("UNRIGGER_EXIT_CODE", c.exitCode);
        CapturedSetupLog log;
        UninstallVersions(state, {{"1.0", true}});
        EXPECT_NE(log.Text().find(c.logged), std::string::npos) << log.Text();
        EXPECT_EQ(log.Text().find("Waiting"), std::string::npos) << c.exitCode;
    }
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_TRUE(tree.Exists("old\\bin\\tool.dat"));
}

TEST_F(Uninstall, AMissingUninstallStringEndsTheRunAMissingProgramPassesToTheNext)
{
    const std::string folder = Install("old");
    SetEnvironmentVariableA("UNRIGGER_EXIT_CODE", "0");
    SetUninstallString("VOQ Uninst 2.0", "\"" + folder + "\\unrigger.exe\"");

    // 1.0 has no uninstall entry: 2002, and 2.0 is not tried.
    UninstallVersions(state, {{"1.0", true}, {"2.0", true}});
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, SETUP_MSG_UNINSTALL_INFO);
    EXPECT_NE(boxes.Boxes()[0].text.find("'1.0'"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_EQ(Record(), "");

    // 1.0 names a missing program: one box (2003), then 2.0 runs.
    boxes.Clear();
    SetUninstallString("VOQ Uninst 1.0", "\"" + tree.Path("gone\\unrigger.exe") + "\"");
    UninstallVersions(state, {{"1.0", true}, {"2.0", true}});
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, SETUP_MSG_UNINSTALL_START);
    EXPECT_NE(boxes.Boxes()[0].text.find("'\"" + tree.Path("gone\\unrigger.exe") + "\" /q'"), std::string::npos)
        << boxes.Boxes()[0].text;
    EXPECT_NE(Record().find("stage1: \"" + folder + "\\unrigger.exe\" /q"), std::string::npos) << Record();
}

TEST_F(Uninstall, WhichVersionsAreUninstalled)
{
    const std::string folder = Install("old");
    SetEnvironmentVariableA("UNRIGGER_EXIT_CODE", "0");
    const std::string command = "\"" + folder + "\\unrigger.exe\"";
    for (const char* entry : {"VOQ Uninst", "VOQ Uninst 1.0", "VOQ Uninst 2.0", "VOQ Uninst 3.0"})
        SetUninstallString(entry, command);
    const std::vector<VersionToUninstall> listed = {{"1.0", false}, {"2.0", true}, {"3.0", false}};
    struct Case {
        bool multipleVersions;
        std::vector<std::string> requested;
    } cases[] = {
        {true, {"2.0", "3.0"}},          // checked, and the version being installed
        {false, {"1.0", "2.0", "3.0"}},  // every version, checked or not
    };
    for (const Case& c : cases) {
        state.product.multipleVersions = c.multipleVersions;
        CapturedSetupLog log;
        UninstallVersions(state, listed);
        std::string expected;
        for (const std::string& v : c.requested)
            expected += "  Requested uninstall for version '" + v + "'\n";
        std::string got;
        const std::string text = log.Text();
        for (size_t at = text.find("  Requested"); at != std::string::npos; at = text.find("  Requested", at + 1))
            got += text.substr(at, text.find('\n', at) + 1 - at);
        EXPECT_EQ(got, expected) << c.multipleVersions;
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

}  // namespace
