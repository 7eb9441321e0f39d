// A progress bar (msctls_progress32).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "framework/window/control.h"

class Gauge : public Control {
public:
    Gauge(Window* parent, int id) : Control(parent, id) {}
    const char* ClassName() const override { return "msctls_progress32"; }
    void SetRange(int low, int high) const { SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(low), high); }
    void SetValue(int position) const { SendMessage(PBM_SETPOS, static_cast<WPARAM>(position)); }
    int GetValue() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
};
