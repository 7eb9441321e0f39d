// The built Outrig.dll in-process, the way the setup program calls it: the
// DLL is copied with an install.ini and its files into a scratch folder (it
// reads its list beside itself), loaded, given a plug-in block and called,
// while the window robot drives its dialogs from a timer in this thread.
// Host installations are registry entries under HKLM and folders of the
// test's own (the tests run in a Wine prefix of their own).
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "sim/robot/robot.h"
#include "setup/plugin_block.h"
#include "setupplugin/tests/support/host_fixture.h"

namespace {

using ExecuteEntry = int32_t(__stdcall*)(const PlugInBlock*);

constexpr const char* kTitle = "Korvan VOQ-TMS Setup";
constexpr const char* kTitleRu = "\323\361\362\340\355\356\342\352\340 VOQ-TMS \364\350\360\354\373 Korvan";
constexpr const char* kProduct = "Korvan VOQ";

constexpr const char* kList =
    "[Options]\n"
    "DebuggerName=VOQ-TMS\n"
    "[Files2]\n"
    "[[VOQ-TMS.dll]]\n"
    "Dest=Drivers\n"
    "[[VOQ-TMS.ini]]\n"
    "Dest=Drivers\n"
    "[[VOQ-MST.dll]]\n"
    "Dest=cc\\bin\n"
    "[Files3]\n"
    "[[VOQ-TMS.dll]]\n"
    "Dest=Drivers\n"
    "[[VOQ-TMS.ini]]\n"
    "Dest=Drivers\n"
    "[[VOQ-MST.dll]]\n"
    "Dest=cc\\bin\n"
    "[[fw.bin]]\n"
    "Dest=cc\\bin\n"
    "SubFolder=PodWare\n";

std::vector<std::string> g_log;

int RecordLog(const char* format, ...)
{
    char line[1024];
    va_list args;
    va_start(args, format);
    int n = vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_log.push_back(line);
    return n;
}

// The plug-in has its own message function; the setup's must not be used.
int UnexpectedSetupMessage(const char* flags, ...)
{
    ADD_FAILURE() << "the plug-in called the setup's message function with \"" << flags << "\"";
    return 0;
}

std::string ThisFolder()
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string path = exe;
    return path.substr(0, path.find_last_of('\\') + 1);
}

struct Outcome {
    int32_t result = -2;
    bool passed = false;
    std::string transcript;
    std::vector<robot::BoxRecord> boxes;
};

class PluginGuiTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_log.clear();
        registry_.Clear();
        tree_.MakeDir("plugin");
        tree_.MakeDir("target");
        ASSERT_TRUE(CopyFileA((ThisFolder() + "Outrig.dll").c_str(), tree_.Path("plugin\\Outrig.dll").c_str(), FALSE));
        for (const char* file : {"VOQ-TMS.dll", "VOQ-MST.dll", "fw.bin"})
            tree_.Write(std::string("plugin\\") + file, std::string("content of ") + file);
        tree_.Write("plugin\\VOQ-TMS.ini", "[Options]\nLogOn=0\n");
        MakeHost(tree_, "r2");
        MakeHost(tree_, "r3");
        MakeHost(tree_, "nodrivers", false);
        // Every installation has its board setup program; a launch leaves a
        // record beside the copy that was started.
        for (const char* host : {"r2", "r3", "nodrivers"})
            ASSERT_TRUE(CopyFileA((ThisFolder() + "cc_setup.exe").c_str(),
                                  tree_.Path(std::string(host) + "\\cc\\bin\\cc_setup.exe").c_str(), FALSE));
    }
    void TearDown() override { registry_.Clear(); }

    void BothHosts()
    {
        registry_.Write({{"0 decoy", "code composer studio", "2", "$T\\nodrivers\\cc\\bin"},
                         {"1 ccs2", "Code Composer Studio", "2", "$T\\r2\\cc\\bin"},
                         {"2 ccs3", "Code Composer Studio 3.1", "3.10", "$T\\r3\\cc\\bin"}},
                        tree_.Root());
    }
    void UseList(const char* ini) { tree_.Write("plugin\\install.ini", ini); }

    // Loads the copied plug-in, calls Execute with a fresh block while the
    // script runs, and unloads it again.
    Outcome Execute(const std::string& script, uint8_t language = 0)
    {
        Outcome out;
        robot::RunnerOptions options;
        options.processId = GetCurrentProcessId();
        options.stepTimeoutMs = 5000;
        options.watchdogMs = 40000;
        robot::Transcript transcript;
        robot::ScriptRunner runner(options, transcript);
        std::string error;
        EXPECT_TRUE(runner.Load(script, error)) << error;
        HMODULE plugin = LoadLibraryExA(tree_.Path("plugin\\Outrig.dll").c_str(), nullptr, 0);
        EXPECT_NE(plugin, nullptr);
        if (!plugin) return out;
        auto entry = reinterpret_cast<ExecuteEntry>(reinterpret_cast<void*>(GetProcAddress(plugin, "Execute")));
        EXPECT_NE(entry, nullptr);
        const std::string targetDir = tree_.Path("target");
        const std::string setupFolder = tree_.Root();
        PlugInBlock block{kProduct, "VOQ Emulator", "VOQ Simulator", targetDir.c_str(), &UnexpectedSetupMessage,
                              setupFolder.c_str(), language, &RecordLog};
        if (entry) {
            robot::TimerDrive drive(runner);
            out.result = entry(&block);
            drive.Finish();
        }
        FreeLibrary(plugin);
        out.passed = runner.Passed();
        out.transcript = transcript.Joined();
        out.boxes = runner.Boxes();
        return out;
    }

    // The record a started cc_setup.exe leaves, waited for a while: the
    // program runs on its own.
    std::string LaunchRecord(const std::string& host, DWORD waitMs) const
    {
        const std::string record = host + "\\cc\\bin\\cc_setup_record.txt";
        for (DWORD start = GetTickCount(); GetTickCount() - start < waitMs; Sleep(100))
            if (tree_.Exists(record)) break;
        Sleep(200);
        return tree_.Read(record);
    }
    std::string HelpFile() const
    {
        std::string ini = tree_.Read("plugin\\VOQ-TMS.ini");
        size_t at = ini.find("HelpFile=");
        if (at == std::string::npos) return "";
        return ini.substr(at + 9, ini.find_first_of("\r\n", at) - at - 9);
    }

    TempTree tree_;
    RegistryFixture registry_{HKEY_LOCAL_MACHINE, "SOFTWARE\\Texas Instruments"};
};

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

TEST_F(PluginGuiTest, ExitSetupReturnsMinusOneAndShowsNothingMore)
{
    BothHosts();
    UseList(kList);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + " class #32770\n" +
                                "check 300 1\ncheck 301 1\nenabled 1 1\n"
                                "text 20599 " + Quoted(tree_.Path("r2")) + "\n" +
                                "text 20626 " + Quoted(tree_.Path("r3")) + "\n" +
                                "text 21099 \"Code Composer Studio v. 2.x has been found at the following location:\"\n"
                                "text 300 \"Install Korvan VOQ-TMS JTAG Emulator files to this CCS version 2 folder\"\n"
                                "text 21101 \"Please exit the Code Composer Studio and Code Composer Studio Setup "
                                "before installing the VOQ-TMS files.\"\n"
                                "screenshot outrig_setup_en\n"
                                "click 2\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, -1);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_FALSE(tree_.Exists("r2\\Drivers\\VOQ-TMS.dll"));
    EXPECT_EQ(HelpFile(), "");
}

TEST_F(PluginGuiTest, InstallIntoBothAndLaunchOnlyTheTickedBoardSetup)
{
    BothHosts();
    UseList(kList);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\nclick 1\n" +
                                "window " + Quoted(kTitle) + "\n" +
                                "text 21099 \"Korvan VOQ-TMS Setup has been successfully completed.\"\n"
                                "text 100 \"View help setting up the VOQ-TMS in the Code Composer Studio Setup\"\n"
                                "check 100 1\ncheck 101 1\ncheck 102 1\nenabled 101 1\nenabled 102 1\n"
                                "screenshot outrig_done_en\n"
                                "tick 100 0\ntick 101 0\nclick 1\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
    for (const char* host : {"r2", "r3"}) {
        SCOPED_TRACE(host);
        const std::string h = host;
        EXPECT_EQ(tree_.Read(h + "\\Drivers\\VOQ-TMS.dll"), "content of VOQ-TMS.dll");
        EXPECT_EQ(tree_.Read(h + "\\cc\\bin\\VOQ-MST.dll"), "content of VOQ-MST.dll");
        // The driver's settings file went with the help setting in it.
        EXPECT_NE(tree_.Read(h + "\\Drivers\\VOQ-TMS.ini").find("HelpFile=" + tree_.Path("target\\VOQ-TMS.chm")),
                  std::string::npos);
    }
    EXPECT_EQ(tree_.Read("r3\\cc\\bin\\PodWare\\fw.bin"), "content of fw.bin");
    EXPECT_FALSE(tree_.Exists("r2\\cc\\bin\\PodWare"));
    EXPECT_EQ(HelpFile(), tree_.Path("target\\VOQ-TMS.chm"));
    const std::string record = LaunchRecord("r3", 10000);
    EXPECT_NE(record.find(tree_.Path("r3\\cc\\bin\\cc_setup.exe")), std::string::npos) << record;
    EXPECT_EQ(LaunchRecord("r2", 500), "");
    EXPECT_EQ(LaunchRecord("nodrivers", 0), "");
}

TEST_F(PluginGuiTest, NoHostInTheRegistryStillInstallsTheHelpSetting)
{
    UseList(kList);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\n" +
                                "text 21099 \"CCS Version 2 not found in registry. To install VOQ-TMS files to CCS v. "
                                "2.x, please specify the CCS installation folder:\"\n"
                                "text 21100 \"CCS Version 3 not found in registry.*\"\n"
                                "check 300 0\ncheck 301 0\nenabled 1 1\ntext 20599 \"\"\n"
                                "screenshot outrig_setup_none_en\n"
                                "click 1\n" +
                                "window " + Quoted(kTitle) + "\n" +
                                "check 101 0\nenabled 101 0\ncheck 102 0\nenabled 102 0\n"
                                "tick 100 0\nclick 1\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(HelpFile(), tree_.Path("target\\VOQ-TMS.chm"));
    EXPECT_FALSE(tree_.Exists("r2\\Drivers\\VOQ-TMS.dll"));
    EXPECT_FALSE(tree_.Exists("r3\\Drivers\\VOQ-TMS.dll"));
    EXPECT_TRUE(g_log.empty());  // the file list was there: nothing to say
}

TEST_F(PluginGuiTest, OnlyThreeChosenLeavesNoLaunchOfTwo)
{
    BothHosts();
    UseList(kList);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\n" +
                                // Install follows the two ticks.
                                "tick 300 0\nenabled 1 1\ntick 301 0\nenabled 1 0\ntick 301 1\nenabled 1 1\n"
                                "click 1\n" +
                                "window " + Quoted(kTitle) + "\n" +
                                "check 101 0\nenabled 101 0\ncheck 102 1\nenabled 102 1\n"
                                "tick 100 0\ntick 102 0\nclick 1\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
    EXPECT_FALSE(tree_.Exists("r2\\Drivers\\VOQ-TMS.dll"));
    EXPECT_TRUE(tree_.Exists("r3\\Drivers\\VOQ-TMS.dll"));
}

TEST_F(PluginGuiTest, AFolderTypedByHandNeverLaunchesARejectedCandidate)
{
    // The only 3.x entry is rejected (no Drivers), though its cc_setup.exe is
    // there; the user names the real installation by hand.
    registry_.Write({{"ccs3", "Code Composer Studio 3.1", "3.10", "$T\\nodrivers\\cc\\bin"}}, tree_.Root());
    UseList(kList);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\n" +
                                "check 301 0\ntext 20626 \"\"\n" +
                                "type 20626 " + Quoted(tree_.Path("r3")) + "\n" +
                                "tick 301 1\nclick 1\n" +
                                "window " + Quoted(kTitle) + "\n" +
                                "check 102 0\nenabled 102 0\ncheck 101 0\nenabled 101 0\n"
                                "tick 100 0\nclick 1\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
    EXPECT_TRUE(tree_.Exists("r3\\Drivers\\VOQ-TMS.dll"));
    EXPECT_FALSE(tree_.Exists("nodrivers\\Drivers"));
    EXPECT_EQ(LaunchRecord("nodrivers", 1500), "");
    EXPECT_EQ(LaunchRecord("r3", 0), "");
}

TEST_F(PluginGuiTest, LanguageByteOneShowsTheRussianDialogs)
{
    BothHosts();
    UseList(kList);
    const Outcome run = Execute(
        std::string("window ") + Quoted(kTitleRu) + "\n" +
            "text 1 \"\323\361\362\340\355\356\342\350\362\374\"\n"  // "Установить"
            "text 2 \"\302\373\365\356\344\"\n"                      // "Выход"
            "text 21101 \"\317\345\360\345\344 \363\361\362\340\355\356\342\352\356\351 \364\340\351\353\356\342 "
            "VOQ-TMS \347\340\352\360\356\351\362\345 Code Composer Studio \350 Code Composer Studio Setup.\"\n"
            "screenshot outrig_setup_ru\n"
            "click 1\n" +
            "window " + Quoted(kTitleRu) + "\n" +
            "text 21099 \"\323\361\362\340\355\356\342\352\340 VOQ-TMS \364\350\360\354\373 Korvan \363\361\357\345"
            "\370\355\356 \347\340\342\345\360\370\345\355\340.\"\n"
            "screenshot outrig_done_ru\n"
            "tick 100 0\ntick 101 0\ntick 102 0\nclick 1\ngone\n",
        1);
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
}

TEST_F(PluginGuiTest, TheNotFoundTextIsRussianToo)
{
    UseList(kList);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitleRu) + "\n" +
                                "text 21099 \"CCS \342\345\360\361\350\350 2.x \355\345 \355\340\351\344\345\355 \342 "
                                "\360\345\345\361\362\360\345.*\"\n"
                                "screenshot outrig_setup_none_ru\n"
                                "click 2\ngone\n",
                                1);
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, -1);
}

TEST_F(PluginGuiTest, AnEmptyFolderKeepsTheDialogOpenWithTheMessage)
{
    UseList(kList);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\n" +
                                "tick 300 1\nclick 1\n"
                                "box 1 caption \"[Korvan VOQ Installation]*\"\n"
                                // Still the first dialog: leave it.
                                "check 300 1\nclick 2\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, -1);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].caption, "[Korvan VOQ Installation]  Error");
    EXPECT_EQ(run.boxes[0].text, "Please specify the Code Composer Studio v. 2.x folder.");
}

TEST_F(PluginGuiTest, AHostileFileListIsOneBoxAndCopiesNothing)
{
    BothHosts();
    UseList("[Files2]\n[[VOQ-TMS.dll]]\nDest=Drivers\n[[VOQ-MST.dll]]\nDest=..\\..\n");
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\n" +
                                "tick 301 0\nclick 1\n"
                                "box 1\n"
                                "enabled 1 1\nclick 2\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, -1);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, "The entry 'VOQ-MST.dll' of the file list [Files2] names a place outside the Code "
                                 "Composer Studio v. 2.x folder, setup cannot continue.");
    EXPECT_FALSE(tree_.Exists("r2\\Drivers\\VOQ-TMS.dll"));
    EXPECT_FALSE(tree_.Exists("VOQ-MST.dll"));
}

TEST_F(PluginGuiTest, AMissingFileListCopiesNothingSaysSoAndStillSucceeds)
{
    BothHosts();
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\nclick 1\n" +
                                "window " + Quoted(kTitle) + "\n" +
                                "text 21099 \"Korvan VOQ-TMS Setup has been successfully completed.\"\n"
                                "tick 100 0\ntick 101 0\ntick 102 0\nclick 1\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
    EXPECT_FALSE(tree_.Exists("r2\\Drivers\\VOQ-TMS.dll"));
    EXPECT_EQ(HelpFile(), tree_.Path("target\\VOQ-TMS.chm"));
    ASSERT_EQ(g_log.size(), 1u);
    EXPECT_EQ(g_log[0], "Plug-in file list '" + tree_.Path("plugin\\install.ini") +
                            "' not found: no driver files copied\n");
}

TEST_F(PluginGuiTest, ADebuggerNameThatIsNoPlainNameIsRefused)
{
    UseList("[Options]\nDebuggerName=..\\Escape\n");
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\nclick 1\n" +
                                "window " + Quoted(kTitle) + "\n" +
                                "tick 100 0\nclick 1\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
    EXPECT_EQ(HelpFile(), tree_.Path("target\\VOQ-TMS.chm"));
    EXPECT_FALSE(tree_.Exists("Escape.ini"));
    ASSERT_FALSE(g_log.empty());
    EXPECT_EQ(g_log[0], "Plug-in file list: DebuggerName '..\\Escape' refused, 'VOQ-TMS' used\n");
}

// Closes the second dialog (the one with box 102) a while after it appears,
// as the user would with its close box.
HWND g_doneDialog = nullptr;
DWORD g_doneSeen = 0;
void CALLBACK CloseDoneDialog(HWND, UINT, UINT_PTR, DWORD)
{
    HWND found = FindWindowA("#32770", kTitle);
    if (!found || !GetDlgItem(found, 102)) return;
    if (found != g_doneDialog) {
        g_doneDialog = found;
        g_doneSeen = GetTickCount();
        return;
    }
    if (GetTickCount() - g_doneSeen > 1000) PostMessageA(found, WM_CLOSE, 0, 0);
}

TEST_F(PluginGuiTest, TheSecondDialogClosedOtherwiseGivesZeroAndStartsNothing)
{
    BothHosts();
    UseList(kList);
    g_doneDialog = nullptr;
    UINT_PTR closer = SetTimer(nullptr, 0, 100, &CloseDoneDialog);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\nclick 1\n" +
                                "window " + Quoted(kTitle) + "\ncheck 102 1\ngone timeout 10000\n");
    KillTimer(nullptr, closer);
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 0);
    EXPECT_TRUE(tree_.Exists("r3\\Drivers\\VOQ-TMS.dll"));
    EXPECT_EQ(LaunchRecord("r3", 1500), "");
}

// The one case that ticks "View help". Wine's help viewer would stay open
// (or, on a file it cannot read, end before anyone sees it): for this case
// help files open with the board setup stand-in instead, which records what
// it was given.
TEST_F(PluginGuiTest, ViewHelpOpensSetupChmInTargetDir)
{
    UseList(kList);
    tree_.Write("target\\Setup.chm", "ITSF");
    MakeHost(tree_, "viewer", false);
    const std::string viewer = tree_.Path("viewer\\cc\\bin\\cc_setup.exe");
    ASSERT_TRUE(CopyFileA((ThisFolder() + "cc_setup.exe").c_str(), viewer.c_str(), FALSE));
    // The machine's association, in this prefix of the tests' own, put back
    // afterwards.
    char previous[64] = "";
    LONG previousSize = sizeof previous;
    RegQueryValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.chm", previous, &previousSize);
    RegistryFixture viewerClass(HKEY_LOCAL_MACHINE, "Software\\Classes\\VOQ.OutrigTestHelp");
    const std::string command = "\"" + viewer + "\" \"%1\"";
    ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\VOQ.OutrigTestHelp\\shell\\open\\command", REG_SZ,
                           command.c_str(), static_cast<DWORD>(command.size())),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.chm", REG_SZ, "VOQ.OutrigTestHelp", 18), ERROR_SUCCESS);
    const Outcome run = Execute(std::string("window ") + Quoted(kTitle) + "\nclick 1\n" +
                                "window " + Quoted(kTitle) + "\ncheck 100 1\nclick 1\ngone\n");
    EXPECT_TRUE(run.passed) << run.transcript;
    EXPECT_EQ(run.result, 1);
    const std::string record = LaunchRecord("viewer", 10000);
    RegSetValueA(HKEY_LOCAL_MACHINE, "Software\\Classes\\.chm", REG_SZ, previous, static_cast<DWORD>(strlen(previous)));
    EXPECT_NE(record.find(tree_.Path("target\\Setup.chm")), std::string::npos) << record;
}

}  // namespace
