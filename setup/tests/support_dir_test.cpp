// SUPPORTDIR: none without "SetupFiles.rar"; else a fresh folder in TEMP
// (or the fallback), unpacked, and removed with its tree; message 2005 when
// no folder can be made; an archive with a traversal name fails the step.
#include "setup/support_dir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "framework/base/message.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "setup/setup_state.h"
#include "setup/tests/support/test_package.h"
#include "sim/setup/rar4/rar4_writer.h"

namespace {

class SupportDir : public ::testing::Test {
protected:
    void SetUp() override
    {
        tree.MakeDir("pkg");
        tree.MakeDir("temp");
        tree.MakeDir("fallback");
        state.programFolder = tree.Path("pkg");
        state.tempDir = tree.Path("temp") + "\\";
    }
    void Package(const std::vector<rar4::WriterItem>& items, bool raw = false)
    {
        rar4::WriterOptions options;
        options.rawNames = raw;
        std::string error;
        ASSERT_TRUE(rar4::WriteArchiveFile(tree.Path("pkg\\SetupFiles.rar"), items, options, error)) << error;
    }
    std::string Logged(bool (*step)(SetupState&, const char*), const char* fallback, bool& result)
    {
        FILE* log = fopen(tree.Path("setup.log").c_str(), "wt");
        SetSetupLog(log);
        result = step(state, fallback);
        SetSetupLog(nullptr);
        fclose(log);
        return TextOf(tree.Read("setup.log"));
    }
    static bool Prepare(SetupState& s, const char* fallback) { return PrepareSupportDir(s, fallback); }

    TempTree tree;
    SetupState state;
};

TEST_F(SupportDir, WithoutTheArchiveThereIsNoneAndNothingIsLogged)
{
    FwBoxRecorder boxes;
    bool ok = false;
    EXPECT_EQ(Logged(&Prepare, tree.Path("fallback\\").c_str(), ok), "");
    EXPECT_TRUE(ok);
    EXPECT_TRUE(state.supportDir.empty());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SupportDir, AFreshFolderInTempHoldsTheUnpackedFilesUntilItIsRemoved)
{
    Package({{"setup.ini", "[Product]\nName=X\n", false}, {"lic\\license.txt", "text", false}});
    FwBoxRecorder boxes;
    bool ok = false;
    const std::string log = Logged(&Prepare, tree.Path("fallback\\").c_str(), ok);
    ASSERT_TRUE(ok);
    ASSERT_EQ(state.supportDir.rfind(tree.Path("temp") + "\\", 0), 0u) << state.supportDir;
    EXPECT_EQ(log.rfind("Unpacking setup files...\nSUPPORTDIR: '" + state.supportDir + "'\nOpening archive: '", 0), 0u)
        << log;
    const std::string folder = state.supportDir;
    FILE* f = fopen((folder + "\\lic\\license.txt").c_str(), "rb");
    ASSERT_NE(f, nullptr);
    fclose(f);

    RemoveSupportDir(state);
    EXPECT_TRUE(state.supportDir.empty());
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(SupportDir, ABadTempUsesTheFallbackAndNeitherGivesMessage2005)
{
    Package({{"setup.ini", "[Product]\n", false}});
    state.tempDir = tree.Path("missing") + "\\";
    FwBoxRecorder boxes;
    EXPECT_TRUE(PrepareSupportDir(state, (tree.Path("fallback") + "\\").c_str()));
    EXPECT_EQ(state.supportDir.rfind(tree.Path("fallback") + "\\", 0), 0u) << state.supportDir;
    RemoveSupportDir(state);

    EXPECT_FALSE(PrepareSupportDir(state, (tree.Path("missing too") + "\\").c_str()));
    EXPECT_TRUE(state.supportDir.empty());
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "Unable to create temporary folder, exiting");
}

TEST_F(SupportDir, ATraversalNameFailsTheStepAndTheFolderIsStillRemoved)
{
    Package({{"setup.ini", "[Product]\n", false}, {"..\\..\\escaped.txt", "x", false}}, true);
    FwBoxRecorder boxes;
    EXPECT_FALSE(PrepareSupportDir(state, tree.Path("fallback\\").c_str()));
    ASSERT_FALSE(state.supportDir.empty());
    EXPECT_FALSE(tree.Exists("escaped.txt"));
    EXPECT_FALSE(boxes.Boxes().empty());
    const std::string folder = state.supportDir;
    FILE* log = fopen(tree.Path("setup.log").c_str(), "wt");
    SetSetupLog(log);
    RemoveSupportDir(state);
    SetSetupLog(nullptr);
    fclose(log);
    EXPECT_EQ(TextOf(tree.Read("setup.log")), "Removing SUPPORTDIR: '" + folder + "'\n");
    EXPECT_EQ(GetFileAttributesA(folder.c_str()), INVALID_FILE_ATTRIBUTES);
}

}  // namespace
