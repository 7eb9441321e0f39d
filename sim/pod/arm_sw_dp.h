// The Serial Wire Debug front end of the simulated debug port: the target's
// packet state machine on the SWDIO line (swd_line.h), clock by clock, in
// front of the shared DP registers (arm_dp.h).
//
// A transfer on the line, as the target sees it (one clock per bit):
//   header   start 1, APnDP, RnW, A[2], A[3], even parity of those four,
//            stop 0, park 1 (all driven by the host)
//   turnaround (nobody drives)
//   ACK      three bits driven by the target, first bit first:
//            OK 1,0,0  WAIT 0,1,0  FAULT 0,0,1
//   read OK  32 data bits and their parity driven by the target, then a
//            turnaround
//   write OK a turnaround, then 32 data bits and their parity from the host
//   WAIT or FAULT: a turnaround and no data phase
// Between transfers the host holds the line low (idle).
//
// Line reset: 50 or more clocks with the line high. After one (and after
// power-up) the first transfer must be a read of DPIDR.
// Protocol errors: a header with a wrong parity, a stop bit of 1 or a park
// bit of 0, and a first transfer after a line reset that is not a DPIDR
// read. The target then drives nothing (the host sees no acknowledge) and is
// locked out: it ignores the line until the next line reset.
// An SWJ port powers up in JTAG mode and watches its line for the select
// sequences, which always follow a line reset: 0xE79E (bit 0 first) selects
// Serial Wire Debug, after which the port stays locked out until a line
// reset; 0xE73C selects JTAG, after which the SWD side ignores the line.
// Seen while the port already is in SWD mode, the 0xE79E sequence looks like
// a broken header, and so do the ones of a line reset sent from idle: the
// port locks out as the state machine says, but a protocol error is logged
// only once the line goes low again outside a select sequence, so neither
// of those shows as a violation (the port is still locked out until the
// line reset that the sequence calls for).
//
// Counted, not logged as violations: clocks in which the host drove the
// line during a turnaround. The host's retry after a WAIT drives the idle
// bits of its next request right after the ACK, in the turnaround clock;
// nothing drives against it there, so it is not contention.
//
// Fault knob: no response. The next N packets (or all) get no acknowledge at
// all, as if the target were not there; the port then waits for the next
// start bit.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "sim/pod/arm_dp.h"
#include "sim/pod/arm_log.h"
#include "sim/pod/swd_line.h"

namespace sim {

struct ArmSwDpConfig {
    bool starts_in_swd = false; // false: an SWJ port, in JTAG mode at power-up
};

class ArmSwDp : public SwdTarget {
public:
    static constexpr std::uint16_t kSelectSwd = 0xE79E;
    static constexpr std::uint16_t kSelectJtag = 0xE73C;
    static constexpr unsigned kForever = ~0u;

    explicit ArmSwDp(ArmDp& dp, const ArmSwDpConfig& config = {});

    std::optional<bool> drive() override;
    void clock(bool level, bool host_driving) override;

    bool swd_selected() const { return phase_ != Phase::Jtag; }
    bool locked_out() const { return phase_ == Phase::Lockout; }

    // Fault knob: the next `packets` headers get no acknowledge (kForever: all).
    void set_no_response(unsigned packets) { no_response_ = packets; }

    struct Counters {
        std::uint64_t packets = 0;     // headers that passed the checks
        std::uint64_t line_resets = 0;
        std::uint64_t selects_swd = 0;
        std::uint64_t selects_jtag = 0;
        std::uint64_t turnaround_driven = 0;
        std::uint64_t no_replies = 0;
        std::uint64_t write_parity_errors = 0;
    };
    const Counters& counters() const { return counters_; }
    const ArmViolations& violations() const { return violations_; }
    void clear_log() {
        counters_ = Counters{};
        violations_.clear();
    }

private:
    enum class Phase : std::uint8_t {
        Jtag, Reset, Idle, Header, Turn, Ack, ReadData, ReadParity, TurnAfter, WriteTurn, WriteData,
        WriteParity, NoReply, Lockout,
    };

    void report(ArmViolationKind kind, std::string detail);
    void lock_out();
    void line_reset();
    void watch_select(bool level, unsigned ones_before);
    void evaluate_header();
    void settle(bool level);

    ArmDp& dp_;
    Phase phase_;
    unsigned count_ = 0;
    std::uint8_t header_ = 0;
    ArmAck ack_ = ArmAck::Ok;
    std::uint32_t word_ = 0;
    bool need_dpidr_ = true;
    unsigned no_response_ = 0;

    std::uint64_t clock_index_ = 0;
    unsigned ones_ = 0;               // current run of high clocks
    std::uint64_t run_start_ = 0;     // clock where that run began
    std::uint64_t lockout_start_ = 0;
    bool lockout_traffic_logged_ = false;

    bool select_active_ = false;      // collecting the 16 bits after a line reset
    unsigned select_bits_ = 0;
    std::uint16_t select_word_ = 0;
    struct Pending {
        ArmViolation violation;
        std::uint64_t clock = 0;
    };
    // Protocol errors wait here until the line settles low: the ones of a
    // line reset parse as a broken header, and so do the select sequences.
    std::vector<Pending> pending_;

    Counters counters_;
    ArmViolations violations_;
};

} // namespace sim
