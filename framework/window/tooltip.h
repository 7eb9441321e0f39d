// A tooltip control created on a parent window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/window/window.h"

class Tooltip : public Window {
public:
    // `style` is added to WS_POPUP.
    Tooltip(Window* parent, uint32_t style);
    const char* ClassName() const override { return "tooltips_class32"; }

    // A tool keyed by the window `tool` (TTF_IDISHWND | TTF_SUBCLASS).
    bool AddTool(HWND tool, const char* text);
    int ToolCount() const { return static_cast<int>(SendMessage(TTM_GETTOOLCOUNT)); }
    void Activate(bool active) { SendMessage(TTM_ACTIVATE, active); }
    void SetMaxTipWidth(int width) { SendMessage(TTM_SETMAXTIPWIDTH, 0, width); }
    // `ms` -1 gives the control's default.
    void SetDelayTime(WPARAM which, int ms) { SendMessage(TTM_SETDELAYTIME, which, MAKELPARAM(ms, 0)); }
};
