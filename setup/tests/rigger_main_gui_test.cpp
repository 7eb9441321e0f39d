// The setup's main function in-process on a generated package: the
// unattended install end to end (files, logs, registry, shortcuts, the
// plug-ins, the setup log's lines in order, no SUPPORTDIR left), and the
// failed starts: each shows its message, ends with -1, removes SUPPORTDIR
// and writes nothing outside TEMP.
#include "setup/rigger_main.h"

#include <gtest/gtest.h>

#include <objbase.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "framework/base/dir_finder.h"
#include "framework/base/message.h"
#include "framework/base/ml_text.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/install_seams.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"
#include "setup/tests/support/log_entries.h"
#include "setup/tests/support/system_readback.h"
#include "setup/tests/support/test_package.h"

namespace {

uint16_t English() { return 1033; }
std::vector<std::string> g_opened;
void RecordOpen(const char* folder) { g_opened.push_back(folder); }

std::set<std::string> Entries(const std::string& folder)
{
    std::set<std::string> names;
    for (PFileFinder f(true, (folder + "\\*").c_str()); f.Found(); f.Next()) names.insert(f.Name());
    return names;
}

std::string TempFolder()
{
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::string folder(temp);
    if (!folder.empty() && folder.back() == '\\') folder.pop_back();
    return folder;
}

class RiggerRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        previousLang_ = SetSystemLangHook(&English);
        previousOpen_ = SetOpenFolderHook(&RecordOpen);
        g_opened.clear();
        tree.MakeDir("pkg");
        SetEnvironmentVariableA("VOQ_PLUGIN_RECORD", tree.Path("plugins.txt").c_str());
        RemoveProductTraces(spec);
    }
    void TearDown() override
    {
        RemoveProductTraces(spec);
        SetEnvironmentVariableA("VOQ_PLUGIN_RECORD", nullptr);
        SetSystemLangHook(previousLang_);
        SetOpenFolderHook(previousOpen_);
        g_mlLanguage = 0;
        CoUninitialize();
    }
    void Package()
    {
        std::string error;
        ASSERT_TRUE(WriteTestPackage(tree.Path("pkg"), spec, error)) << error;
    }
    int Run(std::vector<std::string> arguments, SetupState& state, const char* program = "Rigger.exe")
    {
        arguments.insert(arguments.begin(), program);
        std::vector<char*> argv;
        for (std::string& a : arguments) argv.push_back(a.data());
        state.programPath = tree.Path(std::string("pkg\\") + program);
        return RiggerMain(static_cast<int>(argv.size()), argv.data(), state);
    }
    std::string Target() const { return tree.Path("Program Files\\VOQ Flow"); }

    TestPackageSpec spec;
    TempTree tree;

private:
    SystemLangHook previousLang_ = nullptr;
    OpenFolderHook previousOpen_ = nullptr;
};

TEST_F(RiggerRun, InstallsThePackageUnattended)
{
    spec.withPlugIns = true;
    Package();
    const std::set<std::string> tempBefore = Entries(TempFolder());
    SetupState state;
    FwBoxRecorder boxes;
    ASSERT_EQ(Run({"/Y", "/L", "/B" + Target()}, state), 0);

    // Files, the shared component once.
    for (const char* f : {"bin\\flow.exe", "unrigger.exe", "shared\\lib.dll", "Setup.log", "SetupX.log"})
        EXPECT_TRUE(tree.Exists(std::string("Program Files\\VOQ Flow\\") + f)) << f;
    INIStream setupLog(INI_READ_ONLY, (Target() + "\\Setup.log").c_str());
    const std::vector<std::string> files = SectionLines(setupLog, "Files");
    EXPECT_EQ(std::count_if(files.begin(), files.end(),
                            [&](const std::string& l) { return l.find("\\shared\\lib.dll") != std::string::npos; }),
              1);
    const std::vector<std::string> setup = SectionLines(setupLog, "Setup");
    EXPECT_NE(std::find(setup.begin(), setup.end(), "Folder=" + Target()), setup.end());

    // Registry and shortcuts.
    EXPECT_EQ(ReadHklmValue("SOFTWARE\\VOQ-Flow-Co\\VOQ Flow\\2.01.5", "Folder").text, Target());
    EXPECT_EQ(ReadHklmValue("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VOQ Flow 2.01.5",
                            "UninstallString")
                  .text,
              "\"" + Target() + "\\unrigger.exe\"");
    LinkData link;
    ASSERT_TRUE(LoadLink(ProductGroup(spec) + "\\Flow Monitor.lnk", link));
    EXPECT_EQ(link.path, Target() + "\\bin\\flow.exe");

    // The plug-ins, A then B, with the product's block; B's -1 changes
    // nothing: CheckReboot still runs and the exit code is 0.
    EXPECT_EQ(TextOf(tree.Read("plugins.txt")),
              "A|VOQ Flow|ZEMU|ZSIM|" + Target() + "|" + tree.Path("pkg") + "|0\n"
              "B|VOQ Flow|ZEMU|ZSIM|" + Target() + "|" + tree.Path("pkg") + "|0\n");
    std::vector<std::string> texts;
    for (const FwRecordedBox& box : boxes.Boxes()) texts.push_back(box.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"PlugInA installed VOQ Flow", "PlugInB installed VOQ Flow"}));

    // The setup log, in order; SUPPORTDIR gone, TEMP as it was.
    const std::string log = TextOf(tree.Read("pkg\\Rigger.log"));
    const size_t at = log.find("SUPPORTDIR: '");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string supportDir = log.substr(at + 13, log.find('\'', at + 13) - at - 13);
    std::string missing;
    EXPECT_TRUE(HasLinesInOrder(
        log,
        {"Creating log file: '" + tree.Path("pkg\\Rigger.log") + "'", "Unpacking setup files...",
         "SUPPORTDIR: '" + supportDir + "'", "Entering dialogs loop",
         "Skipping setup function 'GetSetupLanguage' because of /Y option",
         "Calling setup function 'SetupFeatures'...", "Setup function 'SetupFeatures' returned 8",
         "Skipping setup function 'DisplayLicense' because of /Y option",
         "Skipping setup function 'DisplayVersions' because of /Y option",
         "Calling setup function 'DisplayUVersions'...",
         "Skipping setup function 'DisplayFeatures' because of /Y option",
         "Skipping setup function 'DisplayFolder' because of /Y option", "Calling setup function 'DoInstall'...",
         "Setup function 'DoInstall' returned 1", "Calling setup function 'ExecPlugIns'...",
         "Calling plugin: \"" + supportDir + "\\PlugInA.dll\"", "Calling plugin: \"" + supportDir + "\\PlugInB.dll\"",
         "Setup function 'ExecPlugIns' returned 1", "Calling setup function 'CheckReboot'...",
         "Setup function 'CheckReboot' returned 8", "Removing SUPPORTDIR: '" + supportDir + "'"},
        missing))
        << missing << "\n"
        << log;
    EXPECT_EQ(GetFileAttributesA(supportDir.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(Entries(TempFolder()), tempBefore);
    EXPECT_EQ(GetSetupLog(), nullptr);
}

// Files below `folder` written at or after `since`, leaving out `skip`.
void NewFiles(const std::string& folder, const FILETIME& since, const std::string& skip, std::vector<std::string>& out)
{
    for (PFileFinder f(true, (folder + "\\*").c_str()); f.Found(); f.Next()) {
        const std::string path = f.FullPath();
        if (_stricmp(path.c_str(), skip.c_str()) == 0) continue;
        if (f.IsDir()) {
            if (!(f.Data().dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) NewFiles(path, since, skip, out);
            continue;
        }
        if (CompareFileTime(&f.Data().ftLastWriteTime, &since) >= 0) out.push_back(path);
    }
}

struct BadStart {
    const char* what;
    std::vector<std::string> arguments;
    // The message (the first box), or empty to accept any one message.
    std::string message;
};

TEST_F(RiggerRun, BadInputEndsWithMinusOneItsMessageNoSupportDirAndNothingWritten)
{
    const std::string pkg = tree.Path("pkg");
    tree.Write("self.rsp", "@" + tree.Path("self.rsp") + "\n");
    std::vector<BadStart> commandLines = {
        {"unknown option", {"/Y", "/Q"}, "Unknown command line option: '/Q'"},
        {"bare word", {"install"}, "Invalid command line: 'install', slash or dash expected"},
        {"missing response file", {"@" + tree.Path("none.rsp")},
         "Unable to open response file \"" + tree.Path("none.rsp") + "\""},
        {"self-naming response file", {"@" + tree.Path("self.rsp")},
         "Response file \"" + tree.Path("self.rsp") + "\" is nested too deep (a file that names itself?)"},
        {"/B too long", {"/Y", "/BC:\\" + std::string(600, 'x')}, ""},
    };
    struct IniCase {
        const char* what;
        TestPackageSpec spec;
        std::string message;
    };
    std::vector<IniCase> packages;
    {
        TestPackageSpec s = spec;
        s.withSetupIni = false;
        packages.push_back({"no setup.ini", s, "Internal Error: No 'setup.ini' file found, exiting. Please contact your vendor"});
        s = spec;
        s.setupIni = "[Product]\nName=VOQ Flow\nCompany=VOQ-Flow-Co\n[Features]\n[[Main]]\nComponent=Core\n";
        packages.push_back({"no [Components]", s, "Internal error: no [Components] in setup.ini, please contact VOQ-Flow-Co"});
        s = spec;
        s.setupIni = "[Product]\nName=VOQ Flow\nCompany=VOQ-Flow-Co\n[Components]\n[[Core]]\n[Features]\n[[Main]]\n"
                     "Component=Nope\n";
        packages.push_back({"missing component", s, "Internal error: cannot find component 'Nope', please contact VOQ-Flow-Co"});
        s = spec;
        s.name = "..\\VOQ Flow";
        packages.push_back({"name with ..", s, ""});
        s = spec;
        s.extraSupport = {{"..\\..\\escaped.txt", "x", false}};
        packages.push_back({"traversal in SetupFiles.rar", s, ""});
    }

    const std::set<std::string> tempBefore = Entries(TempFolder());
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME start;
    SystemTimeToFileTime(&now, &start);
    Sleep(20);
    Package();
    auto check = [&](const char* what, std::vector<std::string> arguments, const std::string& message) {
        SetupState state;
        FwBoxRecorder boxes;
        EXPECT_EQ(Run(arguments, state), -1) << what;
        ASSERT_FALSE(boxes.Boxes().empty()) << what;
        if (!message.empty()) EXPECT_EQ(boxes.Boxes()[0].text, message) << what;
        EXPECT_EQ(Entries(TempFolder()), tempBefore) << what << ": SUPPORTDIR left";
        EXPECT_FALSE(tree.Exists("Program Files")) << what;
        EXPECT_EQ(GetSetupLog(), nullptr) << what;
    };
    for (const BadStart& c : commandLines) check(c.what, c.arguments, c.message);
    for (const IniCase& c : packages) {
        spec = c.spec;
        Package();
        check(c.what, {"/Y", "/L", "/B" + Target()}, c.message);
    }
    // A missing component archive: 2004 before any page.
    spec = TestPackageSpec();
    Package();
    DeleteFileA((pkg + "\\Shared.rar").c_str());
    check("missing component archive", {"/Y", "/B" + Target()}, "Unable to open archive '" + pkg + "\\Shared.rar'");
    // Setup.exe with /B at its own folder and /L: the two logs would be one.
    {
        SetupState state;
        FwBoxRecorder boxes;
        EXPECT_EQ(Run({"/Y", "/L", "/B" + pkg}, state, "Setup.exe"), -1);
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "The setup log '" + pkg + "\\Setup.log' would be the install log of '" + pkg +
                                             "': choose another folder");
    }

    // Nothing new outside TEMP but the setup logs beside the package.
    std::vector<std::string> stray;
    NewFiles("C:", start, TempFolder(), stray);
    for (const std::string& path : stray) ADD_FAILURE() << "written outside TEMP: " << path;
    EXPECT_FALSE(tree.Exists("escaped.txt"));
}

}  // namespace
