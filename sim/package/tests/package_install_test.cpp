// The whole package as a user gets it: Rigger.exe /Y /B<dir> installs it
// into a prefix holding the simulated host installation while robot.exe
// answers the plug-in's two dialogs; then the stand-in host, started from
// the 3.x installation, debugs through the driver installed there.
#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "setup/tests/support/end_explorers.h"
#include "sim/ccs/host_install.h"

namespace {

// The build passes host paths; under Wine the host's root is drive Z:.
std::string WindowsPath(std::string path)
{
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

const std::string kPackage = WindowsPath(VOQ_PACKAGE_DIR);
const std::string kScripts = WindowsPath(VOQ_ROBOT_SCRIPTS);
const std::string kBase = "C:\\voq_package_test";
const std::string kTarget = kBase + "\\Korvan VOQ";
constexpr char kProductKey[] = "SOFTWARE\\Korvan\\VOQ JTAG Emulator";
constexpr char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VOQ JTAG Emulator";

std::string ThisFolder()
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string s = exe;
    return s.substr(0, s.find_last_of("\\/") + 1);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return "<missing>";
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

bool IsFile(const std::string& path)
{
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

class Process {
public:
    // Starts a program; its output goes to `output` when one is named.
    Process(std::string command, const std::string& folder, const std::string& output = std::string())
    {
        STARTUPINFOA si{};
        si.cb = sizeof si;
        HANDLE out = INVALID_HANDLE_VALUE;
        if (!output.empty()) {
            SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
            out = CreateFileA(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &sa, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
            si.dwFlags = STARTF_USESTDHANDLES;
            si.hStdOutput = si.hStdError = out;
            si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        }
        started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, out != INVALID_HANDLE_VALUE, 0, nullptr,
                                  folder.empty() ? nullptr : folder.c_str(), &si, &pi_) != 0;
        if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    }
    ~Process()
    {
        if (!started_) return;
        if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(pi_.hProcess, 99);
        CloseHandle(pi_.hThread);
        CloseHandle(pi_.hProcess);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    bool Started() const { return started_; }
    // The exit code, or 0xFFFFFFFF when it did not end within the bound.
    DWORD Wait(DWORD ms)
    {
        if (!started_ || WaitForSingleObject(pi_.hProcess, ms) != WAIT_OBJECT_0) return 0xFFFFFFFF;
        DWORD code = 0xFFFFFFFE;
        GetExitCodeProcess(pi_.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION pi_{};
    bool started_ = false;
};

class PackageInstall : public ::testing::Test {
protected:
    ccs::HostLayout layout{kBase + "\\CCStudio", kBase + "\\CCStudio_v3.1"};
    std::string bin = ThisFolder();
    std::string shots;

    FILETIME start{};

    void SetUp() override
    {
        GetSystemTimeAsFileTime(&start);
        Remove();
        std::string error;
        ASSERT_TRUE(ccs::MakeHostFolders(layout, error)) << error;
        ASSERT_TRUE(ccs::MakeHostRegistry(layout, error)) << error;
        ASSERT_TRUE(ccs::CopyHostPrograms(layout, bin + "cc_setup.exe", bin + "cc_app.exe", error)) << error;
        char dir[MAX_PATH] = {};
        if (GetEnvironmentVariableA("VOQ_SCREENSHOT_DIR", dir, sizeof dir)) shots = dir;
    }
    void TearDown() override
    {
        EndExplorersStartedAfter(start);
        Remove();
    }

    // What a run leaves: the host installation, the product's registry
    // entries, its folder and its Start-menu group.
    void Remove()
    {
        ccs::ClearHostRegistry();
        ccs::DeleteKeyTree(HKEY_LOCAL_MACHINE, kProductKey);
        ccs::DeleteKeyTree(HKEY_LOCAL_MACHINE, kUninstallKey);
        RemoveFolder(kBase);
        char programs[MAX_PATH] = {};
        if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, 0, programs)))
            RemoveFolder(std::string(programs) + "\\VOQ JTAG Emulator 1.00.0");
    }
    static void RemoveFolder(const std::string& folder)
    {
        Process("cmd /c rmdir /s /q \"" + folder + "\"", std::string()).Wait(30000);
    }

    // Runs the setup unattended with robot.exe on the given script; the
    // robot's transcript.
    std::string RunSetup(const std::string& script, DWORD& setupCode, DWORD& robotCode, bool unattended = true)
    {
        const std::string transcript = bin + "package_robot_" + script + ".log";
        DeleteFileA(transcript.c_str());
        std::string robot = "\"" + bin + "robot.exe\" --watchdog 240000 --transcript \"" + transcript + "\"";
        if (!shots.empty()) robot += " --shots \"" + shots + "\"";
        robot += " \"" + kScripts + "\\" + script + ".txt\"";
        Process robotRun(robot, std::string());
        EXPECT_TRUE(robotRun.Started()) << robot;
        Process setup("\"" + kPackage + "\\Rigger.exe\"" + (unattended ? " /Y" : "") + " \"/B" + kTarget + "\"", kPackage);
        EXPECT_TRUE(setup.Started());
        setupCode = setup.Wait(240000);
        robotCode = robotRun.Wait(60000);
        return ReadAll(transcript);
    }
};

TEST_F(PackageInstall, InstallsIntoBothHostsAndLaunchesOnlyTheAccepted3xBoardSetup)
{
    DWORD setupCode = 0, robotCode = 0;
    const std::string transcript = RunSetup("install_both_hosts", setupCode, robotCode);
    EXPECT_EQ(setupCode, 0u) << transcript;
    EXPECT_EQ(robotCode, 0u) << transcript;

    // The files where install.ini puts them, each the build's own.
    const struct {
        const char* where;
        const char* built;
    } files[] = {
        {"\\Drivers\\VOQ-TMS.dll", "VOQ-TMS.dll"},
        {"\\cc\\bin\\VOQ-MST.dll", "VOQ-MST.dll"},
        {"\\Drivers\\VOQ-TMS.ini", nullptr},
        {"\\cc\\bin\\PodWare\\VOQ54xx.trg", nullptr},
    };
    for (const std::string& root : {layout.root2, layout.root3}) {
        for (const auto& f : files) {
            SCOPED_TRACE(root + f.where);
            ASSERT_TRUE(IsFile(root + f.where));
            if (f.built) {
                EXPECT_TRUE(ReadAll(root + f.where) == ReadAll(bin + f.built)) << "not the build's " << f.built;
            }
        }
        char help[MAX_PATH] = {};
        GetPrivateProfileStringA("Options", "HelpFile", "", help, sizeof help, (root + "\\Drivers\\VOQ-TMS.ini").c_str());
        EXPECT_EQ(std::string(help), kTarget + "\\VOQ-TMS.chm") << root;
    }
    EXPECT_FALSE(IsFile(layout.DecoyRoot() + "\\Drivers\\VOQ-TMS.dll"));

    // Only the accepted 3.x installation's board setup program was started.
    const std::string record = layout.root3 + "\\cc\\bin\\cc_setup_record.txt";
    for (int i = 0; i < 50 && !IsFile(record); ++i) Sleep(100);
    EXPECT_NE(ReadAll(record).find("command line: "), std::string::npos) << ReadAll(record);
    EXPECT_FALSE(IsFile(layout.root2 + "\\cc\\bin\\cc_setup_record.txt"));
    EXPECT_FALSE(IsFile(layout.DecoyRoot() + "\\cc\\bin\\cc_setup_record.txt"));

    // The product's own files from the component archive.
    EXPECT_TRUE(IsFile(kTarget + "\\VOQ-TMS.chm"));
    EXPECT_TRUE(IsFile(kTarget + "\\VOQ-TMS.inf"));

    // The host started from the 3.x installation debugs through the
    // installed driver, which finds VOQ-MST.dll beside the host program.
    const std::string bin3 = layout.root3 + "\\cc\\bin";
    const std::string output = bin + "package_session.txt";
    Process session("\"" + bin3 + "\\cc_app.exe\" --no-window --driver \"" + layout.root3 + "\\Drivers\\VOQ-TMS.dll\"",
                    bin3, output);
    EXPECT_EQ(session.Wait(120000), 0u) << ReadAll(output);
    EXPECT_NE(ReadAll(output).find("session passed"), std::string::npos) << ReadAll(output);
}

TEST_F(PackageInstall, LeavingThePlugInWithExitSetupInstallsNothingIntoTheHostsAndTheSetupEndsWithZero)
{
    DWORD setupCode = 0, robotCode = 0;
    const std::string transcript = RunSetup("exit_setup", setupCode, robotCode);
    EXPECT_EQ(setupCode, 0u) << transcript;
    EXPECT_EQ(robotCode, 0u) << transcript;
    for (const std::string& root : {layout.root2, layout.root3}) {
        EXPECT_FALSE(IsFile(root + "\\Drivers\\VOQ-TMS.dll")) << root;
        EXPECT_FALSE(IsFile(root + "\\cc\\bin\\VOQ-MST.dll")) << root;
        EXPECT_FALSE(IsFile(root + "\\cc\\bin\\cc_setup_record.txt")) << root;
    }
    // The installation itself ran before the plug-in.
    EXPECT_TRUE(IsFile(kTarget + "\\VOQ-TMS.chm"));
}

// Without /Y every page that has something to ask shows, each one
// screenshotted by the robot (with VOQ_SCREENSHOT_DIR set): the licence, the
// features, the folder, the plug-in's two dialogs.
TEST_F(PackageInstall, AnInteractiveRunGoesThroughEveryPage)
{
    DWORD setupCode = 0, robotCode = 0;
    const std::string transcript = RunSetup("interactive_pages", setupCode, robotCode, false);
    EXPECT_EQ(setupCode, 0u) << transcript;
    EXPECT_EQ(robotCode, 0u) << transcript;
    EXPECT_NE(transcript.find("read 102 \"VOQ JTAG Emulator: test package licence"), std::string::npos) << transcript;
    EXPECT_NE(transcript.find("read 100 \"" + kTarget + "\""), std::string::npos) << transcript;
    for (const std::string& root : {layout.root2, layout.root3})
        EXPECT_TRUE(IsFile(root + "\\Drivers\\VOQ-TMS.dll")) << root;
    EXPECT_FALSE(IsFile(layout.root3 + "\\cc\\bin\\cc_setup_record.txt")) << "nothing launched";
}

}  // namespace
