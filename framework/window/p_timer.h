// A timer that belongs to no window: its ticks come to the framework's
// timer procedure, which posts WM_TIMER (id, 0) to the timer's window when
// it has one and then calls OnTimer. The lParam is 0, not a timer
// procedure, so a receiver must not call it.
#pragma once

#include <windows.h>

#include <cstdint>

class PTimer {
public:
    // Joins the process-wide list; starts at once with `start`.
    PTimer(bool start, uint32_t intervalMs, HWND window = nullptr);
    virtual ~PTimer();
    PTimer(const PTimer&) = delete;
    PTimer& operator=(const PTimer&) = delete;

    // Starts a stopped timer; a failed SetTimer leaves it stopped (false).
    bool Start();
    // -1 when it was stopped, else KillTimer's result; the timer is stopped.
    int Stop();
    bool Running() const { return id_ != kStopped; }
    UINT_PTR Id() const { return id_; }
    uint32_t Interval() const { return interval_; }
    HWND Target() const { return window_; }

    // Called on every tick (after the post to the window).
    virtual void OnTimer() {}

    // The procedure's step for a tick of system timer `id` (a linear search
    // of the list); false when no timer has that id.
    static bool Tick(UINT_PTR id);

    // The system call that starts a timer, replaceable so that a test can
    // make it fail; null restores SetTimer.
    using SetTimerFunction = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
    static SetTimerFunction SetSetTimerFunction(SetTimerFunction function);

private:
    static constexpr UINT_PTR kStopped = static_cast<UINT_PTR>(-1);
    UINT_PTR id_ = kStopped;
    uint32_t interval_;
    HWND window_;
};
