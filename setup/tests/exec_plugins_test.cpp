// The plug-in call: SUPPORTDIR's "PlugIn*.dll" in name order without case,
// A ("Execute") and B ("_Execute@4") called with a fresh block each, C (no
// entry) and D (no library) skipped without a message, the language byte,
// and an empty SUPPORTDIR that searches nothing.
#include "setup/exec_plugins.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "framework/base/message.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "setup/plugin_block.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"

namespace {

// The 32-bit product's layout, byte for byte.
struct ProductLayout {
    uint32_t productName, emuName, simName, targetDir, doMessage, setupFolder;
    uint8_t language;
    uint32_t logPrintf;
} __attribute__((packed));
static_assert(sizeof(ProductLayout) == 29);
static_assert(offsetof(ProductLayout, setupFolder) == 20 && offsetof(ProductLayout, language) == 24 &&
              offsetof(ProductLayout, logPrintf) == 25);
static_assert(sizeof(void*) != 4 || (sizeof(PlugInBlock) == sizeof(ProductLayout) &&
                                     offsetof(PlugInBlock, emuName) == 4 && offsetof(PlugInBlock, simName) == 8 &&
                                     offsetof(PlugInBlock, targetDir) == 12 && offsetof(PlugInBlock, doMessage) == 16 &&
                                     offsetof(PlugInBlock, setupFolder) == 20 && offsetof(PlugInBlock, language) == 24 &&
                                     offsetof(PlugInBlock, logPrintf) == 25));

std::string BuiltFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    std::string folder(path);
    return folder.substr(0, folder.find_last_of('\\'));
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();  // the log is a text file
        lines.push_back(line);
    }
    return lines;
}

class PlugInCall : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.MakeDir("support");
        SetEnvironmentVariableA("VOQ_PLUGIN_RECORD", tree.Path("record.txt").c_str());
        state.product.name = "VOQ Test";
        state.product.emuName = "VOQ EMU";
        state.product.simName = "VOQ SIM";
        state.targetDir = "C:\\VOQ\\Test";
        state.programFolder = "D:\\package";
        state.supportDir = tree.Path("support");
    }
    void TearDown() override
    {
        SetSetupLog(nullptr);
        if (log_) fclose(log_);
        SetEnvironmentVariableA("VOQ_PLUGIN_RECORD", nullptr);
    }
    void Copy(const char* built, const char* name)
    {
        ASSERT_TRUE(CopyFileA((BuiltFolder() + "\\" + built).c_str(), tree.Path(std::string("support\\") + name).c_str(),
                              FALSE))
            << built;
    }
    void StartLog()
    {
        log_ = fopen(tree.Path("setup.log").c_str(), "wt");
        ASSERT_NE(log_, nullptr);
        SetSetupLog(log_);
    }
    std::string Log()
    {
        SetSetupLog(nullptr);
        fclose(log_);
        log_ = nullptr;
        return tree.Read("setup.log");
    }

    TempTree tree;
    SetupState state;
    FILE* log_ = nullptr;
};

TEST_F(PlugInCall, CallsEachEntryInNameOrderAndSkipsTheRestSilently)
{
    // A's copy is named in lower case: a sort with case would put it last.
    Copy("PlugInA.dll", "plugina.dll");
    Copy("PlugInB.dll", "PlugInB.dll");
    Copy("PlugInC.dll", "PlugInC.dll");
    Copy("PlugInD.dll", "PlugInD.dll");
    tree.Write("support\\Other.dll", "not a plug-in by name");
    StartLog();
    FwBoxRecorder boxes;
    EXPECT_EQ(ExecPlugIns(state, true), SETUP_RESULT_NEXT);

    const std::string a = tree.Path("support\\plugina.dll");
    const std::string b = tree.Path("support\\PlugInB.dll");
    EXPECT_EQ(Lines(Log()), (std::vector<std::string>{"Calling plugin: \"" + a + "\"", "PlugInA: writing for 'VOQ Test'",
                                                      "** Message **: PlugInA installed VOQ Test",
                                                      "Calling plugin: \"" + b + "\"", "PlugInB: writing for 'VOQ Test'",
                                                      "** Message **: PlugInB installed VOQ Test"}));
    // B sees the product name and language byte that A spoiled in its own
    // block: each call gets a fresh one.
    EXPECT_EQ(Lines(tree.Read("record.txt")),
              (std::vector<std::string>{"A|VOQ Test|VOQ EMU|VOQ SIM|C:\\VOQ\\Test|D:\\package|0",
                                        "B|VOQ Test|VOQ EMU|VOQ SIM|C:\\VOQ\\Test|D:\\package|0"}));
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].text, "PlugInA installed VOQ Test");
    EXPECT_EQ(boxes.Boxes()[1].text, "PlugInB installed VOQ Test");
    // Every library was freed.
    for (const char* name : {"plugina.dll", "PlugInB.dll", "PlugInC.dll"})
        EXPECT_EQ(GetModuleHandleA(tree.Path(std::string("support\\") + name).c_str()), nullptr) << name;
}

TEST_F(PlugInCall, TheLanguageByteFollowsTheSetupsLanguage)
{
    Copy("PlugInA.dll", "PlugInA.dll");
    state.language = SETUP_LANG_RUSSIAN;
    FwBoxRecorder boxes;
    EXPECT_EQ(ExecPlugIns(state, false), SETUP_RESULT_NEXT);
    EXPECT_EQ(Lines(tree.Read("record.txt")),
              std::vector<std::string>{"A|VOQ Test|VOQ EMU|VOQ SIM|C:\\VOQ\\Test|D:\\package|1"});
}

TEST_F(PlugInCall, LibrariesWithoutAnEntryAreFoundButNotCalled)
{
    Copy("PlugInC.dll", "PlugInC.dll");
    Copy("PlugInD.dll", "PlugInD.dll");
    StartLog();
    FwBoxRecorder boxes;
    EXPECT_EQ(ExecPlugIns(state, true), SETUP_RESULT_NEXT);
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(tree.Exists("record.txt"));
}

TEST_F(PlugInCall, NoPlugInOrNoSupportDirGivesEightWithoutALogLine)
{
    tree.Write("support\\setup.ini", "[Product]\n");
    StartLog();
    FwBoxRecorder boxes;
    EXPECT_EQ(ExecPlugIns(state, true), SETUP_RESULT_SKIPPED);

    // Without SUPPORTDIR nothing is searched, not even a plug-in in the
    // current folder.
    Copy("PlugInA.dll", "PlugInA.dll");
    char previous[MAX_PATH];
    GetCurrentDirectoryA(sizeof previous, previous);
    SetCurrentDirectoryA(tree.Path("support").c_str());
    state.supportDir.clear();
    EXPECT_TRUE(FindPlugIns(state).empty());
    EXPECT_EQ(ExecPlugIns(state, true), SETUP_RESULT_SKIPPED);
    SetCurrentDirectoryA(previous);
    EXPECT_EQ(Log(), "");
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_FALSE(tree.Exists("record.txt"));
}

}  // namespace
