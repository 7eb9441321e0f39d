#include "sim/robot/tests/support/robot_test_dialog.h"

#include "sim/robot/text_1251.h"

namespace robot_test {

namespace {

constexpr UINT_PTR kSafetyTimer = 99;
UINT g_safetyMs = 20000;

INT_PTR CALLBACK Proc(HWND dialog, UINT msg, WPARAM wp, LPARAM lp)
{
    auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (msg) {
    case WM_INITDIALOG:
        SetWindowLongPtrW(dialog, DWLP_USER, lp);
        state = reinterpret_cast<DialogState*>(lp);
        if (!state->caption.empty()) SetWindowTextW(dialog, robot::Wide1251(state->caption).c_str());
        CheckDlgButton(dialog, kInstall, BST_CHECKED);
        SetTimer(dialog, kSafetyTimer, g_safetyMs, nullptr);
        return TRUE;
    case WM_TIMER:
        if (wp == kSafetyTimer) EndDialog(dialog, -2);
        return TRUE;
    case WM_CLOSE:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wp)) {
        case kInstall:
            EnableWindow(GetDlgItem(dialog, IDOK), IsDlgButtonChecked(dialog, kInstall) == BST_CHECKED);
            return TRUE;
        case kAsk:
            state->asked = MessageBoxW(dialog, L"Copy the files?", L"Robot Box", MB_OKCANCEL | MB_ICONQUESTION);
            return TRUE;
        case IDOK:
            state->folder = robot::GetText1251(GetDlgItem(dialog, kFolder));
            state->install = IsDlgButtonChecked(dialog, kInstall) == BST_CHECKED;
            EndDialog(dialog, IDOK);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        }
        break;
    }
    (void)lp;
    return FALSE;
}

}  // namespace

INT_PTR RunTestDialog(DialogState& state, UINT safetyMs)
{
    g_safetyMs = safetyMs;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kDialog), nullptr, &Proc,
                           reinterpret_cast<LPARAM>(&state));
}

}  // namespace robot_test
