// The main flow around a scripted table of setup functions: the order of
// the start-up steps and their log lines, the /L notice (shown, or only
// logged under /Y), the clean-up after completion and after a cancel
// (SUPPORTDIR removed, Setup.log written), the restart only after that
// clean-up, the operating-system check, setup.ini from the program's folder
// without SetupFiles.rar, and the "$P"/"$V" table.
#include "setup/rigger_main.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/base/message.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/ui/text_macros.h"
#include "setup/install_log.h"
#include "setup/install_seams.h"
#include "setup/page_seams.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"
#include "setup/tests/support/test_package.h"
#include "sim/setup/rar4/rar4_writer.h"

namespace {

TempTree* g_tree = nullptr;
std::vector<std::string> g_seen;
bool g_cancel = false;
bool g_restart = false;

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

int Look(SetupState& state, bool firstPage)
{
    g_seen.push_back(std::string("look ") + (firstPage ? "first " : "") +
                     (Exists(state.supportDir + "\\setup.ini") ? "support " : "") + state.product.name);
    char text[64];
    ExpandTextMacros(text, "$P v$V, $p $v", sizeof text);
    g_seen.push_back(text);
    return SETUP_RESULT_NEXT;
}

int Install(SetupState& state, bool)
{
    g_tree->MakeDir("target");
    state.installLog = std::make_unique<InstallLog>(g_tree->Path("target\\Setup.log").c_str());
    state.installLog->AddFile(g_tree->Path("target\\a.txt").c_str());
    g_seen.push_back("install");
    return g_cancel ? SETUP_RESULT_CANCEL : SETUP_RESULT_NEXT;
}

int Reboot(SetupState& state, bool)
{
    state.restartPending = g_restart;
    return g_restart ? SETUP_RESULT_NEXT : SETUP_RESULT_SKIPPED;
}

std::string g_supportDir;
bool RecordRestart()
{
    g_seen.push_back(std::string("restart: ") + (Exists(g_supportDir) ? "SUPPORTDIR left " : "") +
                     (Exists(g_tree->Path("target\\Setup.log")) ? "Setup.log written " : "") +
                     (GetSetupLog() ? "log open" : "log closed"));
    return true;
}

WindowsVersionInfo Nt351() { return {VER_PLATFORM_WIN32_NT, 3, 51}; }

class MainFlow : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_tree = &tree;
        g_seen.clear();
        g_cancel = false;
        g_restart = false;
        g_supportDir.clear();
        previousRestart_ = SetRestartHook(&RecordRestart);
        tree.MakeDir("pkg");
    }
    void TearDown() override
    {
        SetRestartHook(previousRestart_);
        g_tree = nullptr;
    }
    void SetupFiles(const std::string& ini)
    {
        std::string error;
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("pkg\\SetupFiles.rar"), {{"setup.ini", ini, false}}, {}, error))
            << error;
    }
    int Run(std::vector<std::string> arguments, SetupState& state)
    {
        arguments.insert(arguments.begin(), "Rigger.exe");
        std::vector<char*> argv;
        for (std::string& a : arguments) argv.push_back(a.data());
        state.programPath = tree.Path("pkg\\Rigger.exe");
        SetupTable table = {{&Look, -1, 0, "Look"},
                            {&Install, -1, 0, "Install"},
                            {&ExecPlugIns, -1, 0, "ExecPlugIns"},
                            {&Reboot, -1, 0, "Reboot"},
                            {nullptr, -1, 0, nullptr}};
        return RiggerMain(static_cast<int>(argv.size()), argv.data(), state, table);
    }
    std::string SupportDirOf(const std::string& log)
    {
        const size_t at = log.find("SUPPORTDIR: '");
        if (at == std::string::npos) return std::string();
        return log.substr(at + 13, log.find('\'', at + 13) - at - 13);
    }

    TempTree tree;

private:
    RestartHook previousRestart_ = nullptr;
};

TEST_F(MainFlow, RunsTheTableBetweenStartUpAndCleanUp)
{
    SetupFiles("[Product]\nName=Flow Product\nVersion=3.2.1\n");
    TextMacro macros[] = {{"P", ""}, {"p", ""}, {"V", ""}, {"v", ""}, {nullptr, nullptr}};
    SetTextMacros(macros);
    SetupState state;
    state.textMacros = macros;
    FwBoxRecorder boxes;
    EXPECT_EQ(Run({"/L", "/B" + tree.Path("target")}, state), 0);
    SetTextMacros(nullptr);

    EXPECT_EQ(g_seen, (std::vector<std::string>{"look first support Flow Product", "Flow Product v3.2.1, Flow Product 3.2.1",
                                                "install"}));
    // Without /Y the /L notice is a box.
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Creating log file: '" + tree.Path("pkg\\Rigger.log") + "'");
    EXPECT_TRUE(tree.Exists("target\\Setup.log"));
    const std::string log = TextOf(tree.Read("pkg\\Rigger.log"));
    const std::string supportDir = SupportDirOf(log);
    ASSERT_FALSE(supportDir.empty()) << log;
    EXPECT_FALSE(Exists(supportDir));
    std::string missing;
    EXPECT_TRUE(HasLinesInOrder(log,
                                {"** Message **: Creating log file: '" + tree.Path("pkg\\Rigger.log") + "'",
                                 "Unpacking setup files...", "SUPPORTDIR: '" + supportDir + "'",
                                 "Entering dialogs loop", "Calling setup function 'Look'...",
                                 "Setup function 'Look' returned 1", "Setup function 'Install' returned 1",
                                 "Calling setup function 'ExecPlugIns'...", "Setup function 'ExecPlugIns' returned 8",
                                 "Setup function 'Reboot' returned 8", "Removing SUPPORTDIR: '" + supportDir + "'"},
                                missing))
        << missing << "\n"
        << log;
    EXPECT_EQ(GetSetupLog(), nullptr);
    EXPECT_EQ(state.installLog, nullptr);
}

TEST_F(MainFlow, UnderYTheLogNoticeIsOnlyLoggedAndACancelStillCleansUp)
{
    SetupFiles("[Product]\nName=Flow Product\n");
    g_cancel = true;
    SetupState state;
    FwBoxRecorder boxes;
    EXPECT_EQ(Run({"/Y", "/L", "/B" + tree.Path("target")}, state), -1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(g_seen.back(), "install");
    const std::string log = TextOf(tree.Read("pkg\\Rigger.log"));
    std::string missing;
    EXPECT_TRUE(HasLinesInOrder(log,
                                {"Creating log file: '" + tree.Path("pkg\\Rigger.log") + "'",
                                 "Setup function 'Install' returned 2",
                                 "Removing SUPPORTDIR: '" + SupportDirOf(log) + "'"},
                                missing))
        << missing << "\n"
        << log;
    EXPECT_EQ(log.find("ExecPlugIns"), std::string::npos);
    EXPECT_FALSE(Exists(SupportDirOf(log)));
    EXPECT_TRUE(tree.Exists("target\\Setup.log"));
}

TEST_F(MainFlow, TheRestartComesAfterTheCleanUp)
{
    SetupFiles("[Product]\nName=Flow Product\n");
    g_restart = true;
    SetupState state;
    FwBoxRecorder boxes;
    // The restart hook needs the folder's name before it is gone: the log
    // gives it.
    struct Capture {
        static int Look2(SetupState& s, bool f)
        {
            g_supportDir = s.supportDir;
            return Look(s, f);
        }
    };
    std::vector<std::string> arguments = {"Rigger.exe", "/Y", "/B" + tree.Path("target")};
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    state.programPath = tree.Path("pkg\\Rigger.exe");
    SetupTable table = {{&Capture::Look2, -1, 0, "Look"},
                        {&Install, -1, 0, "Install"},
                        {&Reboot, -1, 0, "Reboot"},
                        {nullptr, -1, 0, nullptr}};
    EXPECT_EQ(RiggerMain(static_cast<int>(argv.size()), argv.data(), state, table), 0);
    ASSERT_FALSE(g_supportDir.empty());
    EXPECT_EQ(g_seen.back(), "restart: Setup.log written log closed");
    EXPECT_EQ(std::count(g_seen.begin(), g_seen.end(), g_seen.back()), 1);
    EXPECT_FALSE(state.restartPending);
}

TEST_F(MainFlow, WithoutSetupFilesSetupIniComesFromTheProgramsFolderAndNoPlugInIsSearched)
{
    tree.Write("pkg\\setup.ini", "[Product]\nName=Beside The Program\n");
    // A plug-in in the program's folder and in the current one: an empty
    // SUPPORTDIR must not reach either.
    ASSERT_TRUE(CopyFileA(BuiltFile("PlugInA.dll").c_str(), tree.Path("pkg\\PlugInA.dll").c_str(), FALSE));
    SetEnvironmentVariableA("VOQ_PLUGIN_RECORD", tree.Path("plugins.txt").c_str());
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(tree.Path("pkg").c_str());
    SetupState state;
    FwBoxRecorder boxes;
    const int exitCode = Run({"/Y", "/L", "/B" + tree.Path("target")}, state);
    SetCurrentDirectoryA(previous);
    SetEnvironmentVariableA("VOQ_PLUGIN_RECORD", nullptr);
    EXPECT_EQ(exitCode, 0);
    EXPECT_EQ(g_seen.front(), "look first Beside The Program");
    const std::string log = TextOf(tree.Read("pkg\\Rigger.log"));
    EXPECT_EQ(log.find("SUPPORTDIR"), std::string::npos) << log;
    EXPECT_EQ(log.find("Calling plugin"), std::string::npos) << log;
    EXPECT_NE(log.find("Setup function 'ExecPlugIns' returned 8"), std::string::npos) << log;
    EXPECT_FALSE(tree.Exists("plugins.txt"));
}

TEST_F(MainFlow, AnOldWindowsEndsTheStartBeforeAnythingIsMade)
{
    SetupFiles("[Product]\n");
    const WindowsVersionHook previous = SetWindowsVersionHook(&Nt351);
    SetupState state;
    FwBoxRecorder boxes;
    const int exitCode = Run({"/Y", "/L"}, state);
    SetWindowsVersionHook(previous);
    EXPECT_EQ(exitCode, -1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "This product will not work under Windows NT 3.51");
    EXPECT_TRUE(g_seen.empty());
    EXPECT_FALSE(tree.Exists("pkg\\Rigger.log"));
    EXPECT_TRUE(state.supportDir.empty());
}

}  // namespace
