#include "setup/dlg_progress.h"

#include <commctrl.h>

#include "framework/ui/text_macros.h"
#include "framework/window/window_text.h"
#include "setup/setup_messages.h"

DlgProgress::DlgProgress(const char* caption, uint64_t total)
    : SDialog(nullptr, SETUP_DLG_PROGRESS), caption_(caption ? caption : ""), total_(total)
{
    while ((total_ >> shift_) > 0x7FFFFFFFull) ++shift_;
}

bool DlgProgress::Open()
{
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_PROGRESS_CLASS | ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&controls);
    if (!CreateModeless()) return false;
    Pump();
    return true;
}

void DlgProgress::Close()
{
    if (GetHandle()) CloseWindow(IDCANCEL);
}

void DlgProgress::SetupWindow()
{
    SDialog::SetupWindow();
    HWND dialog = GetHandle();
    if (!caption_.empty()) SetText1251(dialog, caption_.c_str());
    // The page title may name the product: "$P" and "$V" are expanded.
    char title[1024];
    ExpandTextMacros(title, GetItemText1251(dialog, SETUP_CTL_TITLE).c_str(), sizeof title);
    SetItemText1251(dialog, SETUP_CTL_TITLE, title);
    for (const int id : {int{SETUP_CTL_NEXT}, int{SETUP_CTL_BACK}, IDCANCEL})
        if (HWND button = GetDlgItem(dialog, id)) ::EnableWindow(button, FALSE);
    SendDlgItemMessageA(dialog, SETUP_CTL_PROGRESS_BAR, PBM_SETRANGE32, 0, static_cast<LPARAM>(total_ >> shift_));
    SendDlgItemMessageA(dialog, SETUP_CTL_PROGRESS_BAR, PBM_SETPOS, 0, 0);
}

void DlgProgress::SetBytesDone(uint64_t done)
{
    if (!GetHandle()) return;
    if (done > total_) done = total_;
    SendDlgItemMessageA(GetHandle(), SETUP_CTL_PROGRESS_BAR, PBM_SETPOS, static_cast<WPARAM>(done >> shift_), 0);
}

void DlgProgress::ShowStatus(const char* fileText, const char* spaceText)
{
    if (!GetHandle()) return;
    SetItemText1251(GetHandle(), SETUP_CTL_FILE_TEXT, fileText ? fileText : "");
    SetItemText1251(GetHandle(), SETUP_CTL_SPACE_TEXT, spaceText ? spaceText : "");
    Pump();
    Sleep(0);
}

void DlgProgress::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (GetHandle() && IsDialogMessageA(GetHandle(), &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
