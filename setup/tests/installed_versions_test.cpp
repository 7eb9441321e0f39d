// Installed versions from the product's registry key, and the transfer of
// configuration files from one of them (the setup tests' own prefix).
#include "setup/installed_versions.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "setup/conf_transfer.h"
#include "setup/setup_messages.h"
#include "setup/setup_state.h"
#include "setup/tests/support/captured_setup_log.h"

namespace {

constexpr const char* kCompanyKey = "SOFTWARE\\VOQ-Versions-Co";

void SetHklmString(const std::string& key, const char* name, const std::string& value)
{
    HKEY h = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &h, nullptr),
              ERROR_SUCCESS);
    if (name) RegSetValueExA(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()), value.size() + 1);
    RegCloseKey(h);
}

class InstalledVersions : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
        state.product.company = "VOQ-Versions-Co";
        state.product.name = "VOQ Tools";
        state.product.version = "2.00";
        state.supportDir = tree.Path("support");
        tree.MakeDir("support");
    }
    void TearDown() override { RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey); }
    std::string Product() const { return std::string(kCompanyKey) + "\\VOQ Tools"; }

    TempTree tree;
    SetupState state;
    FwBoxRecorder boxes;
};

TEST_F(InstalledVersions, SubKeysBeginningWithADigitAreVersions)
{
    for (const char* name : {"1.0", "Beta", "3.10", "x2", "2", "_1"}) SetHklmString(Product() + "\\" + name, nullptr, "");
    std::vector<std::string> listed = ListInstalledVersions(state.product);
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"1.0", "2", "3.10"}));

    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
    EXPECT_TRUE(ListInstalledVersions(state.product).empty()) << "no product key";
}

TEST_F(InstalledVersions, WithoutMultipleVersionsTheKeysVersionValueIsListedOnce)
{
    state.product.multipleVersions = false;
    SetHklmString(Product() + "\\3.10", nullptr, "");
    SetHklmString(Product(), "Version", "1.02.3");
    EXPECT_EQ(ListInstalledVersions(state.product), (std::vector<std::string>{"3.10", "1.02.3"}));

    SetHklmString(Product(), "Version", "3.10");
    EXPECT_EQ(ListInstalledVersions(state.product), (std::vector<std::string>{"3.10"})) << "listed once";

    SetHklmString(Product(), "Version", "");
    EXPECT_EQ(ListInstalledVersions(state.product), (std::vector<std::string>{"3.10"})) << "an empty Version";

    state.product.multipleVersions = true;
    SetHklmString(Product(), "Version", "1.02.3");
    EXPECT_EQ(ListInstalledVersions(state.product), (std::vector<std::string>{"3.10"})) << "Version read only when off";
}

TEST_F(InstalledVersions, TheFolderOfASingleVersionInstallIsInTheProductKey)
{
    SetHklmString(Product() + "\\1.0", "Folder", "C:\\Old\\1_0");
    SetHklmString(Product(), "Folder", "C:\\Old\\Single");
    SetHklmString(Product(), "Version", "1.5");
    std::string folder;
    ASSERT_TRUE(InstalledVersionFolder(state.product, "1.0", folder));
    EXPECT_EQ(folder, "C:\\Old\\1_0");
    EXPECT_FALSE(InstalledVersionFolder(state.product, "1.5", folder)) << "no sub-key 1.5";

    state.product.multipleVersions = false;
    ASSERT_TRUE(InstalledVersionFolder(state.product, "1.5", folder));
    EXPECT_EQ(folder, "C:\\Old\\Single");
    ASSERT_TRUE(InstalledVersionFolder(state.product, "1.0", folder)) << "a version key of an earlier install";
    EXPECT_EQ(folder, "C:\\Old\\1_0");
}

TEST(ConfMasks, SplitAndSafety)
{
    EXPECT_EQ(SplitConfMasks(" cfg\\*.ini ; a.txt,,b.dat ;"), (std::vector<std::string>{"cfg\\*.ini", "a.txt", "b.dat"}));
    EXPECT_TRUE(SplitConfMasks(" ; , ").empty());
    struct Case {
        const char* mask;
        bool safe;
    } cases[] = {
        {"*.ini", true},        {"cfg\\*.ini", true},     {"cfg/sub/x.cfg", true}, {"a..b.ini", true},
        {"..\\x.ini", false},   {"cfg\\..\\..\\x", false}, {"cfg/../x", false},     {"..", false},
        {"C:\\x.ini", false},   {"C:x.ini", false},       {"\\x.ini", false},      {"/x.ini", false},
        {"\\\\srv\\s\\x", false}, {"cfg\\ .. \\x", false},
    };
    for (const Case& c : cases) EXPECT_EQ(IsSafeConfMask(c.mask), c.safe) << c.mask;
    EXPECT_EQ(FirstUnsafeConfMask("a.ini;cfg\\..\\..\\boot.ini;C:\\x"), "cfg\\..\\..\\boot.ini");
    EXPECT_EQ(FirstUnsafeConfMask("a.ini;cfg\\*.ini"), "");
}

TEST_F(InstalledVersions, TransferCopiesTheMaskedFilesKeepingTheirFolders)
{
    state.product.multipleVersions = false;
    state.product.confFiles = "*.ini; cfg\\*.cfg, ..\\outside.ini";
    tree.MakeDir("old");
    tree.MakeDir("old\\cfg");
    tree.Write("old\\a.ini", "A");
    tree.Write("old\\b.txt", "B");
    tree.Write("old\\cfg\\c.cfg", "C");
    tree.Write("outside.ini", "X");
    SetHklmString(Product(), "Folder", tree.Path("old"));
    SetHklmString(Product(), "Version", "1.0");

    CapturedSetupLog log;
    EXPECT_EQ(TransferConfFiles(state, "1.0"), 1);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(state.transferFolder, tree.Path("support\\ConfFiles"));
    EXPECT_EQ(tree.Read("support\\ConfFiles\\a.ini"), "A");
    EXPECT_EQ(tree.Read("support\\ConfFiles\\cfg\\c.cfg"), "C");
    EXPECT_FALSE(tree.Exists("support\\ConfFiles\\b.txt"));
    EXPECT_FALSE(tree.Exists("support\\outside.ini"));
    EXPECT_FALSE(tree.Exists("support\\ConfFiles\\outside.ini"));
    const std::string text = log.Text();
    EXPECT_NE(text.find("  Requested transfer of conf files from version '1.0'\n"), std::string::npos) << text;
    EXPECT_NE(text.find("  Conf files folder: '" + tree.Path("old") + "'\n"), std::string::npos) << text;
    EXPECT_NE(text.find("    Copying '" + tree.Path("old\\cfg\\c.cfg") + "' to '" +
                        tree.Path("support\\ConfFiles\\cfg\\c.cfg") + "'\n"),
              std::string::npos)
        << text;

    // A second transfer starts from an empty folder; nothing matching
    // leaves no transfer behind.
    state.product.confFiles = "*.none";
    EXPECT_EQ(TransferConfFiles(state, "1.0"), 1);
    EXPECT_EQ(state.transferFolder, "");
    EXPECT_FALSE(tree.Exists("support\\ConfFiles\\a.ini"));
}

TEST_F(InstalledVersions, TransferFailuresLeaveNoTransfer)
{
    state.product.confFiles = "*.ini";
    tree.MakeDir("old");
    tree.Write("old\\a.ini", "A");
    state.transferFolder = "stale";

    // The version's folder is not recorded: 2000.
    SetHklmString(Product() + "\\1.0", nullptr, "");
    EXPECT_EQ(TransferConfFiles(state, "1.0"), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, SETUP_MSG_VERSION_FOLDER);
    EXPECT_NE(boxes.Boxes()[0].text.find("'1.0'"), std::string::npos);
    EXPECT_EQ(state.transferFolder, "");

    // The transfer folder cannot be made (SUPPORTDIR is a file): 2001.
    boxes.Clear();
    SetHklmString(Product() + "\\1.0", "Folder", tree.Path("old"));
    tree.Write("file", "");
    state.supportDir = tree.Path("file");
    EXPECT_EQ(TransferConfFiles(state, "1.0"), 1);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, SETUP_MSG_TEMP_SUBFOLDER);
    EXPECT_EQ(state.transferFolder, "");

    // Masks that are all separators: 8.
    boxes.Clear();
    state.supportDir = tree.Path("support");
    state.product.confFiles = " ; ,";
    EXPECT_EQ(TransferConfFiles(state, "1.0"), 8);
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_EQ(state.transferFolder, "");
}

}  // namespace
