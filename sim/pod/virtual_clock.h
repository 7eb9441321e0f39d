// Simulated time of the pod: advances by one TCK period per clock and by a
// fixed latency per USB exchange, never by sleeping. The TCK period follows
// the pod's clock parameter (0 fastest .. 7 slowest).
#pragma once

#include <array>
#include <cstdint>

namespace sim {

class VirtualClock {
public:
    static constexpr unsigned kSettings = 8;

    // Setting s runs TCK at 12 MHz / 2^s until a test says otherwise.
    VirtualClock() {
        for (unsigned s = 0; s < kSettings; ++s) tck_hz_[s] = 12'000'000u >> s;
    }

    std::uint64_t now_ps() const { return now_ps_; }
    double now_seconds() const { return static_cast<double>(now_ps_) * 1e-12; }

    void set_tck_hz(unsigned setting, std::uint32_t hz) {
        if (setting < kSettings && hz != 0) tck_hz_[setting] = hz;
    }
    std::uint32_t tck_hz(unsigned setting) const { return tck_hz_[setting < kSettings ? setting : kSettings - 1]; }

    void set_exchange_latency_ps(std::uint64_t ps) { exchange_latency_ps_ = ps; }
    std::uint64_t exchange_latency_ps() const { return exchange_latency_ps_; }

    void advance_tck(unsigned setting, std::uint64_t clocks) {
        now_ps_ += clocks * (1'000'000'000'000ull / tck_hz(setting));
    }
    void advance_exchange() { now_ps_ += exchange_latency_ps_; }
    void advance_ms(std::uint64_t ms) { now_ps_ += ms * 1'000'000'000ull; }

private:
    std::array<std::uint32_t, kSettings> tck_hz_{};
    std::uint64_t exchange_latency_ps_ = 125'000'000; // 125 us: one USB 2.0 micro-frame
    std::uint64_t now_ps_ = 0;
};

} // namespace sim
