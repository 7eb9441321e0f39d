#include "framework/base/process.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/base/hooks.h"
#include "framework/base/sys_box_recorder.h"

namespace {

int g_idleCalls = 0;
void CountIdle(uint32_t) { ++g_idleCalls; }

std::string g_trace;
void CaptureSink(const char* format, va_list args)
{
    char buffer[1024];
    vsnprintf(buffer, sizeof buffer, format, args);
    g_trace += buffer;
}

std::string SelfPath()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Started by the tests below as a child: sleeps, then exits with a code.
TEST(ProcessChild, SleepsThenExits)
{
    const char* mode = getenv("VOQ_PROCESS_CHILD");
    if (!mode) GTEST_SKIP() << "runs only as the child of ExecProcess tests";
    Sleep(800);
    ExitProcess(static_cast<UINT>(atoi(mode)));
}

class Process : public ::testing::Test {
protected:
    void TearDown() override { FwResetHooksAndSettings(); }
};

TEST_F(Process, WaitsForChildCallsIdleAndReturnsExitCode)
{
    SetEnvironmentVariableA("VOQ_PROCESS_CHILD", "7");
    g_fwHooks.idle = CountIdle;
    g_fwHooks.traceSink = CaptureSink;
    g_fwSettings.traceProcess = 1;
    std::string command = "\"" + SelfPath() + "\" --gtest_filter=ProcessChild.*";
    uint32_t code = 0;
    FwBoxRecorder boxes;
    EXPECT_TRUE(ExecProcess(&code, SW_HIDE, nullptr, command.c_str()));
    SetEnvironmentVariableA("VOQ_PROCESS_CHILD", nullptr);
    EXPECT_EQ(code, 7u);
    EXPECT_GE(g_idleCalls, 1);  // 800 ms is more than one 330 ms slice
    EXPECT_TRUE(boxes.Boxes().empty());
    EXPECT_NE(g_trace.find("ExecProcess:\n Exe: \"" + command + "\"\n Dir: \"\"\n"), std::string::npos) << g_trace;
    EXPECT_NE(g_trace.find(" Exit Code: 7\n"), std::string::npos);
}

TEST_F(Process, MissingProgramShowsOneErrorBoxAndFails)
{
    FwBoxRecorder boxes;
    uint32_t code = 99;
    EXPECT_FALSE(ExecProcess(&code, SW_HIDE, nullptr, "no_such_program_voq.exe"));
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    const std::string& text = boxes.Boxes()[0].text;
    EXPECT_EQ(text.rfind("Failed to start application 'no_such_program_voq.exe': ", 0), 0u) << text;
    EXPECT_GT(text.size(), sizeof("Failed to start application 'no_such_program_voq.exe': ") - 1);
    EXPECT_EQ(boxes.Boxes()[0].style & MB_ICONMASK, static_cast<uint32_t>(MB_ICONERROR));
    EXPECT_EQ(code, 99u);
}

TEST_F(Process, NoTraceWhileTheProcessFlagIsClear)
{
    g_fwHooks.traceSink = CaptureSink;
    g_trace.clear();
    FwBoxRecorder boxes;
    ExecProcess(nullptr, SW_HIDE, nullptr, "no_such_program_voq.exe");
    EXPECT_EQ(g_trace, "");
}

}  // namespace
