// The robot against a small dialog of its own: in-process from a timer in
// the dialog's thread, from a second thread, and out of process as
// robot.exe; failing steps and the watchdog end the run and close the dialog.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "sim/robot/robot.h"
#include "sim/robot/tests/support/robot_test_dialog.h"

namespace {

using robot_test::DialogState;
using robot_test::RunTestDialog;

// The whole way a user goes: reads, ticks (with the handler that follows a
// tick), a typed folder, a Windows box answered, OK.
const char* const kFullScript =
    "# the test dialog, start to end\n"
    "window \"Robot Test\" class #32770\n"
    "text 21099 \"Found at:\"\n"
    "check 300 1\n"
    "enabled 302 0\n"
    "tick 300 0\r\n"
    "enabled 1 0\n"
    "tick 300 1\n"
    "tick 300 1\n"
    "enabled 1 1\n"
    "type 20599 \"C:\\CCS 3\\cc\\bin\\..\\..\\\"\n"
    "read 20599\n"
    "click 500\n"
    "box 1 caption \"Robot Box\"\n"
    "screenshot robot_test_dialog\n"
    "click 1\n"
    "gone\n";

robot::RunnerOptions InProcess()
{
    robot::RunnerOptions options;
    options.processId = GetCurrentProcessId();
    options.watchdogMs = 15000;
    options.stepTimeoutMs = 3000;
    return options;
}

void ExpectFullRun(const DialogState& state, INT_PTR result)
{
    EXPECT_EQ(result, IDOK);
    EXPECT_EQ(state.folder, "C:\\CCS 3\\cc\\bin\\..\\..\\");
    EXPECT_TRUE(state.install);
    EXPECT_EQ(state.asked, IDOK);
}

std::string Folder(const std::string& path) { return path.substr(0, path.find_last_of("\\/") + 1); }

std::string ThisFolder()
{
    char exe[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, exe, sizeof exe);
    return Folder(exe);
}

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(Robot, DrivesADialogFromATimerInItsOwnThread)
{
    robot::Transcript transcript;
    robot::ScriptRunner runner(InProcess(), transcript);
    std::string error;
    ASSERT_TRUE(runner.Load(kFullScript, error)) << error;
    DialogState state;
    INT_PTR result;
    {
        robot::TimerDrive drive(runner);
        result = RunTestDialog(state);
        drive.Finish();
    }
    EXPECT_TRUE(runner.Passed()) << transcript.Joined();
    ExpectFullRun(state, result);
    ASSERT_EQ(runner.Boxes().size(), 1u);
    EXPECT_EQ(runner.Boxes()[0].caption, "Robot Box");
    EXPECT_EQ(runner.Boxes()[0].text, "Copy the files?");
    EXPECT_EQ(runner.Boxes()[0].button, IDOK);
    ASSERT_EQ(runner.Reads().size(), 1u);
    EXPECT_EQ(runner.Reads()[0].first, 20599);
    EXPECT_EQ(runner.Reads()[0].second, state.folder);
    const std::string all = transcript.Joined();
    EXPECT_NE(all.find("window \"Robot Test\" (#32770)\n"), std::string::npos) << all;
    EXPECT_NE(all.find("tick 300 1 (already)\n"), std::string::npos) << all;
    EXPECT_NE(all.find("box \"Robot Box\" \"Copy the files?\" -> 1\n"), std::string::npos) << all;
    EXPECT_EQ(transcript.Lines().back(), "passed");
}

TEST(Robot, DrivesADialogFromASecondThread)
{
    robot::Transcript transcript;
    robot::ScriptRunner runner(InProcess(), transcript);
    std::string error;
    ASSERT_TRUE(runner.Load(kFullScript, error)) << error;
    bool passed = false;
    std::thread second([&] { passed = robot::RunToEnd(runner); });
    DialogState state;
    const INT_PTR result = RunTestDialog(state);
    second.join();
    EXPECT_TRUE(passed) << transcript.Joined();
    ExpectFullRun(state, result);
}

// A caption in code page 1251 is matched byte for byte, whatever the
// robot's ANSI code page: "Установка *".
TEST(Robot, MatchesARussianCaptionInCodePage1251)
{
    const std::string russian = "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0 VOQ-TMS";
    robot::Transcript transcript;
    robot::ScriptRunner runner(InProcess(), transcript);
    std::string error;
    ASSERT_TRUE(runner.Load("window \"\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEA\xE0 *\"\nclick 2\ngone\n", error)) << error;
    DialogState state;
    state.caption = russian;
    INT_PTR result;
    {
        robot::TimerDrive drive(runner);
        result = RunTestDialog(state);
        drive.Finish();
    }
    EXPECT_TRUE(runner.Passed()) << transcript.Joined();
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_NE(transcript.Joined().find("window \"" + russian + "\""), std::string::npos);
}

// Each failing step: the transcript names its line and why, the run fails,
// and the dialog the run took is closed rather than left waiting.
TEST(Robot, AFailingStepNamesItsLineAndClosesTheDialog)
{
    struct Case {
        const char* step;
        const char* why;
        DWORD watchdogMs;
    };
    const Case cases[] = {
        {"click 302", "line 2 (click 302): control 302 is disabled", 15000},
        {"click 777", "line 2 (click 777): no control 777", 15000},
        {"check 300 0", "line 2 (check 300 0): check box 300 reads 1", 15000},
        {"text 21099 Other*", "line 2 (text 21099 Other*): control 21099 reads \"Found at:\"", 15000},
        {"enabled 1 0", "line 2 (enabled 1 0): control 1 is enabled", 15000},
        {"window Nobody timeout 300", "line 2 (window Nobody timeout 300): no window \"Nobody\" within 300 ms", 15000},
        {"box 1 timeout 300", "line 2 (box 1 timeout 300): no message box within 300 ms", 15000},
        {"sleep 5000", "line 2 (sleep 5000): watchdog: the run took longer than 700 ms", 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.step);
        robot::RunnerOptions options = InProcess();
        options.watchdogMs = c.watchdogMs;
        robot::Transcript transcript;
        robot::ScriptRunner runner(options, transcript);
        std::string error;
        ASSERT_TRUE(runner.Load(std::string("window \"Robot Test\"\n") + c.step + "\nclick 1\n", error)) << error;
        DialogState state;
        const DWORD start = GetTickCount();
        INT_PTR result;
        {
            robot::TimerDrive drive(runner);
            result = RunTestDialog(state);
        }
        EXPECT_TRUE(runner.Finished());
        EXPECT_FALSE(runner.Passed());
        EXPECT_EQ(result, IDCANCEL) << "closed by the robot, not by the test's safety bound";
        EXPECT_LT(GetTickCount() - start, 10000u);
        const auto& lines = transcript.Lines();
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[lines.size() - 2], std::string("FAIL ") + c.why);
        EXPECT_EQ(lines.back(), "failed");
    }
}

// The dialog's group box has the id -1, which is the Windows box's text id:
// the dialog is still no message box, and is not answered as one.
TEST(Robot, ADialogWithAGroupBoxOfIdMinusOneIsNoMessageBox)
{
    robot::Transcript transcript;
    robot::ScriptRunner runner(InProcess(), transcript);
    std::string error;
    ASSERT_TRUE(runner.Load("box 1 timeout 500\n", error)) << error;
    DialogState state;
    INT_PTR result;
    {
        robot::TimerDrive drive(runner);
        result = RunTestDialog(state, 2000);
    }
    EXPECT_EQ(result, -2) << "left to the dialog's own safety bound";
    EXPECT_FALSE(runner.Passed());
    EXPECT_TRUE(runner.Boxes().empty());
    EXPECT_EQ(transcript.Lines().front(), "FAIL line 1 (box 1 timeout 500): no message box within 500 ms");
}

// robot.exe beside the program: every send crosses a process; a click that
// opens a modal box does not hold it.
TEST(Robot, RobotExeDrivesTheDialogOfAnotherProcess)
{
    const std::string dir = ThisFolder();
    const std::string script = dir + "robot_test_script.txt";
    const std::string record = dir + "robot_test_transcript.txt";
    {
        std::ofstream out(script, std::ios::binary);
        out << kFullScript;
    }
    DeleteFileA(record.c_str());
    std::string command = "\"" + dir + "robot.exe\" --transcript \"" + record + "\" --watchdog 20000 \"" + script + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        << command;
    DialogState state;
    const INT_PTR result = RunTestDialog(state);
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    const std::string all = ReadAll(record);
    EXPECT_EQ(code, 0u) << all;
    ExpectFullRun(state, result);
    EXPECT_NE(all.find("box \"Robot Box\" \"Copy the files?\" -> 1\n"), std::string::npos) << all;
    EXPECT_NE(all.find("passed\n"), std::string::npos) << all;
}

TEST(Robot, RobotExeRefusesABadScriptWithTwo)
{
    const std::string dir = ThisFolder();
    const std::string script = dir + "robot_bad_script.txt";
    {
        std::ofstream out(script, std::ios::binary);
        out << "window \"Robot Test\"\nclick\n";
    }
    std::string command = "\"" + dir + "robot.exe\" \"" + script + "\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    ASSERT_EQ(WaitForSingleObject(pi.hProcess, 30000), WAIT_OBJECT_0);
    DWORD code = 99;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    EXPECT_EQ(code, 2u);
}

}  // namespace
