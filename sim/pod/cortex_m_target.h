// A whole simulated Cortex-M microcontroller behind its debug port: memory,
// the core with its FPB and DWT, the MEM-AP (AP 0), and the debug port with
// both front ends, the JTAG-DP TAP and the SW-DP on its SWD line.
//
// The JTAG-DP is a TAP for the pod's scan chain, so the chain owns it:
// make_jtag_dp() builds one on this target's debug port for the test (or
// the pod) to add to its chain, between whatever other devices it likes.
// The port is an SWJ port: its TAP stands aside (BYPASS) while the SWD side
// is selected, so one target serves one wire at a time.
// The SWD line (swd_line()) is clocked by whoever plays the pod.
//
// Time: the core runs `instructions_per_exchange` instructions at every
// on_exchange(), which the pod calls once per USB exchange; every other
// latency is counted in debug accesses (arm_dp.h, cortex_m_core.h).
//
// Per part (the defaults of the configuration):
//   part  CPUID       JTAG IDCODE  DPIDR       TAR wrap  FPB code  DWT comps
//   M0    0x410CC200  0x0BB11477   0x0BB11477  1 KB      4         2
//   M1    0x410CC210  0x0BB11477   0x0BB11477  1 KB      2         1
//   M3    0x412FC231  0x4BA00477   0x2BA01477  4 KB      6         4
//   M4    0x410FC241  0x4BA00477   0x2BA01477  4 KB      6         4
// Memory: code at 0x00000000 (256 KB) and SRAM at 0x20000000 (64 KB), both
// writable by the debugger so that a host can load code; the ROM table base
// read from the AP is 0xE00FF003 and the table itself is not mapped (a read
// there is a bus error).
//
// Fault knobs and the code the host is expected to report for each (the
// host's codes are its own; this table is what the simulator is built to
// provoke):
//   dp().set_wait_knob(c, {n})            WAITs that end: success after retries
//   dp().set_wait_knob(c, {persistent})   0x0D390053, then ABORT (DAPABORT)
//   bus().add_error_region(...)           FAULT / STICKYERR: 0x0D390055 or 0xFFFF
//   mem_ap().stick_transfer(...)          WAIT on DRW until aborted: 0x0D390053
//   dp().set_power_acks(false, true)      0x0D390051;  (true, false): 0x0D390052
//   mem_ap().set_device_enabled(false)    0x0D390053 (DeviceEn never seen)
//   sw_dp().set_no_response(n)            no ACK (0b000): 0x0D390054
//   core().inject_reset() / schedule_reset 0x0D390042 (reset not expected)
//   dp().inject_sticky(bits, false)       FAULT that stays: 0x0D390055
#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "sim/pod/arm_bus.h"
#include "sim/pod/arm_dp.h"
#include "sim/pod/arm_jtag_dp.h"
#include "sim/pod/arm_log.h"
#include "sim/pod/arm_mem_ap.h"
#include "sim/pod/arm_sw_dp.h"
#include "sim/pod/cortex_m_core.h"
#include "sim/pod/cortex_m_fpb_dwt.h"
#include "sim/pod/swd_line.h"

namespace sim {

struct CortexMTargetConfig {
    CortexMPart part = CortexMPart::M3;
    std::optional<std::uint32_t> cpuid;
    std::optional<std::uint32_t> jtag_idcode;
    std::optional<std::uint32_t> dpidr;
    std::optional<unsigned> fpb_code_comparators;
    std::optional<unsigned> dwt_comparators;
    unsigned instructions_per_exchange = 16;
    unsigned regrdy_latency = 0;
    unsigned power_ack_latency = 0;
    bool starts_in_swd = false;
    std::uint32_t flash_size = 256 * 1024;
    std::uint32_t sram_size = 64 * 1024;
};

class CortexMTarget {
public:
    static constexpr std::uint32_t kFlashBase = 0x00000000, kSramBase = 0x20000000;

    explicit CortexMTarget(const CortexMTargetConfig& config = {});
    CortexMTarget(const CortexMTarget&) = delete;
    CortexMTarget& operator=(const CortexMTarget&) = delete;

    std::unique_ptr<ArmJtagDp> make_jtag_dp();

    // One pod exchange: the core runs its instructions; a scheduled reset
    // falls due.
    void on_exchange();
    // An unexpected reset after `exchanges` more exchanges (0: at the next).
    void schedule_reset(unsigned exchanges) { reset_in_ = exchanges; }
    std::uint64_t exchanges() const { return exchanges_; }
    // The pod's target-reset line, wired to the core's reset pin.
    void set_reset_line(bool asserted) { core_.set_reset_line(asserted); }

    ArmBus& bus() { return bus_; }
    CortexMCore& core() { return core_; }
    CortexMFpb& fpb() { return fpb_; }
    CortexMDwt& dwt() { return dwt_; }
    ArmMemAp& mem_ap() { return mem_ap_; }
    ArmDp& dp() { return dp_; }
    ArmSwDp& sw_dp() { return sw_dp_; }
    SwdLine& swd_line() { return line_; }

    // Every violation any part logged, in no particular order between parts.
    ArmViolations violations() const;

private:
    CortexMTargetConfig config_;
    ArmBus bus_;
    CortexMFpb fpb_;
    CortexMDwt dwt_;
    CortexMCore core_;
    ArmMemAp mem_ap_;
    ArmDp dp_;
    ArmSwDp sw_dp_;
    SwdLine line_;
    std::uint32_t jtag_idcode_;
    std::optional<unsigned> reset_in_;
    std::uint64_t exchanges_ = 0;
};

} // namespace sim
