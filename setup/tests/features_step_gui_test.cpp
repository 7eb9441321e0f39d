// SetupFeatures under its busy indicator (read once, the forcing rules
// applied, a failure ends the setup) and InstallSelectedFeatures: the
// installation step over the checked features, each component once.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/base/dir_tree.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "framework/config/ini_stream.h"
#include "setup/features.h"
#include "setup/install_seams.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"
#include "setup/shortcuts_folders.h"
#include "setup/tests/support/log_entries.h"
#include "sim/setup/rar4/rar4_writer.h"

namespace {

constexpr const char* kProduct = "VOQ Features";
constexpr const char* kVersion = "2.00.1";
constexpr const char* kCompany = "VOQ-Features-Co";
constexpr const char* kUninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

void NoFolderWindow(const char*) {}

class FeaturesStep : public testing::Test {
protected:
    void SetUp() override
    {
        previousOpen_ = SetOpenFolderHook(&NoFolderWindow);
        Clean();
        std::string error;
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("Core.rar"), {{"bin\\core.dll", "MZ core", false}}, {}, error));
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("Shared.rar"), {{"shared.dat", "shared", false}}, {}, error));
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("Docs.rar"), {{"doc\\guide.txt", "guide", false}}, {}, error));
        state.product.name = kProduct;
        state.product.version = kVersion;
        state.product.company = kCompany;
        state.caption = "VOQ Features Installation";
        state.programFolder = tree.Root();
        state.targetDir = tree.Path("Target");
        state.unattended = true;
    }
    void TearDown() override
    {
        Clean();
        SetOpenFolderHook(previousOpen_);
    }
    void Clean()
    {
        DeleteDirTree((ShellFolder(kCsidlCommonPrograms) + "\\" + kProduct + " " + kVersion).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string("SOFTWARE\\") + kCompany).c_str());
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, (std::string(kUninstallKey) + kProduct + " " + kVersion).c_str());
    }
    void Ini(const std::string& text)
    {
        tree.Write("setup.ini", text);
        state.setupIni = std::make_unique<INIStream>(INI_READ_ONLY, tree.Path("setup.ini").c_str());
    }

    TempTree tree;
    SetupState state;
    OpenFolderHook previousOpen_ = nullptr;
};

TEST_F(FeaturesStep, ReadsOnceAppliesTheRulesAndAFailureEndsTheSetup)
{
    FwBoxRecorder boxes;
    // One shown feature, unchecked in setup.ini, with a required child: both
    // are installed, unattended or not.
    Ini("[Components]\n[[Core]]\n[[Docs]]\n[Features]\n[[Program]]\nChecked=0\nComponent=Core\n"
        "[[[Help]]]\nChecked=0\nRequired=1\nComponent=Docs\n");
    EXPECT_EQ(SetupFeatures(state, true), SETUP_RESULT_SKIPPED);
    ASSERT_TRUE(state.features);
    EXPECT_TRUE(boxes.Boxes().empty());
    const Feature* program = FeatureSet::At(state.features->shown, 0);
    EXPECT_TRUE(program->checked);
    EXPECT_TRUE(program->ChildFeature(0)->checked);

    // A second call reads nothing: a setup.ini gone bad is not looked at.
    const FeatureSet* first = state.features.get();
    Ini("[Product]\n");
    EXPECT_EQ(SetupFeatures(state, false), SETUP_RESULT_SKIPPED);
    EXPECT_EQ(state.features.get(), first);
    EXPECT_TRUE(boxes.Boxes().empty());

    SetupState other;
    other.programFolder = tree.Root();
    other.product.company = kCompany;
    other.setupIni = std::make_unique<INIStream>(INI_READ_ONLY, tree.Path("setup.ini").c_str());
    EXPECT_EQ(SetupFeatures(other, true), SETUP_RESULT_CANCEL);
    EXPECT_FALSE(other.features);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Internal error: no [Components] in setup.ini, please contact VOQ-Features-Co");
}

TEST_F(FeaturesStep, InstallsTheCheckedFeaturesEachComponentOnce)
{
    FwBoxRecorder boxes(IDOK);
    // Shared by a hidden and a shown feature; Docs only under an unchecked
    // feature; Core under a checked child of that unchecked feature.
    Ini("[Components]\n[[Core]]\n[[Shared]]\n[[Docs]]\n[Features]\n"
        "[[Runtime]]\nInvisible=1\nComponent=Shared\n"
        "[[Manual]]\nChecked=0\nComponent=Docs\n[[[Program]]]\nComponent=Core\nComponent2=Shared\n"
        "[[Tools]]\nComponent=Shared\n");
    ASSERT_EQ(SetupFeatures(state, true), SETUP_RESULT_SKIPPED);
    ASSERT_EQ(InstallSelectedFeatures(state, false), SETUP_RESULT_NEXT);
    EXPECT_EQ(tree.Read("Target\\bin\\core.dll"), "MZ core");
    EXPECT_EQ(tree.Read("Target\\shared.dat"), "shared");
    EXPECT_FALSE(tree.Exists("Target\\doc\\guide.txt"));

    INIStream log(INI_READ_ONLY, tree.Path("Target\\Setup.log").c_str());
    std::vector<std::string> files;
    for (const std::string& line : SectionLines(log, "Files")) files.push_back(line.substr(line.find('=') + 1));
    EXPECT_EQ(std::count(files.begin(), files.end(), tree.Path("Target\\shared.dat")), 1);
    EXPECT_EQ(std::count(files.begin(), files.end(), tree.Path("Target\\bin\\core.dll")), 1);
    // Shared is the hidden feature's: extracted first.
    const auto shared = std::find(files.begin(), files.end(), tree.Path("Target\\shared.dat"));
    const auto core = std::find(files.begin(), files.end(), tree.Path("Target\\bin\\core.dll"));
    EXPECT_LT(shared, core);
}

}  // namespace
