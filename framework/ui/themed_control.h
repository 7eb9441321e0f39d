// What a control adds to follow the mouse (its hot state) and to keep the
// theme handles it draws with: one handle per window class, opened on first
// use and closed when the system's theme changes (or the control goes).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/base/ev_handler.h"
#include "framework/window/mouse_tracking.h"
#include "framework/window/visual_style.h"

class Window;

class ThemedControl : public PEvHandler {
public:
    // `stateOf` computes the control's theme state (the control's own rule).
    ThemedControl(Window& control, std::function<int()> stateOf);
    ~ThemedControl() override;

    // At the control's set-up: the state is taken, and with themes active
    // mouse tracking starts.
    void Attach();
    // The theme of `className` on the control, null when it cannot be
    // opened (nothing is kept then).
    const ThemeData* GetTheme(const wchar_t* className);
    // The state the control had at the last recomputation.
    int State() const { return state_; }
    // Recomputes the state; true when it changed.
    bool Update();
    // Mouse move and leave: the state is recomputed and a change repaints
    // the control (no erase; with erase on a leave). A move renews tracking.
    void MouseMoved();
    void MouseLeft();
    // Whether the cursor is inside the control's window rectangle (left and
    // top inclusive, right and bottom exclusive).
    bool IsMouseInside() const;
    // The system's theme changed: every handle is closed and dropped, and
    // the control repaints with erase.
    void OnThemeChange() override;

private:
    struct Kept {
        std::wstring className;
        std::unique_ptr<ThemeData> theme;
    };
    Window& control_;
    std::function<int()> stateOf_;
    int state_ = 1;
    std::vector<Kept> themes_;
    std::unique_ptr<MouseTracking> tracking_;
};
