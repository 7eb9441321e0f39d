// setup.ini: the [Product] values and their defaults, the default TARGETDIR,
// the 64-bit refusal, the banner, the caption, and the hostile files that
// are refused before any page.
#include "setup/setup_ini.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "framework/window/gdi_objects.h"
#include "setup/install_seams.h"
#include "setup/page_seams.h"
#include "setup/setup_state.h"

namespace {

constexpr const char* kCurrentVersion = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";

bool g_wow64 = false;
bool FakeWow64() { return g_wow64; }

const char* g_shellProgramFiles = nullptr;
bool FakeShellFolder(int csidl, char* out)
{
    out[0] = 0;
    if (csidl != 38 || !g_shellProgramFiles) return false;
    lstrcpynA(out, g_shellProgramFiles, MAX_PATH);
    return true;
}

class SetupIni : public ::testing::Test {
protected:
    void SetUp() override
    {
        previousShell_ = SetShellFolderHook(&FakeShellFolder);
        previousWow64_ = SetWow64Hook(&FakeWow64);
        g_shellProgramFiles = "D:\\Apps";
        g_wow64 = false;
        tree.MakeDir("support");
        state.supportDir = tree.Path("support");
    }
    void TearDown() override
    {
        SetShellFolderHook(previousShell_);
        SetWow64Hook(previousWow64_);
        g_mlLanguage = 0;
    }

    bool Read(const std::string& ini)
    {
        tree.Write("support\\setup.ini", ini);
        return ReadSetupIni(state);
    }

    TempTree tree;
    SetupState state;
    FwBoxRecorder boxes;

private:
    ShellFolderHook previousShell_ = nullptr;
    Wow64Hook previousWow64_ = nullptr;
};

TEST_F(SetupIni, WithoutProductSectionTheDefaultsHold)
{
    ASSERT_TRUE(Read("[Features]\nBase=Base files\n"));
    EXPECT_TRUE(boxes.Boxes().empty());
    const ProductSettings& p = state.product;
    EXPECT_EQ(p.name, "Unknown Product");
    EXPECT_EQ(p.name16, "Product");
    EXPECT_EQ(p.emuName, "ZEMU");
    EXPECT_EQ(p.simName, "ZSIM");
    EXPECT_EQ(p.version, "0.00.00");
    EXPECT_EQ(p.company, "Korvan");
    EXPECT_EQ(p.installFolder, "Product");
    EXPECT_TRUE(p.worksOnX64);
    EXPECT_TRUE(p.multipleVersions);
    EXPECT_TRUE(p.noRussian);
    EXPECT_FALSE(p.hasDate);
    EXPECT_EQ(p.bannerColorL, -1);
    EXPECT_EQ(p.bannerTextColor, -1);
    EXPECT_EQ(p.id, -1);
    EXPECT_EQ(state.caption, "Unknown Product v. 0.00.00 Installation");
    EXPECT_EQ(state.versionFolder, "0_00_00");
    EXPECT_EQ(state.targetDir, "C:\\Korvan\\Product\\0_00_00");
    EXPECT_FALSE(state.bannerBitmap);
    // The file stays for the later steps, and the help file is chosen now.
    ASSERT_TRUE(state.setupIni);
    EXPECT_TRUE(state.setupIni->FindSection("Features"));
    EXPECT_EQ(state.helpFile, tree.Path("support\\setup.chm"));
    EXPECT_EQ(std::string(GetHelpFile()), state.helpFile);
}

TEST_F(SetupIni, ProductValuesAreRead)
{
    ASSERT_TRUE(Read("[Product]\nName=VOQ Tools\nName16=VOQ\nEmuName=VOQ-EMU\nSimName=VOQ-SIM\nVersion=1.02.3\n"
                     "Company=Maker\nRegister=1\nWorksOnX64=1\nDate=2026-12-01\nNoRussian=0\nMultipleVersions=0\n"
                     "BannerAlign=Right\nBannerColorL=RGB(255,0,0)\nBannerColorR=-1\nBannerTextColor=0x00FF00\n"
                     "BannerTextX=-5\nBannerTextY=12\nId=7\nConfFiles=*.cfg\nWEBSite=www.example.com\n"));
    const ProductSettings& p = state.product;
    EXPECT_EQ(p.name, "VOQ Tools");
    EXPECT_EQ(p.name16, "VOQ");
    EXPECT_EQ(p.emuName, "VOQ-EMU");
    EXPECT_EQ(p.simName, "VOQ-SIM");
    EXPECT_EQ(p.company, "Maker");
    EXPECT_TRUE(p.registerFlag);
    EXPECT_TRUE(p.hasDate);
    EXPECT_EQ(p.date, "2026-12-01");
    EXPECT_FALSE(p.noRussian);
    EXPECT_FALSE(p.multipleVersions);
    EXPECT_EQ(p.installFolder, "VOQ");
    EXPECT_EQ(p.bannerAlign, "Right");
    EXPECT_EQ(p.bannerColorL, 0x0000FF);
    EXPECT_EQ(p.bannerColorR, -1);
    EXPECT_EQ(p.bannerTextColor, 0x00FF00);
    EXPECT_EQ(p.bannerTextX, -5);
    EXPECT_EQ(p.bannerTextY, 12);
    EXPECT_EQ(p.id, 7);
    EXPECT_EQ(p.confFiles, "*.cfg");
    EXPECT_EQ(p.webSite, "www.example.com");
    EXPECT_EQ(state.caption, "VOQ Tools v. 1.02.3 Installation");
    EXPECT_EQ(state.versionFolder, "1_02_3");
}

TEST_F(SetupIni, CaptionFollowsTheLanguage)
{
    g_mlLanguage = 1;
    ASSERT_TRUE(Read("[Product]\nName=VOQ Tools\nVersion=2.0\n"));
    EXPECT_EQ(state.caption, "\323\361\362\340\355\356\342\352\340 VOQ Tools v. 2.0");
}

TEST_F(SetupIni, DefaultTargetDirFollowsStandardPathMultipleVersionsAndB)
{
    struct Case {
        bool standard, multiple;
        const char* given;  // /B
        const char* expected;
    };
    const Case cases[] = {
        {false, true, "", "C:\\Maker\\VOQ\\1_02_3"},
        {false, false, "", "C:\\Maker\\VOQ\\1_02_3"},  // the version even without MultipleVersions
        {true, true, "", "D:\\Apps\\VOQ\\1_02_3"},
        {true, false, "", "D:\\Apps\\VOQ"},
        {false, true, "E:\\Mine", "E:\\Mine"},
        {true, true, "E:\\Mine", "E:\\Mine"},
        {true, false, "E:\\Mine", "E:\\Mine"},
    };
    for (const Case& c : cases) {
        SetupState fresh;
        fresh.supportDir = state.supportDir;
        fresh.targetDir = c.given;
        tree.Write("support\\setup.ini", std::string("[Product]\nName=VOQ Tools\nName16=VOQ\nVersion=1.02.3\n"
                                                     "Company=Maker\nStandardInstallPath=") +
                                             (c.standard ? "1" : "0") + "\nMultipleVersions=" +
                                             (c.multiple ? "1" : "0") + "\n");
        ASSERT_TRUE(ReadSetupIni(fresh));
        EXPECT_EQ(fresh.targetDir, c.expected) << c.standard << c.multiple << c.given;
    }
    // InstallFolder replaces Name16 as the last level.
    ASSERT_TRUE(Read("[Product]\nName16=VOQ\nInstallFolder=Pod Tools\nVersion=3.1\nStandardInstallPath=1\n"));
    EXPECT_EQ(state.targetDir, "D:\\Apps\\Pod Tools\\3_1");
}

// ProgramFilesDir for the duration of a test, put back afterwards.
class ProgramFilesDirValue {
public:
    ProgramFilesDirValue()
    {
        RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_QUERY_VALUE | KEY_SET_VALUE, &key_);
        DWORD size = sizeof saved_ - 1;
        had_ = RegQueryValueExA(key_, "ProgramFilesDir", nullptr, &type_, reinterpret_cast<BYTE*>(saved_), &size) ==
               ERROR_SUCCESS;
        savedSize_ = size;
    }
    ~ProgramFilesDirValue()
    {
        if (had_)
            RegSetValueExA(key_, "ProgramFilesDir", 0, type_, reinterpret_cast<const BYTE*>(saved_), savedSize_);
        else
            RegDeleteValueA(key_, "ProgramFilesDir");
        RegCloseKey(key_);
    }
    void Set(DWORD type, const char* value)
    {
        RegSetValueExA(key_, "ProgramFilesDir", 0, type, reinterpret_cast<const BYTE*>(value),
                       static_cast<DWORD>(strlen(value) + 1));
    }
    void Remove() { RegDeleteValueA(key_, "ProgramFilesDir"); }
    bool Opened() const { return key_ != nullptr; }

private:
    HKEY key_ = nullptr;
    DWORD type_ = REG_SZ;
    char saved_[1024] = {};
    DWORD savedSize_ = 0;
    bool had_ = false;
};

TEST_F(SetupIni, WithoutTheShellFolderProgramFilesDirIsUsedExpanded)
{
    g_shellProgramFiles = nullptr;
    ProgramFilesDirValue programFiles;
    ASSERT_TRUE(programFiles.Opened());
    const std::string ini = "[Product]\nName16=VOQ\nVersion=1.0\nCompany=Maker\nStandardInstallPath=1\n";
    char drive[MAX_PATH] = "";
    GetEnvironmentVariableA("SystemDrive", drive, sizeof drive);
    ASSERT_TRUE(drive[0]);
    programFiles.Set(REG_EXPAND_SZ, "%SystemDrive%\\Soft\\");
    ASSERT_TRUE(Read(ini));
    EXPECT_EQ(state.targetDir, std::string(drive) + "\\Soft\\VOQ\\1_0");
    // Neither: the plain default.
    programFiles.Remove();
    state.targetDir.clear();
    ASSERT_TRUE(Read(ini));
    EXPECT_EQ(state.targetDir, "C:\\Maker\\VOQ\\1_0");
}

TEST_F(SetupIni, SixtyFourBitWindowsIsRefusedOnlyWhenTheProductSaysSo)
{
    struct Case {
        const char* worksOnX64;  // null: the key is missing
        bool wow64;
        bool accepted;
    };
    for (const Case c : {Case{"0", true, false}, Case{"0", false, true}, Case{"1", true, true}, Case{nullptr, true, true}}) {
        g_wow64 = c.wow64;
        boxes.Clear();
        SetupState fresh;
        fresh.supportDir = state.supportDir;
        std::string ini = "[Product]\nName=VOQ Tools\n";
        if (c.worksOnX64) ini += std::string("WorksOnX64=") + c.worksOnX64 + "\n";
        tree.Write("support\\setup.ini", ini);
        EXPECT_EQ(ReadSetupIni(fresh), c.accepted) << c.worksOnX64 << c.wow64;
        if (c.accepted) {
            EXPECT_TRUE(boxes.Boxes().empty());
            continue;
        }
        ASSERT_EQ(boxes.Boxes().size(), 1u);
        EXPECT_EQ(boxes.Boxes()[0].text, "VOQ Tools will not work on 64-bit operating system, installation cancelled.");
        EXPECT_FALSE(fresh.setupIni);
    }
}

TEST_F(SetupIni, NamesThatWouldClimbOrSplitAPathAreRefused)
{
    const struct {
        const char* key;
        const char* value;
    } cases[] = {
        {"Name", "VOQ\\Tools"},  {"Name", "VOQ\tTools"},      {"Name", "VOQ*"},
        {"Name16", "VOQ/x"},     {"Name16", "a<b"},           {"Company", "C:"},
        {"Company", ""},         {"Version", "1..2"},         {"Version", "1.0|2"},
        {"InstallFolder", ".."}, {"InstallFolder", "..\\up"}, {"InstallFolder", "x\x7F"},
    };
    for (const auto& c : cases) {
        boxes.Clear();
        SetupState fresh;
        fresh.supportDir = state.supportDir;
        tree.Write("support\\setup.ini", std::string("[Product]\n") + c.key + "=" + c.value + "\n");
        EXPECT_FALSE(ReadSetupIni(fresh)) << c.key << " " << c.value;
        ASSERT_EQ(boxes.Boxes().size(), 1u) << c.key << " " << c.value;
        EXPECT_NE(boxes.Boxes()[0].text.find(std::string("key '") + c.key + "'"), std::string::npos)
            << boxes.Boxes()[0].text;
        EXPECT_FALSE(fresh.setupIni);
        EXPECT_TRUE(fresh.targetDir.empty());
    }
    // A name16 that is refused is refused as the default folder too.
    boxes.Clear();
    EXPECT_FALSE(Read("[Product]\nName16=a:b\nInstallFolder=VOQ\n"));
    EXPECT_EQ(boxes.Boxes().size(), 1u);
    // Dots inside a version and blanks inside names are fine.
    EXPECT_TRUE(Read("[Product]\nName=VOQ Tools Pro\nVersion=1.02.3\nCompany=Maker Ltd.\n"));
}

TEST_F(SetupIni, MissingUnreadableAndBrokenFilesEndTheSetup)
{
    // Missing.
    EXPECT_FALSE(ReadSetupIni(state));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Internal Error: No 'setup.ini' file found, exiting. Please contact your vendor");
    // Not an INI file.
    for (const std::string& junk : {std::string("MZ\x90\0\3\0\0\0\4\0\0\0\xFF\xFF", 16), std::string("just words\n")}) {
        boxes.Clear();
        EXPECT_FALSE(Read(junk));
        // (A NUL byte has the reader say so first.)
        ASSERT_FALSE(boxes.Boxes().empty());
        EXPECT_NE(boxes.Boxes().back().text.find("is not a setup script"), std::string::npos);
        EXPECT_FALSE(state.setupIni);
    }
    // A nesting error: the reader's message, and nothing read.
    boxes.Clear();
    EXPECT_FALSE(Read("[[x]]\n[Product]\nName=VOQ\n"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("nesting"), std::string::npos);
    EXPECT_FALSE(state.setupIni);
    // A default TARGETDIR that does not fit in 519 characters is refused,
    // not cut.
    boxes.Clear();
    EXPECT_FALSE(Read("[Product]\nCompany=" + std::string(510, 'c') + "\n"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_NE(boxes.Boxes()[0].text.find("longer than 519 characters"), std::string::npos);
    EXPECT_TRUE(state.targetDir.empty());
    // 519 exactly fits: "C:\" + company + "\Product\0_00_00".
    EXPECT_TRUE(Read("[Product]\nCompany=" + std::string(519 - 3 - 16, 'c') + "\n"));
    EXPECT_EQ(state.targetDir.size(), 519u);
}

TEST_F(SetupIni, WithoutSupportDirSetupIniComesFromTheProgramsFolder)
{
    tree.MakeDir("program");
    tree.Write("program\\setup.ini", "[Product]\nName=Beside\n");
    state.supportDir.clear();
    state.programFolder = tree.Path("program");
    ASSERT_TRUE(ReadSetupIni(state));
    EXPECT_EQ(state.product.name, "Beside");
    EXPECT_EQ(state.helpFile, tree.Path("program\\setup.chm"));
}

// A 24-bit bitmap file of w x h pixels.
std::string BitmapFile(int w, int h)
{
    const int stride = (w * 3 + 3) / 4 * 4;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + stride * h;
    std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
    bytes.append(reinterpret_cast<const char*>(&info), sizeof info);
    bytes.append(static_cast<size_t>(stride * h), '\x80');
    return bytes;
}

TEST_F(SetupIni, BannerIsLoadedBesideSetupIniAndABadOneMeansNone)
{
    tree.Write("support\\banner.bmp", BitmapFile(40, 20));
    ASSERT_TRUE(Read("[Product]\nBanner=banner.bmp\n"));
    ASSERT_TRUE(state.bannerBitmap);
    const SIZE size = state.bannerBitmap->Size();
    EXPECT_EQ(size.cx, 40);
    EXPECT_EQ(size.cy, 20);
    for (const char* bad : {"broken.bmp", "missing.bmp"}) {
        tree.Write("support\\broken.bmp", "BM not really a bitmap");
        ASSERT_TRUE(Read(std::string("[Product]\nBanner=") + bad + "\n")) << bad;
        EXPECT_FALSE(state.bannerBitmap) << bad;
        EXPECT_TRUE(boxes.Boxes().empty());
    }
}

}  // namespace
