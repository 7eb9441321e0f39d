#include "framework/ui/error_box.h"

#include <algorithm>
#include <cstdio>

#include "framework/base/hooks.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "framework/ui/wait_box.h"
#include "framework/window/application.h"
#include "framework/window/window_text.h"

namespace {
constexpr int kIconArea = 64;
constexpr uint16_t kIconInformation = 103;
}  // namespace

ErrorBox::ErrorBox(uint16_t iconId, const char* title, const char* text, uint16_t messageId)
    : SDialog(nullptr, ERRORBOX_TEMPLATE), iconId_(iconId), title_(title ? title : ""), text_(text ? text : ""),
      messageId_(messageId)
{
    SetContextHelp(false);
}

void ErrorBox::SetupWindow()
{
    SDialog::SetupWindow();
    HWND dialog = GetHandle();
    ModifyExStyle(0, WS_EX_CLIENTEDGE, true);
    SetItemText1251(dialog, IDOK, GetMLText("Close|\xC7\xE0\xEA\xF0\xFB\xF2\xFC"));
    SetItemText1251(dialog, ERRORBOX_HELP_BUTTON, GetMLText("Help|\xD1\xEF\xF0\xE0\xE2\xEA\xE0"));
    HWND textControl = GetDlgItem(dialog, BOX_CONTROL_TEXT);
    HWND close = GetDlgItem(dialog, IDOK);
    HWND help = GetDlgItem(dialog, ERRORBOX_HELP_BUTTON);
    RECT button{};
    if (close) ::GetWindowRect(close, &button);
    const int bw = button.right - button.left;
    const int bh = button.bottom - button.top;

    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(textControl ? textControl : dialog, WM_GETFONT, 0, 0));
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int h = tm.tmHeight;
    RECT text{0, 0, std::max(GetSystemMetrics(SM_CXFULLSCREEN) / 2, 2 * bw), 100};
    std::wstring wide = Wide1251(text_.c_str());
    DrawTextExW(dc, wide.data(), -1, &text, DT_WORDBREAK | DT_CALCRECT | DT_NOPREFIX, nullptr);
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    const int tw = text.right - text.left;
    int th = text.bottom - text.top;

    int clientW = std::max(tw + 4 * h + kIconArea, kIconArea + 3 * bw);
    int clientH = th + 6 * h + bh;
    // A very long text would make the box taller than the screen: the box
    // keeps to the work area (Enter and Escape still close it).
    RECT work{};
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT frame{0, 0, clientW, clientH};
    const DWORD style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
    AdjustWindowRectEx(&frame, style, FALSE, exStyle);
    const int extraH = (frame.bottom - frame.top) - clientH;
    if (frame.bottom - frame.top > work.bottom - work.top && work.bottom > work.top) {
        clientH = (work.bottom - work.top) - extraH;
        th = std::max(h, clientH - 6 * h - bh);
        frame.bottom = frame.top + clientH + extraH;
    }
    ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterOnScreen(dialog);

    if (HWND panel = GetDlgItem(dialog, BOX_CONTROL_PANEL))
        ::SetWindowPos(panel, nullptr, kIconArea, 2, clientW - 66, clientH - 4, SWP_NOZORDER | SWP_NOACTIVATE);
    const int textX = 2 * h + kIconArea;
    if (textControl) {
        ::SetWindowPos(textControl, nullptr, textX, 2 * h, tw, th, SWP_NOZORDER | SWP_NOACTIVATE);
        SetText1251(textControl, text_.c_str());
    }
    if (HWND box = GetDlgItem(dialog, BOX_CONTROL_FRAME))
        ::SetWindowPos(box, nullptr, textX - h / 2, 2 * h - h / 2, tw + h, th + h, SWP_NOZORDER | SWP_NOACTIVATE);
    // Both buttons in one row: the room left of the width in three equal gaps.
    const int gap = std::max(0, (clientW - kIconArea - 2 * bw) / 3);
    const int y = 2 * h + th + 2 * h;
    if (close) ::SetWindowPos(close, nullptr, kIconArea + gap, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (help) {
        ::SetWindowPos(help, nullptr, kIconArea + 2 * gap + bw, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        // Help opens the message's topic; a box without a message id has none.
        ::EnableWindow(help, messageId_ != 0);
    }
    const char* program = g_fwHooks.caption ? g_fwHooks.caption() : "";
    char caption[1024];
    snprintf(caption, sizeof caption, "[%s]  %s", program ? program : "", title_.c_str());
    SetWindowText(caption);

    Module icons(ResourceModuleFor(RT_ICON, iconId_));
    icon_ = icons.LoadIcon(iconId_, 32);
    if (!icon_) icon_ = LoadIconA(nullptr, iconId_ == kIconInformation ? IDI_INFORMATION : IDI_ERROR);
}

LRESULT ErrorBox::EvCommand(UINT id, HWND control, UINT code)
{
    if (code == BN_CLICKED && id == ERRORBOX_HELP_BUTTON) {
        ShowHelp(GetHandle(), 1, messageId_);
        return 0;
    }
    return SDialog::EvCommand(id, control, code);
}

HWND ErrorBox::OwnerWindow() const
{
    if (Dialog* running = Dialog::Running(); running && running != this && running->GetHandle())
        return running->GetHandle();
    return GetMainWindowHandle();
}

void ErrorBox::Paint(HDC dc)
{
    if (!icon_) return;
    RECT client = GetClientRect();
    DrawIconEx(dc, 16, (client.bottom - 32) / 2, icon_, 32, 32, 0, nullptr, DI_NORMAL);
}

int MessageDialogPresenter(const FwBoxRequest& request)
{
    if (request.kind != FwBoxKind::Message) return PlainBoxPresenter(request);
    ErrorBox box(request.icon, request.caption, request.text, request.messageId);
    int result = box.Execute();
    // The template is missing: the message still reaches the user.
    if (result < 0) return PlainBoxPresenter(request);
    return result;
}

void InstallMessageDialog()
{
#if !defined(FW_FLAVOUR_TMS)
    SetBoxPresenter(&MessageDialogPresenter);
#endif
}
