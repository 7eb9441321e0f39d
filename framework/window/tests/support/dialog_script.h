// Runs a dialog modally with a script that acts inside the dialog's own
// modal loop: a thread timer fires once the dialog is up, the script drives
// it (through Win32 messages) and ends it. A watchdog ends any run that the
// script left open, so no test can wait forever.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>

#include "framework/base/sys_box.h"
#include "framework/window/dialog.h"
#include "framework/window/window_text.h"

namespace dialog_script {

inline std::function<void(Dialog&)> g_script;
inline Dialog* g_target = nullptr;
inline bool g_any = false;  // the first dialog that runs is the target
inline bool g_ran = false;
inline bool g_timedOut = false;
inline DWORD g_deadline = 0;

inline void CALLBACK Tick(HWND, UINT, UINT_PTR id, DWORD)
{
    Dialog* running = Dialog::Running();
    if (g_any && !g_target && running) g_target = running;
    if (!g_ran && running == g_target && g_target && g_target->GetHandle()) {
        g_ran = true;
        auto script = g_script;
        script(*g_target);
        return;
    }
    if (GetTickCount() > g_deadline) {
        g_timedOut = true;
        KillTimer(nullptr, id);
        // Ends the innermost modal run, then the target's.
        if (running) running->CloseWindow(-2);
        if (g_target && running != g_target) g_target->CloseWindow(-2);
    }
}

// A plain Windows box would wait for a user who is not there: while a
// script runs, an unexpected one fails the test and answers Cancel.
inline int UnexpectedBox(const FwBoxRequest& request)
{
    ADD_FAILURE() << "unexpected message box: " << (request.text ? request.text : "");
    return IDCANCEL;
}

class NoRealBoxes {
public:
    NoRealBoxes() : previous_(SetBoxPresenter(nullptr))
    {
        // Only the default presenter shows real boxes; a recorder or the
        // message dialog (scripted itself) stays.
        const FwBoxPresenter standard = GetBoxPresenter();
        SetBoxPresenter(previous_ == standard ? &UnexpectedBox : previous_);
    }
    ~NoRealBoxes() { SetBoxPresenter(previous_); }
    NoRealBoxes(const NoRealBoxes&) = delete;
    NoRealBoxes& operator=(const NoRealBoxes&) = delete;

private:
    FwBoxPresenter previous_;
};

}  // namespace dialog_script

// The dialog's result (-2 when the watchdog ended it).
inline int RunScripted(Dialog& dialog, std::function<void(Dialog&)> script, DWORD watchdogMs = 8000)
{
    dialog_script::g_script = std::move(script);
    dialog_script::g_target = &dialog;
    dialog_script::g_ran = false;
    dialog_script::g_timedOut = false;
    dialog_script::g_deadline = GetTickCount() + watchdogMs;
    UINT_PTR timer = SetTimer(nullptr, 0, 20, &dialog_script::Tick);
    dialog_script::NoRealBoxes guard;
    int result = dialog.Execute();
    KillTimer(nullptr, timer);
    dialog_script::g_target = nullptr;
    return result;
}

inline bool ScriptTimedOut() { return dialog_script::g_timedOut; }

// Scripts the next dialog that runs modally while this object lives (a
// dialog that the code under test makes itself, such as a message box).
class NextDialogScript {
public:
    explicit NextDialogScript(std::function<void(Dialog&)> script, DWORD watchdogMs = 8000)
    {
        dialog_script::g_script = std::move(script);
        dialog_script::g_target = nullptr;
        dialog_script::g_any = true;
        dialog_script::g_ran = false;
        dialog_script::g_timedOut = false;
        dialog_script::g_deadline = GetTickCount() + watchdogMs;
        timer_ = SetTimer(nullptr, 0, 20, &dialog_script::Tick);
    }
    ~NextDialogScript()
    {
        KillTimer(nullptr, timer_);
        dialog_script::g_any = false;
        dialog_script::g_target = nullptr;
    }
    bool Ran() const { return dialog_script::g_ran; }
    NextDialogScript(const NextDialogScript&) = delete;
    NextDialogScript& operator=(const NextDialogScript&) = delete;

private:
    UINT_PTR timer_;
};

inline void PumpPending();

// Writes the window's picture as a 24-bit BMP when VOQ_SCREENSHOT_DIR is
// set (for looking at a dialog; nothing checks the file).
inline void SaveScreenshot(HWND window, const char* name)
{
    char dir[MAX_PATH];
    if (!GetEnvironmentVariableA("VOQ_SCREENSHOT_DIR", dir, sizeof dir)) return;
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, w, h);
    HGDIOBJ old = SelectObject(memory, bitmap);
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN | RDW_FRAME);
    PumpPending();
    Sleep(300);
    PumpPending();
    // What the screen shows: the frame and every child as drawn.
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = h;
    info.biPlanes = 1;
    info.biBitCount = 24;
    const DWORD stride = ((w * 3 + 3) / 4) * 4;
    std::string pixels(stride * h, '\0');
    SelectObject(memory, old);
    GetDIBits(memory, bitmap, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(pixels.size());
    std::string path = std::string(dir) + "\\" + name + ".bmp";
    if (FILE* f = fopen(path.c_str(), "wb")) {
        fwrite(&file, sizeof file, 1, f);
        fwrite(&info, sizeof info, 1, f);
        fwrite(pixels.data(), 1, pixels.size(), f);
        fclose(f);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// Win32 read-backs.
inline std::string ItemText(HWND dialog, int id) { return GetItemText1251(dialog, id); }

inline void Click(HWND dialog, int id)
{
    SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// Leaves the modal loop's queue empty of sent-then-posted work.
inline void PumpPending()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}
