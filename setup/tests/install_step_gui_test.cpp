// The installation step end to end, in-process: a scratch package made by
// the RAR writer is installed into the setup tests' own prefix, and the
// files, both logs, the registry, the shortcuts, the integration files, the
// I/O-port driver service and the messages are read back.
#include "setup/do_install.h"

#include <gtest/gtest.h>

#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "framework/base/dir_finder.h"
#include "framework/base/dir_tree.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/ml_text.h"
#include "setup/install_log.h"
#include "setup/install_plan.h"
#include "setup/install_seams.h"
#include "setup/setup_state.h"
#include "setup/shortcuts_folders.h"
#include "setup/tests/support/log_entries.h"
#include "setup/tests/support/system_readback.h"
#include "sim/setup/rar4/rar4_writer.h"

namespace {

constexpr const char* kProduct = "VOQ E2E";
constexpr const char* kVersion = "1.02.3";
constexpr const char* kCompanyKey = "SOFTWARE\\VOQ-E2E-Co";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";
constexpr const char* kServiceKey = "SYSTEM\\CurrentControlSet\\Services\\PortTalk";

uint16_t g_langId = 1033;
uint16_t InjectedLang() { return g_langId; }
WindowsVersionInfo Windows10() { return {VER_PLATFORM_WIN32_NT, 10, 0}; }
std::vector<std::string> g_opened;
void RecordOpen(const char* folder) { g_opened.push_back(folder); }

const char* kAppInf =
    "[Product Main]\n"
    "Exe=bin\\voqmon.exe\n"
    "Name=VOQ Monitor|\314\356\355\350\362\356\360 VOQ\n"
    "Description=Monitor of the pod|\314\356\355\350\362\356\360\n"
    "CommandLine=/pod 1\n"
    "IconFile=icons\\mon.ico\n"
    "AddIcon=1\n"
    "SubFolder=Tools|\321\360\345\344\361\362\342\340\n"
    "DisplayIcon=1\n"
    "Integrate=1\n"
    "Section=VOQ\n"
    "IncludeDirs=inc\n"
    "BinaryDirs=bin\n"
    "[Product Help]\n"
    "Exe=docs\\missing.chm\n"
    "FileMustExist=1\n"
    "AddIcon=1\n"
    "Name=Help\n"
    "DisplayIcon=5\n"
    "[Product Editor]\n"
    "Exe=!C:\\windows\\notepad.exe\n"
    "Name=Editor\n"
    "AddIcon=1\n"
    "DisplayIcon=3\n"
    "CopyFromDir=extra\n"
    "CopyFromName=cfg.txt\n"
    "CopyToDir=bin\n"
    "Integrate=1\n"
    "[Product Remove]\n"
    "Exe=setup.exe\n"
    "Name=Uninstall # Modify # Repair\n"
    "AddIcon=1\n";

void RemoveService()
{
    SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    if (!manager) return;
    if (SC_HANDLE service = OpenServiceA(manager, "PortTalk", SERVICE_ALL_ACCESS)) {
        DeleteService(service);
        CloseServiceHandle(service);
    }
    CloseServiceHandle(manager);
}

std::string SystemDriver()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    return std::string(system) + "\\Drivers\\PortTalk.sys";
}

// Files below `folder` written at or after `since`, with the folders that
// are expected to change left out.
void NewFiles(const std::string& folder, const FILETIME& since, const std::vector<std::string>& skip,
              std::vector<std::string>& out)
{
    for (PFileFinder f(true, (folder + "\\*").c_str()); f.Found(); f.Next()) {
        const std::string path = f.FullPath();
        bool skipped = false;
        for (const std::string& s : skip) skipped = skipped || _stricmp(s.c_str(), path.c_str()) == 0;
        if (skipped) continue;
        if (f.IsDir()) {
            if (!(f.Data().dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) NewFiles(path, since, skip, out);
            continue;
        }
        if (CompareFileTime(&f.Data().ftLastWriteTime, &since) >= 0) out.push_back(path);
    }
}

class InstallStep : public ::testing::Test {
protected:
    void SetUp() override
    {
        CoInitialize(nullptr);
        previousLang_ = SetSystemLangHook(&InjectedLang);
        previousVersion_ = SetWindowsVersionHook(&Windows10);
        previousOpen_ = SetOpenFolderHook(&RecordOpen);
        g_opened.clear();
        group_ = ShellFolder(kCsidlCommonPrograms) + "\\" + kProduct + " " + kVersion;
        Clean();
        BuildPackage();
    }
    void TearDown() override
    {
        Clean();
        SetSystemLangHook(previousLang_);
        SetWindowsVersionHook(previousVersion_);
        SetOpenFolderHook(previousOpen_);
        g_mlLanguage = 0;
        CoUninitialize();
    }
    void Clean()
    {
        DeleteDirTree(group_.c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + kProduct + " " + kVersion).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + kProduct).c_str());
        RemoveService();
        DeleteFileA(SystemDriver().c_str());
    }
    void BuildPackage()
    {
        std::string big(150000, '\0');
        for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
        const std::vector<rar4::WriterItem> core = {
            {"bin", "", true},
            {"bin\\voqmon.exe", "MZ monitor", false},
            {"bin\\cfg.txt", "archive copy", false},
            {"bin\\sub\\deep\\note.txt", "deep", false},
            {"big.bin", big, false},
            {"integrat.exe", "MZ integration tool", false},
            {"unrigger.exe", "MZ uninstaller", false},
            {"icons\\mon.ico", "ico", false},
            {"app.inf", kAppInf, false},
            {"langdef.ini", "[Russian]\nAllow=1\n", false},
            {"product.ide", "[Options]\nTheme=2\n", false},
        };
        const std::vector<rar4::WriterItem> shared = {{"shared\\lib.dll", "MZ shared", false}};
        tree.MakeDir("pkg");
        tree.MakeDir("pkg\\extra");
        tree.MakeDir("support");
        std::string error;
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("pkg\\Core.rar"), core, {}, error)) << error;
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("pkg\\Shared.rar"), shared, {}, error)) << error;
        tree.Write("pkg\\extra\\cfg.txt", "package copy");
        tree.Write("support\\porttalk.sys", "stand-in driver");
        coreSize_ = 0;
        for (const auto& item : core) coreSize_ += item.bytes.size();
        tree.Write("support\\setup.ini",
                   "[Product]\nHelpDesk=support@example.org\nEmpty=\n"
                   "[IDE Features]\n[[CCS 2]]\nId=2\n[[CCS 3]]\nName=three\n"
                   "[Uninstall Keys]\nHelpLink=http://example.org/voq\nDisplayName=Hijacked\n");
    }
    void Fill(SetupState& state, bool multipleVersions)
    {
        state.product.name = kProduct;
        state.product.name16 = "VOQE2E";
        state.product.version = kVersion;
        state.product.company = "VOQ-E2E-Co";
        state.product.multipleVersions = multipleVersions;
        state.product.itemsToCopy = "Version; HelpDesk ,Missing,Empty";
        state.product.hasDate = true;
        state.product.date = "2011-12-06";
        state.product.webSite = "http://example.org";
        state.caption = "VOQ E2E v. 1.02.3 Installation";
        state.targetDir = tree.Path("Program Files\\VOQ E2E");
        state.supportDir = tree.Path("support");
        state.programFolder = tree.Path("pkg");
        state.unattended = true;
        state.setupIni = std::make_unique<INIStream>(INI_READ_ONLY, tree.Path("support\\setup.ini").c_str());
        plan.Add("Core", tree.Path("pkg\\Core.rar"), coreSize_);
        plan.Add("Shared", tree.Path("pkg\\Shared.rar"), 9);
        EXPECT_FALSE(plan.Add("Shared", tree.Path("pkg\\Shared.rar"), 9));
    }
    std::string Target(const char* relative) const { return tree.Path("Program Files\\VOQ E2E") + "\\" + relative; }

    TempTree tree;
    InstallPlan plan;
    std::string group_;
    uint64_t coreSize_ = 0;

private:
    SystemLangHook previousLang_ = nullptr;
    WindowsVersionHook previousVersion_ = nullptr;
    OpenFolderHook previousOpen_ = nullptr;
};

TEST_F(InstallStep, InstallsFilesLogsRegistryShortcutsAndTheDriverService)
{
    g_langId = 1049;  // a Russian system: the default answer is Yes
    SetupState state;
    Fill(state, true);
    SYSTEMTIME now;
    GetSystemTime(&now);
    FILETIME start;
    SystemTimeToFileTime(&now, &start);
    Sleep(20);
    FwBoxRecorder boxes(IDOK);
    ASSERT_EQ(DoInstall(state, plan), 1);

    // Files, with the package's copy not put over the installed one.
    for (const char* f : {"bin\\voqmon.exe", "bin\\sub\\deep\\note.txt", "big.bin", "integrat.exe", "unrigger.exe",
                          "app.inf", "shared\\lib.dll", "Setup.log", "SetupX.log"})
        EXPECT_NE(GetFileAttributesA(Target(f).c_str()), INVALID_FILE_ATTRIBUTES) << f;
    EXPECT_EQ(tree.Read("Program Files\\VOQ E2E\\bin\\cfg.txt"), "archive copy");
    EXPECT_EQ(tree.Read("Program Files\\VOQ E2E\\big.bin").size(), 150000u);

    // Setup.log and SetupX.log: the same [Setup] section, in order.
    const std::vector<std::string> setupLines = {
        "Product=VOQ E2E", "Version=1.02.3", "Folder=" + Target("").substr(0, Target("").size() - 1),
        "CleanupFiles=", "ShortName=VOQE2E", "Register=0", "Id=-1", "ProductsINIAddr=", "ARFTPAddr=",
        "Company=VOQ-E2E-Co", "HelpDesk=support@example.org", "Date=2011-12-06", "WEBSite=http://example.org"};
    INIStream setupLog(INI_READ_ONLY, Target("Setup.log").c_str());
    INIStream setupX(INI_READ_ONLY, Target("SetupX.log").c_str());
    EXPECT_EQ(SectionLines(setupLog, "Setup"), setupLines);
    EXPECT_EQ(SectionLines(setupX, "Setup"), setupLines);
    for (INIStream* log : {&setupLog, &setupX}) {
        INIStream* ide = log->GetSubStream(false, "IDE Features");
        ASSERT_NE(ide, nullptr);
        EXPECT_EQ(SectionLines(*ide, "CCS 2"), std::vector<std::string>{"Id=2"});
        EXPECT_EQ(SectionLines(*ide, "CCS 3"), std::vector<std::string>{"Id=-1"});
    }

    // [Files]: every folder before what is in it, each once, both logs.
    std::vector<std::string> files;
    for (const std::string& line : SectionLines(setupLog, "Files")) files.push_back(line.substr(line.find('=') + 1));
    const std::string target = Target("").substr(0, Target("").size() - 1);
    for (size_t i = 0; i < files.size(); ++i) {
        const std::string parent = files[i].substr(0, files[i].find_last_of('\\'));
        const auto at = std::find(files.begin(), files.end(), parent);
        if (at != files.end()) {
            EXPECT_LT(static_cast<size_t>(at - files.begin()), i) << files[i];
        }
        EXPECT_EQ(std::count(files.begin(), files.end(), files[i]), 1) << files[i];
    }
    for (const std::string& expected :
         {tree.Path("Program Files"), target, Target("bin"), Target("bin\\sub\\deep\\note.txt"), Target("Setup.log"),
          Target("SetupX.log"), Target("install.ini"), Target("integrat.ini"), group_, group_ + "\\Tools",
          group_ + "\\Tools\\VOQ Monitor.lnk", group_ + "\\Editor.lnk", group_ + "\\Uninstall VOQ E2E.lnk",
          group_ + "\\VOQ E2E.lnk"})
        EXPECT_NE(std::find(files.begin(), files.end(), expected), files.end()) << expected;
    EXPECT_EQ(SectionLines(setupLog, "Registry Keys"),
              (std::vector<std::string>{
                  "Key0=80000002\\SOFTWARE,VOQ-E2E-Co", "Key1=80000002\\SOFTWARE\\VOQ-E2E-Co,VOQ E2E",
                  "FKey2=80000002\\SOFTWARE\\VOQ-E2E-Co\\VOQ E2E,1.02.3",
                  "FKey3=80000002\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall,VOQ E2E 1.02.3"}));

    // Registry values.
    const std::string product = std::string(kCompanyKey) + "\\VOQ E2E\\1.02.3";
    EXPECT_EQ(ReadHklmValue(product, "Folder").text, target);
    EXPECT_EQ(ReadHklmValue(product, "Info").type, static_cast<DWORD>(REG_DWORD));
    const std::string u = std::string(kUninstallKey) + "VOQ E2E 1.02.3";
    EXPECT_EQ(ReadHklmValue(u, "UninstallString").text, "\"" + target + "\\unrigger.exe\"");
    EXPECT_EQ(ReadHklmValue(u, "DisplayIcon").text, target + "\\integrat.exe");
    EXPECT_EQ(ReadHklmValue(u, "DisplayName").text, "VOQ E2E 1.02.3");
    EXPECT_EQ(ReadHklmValue(u, "HelpLink").text, "http://example.org/voq");
    EXPECT_EQ(ReadHklmValue(u, "EstimatedSize").number, static_cast<DWORD>((coreSize_ + 9 + 1023) / 1024));
    EXPECT_EQ(ReadHklmValue(u, "Version").number, 0x01020003u);

    // Shortcuts: the texts of an item follow the system's language.
    LinkData link;
    ASSERT_TRUE(LoadLink(group_ + "\\Tools\\VOQ Monitor.lnk", link)) << "English names, NoRussian is on";
    EXPECT_EQ(link.path, target + "\\bin\\voqmon.exe");
    EXPECT_EQ(link.arguments, "/pod 1");
    EXPECT_EQ(link.workingDir, target);
    EXPECT_EQ(link.description, "Monitor of the pod");
    EXPECT_EQ(link.icon, target + "\\icons\\mon.ico");
    ASSERT_TRUE(LoadLink(group_ + "\\Editor.lnk", link));
    EXPECT_EQ(_stricmp(link.path.c_str(), "C:\\windows\\notepad.exe"), 0) << link.path;
    ASSERT_TRUE(LoadLink(group_ + "\\Uninstall VOQ E2E.lnk", link));
    EXPECT_EQ(link.path, target + "\\unrigger.exe");
    ASSERT_TRUE(LoadLink(group_ + "\\VOQ E2E.lnk", link));
    EXPECT_EQ(link.path, target + "\\integrat.exe");
    EXPECT_EQ(link.workingDir, target);
    EXPECT_EQ(GetFileAttributesA((group_ + "\\Help.lnk").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(g_opened, std::vector<std::string>{group_});

    // Integration files.
    INIStream installIni(INI_READ_ONLY, Target("install.ini").c_str());
    EXPECT_EQ(SectionLines(installIni, "VOQ"), (std::vector<std::string>{"IncludeDirs=inc", "BinaryDirs=bin"}));
    INIStream integratIni(INI_READ_ONLY, Target("integrat.ini").c_str());
    EXPECT_EQ(SectionLines(integratIni, "Options"), std::vector<std::string>{"Name=VOQ E2E"});

    // The driver service and its file.
    EXPECT_EQ(ReadHklmValue(kServiceKey, "Type").number, 1u);
    EXPECT_EQ(ReadHklmValue(kServiceKey, "Start").number, 3u);
    EXPECT_EQ(ReadHklmValue(kServiceKey, "ErrorControl").number, 1u);
    EXPECT_NE(ReadHklmValue(kServiceKey, "ImagePath").text.find("System32\\Drivers\\PortTalk.sys"), std::string::npos)
        << ReadHklmValue(kServiceKey, "ImagePath").text;
    FILE* f = fopen(SystemDriver().c_str(), "rb");
    ASSERT_NE(f, nullptr);
    char bytes[64] = {};
    fread(bytes, 1, sizeof bytes - 1, f);
    fclose(f);
    EXPECT_STREQ(bytes, "stand-in driver");

    // Messages: the stand-in file is no driver: the service is made, its
    // start fails with the system's reason, and the device never opens.
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    for (const FwRecordedBox& box : boxes.Boxes()) EXPECT_EQ(box.kind, FwBoxKind::Message) << box.text;
    EXPECT_EQ(boxes.Boxes()[0].text.rfind("PortTalk: Unknown error while starting PortTalk driver service:\n", 0), 0u)
        << boxes.Boxes()[0].text;
    EXPECT_GT(boxes.Boxes()[0].text.size(), strlen("PortTalk: Unknown error while starting PortTalk driver service:\n"));
    EXPECT_EQ(boxes.Boxes()[1].text, "PortTalk: Couldn't access PortTalk Driver, Please ensure driver is loaded.");
    EXPECT_FALSE(state.rebootRequired);

    // No question under /Y; the default (a Russian system) was applied.
    EXPECT_NE(tree.Read("Program Files\\VOQ E2E\\langdef.ini").find("Force=1"), std::string::npos);
    EXPECT_NE(tree.Read("Program Files\\VOQ E2E\\product.ide").find("CheckLangDef=1"), std::string::npos);

    // Nothing new outside TARGETDIR, the group and the driver file.
    std::vector<std::string> stray;
    NewFiles("C:", start, {tree.Root(), group_, SystemDriver()}, stray);
    for (const std::string& path : stray) ADD_FAILURE() << "new file outside: " << path;
}

}  // namespace

namespace {

TEST_F(InstallStep, WithoutMultipleVersionsTransferredFilesAreCopiedAndRecorded)
{
    g_langId = 1033;
    SetupState state;
    Fill(state, false);
    tree.MakeDir("support\\ConfFiles");
    tree.MakeDir("support\\ConfFiles\\conf");
    tree.MakeDir("support\\ConfFiles\\bin");
    tree.Write("support\\ConfFiles\\conf\\user.cfg", "mine");
    tree.Write("support\\ConfFiles\\bin\\cfg.txt", "transferred");
    state.transferFolder = tree.Path("support\\ConfFiles");
    FwBoxRecorder boxes(IDOK);
    ASSERT_EQ(DoInstall(state, plan), 1);

    const std::string target = Target("").substr(0, Target("").size() - 1);
    EXPECT_EQ(tree.Read("Program Files\\VOQ E2E\\conf\\user.cfg"), "mine");
    EXPECT_EQ(tree.Read("Program Files\\VOQ E2E\\bin\\cfg.txt"), "transferred");
    INIStream setupLog(INI_READ_ONLY, Target("Setup.log").c_str());
    std::vector<std::string> files;
    for (const std::string& line : SectionLines(setupLog, "Files")) files.push_back(line.substr(line.find('=') + 1));
    const auto conf = std::find(files.begin(), files.end(), Target("conf"));
    const auto user = std::find(files.begin(), files.end(), Target("conf\\user.cfg"));
    ASSERT_NE(conf, files.end());
    ASSERT_NE(user, files.end());
    EXPECT_LT(conf, user);

    const std::string product = std::string(kCompanyKey) + "\\VOQ E2E";
    EXPECT_EQ(ReadHklmValue(product, "Version").type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(ReadHklmValue(product, "Version").text, "1.02.3");
    EXPECT_EQ(ReadHklmValue(product, "Folder").text, target);
    const std::string u = std::string(kUninstallKey) + "VOQ E2E";
    EXPECT_EQ(ReadHklmValue(u, "UninstallString").text, "\"" + target + "\\unrigger.exe\"");
    EXPECT_EQ(ReadHklmValue(u, "DisplayName").text, "VOQ E2E");
    EXPECT_EQ(SectionLines(setupLog, "Registry Keys"),
              (std::vector<std::string>{
                  "Key0=80000002\\SOFTWARE,VOQ-E2E-Co", "Key1=80000002\\SOFTWARE\\VOQ-E2E-Co,VOQ E2E",
                  "FKey2=80000002\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall,VOQ E2E"}));

    // English system: the default is No, and nothing was asked.
    for (const FwRecordedBox& box : boxes.Boxes()) EXPECT_EQ(box.kind, FwBoxKind::Message) << box.text;
    EXPECT_EQ(tree.Read("Program Files\\VOQ E2E\\langdef.ini").find("Force"), std::string::npos);
}

TEST_F(InstallStep, AFailedComponentEndsTheStepAndTheLogKeepsWhatWasExtracted)
{
    SetupState state;
    Fill(state, true);
    rar4::WriterOptions truncated;
    truncated.truncateTo = 60;
    std::string error;
    ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("pkg\\Broken.rar"), {{"broken\\a.txt", std::string(200, 'a'), false}},
                                       truncated, error))
        << error;
    plan.Add("Broken", tree.Path("pkg\\Broken.rar"), 200);
    FwBoxRecorder boxes(IDOK);
    EXPECT_EQ(DoInstall(state, plan), 2);
    ASSERT_FALSE(boxes.Boxes().empty());
    const uint16_t id = boxes.Boxes()[0].messageId;
    EXPECT_TRUE(id == 2016 || id == 2021) << boxes.Boxes()[0].text;
    INIStream setupLog(INI_READ_ONLY, Target("Setup.log").c_str());
    const std::vector<std::string> lines = SectionLines(setupLog, "Files");
    std::vector<std::string> files;
    for (const std::string& line : lines) files.push_back(line.substr(line.find('=') + 1));
    EXPECT_NE(std::find(files.begin(), files.end(), Target("big.bin")), files.end());
    EXPECT_NE(std::find(files.begin(), files.end(), Target("shared\\lib.dll")), files.end());
    EXPECT_EQ(SectionLines(setupLog, "Setup").front(), "Product=VOQ E2E");
    // The follow-up steps did not run.
    EXPECT_EQ(GetFileAttributesA(group_.c_str()), INVALID_FILE_ATTRIBUTES);
    HKEY key = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCompanyKey, 0, KEY_READ, &key), ERROR_SUCCESS);
    EXPECT_EQ(state.progress, nullptr);
}

}  // namespace
