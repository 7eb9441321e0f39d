// The simulated host installation as ccs_host.exe makes it in the prefix:
// the registry entries in the order a search meets them, the folders, the
// programs copied in; cc_setup.exe's record of each start; and the entries
// removed again.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "sim/ccs/host_install.h"

namespace {

std::string ThisFolder()
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    std::string s = exe;
    return s.substr(0, s.find_last_of("\\/") + 1);
}

// Runs a program to its end (bounded) from a current folder; its exit code.
DWORD RunProgram(std::string command, const std::string& folder = std::string())
{
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &si, &pi))
        return 0xFFFFFFFF;
    DWORD code = 0xFFFFFFFE;
    if (WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0) GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return code;
}

bool IsFolder(const std::string& path)
{
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool IsFile(const std::string& path)
{
    const DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

std::string Value(HKEY key, const char* name)
{
    char buffer[600] = {};
    DWORD size = sizeof buffer - 1, type = 0;
    if (RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS ||
        type != REG_SZ)
        return "<missing>";
    return buffer;
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

class HostInstallTest : public ::testing::Test {
protected:
    std::string base;
    ccs::HostLayout layout;

    void SetUp() override
    {
        char temp[MAX_PATH] = {};
        GetTempPathA(sizeof temp, temp);
        base = std::string(temp) + "voq_ccs_" + std::to_string(GetCurrentProcessId());
        layout = {base + "\\CCStudio", base + "\\CCStudio_v3.1"};
    }
    void TearDown() override
    {
        ccs::ClearHostRegistry();
        std::string command = "cmd /c rmdir /s /q \"" + base + "\"";
        RunProgram(command);
    }
};

TEST_F(HostInstallTest, CcsHostMakesTheEntriesFoldersAndProgramsAndClearRemovesTheEntries)
{
    const std::string bin = ThisFolder();
    ASSERT_EQ(RunProgram("\"" + bin + "ccs_host.exe\" make \"" + layout.root2 + "\" \"" + layout.root3 + "\" --cc-setup \"" +
                  bin + "cc_setup.exe\" --cc-app \"" + bin + "cc_app.exe\""),
              0u);

    // The sub-keys in the order an enumeration meets them: the decoys first.
    HKEY vendor = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ccs::kVendorKey, 0, KEY_READ, &vendor), ERROR_SUCCESS);
    const std::vector<ccs::HostEntry> expected = {
        {"0 code composer studio", "code composer studio", "2", layout.DecoyRoot() + "\\cc\\bin"},
        {"1 Code Composer Studio 2.2", "Code Composer Studio", "2.2", layout.root2 + "\\cc\\bin"},
        {"2 Code Composer Studio 3.1", "Code Composer Studio 3.1", "3.10", layout.DecoyRoot() + "\\missing\\cc\\bin"},
        {"CCStudio 2", "Code Composer Studio", "2", layout.root2 + "\\cc\\bin"},
        {"CCStudio_v3.1", "Code Composer Studio 3.1", "3.10", layout.root3 + "\\cc\\bin"},
    };
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD size = sizeof name;
        if (RegEnumKeyExA(vendor, i, name, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            EXPECT_EQ(i, expected.size());
            break;
        }
        ASSERT_LT(i, expected.size()) << name;
        const ccs::HostEntry& e = expected[i];
        EXPECT_EQ(name, e.subKey);
        HKEY key = nullptr;
        ASSERT_EQ(RegOpenKeyExA(vendor, name, 0, KEY_READ, &key), ERROR_SUCCESS);
        EXPECT_EQ(Value(key, "ProductName"), e.productName) << name;
        EXPECT_EQ(Value(key, "Version"), e.version) << name;
        EXPECT_EQ(Value(key, "CC_APP"), e.ccApp) << name;
        RegCloseKey(key);
    }
    RegCloseKey(vendor);

    for (const std::string& root : {layout.root2, layout.root3}) {
        EXPECT_TRUE(IsFolder(root + "\\cc\\bin")) << root;
        EXPECT_TRUE(IsFolder(root + "\\Drivers")) << root;
        EXPECT_TRUE(IsFile(root + "\\cc\\bin\\cc_setup.exe")) << root;
    }
    EXPECT_TRUE(IsFolder(layout.DecoyRoot() + "\\cc\\bin"));
    EXPECT_FALSE(IsFolder(layout.DecoyRoot() + "\\Drivers"));
    EXPECT_FALSE(IsFolder(layout.DecoyRoot() + "\\missing\\cc\\bin"));
    EXPECT_TRUE(IsFile(layout.root3 + "\\cc\\bin\\cc_app.exe"));
    EXPECT_FALSE(IsFile(layout.root2 + "\\cc\\bin\\cc_app.exe"));

    // Made again over what is there: the same entries, nothing doubled.
    std::string error;
    ASSERT_TRUE(ccs::MakeHostRegistry(layout, error)) << error;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ccs::kVendorKey, 0, KEY_READ, &vendor), ERROR_SUCCESS);
    DWORD subKeys = 0;
    RegQueryInfoKeyA(vendor, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr, nullptr,
                     nullptr, nullptr);
    RegCloseKey(vendor);
    EXPECT_EQ(subKeys, expected.size());

    ASSERT_EQ(RunProgram("\"" + bin + "ccs_host.exe\" clear"), 0u);
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, ccs::kVendorKey, 0, KEY_READ, &vendor), ERROR_FILE_NOT_FOUND);
    EXPECT_TRUE(ccs::ClearHostRegistry()) << "clearing what is not there succeeds";
    EXPECT_EQ(RunProgram("\"" + bin + "ccs_host.exe\" make onlyone"), 2u);
}

TEST_F(HostInstallTest, CcSetupAppendsItsCommandLineAndCurrentFolderBesideItself)
{
    std::string error;
    ASSERT_TRUE(ccs::MakeHostFolders(layout, error)) << error;
    ASSERT_TRUE(ccs::CopyHostPrograms(layout, ThisFolder() + "cc_setup.exe", std::string(), error)) << error;
    const std::string bin3 = layout.root3 + "\\cc\\bin\\";
    const std::string program = "\"" + bin3 + "cc_setup.exe\"";
    ASSERT_EQ(RunProgram(program, layout.root2), 0u);
    ASSERT_EQ(RunProgram(program + " /board 2", layout.root3 + "\\Drivers"), 0u);
    EXPECT_EQ(ReadAll(bin3 + "cc_setup_record.txt"),
              "command line: " + program + "\r\ncurrent folder: " + layout.root2 + "\r\n" + "command line: " +
                  program + " /board 2\r\ncurrent folder: " + layout.root3 + "\\Drivers\r\n");
    EXPECT_FALSE(IsFile(layout.root2 + "\\cc\\bin\\cc_setup_record.txt")) << "the other copy was not started";
}

}  // namespace
