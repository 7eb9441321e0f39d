// The driver library's message function: nothing is shown or logged.
#include "framework/ui/message.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "framework/base/sys_box.h"

namespace {

int g_shown = 0;
int CountingPresenter(const FwBoxRequest&)
{
    ++g_shown;
    return 7;
}

TEST(DriverMessage, ShowsAndLogsNothingAndReturnsZero)
{
    FwBoxPresenter previous = SetBoxPresenter(CountingPresenter);
    FILE* log = tmpfile();
    ASSERT_NE(log, nullptr);
    SetSetupLog(log);
    EXPECT_EQ(DoMessage("s", "text %d", 1), 0);
    EXPECT_EQ(ShowMessageById(7003, 1u, "x"), 0);
    EXPECT_EQ(DoMessage("x"), 0);
    EXPECT_EQ(g_shown, 0);
    EXPECT_EQ(ftell(log), 0);
    SetSetupLog(nullptr);
    fclose(log);
    SetBoxPresenter(previous);
}

}  // namespace
