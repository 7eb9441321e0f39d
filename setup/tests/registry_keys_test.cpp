// Keys and values written through RegistryWriter and what the install log
// records of them, on a scratch key under HKCU.
#include "setup/registry_keys.h"

#include <gtest/gtest.h>

#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/install_log.h"
#include "setup/tests/support/log_entries.h"
#include "setup/install_seams.h"

namespace {

constexpr const char* kBase = "Software\\VOQ-Test";

class Registry : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kBase);
        HKEY key = nullptr;
        RegCreateKeyExA(HKEY_CURRENT_USER, kBase, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        RegCloseKey(key);
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kBase); }
    TempTree tree;
    InstallLog log{tree.Path("Setup.log").c_str()};
    FwBoxRecorder boxes;
};

TEST_F(Registry, NewKeysAreRecordedAsKeyForcedOnesAsFKeyOnOneCounter)
{
    RegistryWriter reg(&log, "VOQ");
    EXPECT_EQ(reg.CreateKey(kBase, "Co", HKEY_CURRENT_USER, false), 1);
    // Existing and not forced: left to whoever made it.
    EXPECT_EQ(reg.CreateKey(kBase, "Co", HKEY_CURRENT_USER, false), 1);
    EXPECT_EQ(reg.CreateKey(kBase, "Co", HKEY_CURRENT_USER, true), 1);
    EXPECT_EQ(reg.CreateKey("Software\\VOQ-Test\\Co", "1.02.3", HKEY_CURRENT_USER, true), 1);
    EXPECT_EQ(LogEntry(log, "Registry Keys", "Key0"), "80000001\\Software\\VOQ-Test,Co");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "FKey1"), "80000001\\Software\\VOQ-Test,Co");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "FKey2"), "80000001\\Software\\VOQ-Test\\Co,1.02.3");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "Key1"), "<missing>");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "FKey3"), "<missing>");
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VOQ-Test\\Co\\1.02.3", 0, KEY_READ, &key), ERROR_SUCCESS);
    RegCloseKey(key);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(Registry, StringsAreRecordedWhenAskedDwordsNever)
{
    RegistryWriter reg(&log, "VOQ");
    ASSERT_EQ(reg.CreateKey(kBase, "Co", HKEY_CURRENT_USER, false), 1);
    const char* key = "Software\\VOQ-Test\\Co";
    EXPECT_EQ(reg.SetString(key, "Folder", "C:\\VOQ", HKEY_CURRENT_USER, true), 1);
    EXPECT_EQ(reg.SetString(key, "Note", "", HKEY_CURRENT_USER, false), 1);
    EXPECT_EQ(reg.SetDword(key, "Info", 7, HKEY_CURRENT_USER), 1);
    EXPECT_EQ(LogEntry(log, "Registry Key Values", "Val0"), "80000001\\Software\\VOQ-Test\\Co, Folder");
    EXPECT_EQ(LogEntry(log, "Registry Key Values", "Val1"), "<missing>");
    char text[64] = {};
    DWORD size = sizeof text, type = 0;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key, "Folder", RRF_RT_ANY, &type, text, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_STREQ(text, "C:\\VOQ");
    EXPECT_EQ(size, 7u);  // with its NUL
    DWORD value = 0;
    size = sizeof value;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER, key, "Info", RRF_RT_ANY, &type, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(value, 7u);
}

LONG RefuseAll(const char*) { return ERROR_ACCESS_DENIED; }

TEST_F(Registry, RefusedCreateAndWriteAreReportedWithTheProductAndNothingIsRecorded)
{
    RegistryWriter reg(&log, "VOQ Tools");
    ASSERT_EQ(reg.CreateKey(kBase, "Co", HKEY_CURRENT_USER, false), 1);
    const RegistryRefusalHook previous = SetRegistryRefusalHook(&RefuseAll);
    EXPECT_EQ(reg.CreateKey(kBase, "New", HKEY_CURRENT_USER, true), 2);
    EXPECT_EQ(reg.SetString("Software\\VOQ-Test\\Co", "Folder", "x", HKEY_CURRENT_USER, true), 2);
    EXPECT_EQ(reg.SetDword("Software\\VOQ-Test\\Co", "Info", 0, HKEY_CURRENT_USER), 2);
    SetRegistryRefusalHook(previous);
    ASSERT_EQ(boxes.Boxes().size(), 3u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 2007);
    EXPECT_EQ(boxes.Boxes()[1].messageId, 2008);
    EXPECT_EQ(boxes.Boxes()[2].messageId, 2008);
    EXPECT_NE(boxes.Boxes()[0].text.find("install VOQ Tools"), std::string::npos) << boxes.Boxes()[0].text;
    EXPECT_EQ(LogEntry(log, "Registry Keys", "FKey1"), "<missing>");
    EXPECT_EQ(LogEntry(log, "Registry Key Values", "Val0"), "<missing>");
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\VOQ-Test\\New", 0, KEY_READ, &key), ERROR_SUCCESS);
}

TEST_F(Registry, MissingParentIsACreateFailure)
{
    RegistryWriter reg(&log, "VOQ");
    EXPECT_EQ(reg.CreateKey("Software\\VOQ-Test\\Absent", "Co", HKEY_CURRENT_USER, false), 2);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 2007);
    EXPECT_EQ(LogEntry(log, "Registry Keys", "Key0"), "<missing>");
}

}  // namespace
