// Rigger.exe itself, out of process, in the setup tests' prefix: the
// unattended run on a generated package, read back through the registry
// tool, the files, the shortcuts and the /L log; then a newer version
// without multiple versions, which runs the first one's uninstaller with
// " /q" and waits for its second stage.
#include <gtest/gtest.h>

#include <objbase.h>
#include <tlhelp32.h>
#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/tests/support/temp_tree.h"
#include "setup/tests/support/end_explorers.h"
#include "setup/tests/support/system_readback.h"
#include "setup/tests/support/test_package.h"

namespace {

FILETIME Now()
{
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME time;
    SystemTimeToFileTime(&now, &time);
    return time;
}

// Runs `commandLine` with its output in `output`; the exit code, or -1 when
// it did not start or end within two minutes.
long RunProgram(const std::string& commandLine, const std::string& outputFile)
{
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE out = INVALID_HANDLE_VALUE;
    if (!outputFile.empty())
        out = CreateFileA(outputFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit, CREATE_ALWAYS, 0, nullptr);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (out != INVALID_HANDLE_VALUE) {
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdOutput = out;
        startup.hStdError = out;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    }
    PROCESS_INFORMATION process = {};
    std::string line = commandLine;
    const BOOL started =
        CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process);
    if (out != INVALID_HANDLE_VALUE) CloseHandle(out);
    if (!started) return -1;
    long code = -1;
    if (WaitForSingleObject(process.hProcess, 120000) == WAIT_OBJECT_0) {
        DWORD exit = 0;
        GetExitCodeProcess(process.hProcess, &exit);
        code = static_cast<long>(exit);
    } else {
        TerminateProcess(process.hProcess, 1);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

class RiggerExe : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        start_ = Now();
        first_.multipleVersions = false;
        first_.version = "1.00.0";
        second_ = first_;
        second_.version = "1.10.0";
        RemoveProductTraces(first_);
        RemoveProductTraces(second_);
    }
    void TearDown() override
    {
        EndExplorersStartedAfter(start_);
        RemoveProductTraces(first_);
        RemoveProductTraces(second_);
        CoUninitialize();
    }
    // A package folder with the program and the archive library beside it.
    void Package(const char* folder, const TestPackageSpec& spec)
    {
        tree.MakeDir(folder);
        for (const char* file : {"Rigger.exe", "unrar.dll"})
            ASSERT_TRUE(CopyFileA(BuiltFile(file).c_str(), tree.Path(std::string(folder) + "\\" + file).c_str(), FALSE))
                << file;
        std::string error;
        ASSERT_TRUE(WriteTestPackage(tree.Path(folder), spec, error)) << error;
    }
    long Rigger(const char* folder, const std::string& target)
    {
        return RunProgram("\"" + tree.Path(std::string(folder) + "\\Rigger.exe") + "\" /Y /L \"/B" + target + "\"", "");
    }
    std::string RegQuery(const std::string& key, const char* value)
    {
        const std::string out = tree.Path("reg.txt");
        EXPECT_EQ(RunProgram("reg.exe query \"HKLM\\" + key + "\" /v " + value, out), 0) << key << " " << value;
        return TextOf(tree.Read("reg.txt"));
    }

    TempTree tree;
    TestPackageSpec first_, second_;
    FILETIME start_{};
};

TEST_F(RiggerExe, InstallsUnattendedThenANewerVersionUninstallsTheOlder)
{
    Package("pkg1", first_);
    const std::string target1 = tree.Path("Program Files\\Flow 1");
    ASSERT_EQ(Rigger("pkg1", target1), 0) << TextOf(tree.Read("pkg1\\Rigger.log"));
    const std::string log = TextOf(tree.Read("pkg1\\Rigger.log"));
    ASSERT_NE(log.find("Setup function 'DoInstall' returned 1"), std::string::npos) << log;

    for (const char* f : {"bin\\flow.exe", "unrigger.exe", "shared\\lib.dll", "Setup.log", "SetupX.log"})
        EXPECT_TRUE(tree.Exists(std::string("Program Files\\Flow 1\\") + f)) << f;
    const std::string product = "SOFTWARE\\VOQ-Flow-Co\\VOQ Flow";
    EXPECT_NE(RegQuery(product, "Version").find("REG_SZ    1.00.0"), std::string::npos) << tree.Read("reg.txt");
    EXPECT_NE(RegQuery(product, "Folder").find(target1), std::string::npos) << tree.Read("reg.txt");
    EXPECT_NE(RegQuery("SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\VOQ Flow", "UninstallString")
                  .find("\"" + target1 + "\\unrigger.exe\""),
              std::string::npos)
        << tree.Read("reg.txt");
    LinkData link;
    ASSERT_TRUE(LoadLink(ProductGroup(first_) + "\\Flow Monitor.lnk", link));
    EXPECT_EQ(link.path, target1 + "\\bin\\flow.exe");

    std::string missing;
    EXPECT_TRUE(HasLinesInOrder(log,
                                {"Creating log file: '" + tree.Path("pkg1\\Rigger.log") + "'",
                                 "Unpacking setup files...", "Entering dialogs loop",
                                 "Calling setup function 'DoInstall'...", "Setup function 'DoInstall' returned 1",
                                 "Calling setup function 'ExecPlugIns'...", "Setup function 'ExecPlugIns' returned 8",
                                 "Setup function 'CheckReboot' returned 8"},
                                missing))
        << missing << "\n"
        << log;
    const size_t at = log.find("Removing SUPPORTDIR: '");
    ASSERT_NE(at, std::string::npos) << log;
    const std::string supportDir = log.substr(at + 22, log.find('\'', at + 22) - at - 22);
    EXPECT_EQ(GetFileAttributesA(supportDir.c_str()), INVALID_FILE_ATTRIBUTES) << supportDir;
    EndExplorersStartedAfter(start_);

    // The newer version: the first one's uninstaller runs with " /q", its
    // second stage is awaited and has removed what the first Setup.log
    // lists before the new files go in.
    Package("pkg2", second_);
    const std::string target2 = tree.Path("Program Files\\Flow 2");
    SetEnvironmentVariableA("UNRIGGER_RECORD", tree.Path("unrigger.txt").c_str());
    const long second = Rigger("pkg2", target2);
    SetEnvironmentVariableA("UNRIGGER_RECORD", nullptr);
    const std::string log2 = TextOf(tree.Read("pkg2\\Rigger.log"));
    ASSERT_EQ(second, 0) << log2;
    const std::string quiet = "\"" + target1 + "\\unrigger.exe\" /q";
    EXPECT_TRUE(HasLinesInOrder(log2,
                                {"  Requested uninstall for version '1.00.0'", "  Starting '" + quiet + "' to uninstall",
                                 "  Waiting for derived uninstaller exit", "Setup function 'DoInstall' returned 1"},
                                missing))
        << missing << "\n"
        << log2;
    const size_t returned = log2.find("  unrigger.exe returned ");
    ASSERT_NE(returned, std::string::npos) << log2;
    EXPECT_NE(log2.compare(returned, 26, "  unrigger.exe returned 0 "), 0) << log2;
    const std::string record = TextOf(tree.Read("unrigger.txt"));
    EXPECT_NE(record.find("stage1: " + quiet), std::string::npos) << record;
    EXPECT_NE(record.find("stage2: done"), std::string::npos) << record;
    EXPECT_FALSE(tree.Exists("Program Files\\Flow 1\\bin\\flow.exe")) << record;
    EXPECT_FALSE(tree.Exists("Program Files\\Flow 1\\Setup.log")) << record;
    EXPECT_TRUE(tree.Exists("Program Files\\Flow 2\\bin\\flow.exe"));
    EXPECT_NE(RegQuery(product, "Version").find("REG_SZ    1.10.0"), std::string::npos) << tree.Read("reg.txt");
    EXPECT_NE(RegQuery(product, "Folder").find(target2), std::string::npos) << tree.Read("reg.txt");
}

TEST_F(RiggerExe, AnUninstallerThatAnswersZeroIsNotWaitedForASecondTime)
{
    Package("pkg1", first_);
    const std::string target1 = tree.Path("Program Files\\Flow 1");
    ASSERT_EQ(Rigger("pkg1", target1), 0) << TextOf(tree.Read("pkg1\\Rigger.log"));
    EndExplorersStartedAfter(start_);
    Package("pkg2", second_);
    SetEnvironmentVariableA("UNRIGGER_EXIT_CODE", "0");
    const long second = Rigger("pkg2", tree.Path("Program Files\\Flow 2"));
    SetEnvironmentVariableA("UNRIGGER_EXIT_CODE", nullptr);
    const std::string log2 = TextOf(tree.Read("pkg2\\Rigger.log"));
    EXPECT_EQ(second, 0) << log2;
    EXPECT_NE(log2.find("  unrigger.exe returned 0 (derived uninstaller PID)"), std::string::npos) << log2;
    EXPECT_EQ(log2.find("Waiting for derived uninstaller exit"), std::string::npos) << log2;
    // Nothing removed the first version's files: only its stage 1 ran.
    EXPECT_TRUE(tree.Exists("Program Files\\Flow 1\\bin\\flow.exe"));
}

}  // namespace

