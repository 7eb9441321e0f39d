#include "framework/base/timer.h"

#include <windows.h>

namespace {
uint32_t SystemTick() { return GetTickCount(); }
constinit PTickTimer::TickSource g_tick = SystemTick;
}  // namespace

void PTickTimer::SetTickSource(TickSource source) { g_tick = source ? source : SystemTick; }

PTickTimer::PTickTimer(uint32_t periodMs, bool expiredAtOnce) : period_(periodMs)
{
    Restart();
    forced_ = expiredAtOnce;
}

bool PTickTimer::Expired()
{
    // Unsigned difference: correct across the 49.7-day wrap of the tick.
    if (!forced_ && g_tick() - start_ < period_) return false;
    Restart();
    return true;
}

void PTickTimer::Restart()
{
    start_ = g_tick();
    forced_ = false;
}

void PTickTimer::SetPeriod(uint32_t periodMs)
{
    period_ = periodMs;
    Restart();
}

uint32_t PTickTimer::Elapsed() const { return g_tick() - start_; }
