// The product key and the uninstall entry under HKLM (the setup tests' own
// prefix), for MultipleVersions on and off, with what the log records.
#include "setup/registry_step.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/message.h"
#include "setup/install_log.h"
#include "setup/tests/support/log_entries.h"
#include "setup/tests/support/system_readback.h"
#include "setup/install_seams.h"

namespace {

constexpr const char* kCompany = "SOFTWARE\\VOQ-Test-Co";
constexpr const char* kUninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

class RegistryStep : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean()
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompany);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + "VOQ Tools 1.02.3").c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + "VOQ Tools").c_str());
    }
    static RegistryJob Job(InstallLog* log, bool multipleVersions, const char* version)
    {
        RegistryJob job;
        job.log = log;
        job.company = "VOQ-Test-Co";
        job.productName = "VOQ Tools";
        job.version = version;
        job.multipleVersions = multipleVersions;
        job.targetDir = "C:\\Program Files\\VOQ Tools";
        job.setupFolder = "D:\\setup";
        job.totalBytes = 1025;
        job.date.wYear = 2011;
        job.date.wMonth = 12;
        job.date.wDay = 6;
        job.uninstallKeys = {{"HelpLink", "http://example.org/voq"}, {"displayname", "Hijacked"}};
        return job;
    }
    TempTree tree;
    FwBoxRecorder boxes;
};

TEST_F(RegistryStep, MultipleVersionsWritesTheVersionKeyAndTheVersionedUninstallEntry)
{
    InstallLog log(tree.Path("Setup.log").c_str());
    RegistryJob job = Job(&log, true, "1.02.3");
    job.displayIcon = "C:\\Program Files\\VOQ Tools\\integrat.exe";
    FILE* setupLog = tmpfile();
    SetSetupLog(setupLog);
    EXPECT_EQ(WriteRegistryInfo(job), 1);
    SetSetupLog(nullptr);
    EXPECT_TRUE(boxes.Boxes().empty());

    const std::string product = std::string(kCompany) + "\\VOQ Tools\\1.02.3";
    EXPECT_EQ(ReadHklmValue(product, "Folder").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadHklmValue(product, "Folder").text, "C:\\Program Files\\VOQ Tools");
    EXPECT_EQ(ReadHklmValue(product, "Info").type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(ReadHklmValue(product, "Info").number, 0u);
    EXPECT_EQ(ReadHklmValue(product, "Version").type, static_cast<DWORD>(REG_NONE));

    const std::string u = std::string(kUninstall) + "VOQ Tools 1.02.3";
    struct Text {
        const char* name;
        const char* value;
    } texts[] = {
        {"UninstallString", "\"C:\\Program Files\\VOQ Tools\\unrigger.exe\""},
        {"DisplayName", "VOQ Tools 1.02.3"},
        {"DisplayVersion", "1.02.3"},
        {"InstallLocation", "C:\\Program Files\\VOQ Tools"},
        {"Publisher", "VOQ-Test-Co"},
        {"DisplayIcon", "C:\\Program Files\\VOQ Tools\\integrat.exe"},
        {"InstallSource", "D:\\setup"},
        {"InstallDate", "20111206"},
        {"HelpLink", "http://example.org/voq"},
    };
    for (const Text& t : texts) {
        const RegValue v = ReadHklmValue(u, t.name);
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_SZ)) << t.name;
        EXPECT_EQ(v.text, t.value) << t.name;
    }
    struct Number {
        const char* name;
        DWORD value;
    } numbers[] = {{"EstimatedSize", 2}, {"Version", 0x01020003}, {"VersionMajor", 1}, {"VersionMinor", 2}};
    for (const Number& n : numbers) {
        const RegValue v = ReadHklmValue(u, n.name);
        EXPECT_EQ(v.type, static_cast<DWORD>(REG_DWORD)) << n.name;
        EXPECT_EQ(v.number, n.value) << n.name;
    }

    EXPECT_EQ(LogEntry(log, "Registry Keys", "Key0"), "80000002\\SOFTWARE,VOQ-Test-Co");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "Key1"), "80000002\\SOFTWARE\\VOQ-Test-Co,VOQ Tools");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "FKey2"), "80000002\\SOFTWARE\\VOQ-Test-Co\\VOQ Tools,1.02.3");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "FKey3"),
              "80000002\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall,VOQ Tools 1.02.3");
    EXPECT_EQ(LogEntry(log, "Registry Key Values", "Val0"), "<missing>");

    // The [Uninstall Keys] entry naming a value of the entry was skipped.
    rewind(setupLog);
    char line[512];
    std::string text;
    while (fgets(line, sizeof line, setupLog)) text += line;
    fclose(setupLog);
    EXPECT_NE(text.find("'displayname' ignored"), std::string::npos) << text;
}

TEST_F(RegistryStep, WithoutMultipleVersionsASecondInstallReusesTheKeysAndRecordsNothingMadeBefore)
{
    {
        InstallLog first(tree.Path("first.log").c_str());
        ASSERT_EQ(WriteRegistryInfo(Job(&first, false, "1.0")), 1);
    }
    InstallLog log(tree.Path("Setup.log").c_str());
    ASSERT_EQ(WriteRegistryInfo(Job(&log, false, "2.5")), 1);
    const std::string product = std::string(kCompany) + "\\VOQ Tools";
    EXPECT_EQ(ReadHklmValue(product, "Version").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadHklmValue(product, "Version").text, "2.5");
    const std::string u = std::string(kUninstall) + "VOQ Tools";
    EXPECT_EQ(ReadHklmValue(u, "DisplayName").text, "VOQ Tools");
    EXPECT_EQ(ReadHklmValue(u, "Version").number, 0x02050000u);
    // The company and product keys existed: only the forced entry key.
    EXPECT_EQ(LogEntry(log, "Registry Keys", "FKey0"),
              "80000002\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall,VOQ Tools");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "Key0"), "<missing>");
    EXPECT_EQ(LogEntry(log, "Registry Keys", "Key1"), "<missing>");
    EXPECT_EQ(ReadHklmValue(u, "DisplayIcon").type, static_cast<DWORD>(REG_NONE));
}

LONG RefuseUninstallEntry(const char* keyPath)
{
    return strstr(keyPath, "\\Uninstall\\") ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
}

TEST_F(RegistryStep, TheFirstFailureIsReportedOnceAndStopsTheStep)
{
    InstallLog log(tree.Path("Setup.log").c_str());
    const RegistryRefusalHook previous = SetRegistryRefusalHook(&RefuseUninstallEntry);
    EXPECT_EQ(WriteRegistryInfo(Job(&log, true, "1.02.3")), 2);
    SetRegistryRefusalHook(previous);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 2007);
    EXPECT_EQ(ReadHklmValue(std::string(kCompany) + "\\VOQ Tools\\1.02.3", "Folder").text, "C:\\Program Files\\VOQ Tools");
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, (std::string(kUninstall) + "VOQ Tools 1.02.3").c_str(), 0, KEY_READ,
                            &key),
              ERROR_SUCCESS);
}

}  // namespace
