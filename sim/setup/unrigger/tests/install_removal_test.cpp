// The stand-in uninstaller's removal: a log written by the setup's own
// writer, with hostile entries added, in the setup tests' own prefix.
#include "sim/setup/unrigger/install_removal.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>

#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/install_log.h"
#include "sim/setup/unrigger/logged_install.h"

namespace {

constexpr const char* kCompany = "SOFTWARE\\VOQ-Unrig-Co";
constexpr const char* kShared = "SOFTWARE\\VOQ-Unrig-Shared";
constexpr const char* kSystem = "SYSTEM\\VOQ-Unrig";

void MakeKey(const std::string& path, const char* value = nullptr)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    if (value) RegSetValueExA(h, value, 0, REG_SZ, reinterpret_cast<const BYTE*>("x"), 2);
    RegCloseKey(h);
}

bool KeyExists(const std::string& path)
{
    HKEY h = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS) return false;
    RegCloseKey(h);
    return true;
}

bool ValueExists(const std::string& path, const char* name)
{
    return RegGetValueA(HKEY_LOCAL_MACHINE, path.c_str(), name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(CanonicalPath, AbsoluteWithoutDotParts)
{
    EXPECT_EQ(CanonicalPath("C:/a/b\\"), "C:\\a\\b");
    EXPECT_EQ(CanonicalPath("C:\\"), "C:\\");
    EXPECT_EQ(CanonicalPath("\\\\srv\\share\\x"), "\\\\srv\\share\\x");
    for (const char* bad : {"a\\b", "\\a", "C:a", "C:\\a\\..\\b", "C:\\a\\.\\b", "C:\\a\\\\b", ""})
        EXPECT_EQ(CanonicalPath(bad), "") << bad;
    EXPECT_TRUE(IsWithin("C:\\Prog\\A", "C:\\Prog", false));
    EXPECT_TRUE(IsWithin("c:\\prog", "C:\\Prog", true));
    EXPECT_FALSE(IsWithin("C:\\Prog", "C:\\Prog", false));
    EXPECT_FALSE(IsWithin("C:\\Program", "C:\\Prog", true));
    EXPECT_TRUE(IsWithin("C:\\x", "C:\\", false));
}

class Removal : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override
    {
        Clean();
        if (!group.empty()) {
            DeleteFileA((group + "\\Tool.lnk").c_str());
            RemoveDirectoryA(group.c_str());
        }
    }
    static void Clean()
    {
        for (const char* key : {kCompany, kShared, kSystem}) RegDeleteTreeA(HKEY_LOCAL_MACHINE, key);
    }
    TempTree tree;
    std::string group;
};

TEST_F(Removal, RemovesWhatTheLogListsInReverseAndNothingOutside)
{
    const std::vector<std::string> programs = ProgramsFolders();
    ASSERT_FALSE(programs.empty());
    group = programs[0] + "\\VOQ-Unrig-Test";

    const std::string inst = tree.Path("inst");
    InstallLog log(tree.Path("Setup.log").c_str());
    log.AddFile(inst.c_str());
    tree.MakeDir("inst");
    log.AddFile((inst + "\\sub\\b.txt").c_str());
    log.AddFile((inst + "\\a.txt").c_str());
    log.AddFile((group + "\\Tool.lnk").c_str());
    tree.MakeDir("inst\\sub");
    tree.Write("inst\\sub\\b.txt", "b");
    tree.Write("inst\\a.txt", "a");
    CreateDirectoryA(group.c_str(), nullptr);
    HANDLE lnk = CreateFileA((group + "\\Tool.lnk").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(lnk);
    // Files that are not the installation's: one listed outside the folder,
    // one reached through "..", a relative one, the Programs folder itself,
    // and one in the folder that the log does not list.
    tree.Write("outside.txt", "o");
    tree.Write("inst\\user.cfg", "u");
    log.AddFile(tree.Path("outside.txt").c_str());
    log.AddFile((inst + "\\..\\outside.txt").c_str());
    log.AddFile("outside.txt");

    // The registry as the install step leaves it: company and product key
    // created, version and uninstall key forced; one key under the company
    // that the setup did not make; and hostile entries.
    MakeKey(std::string(kCompany) + "\\Other");
    log.AddRegistryKey(false, "Prod", kCompany, HKEY_LOCAL_MACHINE);
    MakeKey(std::string(kCompany) + "\\Prod", "Extra");
    log.AddRegistryKey(true, "1.0", (std::string(kCompany) + "\\Prod").c_str(), HKEY_LOCAL_MACHINE);
    MakeKey(std::string(kCompany) + "\\Prod\\1.0", "Folder");
    log.AddRegistryValue("Extra", (std::string(kCompany) + "\\Prod").c_str(), HKEY_LOCAL_MACHINE);
    log.AddRegistryKey(false, "VOQ-Unrig-Co", "SOFTWARE", HKEY_LOCAL_MACHINE);
    MakeKey(std::string(kShared) + "\\Child", "Keep");
    MakeKey(kShared, "Keep");
    log.AddRegistryKey(true, "VOQ-Unrig-Shared", "SOFTWARE", HKEY_LOCAL_MACHINE);
    MakeKey(kSystem, "Keep");
    log.AddRegistryKey(true, "VOQ-Unrig", "SYSTEM", HKEY_LOCAL_MACHINE);
    log.AddRegistryValue("Keep", kSystem, HKEY_LOCAL_MACHINE);
    log.Stream().SelectSection("Setup").SetValue(inst.c_str(), "Folder");
    ASSERT_TRUE(log.Save());
    {
        // The writer never lists an existing folder: the Programs folder
        // goes in by hand.
        INIStream raw(0, tree.Path("Setup.log").c_str());
        raw.SetSection("Files");
        const auto key = [](unsigned n) {
            std::string name(1, 'F');
            name += std::to_string(n);
            return name;
        };
        unsigned n = 0;
        while (raw.FindValue(key(n).c_str())) ++n;
        raw.SetValue(programs[0].c_str(), key(n).c_str());
        ASSERT_TRUE(raw.Save());
    }

    LoggedInstall logged;
    ASSERT_TRUE(ReadLoggedInstall(tree.Path("Setup.log").c_str(), logged));
    EXPECT_EQ(logged.folder, inst);
    EXPECT_EQ(logged.keys.size(), 5u);
    EXPECT_EQ(logged.values.size(), 2u);
    const RemovalRecord record = RemoveLoggedInstall(logged, programs);
    std::string all;
    for (const std::string& line : record) all += line + "\n";

    EXPECT_FALSE(Exists(inst + "\\a.txt")) << all;
    EXPECT_FALSE(Exists(inst + "\\sub")) << all;
    EXPECT_FALSE(Exists(group)) << all;
    EXPECT_TRUE(Exists(inst + "\\user.cfg")) << "not listed";
    EXPECT_TRUE(Exists(inst)) << "holds a file the log does not list";
    EXPECT_TRUE(Exists(tree.Path("outside.txt")));
    EXPECT_TRUE(Exists(programs[0]));

    EXPECT_FALSE(KeyExists(std::string(kCompany) + "\\Prod")) << all;
    EXPECT_TRUE(KeyExists(std::string(kCompany) + "\\Other"));
    EXPECT_TRUE(KeyExists(kCompany)) << "not empty";
    EXPECT_TRUE(ValueExists(kShared, "Keep")) << "a forced key with subkeys is left whole";
    EXPECT_TRUE(KeyExists(std::string(kShared) + "\\Child"));
    EXPECT_TRUE(ValueExists(kSystem, "Keep")) << "outside SOFTWARE";

    // The order: values, keys, files, folders, each in reverse.
    const auto at = [&](const std::string& line) {
        return std::find(record.begin(), record.end(), line) - record.begin();
    };
    const std::string prodKey = "80000002\\" + std::string(kCompany) + ",Prod";
    const std::string versionKey = "80000002\\" + std::string(kCompany) + "\\Prod,1.0";
    EXPECT_LT(at("value: 80000002\\" + std::string(kCompany) + "\\Prod, Extra"), at("key: " + versionKey)) << all;
    EXPECT_LT(at("key: " + versionKey), at("key: " + prodKey)) << all;
    EXPECT_LT(at("key: " + prodKey), at("file: " + inst + "\\a.txt")) << all;
    EXPECT_LT(at("file: " + inst + "\\a.txt"), at("file: " + inst + "\\sub\\b.txt")) << all;
    EXPECT_LT(at("file: " + inst + "\\sub\\b.txt"), at("folder: " + inst + "\\sub")) << all;
    const size_t size = record.size();
    EXPECT_LT(static_cast<size_t>(at("kept: " + inst)), size) << all;
    for (const std::string& refused : {tree.Path("outside.txt"), inst + "\\..\\outside.txt", programs[0]})
        EXPECT_LT(static_cast<size_t>(at("refused: " + refused)), size) << refused << "\n" << all;
    EXPECT_LT(static_cast<size_t>(at("refused: 80000002\\SYSTEM,VOQ-Unrig")), size) << all;
    EXPECT_LT(static_cast<size_t>(at("refused: 80000002\\SYSTEM\\VOQ-Unrig, Keep")), size) << all;
}

TEST_F(Removal, ALogWithoutAUsableFolderRemovesNoFile)
{
    tree.Write("victim.txt", "v");
    const std::string victim = tree.Path("victim.txt");
    for (const std::string& folder : {std::string(), std::string("relative"), victim.substr(0, 3), tree.Path("a\\..")}) {
        LoggedInstall log;
        log.folder = folder;
        log.files = {victim};
        const RemovalRecord record = RemoveLoggedInstall(log, {});
        EXPECT_EQ(record, (RemovalRecord{"refused: " + victim})) << folder;
        EXPECT_TRUE(Exists(victim)) << folder;
    }
    LoggedInstall missing;
    EXPECT_FALSE(ReadLoggedInstall(tree.Path("none\\Setup.log").c_str(), missing));
}

}  // namespace
