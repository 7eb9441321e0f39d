// The robot's script reader: the steps it takes and the lines it refuses.
#include <gtest/gtest.h>

#include "sim/robot/script.h"

namespace {

using robot::Op;
using robot::ParseScript;
using robot::Step;

TEST(RobotScript, ReadsEveryStepWithItsArguments)
{
    std::vector<Step> steps;
    std::string error;
    ASSERT_TRUE(ParseScript("# comment\r\n\n"
                            "window \"Korvan VOQ-TMS Setup\" class #32770 timeout 20000\r\n"
                            "  box 2 caption Error\n"
                            "type 20626 \"C:\\CCS 3\\\"\n"
                            "tick 102 0\n"
                            "check 101 2\n"
                            "enabled 0x1 1\n"
                            "text 21099 \"Korvan * Setup*\"\n"
                            "read 21100\nclick 1\nscreenshot dlg_setup\ngone timeout 500\nsleep 100",
                            steps, error))
        << error;
    ASSERT_EQ(steps.size(), 12u);
    EXPECT_EQ(steps[0].op, Op::Window);
    EXPECT_EQ(steps[0].line, 3);
    EXPECT_EQ(steps[0].text, "Korvan VOQ-TMS Setup");
    EXPECT_EQ(steps[0].className, "#32770");
    EXPECT_EQ(steps[0].timeoutMs, 20000u);
    EXPECT_EQ(steps[1].op, Op::Box);
    EXPECT_EQ(steps[1].id, 2);
    EXPECT_EQ(steps[1].text, "Error");
    EXPECT_EQ(steps[1].source, "box 2 caption Error");
    EXPECT_EQ(steps[2].text, "C:\\CCS 3\\");
    EXPECT_EQ(steps[2].id, 20626);
    EXPECT_EQ(steps[3].value, 0);
    EXPECT_EQ(steps[4].value, 2);
    EXPECT_EQ(steps[5].id, 1);
    EXPECT_EQ(steps[6].text, "Korvan * Setup*");
    EXPECT_EQ(steps[9].text, "dlg_setup");
    EXPECT_EQ(steps[10].op, Op::Gone);
    EXPECT_EQ(steps[10].timeoutMs, 500u);
    EXPECT_EQ(steps[11].op, Op::Sleep);
    EXPECT_EQ(steps[11].timeoutMs, 100u);
    EXPECT_EQ(steps[11].line, 14);
}

TEST(RobotScript, RefusesABadLineNamingIt)
{
    const struct {
        const char* script;
        const char* error;
    } cases[] = {
        {"click 1\npress 2", "line 2: unknown step 'press'"},
        {"click", "line 1: 'click' takes 1 argument(s)"},
        {"click one", "line 1: bad control id 'one'"},
        {"click 70000", "line 1: bad control id '70000'"},
        {"tick 300 yes", "line 1: bad state 'yes'"},
        {"tick 300 2", "line 1: bad state '2'"},
        {"window \"Setup", "line 1: unclosed quote"},
        {"window Setup colour red", "line 1: unexpected 'colour'"},
        {"window Setup timeout", "line 1: unexpected 'timeout'"},
        {"box 1 timeout -5", "line 1: bad timeout '-5'"},
        {"click 1 timeout 5", "line 1: unexpected 'timeout'"},
        {"sleep 60001", "line 1: bad sleep '60001' (0 to 60000 ms)"},
    };
    for (const auto& c : cases) {
        std::vector<Step> steps;
        std::string error;
        EXPECT_FALSE(ParseScript(c.script, steps, error)) << c.script;
        EXPECT_EQ(error, c.error) << c.script;
    }
}

}  // namespace
