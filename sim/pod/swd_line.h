// The Serial Wire Debug data line between the pod and a target, clocked bit
// by bit from the pod's 16-clock steps.
//
// A step is a drive mask and a data word (the words that stand in the TMS
// and TDI positions of a JTAG step). For clock i of the step (bit 0 first):
// mask bit i = 1 means the pod drives the line with data bit i during that
// clock; mask bit i = 0 means the pod lets go of the line. Bit i of the
// returned word is the line level in clock i, whoever drove it.
//
// A clock where nobody drives the line reads `undriven_level`, 0 unless a
// test says otherwise. The pod's side needs the 0: its switch from JTAG to
// Serial Wire Debug sends the 16-bit select sequence as a drive mask over
// data that is all ones, so only a line that falls to 0 where the pod lets
// go carries the sequence to the target; the same holds for the idle zeros
// that close that switch. A target that never answers therefore shows an
// acknowledge of 0b000.
//
// When the pod and the target drive in the same clock the line reads the
// pod's level and the clock is logged as line contention.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/pod/arm_log.h"

namespace sim {

// Something on the line: it says whether it drives the coming clock, then
// sees the clock with the line level everybody sees.
class SwdTarget {
public:
    virtual ~SwdTarget() = default;
    virtual std::optional<bool> drive() = 0;
    virtual void clock(bool level, bool host_driving) = 0;
};

class SwdLine {
public:
    explicit SwdLine(SwdTarget& target, bool undriven_level = false)
        : target_(target), undriven_level_(undriven_level) {}

    // One step of 16 clocks; returns the line level of each clock.
    std::uint16_t step(std::uint16_t mask, std::uint16_t data);
    // One clock; returns the line level.
    bool clock(bool host_drives, bool host_level);

    std::uint64_t clocks() const { return clocks_; }
    std::uint64_t steps() const { return steps_; }
    const ArmViolations& violations() const { return violations_; }
    void clear_log() {
        violations_.clear();
        clocks_ = steps_ = 0;
    }

private:
    SwdTarget& target_;
    bool undriven_level_;
    std::uint64_t clocks_ = 0;
    std::uint64_t steps_ = 0;
    ArmViolations violations_;
};

} // namespace sim
