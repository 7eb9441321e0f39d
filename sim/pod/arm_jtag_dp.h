// The JTAG front end of the simulated debug port: a TAP on the scan chain
// (tap_device.h) in front of the shared DP registers (arm_dp.h).
//
// Instruction register: 4 bits, capture value 0b0001.
//   0b1000 ABORT  35-bit DR; Update-DR with bit 3 (DAPABORT) set aborts
//   0b1010 DPACC  35-bit DR
//   0b1011 APACC  35-bit DR
//   0b1110 IDCODE 32-bit DR (selected by Test-Logic-Reset)
//   anything else BYPASS (1 bit, captures 0)
// DPACC/APACC data register, bit 0 nearest TDO:
//   shifted in:  bit 0 RnW (1 read), bits 2-1 A[3:2], bits 34-3 data to write
//   captured:    bits 2-0 ACK (0b010 OK/FAULT, 0b001 WAIT), bits 34-3
//                ReadResult: the data of the previous transaction's read
// A Capture-DR that finds the previous transaction still in progress
// captures WAIT, and the request shifted in by that scan is ignored at its
// Update-DR. A scan that goes through Update-DR without shifting applies
// what it captured, as the hardware's shift register would.
// The ABORT register captures 0.
// On an SWJ port (set_swj()) the TAP stands aside while the port's SWD side
// is selected: every instruction then acts as BYPASS, as the pins belong to
// Serial Wire Debug.
#pragma once

#include <cstdint>

#include "sim/pod/arm_dp.h"
#include "sim/pod/tap_device.h"

namespace sim {

class ArmSwDp;

struct ArmJtagDpConfig {
    std::uint32_t idcode = 0x4BA00477;
};

class ArmJtagDp : public TapDevice {
public:
    static constexpr std::uint32_t kAbort = 0x8, kDpacc = 0xA, kApacc = 0xB, kIdcode = 0xE, kBypass = 0xF;
    static constexpr unsigned kAccessBits = 35;

    explicit ArmJtagDp(ArmDp& dp, const ArmJtagDpConfig& config = {});

    unsigned ir_length() const override { return 4; }
    Bits capture_ir() override;
    void update_ir(const Bits& instruction) override;
    Bits capture_dr() override;
    void update_dr(const Bits& value) override;
    void reset() override;

    // The SWD side of the same SWJ port, or null for a JTAG-only port.
    void set_swj(const ArmSwDp* swd) { swj_ = swd; }

    std::uint32_t instruction() const { return instruction_; }
    std::uint64_t ignored_requests() const { return ignored_requests_; }
    std::uint64_t requests() const { return requests_; }

private:
    bool standing_aside() const;

    ArmDp& dp_;
    const ArmSwDp* swj_ = nullptr;
    ArmJtagDpConfig config_;
    std::uint32_t instruction_ = kIdcode;
    bool captured_wait_ = false;
    std::uint64_t ignored_requests_ = 0;
    std::uint64_t requests_ = 0;
};

} // namespace sim
