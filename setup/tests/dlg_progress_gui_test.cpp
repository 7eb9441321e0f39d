// The installation's progress window: its frame, the bar over totals above
// 2 GiB, the status texts, and the English and Russian templates.
#include "setup/dlg_progress.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "framework/ui/ml_text.h"
#include "framework/ui/text_macros.h"
#include "framework/window/tests/support/dialog_script.h"
#include "framework/window/window_text.h"
#include "setup/archive_extract.h"
#include "setup/setup_messages.h"

namespace {

const TextMacro kMacros[] = {{"P", "VOQ Tools"}, {"V", "1.02.3"}, {nullptr, nullptr}};

class Progress : public ::testing::Test {
protected:
    void SetUp() override { SetTextMacros(kMacros); }
    void TearDown() override
    {
        SetTextMacros(nullptr);
        g_mlLanguage = 0;
    }
};

int BarPos(HWND dialog) { return static_cast<int>(SendDlgItemMessageA(dialog, SETUP_CTL_PROGRESS_BAR, PBM_GETPOS, 0, 0)); }
int BarMax(HWND dialog)
{
    return static_cast<int>(SendDlgItemMessageA(dialog, SETUP_CTL_PROGRESS_BAR, PBM_GETRANGE, FALSE, 0));
}

TEST_F(Progress, FrameButtonsAreDisabledAndTheBarFollowsTheBytesDone)
{
    DlgProgress window("VOQ Tools v. 1.02.3 Installation", 1000000);
    ASSERT_TRUE(window.Open());
    HWND dialog = window.GetHandle();
    EXPECT_EQ(GetText1251(dialog), "VOQ Tools v. 1.02.3 Installation");
    for (int id : {int{SETUP_CTL_NEXT}, int{SETUP_CTL_BACK}, IDCANCEL}) EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, id))) << id;
    EXPECT_EQ(BarMax(dialog), 1000000);
    ExtractProgress& progress = window;
    progress.AddBytes(250000);
    progress.AddBytes(250000);
    EXPECT_EQ(BarPos(dialog), 500000);
    progress.ShowStatus("C:\\VOQ\\bin\\voqmon.exe", DriveSpaceText(progress.BytesDone()).c_str());
    EXPECT_EQ(ItemText(dialog, SETUP_CTL_FILE_TEXT), "C:\\VOQ\\bin\\voqmon.exe");
    EXPECT_EQ(ItemText(dialog, SETUP_CTL_SPACE_TEXT), "Drive space used: 500,000 Bytes");
    SaveScreenshot(dialog, "dlg_progress_en");
    // Cancel does nothing while the files go in.
    Click(dialog, IDCANCEL);
    PumpPending();
    EXPECT_TRUE(IsWindow(dialog));
    // More than the total holds the bar at its end.
    progress.AddBytes(2000000);
    EXPECT_EQ(BarPos(dialog), 1000000);
    window.Close();
    EXPECT_FALSE(IsWindow(dialog));
}

TEST_F(Progress, TotalsAbove2GiBAreScaledIntoTheBarsRange)
{
    const uint64_t total = 6ull << 30;  // 6 GiB
    DlgProgress window("Setup", total);
    ASSERT_TRUE(window.Open());
    EXPECT_EQ(window.Shift(), 2u);
    EXPECT_GT(BarMax(window.GetHandle()), 0);
    EXPECT_EQ(static_cast<uint64_t>(BarMax(window.GetHandle())), total >> 2);
    ExtractProgress& progress = window;
    progress.AddBytes(total / 2);
    EXPECT_EQ(static_cast<uint64_t>(BarPos(window.GetHandle())), (total / 2) >> 2);
    window.Close();
}

TEST_F(Progress, RussianSetupUsesTheRussianTemplate)
{
    g_mlLanguage = 1;
    DlgProgress window("\323\361\362\340\355\356\342\352\340 VOQ Tools", 300);
    ASSERT_TRUE(window.Open());
    HWND dialog = window.GetHandle();
    EXPECT_EQ(window.GetResourceId(), SETUP_DLG_PROGRESS);
    // The Russian template's Cancel button reads "Отмена".
    EXPECT_EQ(ItemText(dialog, IDCANCEL), "\316\362\354\345\355\340");
    ExtractProgress& progress = window;
    progress.AddBytes(120);
    progress.ShowStatus("C:\\VOQ\\big.bin", DriveSpaceText(progress.BytesDone()).c_str());
    SaveScreenshot(dialog, "dlg_progress_ru");
    window.Close();
}

}  // namespace
