// The setup's busy indicator: the clock animation from "..\STARTUP" beside
// the program when it is there, else the built-in one.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "framework/base/tests/support/temp_tree.h"
#include "framework/ui/wait_box.h"
#include "framework/window/tests/support/dialog_script.h"
#include "setup/setup_busy.h"
#include "setup/setup_state.h"

namespace {

HWND AnimationOf(const SMSControl& busy)
{
    if (!busy.Scope().Box()) return nullptr;
    return FindWindowExA(busy.Scope().Box()->GetHandle(), nullptr, ANIMATE_CLASSA, nullptr);
}

// An animation control without ACS_CENTER takes the size of the clip it
// opened: 32 x 32 for the clock; one that opened nothing keeps its own.
bool Opened(HWND animation)
{
    RECT r{};
    if (!animation || !GetClientRect(animation, &r)) return false;
    return r.right == 32 && r.bottom == 32;
}

TEST(SetupBusy, TheClockFileBesideTheProgramIsFoundOnlyWhenItIsAFile)
{
    TempTree tree;
    tree.MakeDir("Disk1");
    tree.MakeDir("STARTUP");
    EXPECT_EQ(ClockAnimationFile(tree.Path("Disk1")), "");
    tree.MakeDir("STARTUP\\clock.avi");
    EXPECT_EQ(ClockAnimationFile(tree.Path("Disk1")), "") << "a folder of that name";
    RemoveDirectoryA(tree.Path("STARTUP\\clock.avi").c_str());
    tree.Write("STARTUP\\clock.avi", "RIFF");
    EXPECT_EQ(ClockAnimationFile(tree.Path("Disk1")), tree.Path("Disk1\\..\\STARTUP\\clock.avi"));
}

TEST(SetupBusy, PlaysTheBuiltInClockOrTheFileBesideTheProgram)
{
    TempTree tree;
    tree.MakeDir("Disk1");
    tree.MakeDir("STARTUP");
    SetupState state;
    state.programFolder = tree.Path("Disk1");
    {
        SMSControl busy(state, "Updating the registry...|\xCE\xE1\xED\xEE\xE2\xEB\xE5\xED\xE8\xE5 \xF0\xE5\xE5\xF1\xF2\xF0\xE0...");
        ASSERT_NE(busy.Scope().Box(), nullptr);
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
        EXPECT_TRUE(Opened(AnimationOf(busy))) << "resource 22283";
        SaveScreenshot(busy.Scope().Box()->GetHandle(), "setup_busy_clock");
    }
    // The file is taken in place of the resource: one that is no animation
    // opens nothing, our own clock opens.
    tree.Write("STARTUP\\clock.avi", "not an animation");
    {
        SMSControl busy(state, "x");
        EXPECT_FALSE(Opened(AnimationOf(busy)));
    }
    tree.Write("STARTUP\\clock.avi", ReadFileBytes(VOQ_TEST_DATA_DIR "/../../res/clock.avi"));
    {
        SMSControl busy(state, "x");
        EXPECT_TRUE(Opened(AnimationOf(busy)));
    }
}

}  // namespace
