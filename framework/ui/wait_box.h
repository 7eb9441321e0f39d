// The wait box: a small modeless dialog (template 14099) with a text, an
// icon or an animation, and the elapsed time in its caption every second.
#pragma once

#include <ctime>
#include <string>

#include "framework/ui/sdialog.h"

enum : uint32_t {
    WAITBOX_TEMPLATE = 14099,
    WAITBOX_CAPTION_TEXT = 8218,
    BOX_CONTROL_PANEL = 20946,
    BOX_CONTROL_TEXT = 20539,
    BOX_CONTROL_FRAME = 21099,
};

// "<caption> hh:mm:ss" for `seconds` since the start.
std::string FormatWaitCaption(const char* caption, uint32_t seconds);

class WaitBox : public SDialog {
public:
    // `source`: an icon or animation resource id, or (animated, a pointer
    // above 0xFFFF) an animation file name.
    WaitBox(bool animated, const char* source, const char* text);

    void SetupWindow() override;
    void EvTimer(UINT id) override;
    void CleanupWindow() override;
    // The caption for the time now.
    void Tick();
    // Replaces the clock (tests).
    void SetStartTime(time_t start) { start_ = start; }

protected:
    void Paint(HDC dc) override;

private:
    bool animated_;
    const char* source_;
    std::string text_;
    std::string caption_;
    HICON icon_ = nullptr;
    HWND animation_ = nullptr;
    time_t start_ = 0;
};
