// The setup's command line: options by prefix and without case, /B made
// absolute and bounded, and response files (missing, nested, naming
// themselves, CR/LF, empty and over-long lines).
#include "setup/command_line.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/base/sys_box_recorder.h"
#include "framework/base/tests/support/temp_tree.h"
#include "setup/setup_state.h"

namespace {

struct Outcome {
    bool ok;
    bool unattended;
    bool logging;
    std::string targetDir;
    std::vector<std::string> boxes;
};

Outcome Handle(std::vector<std::string> arguments)
{
    arguments.insert(arguments.begin(), "Rigger.exe");
    std::vector<char*> argv;
    for (std::string& a : arguments) argv.push_back(a.data());
    SetupState state;
    FwBoxRecorder boxes;
    Outcome out;
    out.ok = HandleArguments(state, static_cast<int>(argv.size()), argv.data());
    out.unattended = state.unattended;
    out.logging = state.logging;
    out.targetDir = state.targetDirGiven ? state.targetDir : "<none>";
    EXPECT_EQ(state.targetDirGiven, !state.targetDir.empty());
    for (const FwRecordedBox& box : boxes.Boxes()) out.boxes.push_back(box.text);
    return out;
}

std::string CurrentFolder()
{
    char folder[MAX_PATH];
    GetCurrentDirectoryA(sizeof folder, folder);
    return folder;
}

TEST(CommandLine, OptionsMatchByPrefixWithoutCase)
{
    const std::string cwd = CurrentFolder();
    const std::string cwdSub = cwd + (cwd.back() == '\\' ? "" : "\\") + "sub";
    struct Case {
        const char* argument;
        bool ok, unattended, logging;
        std::string targetDir;
        std::string box;
    };
    const Case cases[] = {
        {"/Y", true, true, false, "<none>", ""},
        {"-y", true, true, false, "<none>", ""},
        {"/YL", true, true, false, "<none>", ""},  // the L is the rest of the Y option
        {"/L", true, false, true, "<none>", ""},
        {"-l", true, false, true, "<none>", ""},
        {"/BC:\\x", true, false, false, "C:\\x", ""},
        {"/bC:\\x", true, false, false, "C:\\x", ""},
        {"/BC:\\x\\", true, false, false, "C:\\x", ""},
        {"/BC:\\x/", true, false, false, "C:\\x", ""},
        {"/BC:\\", true, false, false, "C:\\", ""},
        {"/BC:\\a\\..\\b", true, false, false, "C:\\b", ""},
        {"/Bsub", true, false, false, cwdSub, ""},
        {"/B", false, false, false, "<none>",
         "The destination folder of '/B' is empty, too long or not a valid path"},
        {"/Q", false, false, false, "<none>", "Unknown command line option: '/Q'"},
        {"/", false, false, false, "<none>", "Unknown command line option: '/'"},
        {"x", false, false, false, "<none>", "Invalid command line: 'x', slash or dash expected"},
        {"@", false, false, false, "<none>", "Unable to open response file \"\""},
    };
    for (const Case& c : cases) {
        const Outcome out = Handle({c.argument});
        EXPECT_EQ(out.ok, c.ok) << c.argument;
        EXPECT_EQ(out.unattended, c.unattended) << c.argument;
        EXPECT_EQ(out.logging, c.logging) << c.argument;
        EXPECT_EQ(out.targetDir, c.targetDir) << c.argument;
        EXPECT_EQ(out.boxes, c.box.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.box})
            << c.argument;
    }
}

TEST(CommandLine, ArgumentsAreSeparateAndTheFirstFailureStops)
{
    Outcome out = Handle({"/Y", "/L", "/BD:\\voq"});
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.unattended);
    EXPECT_TRUE(out.logging);
    EXPECT_EQ(out.targetDir, "D:\\voq");

    out = Handle({"/Q", "/Y", "bare"});
    EXPECT_FALSE(out.ok);
    EXPECT_FALSE(out.unattended);
    EXPECT_EQ(out.boxes, std::vector<std::string>{"Unknown command line option: '/Q'"});
}

TEST(CommandLine, ATargetFolderTooLongIsRefusedNeverCut)
{
    const std::string fits = "C:\\" + std::string(240, 'a');
    Outcome out = Handle({"/B" + fits});
    EXPECT_TRUE(out.ok);
    EXPECT_EQ(out.targetDir, fits);

    const std::string over = "C:\\" + std::string(kTargetDirMax - 2, 'b');
    out = Handle({"/B" + over});
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.targetDir, "<none>");
    ASSERT_EQ(out.boxes.size(), 1u);

    // Short as given, too long once made absolute.
    std::string dummy;
    EXPECT_FALSE(AbsoluteTargetDir(std::string(kTargetDirMax - 1, 'r').c_str(), dummy));
}

class ResponseFiles : public ::testing::Test {
protected:
    std::string File(const char* name, const std::string& text)
    {
        tree.Write(name, text);
        return "@" + tree.Path(name);
    }
    TempTree tree;
};

TEST_F(ResponseFiles, LinesAreArgumentsWithoutLineEndsBlanksOrEmptyLines)
{
    const std::string file = File("args.rsp", "/Y\r\n\r\n   \r\n/BC:\\dir\\sub  \t\r\n\n/L");
    const Outcome out = Handle({file});
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.unattended);
    EXPECT_TRUE(out.logging);
    EXPECT_EQ(out.targetDir, "C:\\dir\\sub");
    EXPECT_TRUE(out.boxes.empty());
}

TEST_F(ResponseFiles, NestedFilesAreReadInPlace)
{
    const std::string inner = File("inner.rsp", "/BC:\\inner\n");
    const std::string outer = File("outer.rsp", "/Y\n" + inner + "\n/L\n");
    const Outcome out = Handle({outer});
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.unattended);
    EXPECT_TRUE(out.logging);
    EXPECT_EQ(out.targetDir, "C:\\inner");
}

TEST_F(ResponseFiles, AFileNamingItselfOrACycleIsAStartFailure)
{
    const std::string self = "@" + tree.Path("self.rsp");
    tree.Write("self.rsp", "/Y\n" + self + "\n");
    Outcome out = Handle({self});
    EXPECT_FALSE(out.ok);
    ASSERT_EQ(out.boxes.size(), 1u);
    EXPECT_EQ(out.boxes[0], "Response file \"" + tree.Path("self.rsp") +
                                "\" is nested too deep (a file that names itself?)");

    tree.Write("a.rsp", "@" + tree.Path("b.rsp") + "\n");
    tree.Write("b.rsp", "@" + tree.Path("a.rsp") + "\n");
    out = Handle({"@" + tree.Path("a.rsp")});
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.boxes.size(), 1u);

    // Sixteen levels are allowed: a chain of that depth is read to its end.
    for (int level = 0; level < kResponseFileDepth; ++level) {
        const std::string next = level + 1 < kResponseFileDepth
                                     ? "@" + tree.Path("chain" + std::to_string(level + 1) + ".rsp")
                                     : std::string("/Y");
        tree.Write("chain" + std::to_string(level) + ".rsp", next + "\n");
    }
    out = Handle({"@" + tree.Path("chain0.rsp")});
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.unattended);
}

TEST_F(ResponseFiles, MissingFilesBadLinesAndOverlongLinesFail)
{
    Outcome out = Handle({"@" + tree.Path("missing.rsp")});
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.boxes, std::vector<std::string>{"Unable to open response file \"" + tree.Path("missing.rsp") + "\""});

    out = Handle({File("bare.rsp", "/Y\nbare word\n")});
    EXPECT_FALSE(out.ok);
    EXPECT_EQ(out.boxes, std::vector<std::string>{"Invalid command line: 'bare word', slash or dash expected"});

    // A line of 519 characters is read whole (the Y option ignores the
    // rest of its argument); one more is refused rather than split into two
    // arguments.
    const std::string fits = "/Y" + std::string(kTargetDirMax - 2, 'y');
    out = Handle({File("fits.rsp", fits + "   \r\n")});
    EXPECT_TRUE(out.ok);
    EXPECT_TRUE(out.unattended);
    out = Handle({File("long.rsp", "/L\n" + fits + "g\n/BC:\\x\n")});
    EXPECT_FALSE(out.ok);
    EXPECT_FALSE(out.unattended);
    EXPECT_EQ(out.targetDir, "<none>");
    EXPECT_EQ(out.boxes, std::vector<std::string>{"A line of response file \"" + tree.Path("long.rsp") +
                                                  "\" is too long"});
}

}  // namespace
