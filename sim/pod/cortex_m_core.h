// The simulated Cortex-M core as a debugger sees it: the debug registers of
// the System Control Space (DHCSR, DCRSR, DCRDR, DEMCR, DFSR), CPUID and
// AIRCR, the register file, resets with vector catch, and a deterministic
// executor. The core serves the SCS block 0xE000E000-0xE000EFFF on the bus
// (word accesses only; narrower writes are ignored, other SCS registers
// read 0 and ignore writes).
//
// Profiles: Cortex-M3 and M4 are ARMv7-M, Cortex-M0 and M1 ARMv6-M. On
// ARMv6-M AIRCR.VECTRESET does not exist, so writing it does nothing (only
// SYSRESETREQ resets), DHCSR has no C_SNAPSTALL, DCRSR has no FAULTMASK or
// BASEPRI, and DEMCR keeps only VC_CORERESET, VC_HARDERR and DWTENA.
//
// DHCSR: writes without the key 0xA05F in bits 31-16 are ignored (and still
// logged). C_DEBUGEN 0 releases the core. C_HALT 1 halts it; C_HALT 0 on a
// halted core resumes it, or with C_STEP executes one instruction and halts
// again. A change of C_MASKINTS is logged as a violation unless C_HALT is 1
// both before the write and in it. Read: S_REGRDY 16, S_HALT 17, S_SLEEP 18
// (always 0), S_LOCKUP 19, S_RETIRE_ST 24 (an instruction retired since the
// last read) and S_RESET_ST 25 (a reset since the last read); the last two
// clear when read.
// DCRSR/DCRDR: a write of DCRSR while halted starts a transfer (REGWnR bit
// 16; REGSEL 0-12 R0-R12, 13 the current SP, 14 LR, 15 DebugReturnAddress,
// 16 xPSR, 17 MSP, 18 PSP, 20 CONTROL/FAULTMASK/BASEPRI/PRIMASK in bytes
// 3/2/1/0). S_REGRDY stays 0 for the next `regrdy_latency` debugger bus
// accesses, then reads 1; a DCRDR read before then returns the old DCRDR.
// S_REGRDY reads 0 while the core runs. A DCRSR write while running is
// ignored and logged.
// Resets: VECTRESET (ARMv7-M) resets the core, SYSRESETREQ and the reset
// line (set_reset_line()) the system, and inject_reset() is the unexpected
// kind; all load SP from address 0 and the PC from address 4, set
// S_RESET_ST, and halt the core at the reset
// vector when DEMCR.VC_CORERESET and C_DEBUGEN are set (C_HALT then reads
// 1). Without the catch the core runs from the vector: C_HALT and C_STEP are
// cleared. Debug registers, the FPB and the DWT keep their values.
//
// The executor (run for a number of instructions by advance(), called once
// per pod exchange) knows only what run control needs: BKPT (0xBExx) halts
// in debug state, B with an 11-bit offset (0xE000-0xE7FF) branches, the
// 32-bit encodings (first halfword 0xE800 and above) advance the PC by 4 and
// every other halfword by 2. Before each instruction the FPB is asked; a
// hit halts with the PC on the instruction (also on a step); with C_DEBUGEN
// 0 a hit is ignored and a BKPT locks the core up. A fetch that
// fails locks the core up (S_LOCKUP). Each retired instruction takes
// `cycles_per_instruction` cycles.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "sim/pod/arm_bus.h"
#include "sim/pod/arm_log.h"
#include "sim/pod/cortex_m_fpb_dwt.h"

namespace sim {

enum class CortexMPart : std::uint8_t { M0, M1, M3, M4 };

bool cortex_m_is_v6m(CortexMPart part);
std::uint32_t cortex_m_default_cpuid(CortexMPart part);

struct CortexMCoreConfig {
    CortexMPart part = CortexMPart::M3;
    std::uint32_t cpuid = 0; // 0: the part's default
    unsigned regrdy_latency = 0;
    unsigned cycles_per_instruction = 1;
};

// Pin: the target-reset line of the debug connector (nRESET).
enum class CortexMResetKind : std::uint8_t { PowerOn, Core, System, Injected, Pin };

class CortexMCore : public ArmBusDevice {
public:
    static constexpr std::uint32_t kScsBase = 0xE000E000, kScsSize = 0x1000;
    static constexpr std::uint32_t kCpuid = 0xE000ED00, kAircr = 0xE000ED0C, kDfsr = 0xE000ED30,
                                   kDhcsr = 0xE000EDF0, kDcrsr = 0xE000EDF4, kDcrdr = 0xE000EDF8,
                                   kDemcr = 0xE000EDFC;
    // Register selectors of DCRSR.
    static constexpr unsigned kSp = 13, kLr = 14, kPc = 15, kXpsr = 16, kMsp = 17, kPsp = 18, kSpecial = 20;

    CortexMCore(ArmBus& bus, CortexMFpb& fpb, CortexMDwt& dwt, const CortexMCoreConfig& config = {});

    bool read_word(std::uint32_t address, std::uint32_t& value) override;
    bool write_word(std::uint32_t address, std::uint32_t value, std::uint32_t byte_mask) override;

    // Runs up to `instructions` instructions while the core is running.
    void advance(unsigned instructions);
    // An unexpected reset (a watchdog, a brown-out): the fault knob.
    void inject_reset() { reset(CortexMResetKind::Injected); }
    // Power-on: the debug registers clear, then the core resets and runs
    // (S_RESET_ST reads 1 on the first DHCSR read). The constructor does
    // this once; a test calls it again after loading the vector table.
    void power_on_reset();
    // The target-reset line: asserting it resets the system (the debug
    // registers, the FPB and the DWT keep their values, as for SYSRESETREQ,
    // so a vector catch set beforehand halts the core at the reset vector);
    // while it stays asserted the core executes nothing.
    void set_reset_line(bool asserted);
    bool reset_line() const { return reset_line_; }

    // State for tests.
    bool halted() const { return halted_; }
    bool locked_up() const { return lockup_; }
    bool v6m() const { return v6m_; }
    std::uint32_t reg(unsigned selector) const;
    void set_reg(unsigned selector, std::uint32_t value);
    std::uint32_t dhcsr_control() const { return control_; }
    std::uint32_t demcr() const { return demcr_; }
    std::uint64_t retired() const { return retired_; }

    // Logs.
    const std::vector<std::uint32_t>& dhcsr_writes() const { return dhcsr_writes_; }
    const std::vector<CortexMResetKind>& resets() const { return resets_; }
    const ArmViolations& violations() const { return violations_; }
    void clear_logs() {
        dhcsr_writes_.clear();
        resets_.clear();
        violations_.clear();
    }

private:
    std::uint32_t read_dhcsr();
    void write_dhcsr(std::uint32_t value);
    void write_dcrsr(std::uint32_t value);
    void write_aircr(std::uint32_t value);
    void reset(CortexMResetKind kind);
    void halt(std::uint32_t dfsr_bit);
    void resume();
    // One instruction; false when the core halted or locked up instead.
    bool execute_one();
    bool regrdy() const;
    bool selector_valid(unsigned selector) const;
    std::uint32_t xpsr_mask() const;

    ArmBus& bus_;
    CortexMFpb& fpb_;
    CortexMDwt& dwt_;
    CortexMCoreConfig config_;
    bool v6m_;
    std::uint32_t cpuid_;

    std::array<std::uint32_t, 15> r_{}; // R0-R12, (unused 13), LR
    std::uint32_t pc_ = 0, xpsr_ = 0x01000000, msp_ = 0, psp_ = 0;
    std::uint32_t primask_ = 0, basepri_ = 0, faultmask_ = 0, control_reg_ = 0;

    bool halted_ = false;
    bool reset_line_ = false;
    bool lockup_ = false;
    std::uint32_t control_ = 0; // DHCSR bits 15-0 as they read
    bool retire_st_ = false;
    bool reset_st_ = false;
    std::uint64_t regrdy_after_ = 0; // debugger accesses after which S_REGRDY reads 1
    std::uint32_t dcrdr_ = 0;
    std::uint32_t dcrdr_next_ = 0;
    bool dcrdr_pending_ = false;
    std::uint32_t demcr_ = 0;
    std::uint32_t dfsr_ = 0;
    std::uint32_t prigroup_ = 0;
    std::uint64_t retired_ = 0;

    std::vector<std::uint32_t> dhcsr_writes_;
    std::vector<CortexMResetKind> resets_;
    ArmViolations violations_;
};

} // namespace sim
