#include "framework/ui/wait_box.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "framework/ui/ml_text.h"
#include "framework/window/window_text.h"

namespace {

constexpr UINT kTickTimer = 1;
constexpr UINT kTickMs = 1000;
constexpr int kIconArea = 64;

std::vector<std::string> SplitCrLf(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find("\r\n", start);
        lines.push_back(text.substr(start, end == std::string::npos ? std::string::npos : end - start));
        if (end == std::string::npos) break;
        start = end + 2;
    }
    return lines;
}

}  // namespace

std::string FormatWaitCaption(const char* caption, uint32_t seconds)
{
    char text[512];
    snprintf(text, sizeof text, "%s %02u:%02u:%02u", caption ? caption : "", seconds / 3600, (seconds / 60) % 60,
             seconds % 60);
    return text;
}

WaitBox::WaitBox(bool animated, const char* source, const char* text)
    : SDialog(nullptr, WAITBOX_TEMPLATE), animated_(animated), source_(source), text_(GetMLText(text ? text : ""))
{
    SetContextHelp(false);
}

void WaitBox::SetupWindow()
{
    SDialog::SetupWindow();
    HWND dialog = GetHandle();
    HWND textControl = GetDlgItem(dialog, BOX_CONTROL_TEXT);
    HFONT font = reinterpret_cast<HFONT>(::SendMessageA(textControl ? textControl : dialog, WM_GETFONT, 0, 0));
    HDC dc = GetDC(dialog);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int h = tm.tmHeight;
    const int cap = GetSystemMetrics(SM_CXFULLSCREEN) * 3 / 4;
    std::vector<std::string> lines = SplitCrLf(text_);
    int widest = 0;
    for (const auto& line : lines) {
        SIZE size{};
        std::wstring wide = Wide1251(line.c_str());
        GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
        widest = std::max(widest, std::min<int>(size.cx, cap));
    }
    SelectObject(dc, old);
    ReleaseDC(dialog, dc);
    const int n = static_cast<int>(lines.size());
    const int clientW = widest + 4 * h + kIconArea;
    const int clientH = std::max(h * (n + 4), kIconArea);
    RECT frame{0, 0, clientW, clientH};
    AdjustWindowRectEx(&frame, GetWindowLongA(dialog, GWL_STYLE), FALSE, GetWindowLongA(dialog, GWL_EXSTYLE));
    ::SetWindowPos(dialog, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    CenterOnScreen(dialog);
    if (HWND panel = GetDlgItem(dialog, BOX_CONTROL_PANEL))
        ::SetWindowPos(panel, nullptr, kIconArea, 0, clientW - kIconArea, clientH, SWP_NOZORDER | SWP_NOACTIVATE);
    const int textX = 2 * h + kIconArea;
    const int textH = h * n;
    if (textControl) {
        ::SetWindowPos(textControl, nullptr, textX, 2 * h, widest, textH, SWP_NOZORDER | SWP_NOACTIVATE);
        SetText1251(textControl, text_.c_str());
    }
    if (HWND box = GetDlgItem(dialog, BOX_CONTROL_FRAME))
        ::SetWindowPos(box, nullptr, textX - h / 2, 2 * h - h / 2, widest + h, textH + h, SWP_NOZORDER | SWP_NOACTIVATE);
    caption_ = GetMLResString(WAITBOX_CAPTION_TEXT);
    SetWindowText(caption_.c_str());
    if (animated_) {
        animation_ = CreateWindowExA(0, ANIMATE_CLASSA, "", WS_CHILD | WS_VISIBLE | ACS_TRANSPARENT, 0,
                                     (clientH - kIconArea) / 2, kIconArea, kIconArea, dialog, nullptr,
                                     GetModule().Handle(), nullptr);
        if (animation_) {
            // A file name is opened as a file: with a module the control
            // would look for a resource of that name first.
            HINSTANCE from = IS_INTRESOURCE(source_) ? GetModule().Handle() : nullptr;
            ::SendMessageA(animation_, ACM_OPENA, reinterpret_cast<WPARAM>(from), reinterpret_cast<LPARAM>(source_));
            ::SendMessageA(animation_, ACM_PLAY, static_cast<WPARAM>(-1), MAKELPARAM(0, 0xFFFF));
        }
    } else if (reinterpret_cast<uintptr_t>(source_) <= 0xFFFF) {
        const uint32_t id = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(source_));
        Module module(ResourceModuleFor(RT_ICON, id));
        icon_ = module.LoadIcon(id, 32);
    }
    start_ = time(nullptr);
    SetTimer(dialog, kTickTimer, kTickMs, nullptr);
}

void WaitBox::Tick()
{
    const time_t now = time(nullptr);
    const uint32_t elapsed = now > start_ ? static_cast<uint32_t>(now - start_) : 0;
    SetWindowText(FormatWaitCaption(caption_.c_str(), elapsed).c_str());
}

void WaitBox::EvTimer(UINT id)
{
    if (id == kTickTimer) Tick();
    else DefaultProcessing();
}

void WaitBox::CleanupWindow()
{
    KillTimer(GetHandle(), kTickTimer);
    SDialog::CleanupWindow();
}

void WaitBox::Paint(HDC dc)
{
    if (!icon_) return;
    RECT client = GetClientRect();
    DrawIconEx(dc, 16, (client.bottom - 32) / 2, icon_, 32, 32, 0, nullptr, DI_NORMAL);
}
