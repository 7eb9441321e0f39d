// Asks for WM_MOUSELEAVE when the cursor leaves a window. TrackMouseEvent is
// bound by name from user32 at run time, once per process; where it is
// missing, nothing is tracked and the calls answer false. A request still
// standing when the object goes is cancelled.
#pragma once

#include <windows.h>

class MouseTracking {
public:
    explicit MouseTracking(HWND window) : window_(window) {}
    ~MouseTracking() { Cancel(); }
    MouseTracking(const MouseTracking&) = delete;
    MouseTracking& operator=(const MouseTracking&) = delete;

    // Asks (again) for one WM_MOUSELEAVE; the system drops the request when
    // the message is sent. True when the system took it.
    bool Track();
    // Withdraws a standing request of this window.
    void Cancel();
    // True while the system holds a leave request for this window.
    bool IsTracking() const;

private:
    HWND window_;
};
