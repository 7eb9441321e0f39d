// The runner of the setup-function table, with scripted functions: Back to
// the nearest earlier function that went forward, Back with none goes
// forward, /Y records 8 for the marked functions (never "first"), 2 stops,
// a re-run overwrites its result; and the log lines of each call.
#include "setup/setup_table.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "framework/base/message.h"
#include "framework/base/tests/support/temp_tree.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"
#include "setup/tests/support/test_package.h"

namespace {

// Each scripted function answers from its own queue (8 once it is empty)
// and records its call with the first-page flag.
std::map<std::string, std::deque<int>> g_script;
std::vector<std::string> g_calls;

template <char Name>
int Scripted(SetupState&, bool firstPage)
{
    const std::string name(1, Name);
    g_calls.push_back(name + (firstPage ? "*" : ""));
    std::deque<int>& answers = g_script[name];
    if (answers.empty()) return SETUP_RESULT_SKIPPED;
    const int answer = answers.front();
    answers.pop_front();
    return answer;
}

SetupTable Table(const char* skippedUnderY = "")
{
    SetupTable table = {{&Scripted<'a'>, -1, 0, "a"}, {&Scripted<'b'>, -1, 0, "b"}, {&Scripted<'c'>, -1, 0, "c"},
                        {&Scripted<'d'>, -1, 0, "d"}, {nullptr, -1, 0, nullptr}};
    for (SetupStep& step : table)
        if (step.name && std::string(skippedUnderY).find(step.name) != std::string::npos) step.skippedUnattended = 1;
    return table;
}

std::vector<int> Results(const SetupTable& table)
{
    std::vector<int> results;
    for (const SetupStep& step : table)
        if (step.function) results.push_back(step.result);
    return results;
}

class Runner : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_script.clear();
        g_calls.clear();
    }
    SetupState state;
};

TEST_F(Runner, BackReturnsToTheNearestEarlierFunctionThatWentForward)
{
    // a goes forward, b is skipped, c goes back: a again (first page), then
    // forward to b and c, c forward this time, d ends.
    g_script = {{"a", {1, 1}}, {"b", {8, 8}}, {"c", {518, 1}}, {"d", {1}}};
    SetupTable table = Table();
    EXPECT_TRUE(RunSetupTable(state, table));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a*", "b", "c", "a*", "b", "c", "d"}));
    EXPECT_EQ(Results(table), (std::vector<int>{1, 8, 1, 1}));
}

TEST_F(Runner, BackWithNothingEarlierGoesForwardAndARerunOverwritesItsResult)
{
    // b goes back with no earlier 1 (a skipped): on to c, still a first
    // page.
    g_script = {{"a", {8}}, {"b", {518}}, {"c", {1, 1}}, {"d", {518, 1}}};
    SetupTable table = Table();
    EXPECT_TRUE(RunSetupTable(state, table));
    // d's Back reruns c (the nearest 1), c forward again, d forward.
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a*", "b*", "c*", "d", "c*", "d"}));
    EXPECT_EQ(Results(table), (std::vector<int>{8, 518, 1, 1}));

    // A function that went forward and later answers Back no longer counts.
    g_calls.clear();
    g_script = {{"a", {1, 1}}, {"b", {1, 518}}, {"c", {518, 1}}, {"d", {1}}};
    table = Table();
    EXPECT_TRUE(RunSetupTable(state, table));
    // c back to b; b now answers Back: back to a; then forward again.
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a*", "b", "c", "b", "a*", "b", "c", "d"}));
    EXPECT_EQ(Results(table), (std::vector<int>{1, 8, 1, 1}));
}

TEST_F(Runner, CancelStopsAtOnce)
{
    g_script = {{"a", {1}}, {"b", {2}}, {"c", {1}}};
    SetupTable table = Table();
    EXPECT_FALSE(RunSetupTable(state, table));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a*", "b"}));
    EXPECT_EQ(Results(table), (std::vector<int>{1, 2, -1, -1}));
}

TEST_F(Runner, UnattendedSkipsTheMarkedFunctionsAsEightThatNeverCountAsFirst)
{
    g_script = {{"a", {1}}, {"b", {1}}, {"c", {518}}, {"d", {1}}};
    state.unattended = true;
    SetupTable table = Table("ab");
    EXPECT_TRUE(RunSetupTable(state, table));
    // a and b are not called; c still sees a first page, its Back finds no
    // earlier 1 and goes on.
    EXPECT_EQ(g_calls, (std::vector<std::string>{"c*", "d*"}));
    EXPECT_EQ(Results(table), (std::vector<int>{8, 8, 518, 1}));

    // Without /Y the marks do nothing.
    g_calls.clear();
    g_script = {{"a", {1}}, {"b", {1}}};
    state.unattended = false;
    table = Table("ab");
    EXPECT_TRUE(RunSetupTable(state, table));
    EXPECT_EQ(g_calls, (std::vector<std::string>{"a*", "b", "c", "d"}));
}

TEST_F(Runner, EachCallAndSkipIsLogged)
{
    TempTree tree;
    FILE* log = fopen(tree.Path("setup.log").c_str(), "wt");
    ASSERT_NE(log, nullptr);
    SetSetupLog(log);
    g_script = {{"a", {1}}, {"b", {2}}};
    state.unattended = true;
    SetupTable table = Table("a");
    EXPECT_FALSE(RunSetupTable(state, table));
    SetSetupLog(nullptr);
    fclose(log);
    EXPECT_EQ(TextOf(tree.Read("setup.log")),
              "Skipping setup function 'a' because of /Y option\n"
              "Calling setup function 'b'...\n"
              "Setup function 'b' returned 2\n");
}

}  // namespace
