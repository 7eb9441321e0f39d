#include "framework/window/p_timer.h"

#include <algorithm>
#include <vector>

namespace {

// Never destroyed, so that a timer in static storage can still leave it at
// exit.
std::vector<PTimer*>& Timers()
{
    static auto* timers = new std::vector<PTimer*>;
    return *timers;
}

PTimer::SetTimerFunction g_setTimer = &::SetTimer;

void CALLBACK TimerProc(HWND, UINT, UINT_PTR id, DWORD) { PTimer::Tick(id); }

}  // namespace

PTimer::PTimer(bool start, uint32_t intervalMs, HWND window) : interval_(intervalMs), window_(window)
{
    Timers().push_back(this);
    if (start) Start();
}

PTimer::~PTimer()
{
    auto& timers = Timers();
    timers.erase(std::remove(timers.begin(), timers.end(), this), timers.end());
    Stop();
}

bool PTimer::Start()
{
    if (Running()) return true;
    UINT_PTR id = g_setTimer(nullptr, 0, interval_, &TimerProc);
    // SetTimer gives 0 on failure: the timer stays stopped rather than
    // counting as running with a timer the system never made.
    if (!id) return false;
    id_ = id;
    return true;
}

int PTimer::Stop()
{
    if (!Running()) return -1;
    const int result = KillTimer(nullptr, id_);
    id_ = kStopped;
    return result;
}

bool PTimer::Tick(UINT_PTR id)
{
    for (PTimer* timer : Timers()) {
        if (timer->id_ != id) continue;
        if (timer->window_ && IsWindow(timer->window_)) PostMessageA(timer->window_, WM_TIMER, id, 0);
        timer->OnTimer();
        return true;
    }
    return false;
}

PTimer::SetTimerFunction PTimer::SetSetTimerFunction(SetTimerFunction function)
{
    SetTimerFunction previous = g_setTimer;
    g_setTimer = function ? function : &::SetTimer;
    return previous;
}
