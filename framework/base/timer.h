// A millisecond period timer on GetTickCount, safe across the tick wrap:
// expired when now - start >= period, or when told to expire at once.
#pragma once

#include <cstdint>

class PTickTimer {
public:
    explicit PTickTimer(uint32_t periodMs, bool expiredAtOnce = false);
    // True when the period has passed (or expiry was forced); restarts then.
    bool Expired();
    void Restart();
    void SetPeriod(uint32_t periodMs);
    uint32_t Elapsed() const;
    void ExpireNow() { forced_ = true; }
    uint32_t Period() const { return period_; }

    // The tick source; tests replace it to cross the wrap.
    using TickSource = uint32_t (*)();
    static void SetTickSource(TickSource source);

private:
    uint32_t start_ = 0;
    uint32_t period_;
    bool forced_ = false;
};
