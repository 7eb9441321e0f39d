// The installation step's progress window templates in both languages: the
// page frame's controls, the bar and the two status texts, with the buttons
// disabled.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "framework/window/tests/support/dialog_script.h"
#include "setup/setup_messages.h"

namespace {

INT_PTR CALLBACK Plain(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

TEST(ProgressDialog, BothTemplatesCarryTheControlsTheStepDrives)
{
    INITCOMMONCONTROLSEX init{sizeof init, ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&init);
    for (uint16_t id : {SETUP_DLG_PROGRESS, SETUP_DLG_PROGRESS_RUSSIAN}) {
        // The wide form keeps the template's UTF-16 texts as they are.
        HWND dialog = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(id), nullptr, Plain, 0);
        ASSERT_NE(dialog, nullptr) << id;
        for (uint16_t control : {SETUP_CTL_TITLE, SETUP_CTL_ANIMATION, SETUP_CTL_FILE_TEXT, SETUP_CTL_SPACE_TEXT}) {
            EXPECT_NE(GetDlgItem(dialog, control), nullptr) << id << " control " << control;
        }
        HWND bar = GetDlgItem(dialog, SETUP_CTL_PROGRESS_BAR);
        char cls[32] = "";
        GetClassNameA(bar, cls, sizeof cls);
        EXPECT_STREQ(cls, PROGRESS_CLASSA) << id;
        for (int button : {int(SETUP_CTL_BACK), int(SETUP_CTL_NEXT), IDCANCEL}) {
            ASSERT_NE(GetDlgItem(dialog, button), nullptr) << id << " button " << button;
            EXPECT_FALSE(IsWindowEnabled(GetDlgItem(dialog, button))) << id << " button " << button;
        }
        // The Russian template holds real Cyrillic letters, whatever the
        // system's code page.
        wchar_t caption[64] = L"";
        GetWindowTextW(dialog, caption, 64);
        EXPECT_STREQ(caption, id == SETUP_DLG_PROGRESS ? L"Installation" : L"\u0423\u0441\u0442\u0430\u043D\u043E\u0432\u043A\u0430");
        SendMessageA(bar, PBM_SETRANGE32, 0, 1000);
        SendMessageA(bar, PBM_SETPOS, 400, 0);
        SetDlgItemTextA(dialog, SETUP_CTL_FILE_TEXT, "C:\\Korvan\\Product\\1_00_00\\bin\\tool.exe");
        SetDlgItemTextA(dialog, SETUP_CTL_SPACE_TEXT, "Drive space used: 1,234,567 Bytes");
        ShowWindow(dialog, SW_SHOW);
        SaveScreenshot(dialog, id == SETUP_DLG_PROGRESS ? "setup_progress_template_en" : "setup_progress_template_ru");
        DestroyWindow(dialog);
    }
}

}  // namespace
