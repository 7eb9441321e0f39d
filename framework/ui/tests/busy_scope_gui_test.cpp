// The busy scope: wait cursor, the wait box and its ticking caption.
#include <gtest/gtest.h>

#include <windows.h>

#include <ctime>

#include "framework/ui/busy_scope.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/wait_box.h"
#include "framework/window/tests/support/dialog_script.h"
#include "framework/window/window_text.h"

namespace {

TEST(BusyScope, WaitCursorOnlyAndTheOldCursorBack)
{
    HCURSOR arrow = LoadCursorA(nullptr, IDC_ARROW);
    SetCursor(arrow);
    {
        MSControl busy(0, BUSY_NO_BOX, true, 0, 0, "Working|\xD0\xE0\xE1\xEE\xF2\xE0");
        EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_WAIT));
        EXPECT_EQ(busy.Box(), nullptr);
        EXPECT_EQ(busy.Text(), "Working");
    }
    EXPECT_EQ(GetCursor(), arrow);
    MSControl quiet(0, BUSY_NO_BOX, false, 0, 0, "x");
    EXPECT_EQ(GetCursor(), arrow);
}

TEST(BusyScope, IconBoxShowsTheTextAndTheElapsedTime)
{
    HWND box = nullptr;
    {
        MSControl busy(103, BUSY_ICON_BOX, false, 0, 0, "Copying files\r\nsecond line");
        ASSERT_NE(busy.Box(), nullptr);
        box = busy.Box()->GetHandle();
        ASSERT_TRUE(IsWindow(box));
        EXPECT_TRUE(IsWindowVisible(box));
        EXPECT_EQ(GetItemText1251(box, BOX_CONTROL_TEXT), "Copying files\r\nsecond line");
        EXPECT_EQ(GetText1251(box), "Please wait...");
        busy.Box()->SetStartTime(time(nullptr) - 3725);
        busy.Box()->Tick();
        EXPECT_EQ(GetText1251(box), "Please wait... 01:02:05");
        // Two lines of text: the box is at least four text lines higher.
        RECT client{};
        GetClientRect(box, &client);
        EXPECT_GE(client.bottom, 64);
        SaveScreenshot(box, "wait_en");
    }
    EXPECT_FALSE(IsWindow(box));
}

TEST(BusyScope, TheCaptionFollowsTheLanguage)
{
    g_mlLanguage = 1;
    {
        MSControl busy(103, BUSY_ICON_BOX, false, 0, 0, "Copying|\xCA\xEE\xEF\xE8\xF0\xEE\xE2\xE0\xED\xE8\xE5");
        ASSERT_NE(busy.Box(), nullptr);
        busy.Box()->SetStartTime(time(nullptr) - 61);
        busy.Box()->Tick();
        EXPECT_EQ(GetText1251(busy.Box()->GetHandle()), "\xCF\xEE\xE6\xE0\xEB\xF3\xE9\xF1\xF2\xE0, \xEF\xEE\xE4\xEE\xE6\xE4\xE8\xF2\xE5... 00:01:01");
        SaveScreenshot(busy.Box()->GetHandle(), "wait_ru");
    }
    g_mlLanguage = 0;
}

TEST(BusyScope, EveryScopeTakesTheNextSequenceNumber)
{
    MSControl a(0, BUSY_NO_BOX, false, 0, 0, "a");
    MSControl b(0, BUSY_NO_BOX, false, 0, 0, "b");
    EXPECT_EQ(b.Sequence(), a.Sequence() + 1);
}

}  // namespace
