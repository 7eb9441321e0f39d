// The simulated TMS320C54x DSP as one device on the simulated JTAG chain:
// its emulation scan registers, CPU modes, fed instructions, target reset and
// a deterministic run executor. Behavioural, not cycle accurate.
//
// Instruction register (8 bits). Capture-IR loads the emulation status byte,
// except right after instruction 0x28 (the high byte of the revision, 0x0B)
// or 0x29 (its low byte, 0x6F). The status is the DSP's, so the two bits
// nearest TDO are not the usual 0b01: bit 0 is the error bit.
//
//   IR    data register                      bits
//   0x07  IDCODE (low 12 bits 0xFDF)          32
//   0x10  ETDR, the transfer register         16   Update-IR: mode change
//   0x11  (BYPASS)                             1   Update-IR: mode change / execute
//   0x20  pool set (tms320c54x_pools.h)       16 + selected pools
//   0x22  MPSDCTL, pool select                16   (the idle instruction)
//   0x24  ECR, emulation control              17
//   0x29  REV (0xB6F)                         12
//   0x2A  PBR, comparator addresses          160
//   0x2B  JBPC written / JBPF captured        16
//   0x40  (BYPASS)                             1   Update-IR: assert target reset
//   0x41  (BYPASS)                             1   Update-IR: release target reset
//   0x77  STATUS, the status byte              8
//   any other instruction selects BYPASS. Test-Logic-Reset selects IDCODE
//   and touches nothing else: the emulation state outlives TAP resets.
//
// Status byte: bit 0 error, bit 1 an ESTOP halted the program, bit 3 a
// hardware comparator halted it, bit 4 an undefined instruction halted it,
// bit 5 target reset active, bits 6-7 the CPU mode. Bit 2 is always 0.
//
// CPU modes, changed on every pass through Update-IR with instruction 0x10
// or 0x11 from the low byte of ECR (its other bits, the emulation bit 9
// among them, are kept but have no effect):
//   0x08 with 0x10: mode 0, halted.
//   0x08 with 0x11: mode 1; when the CPU was halted, it executes one
//       instruction: the fed one when pool field "CCOM" is 1 (cmd1 the
//       opcode, cmd2 and cmd3 the words after it), else the program
//       instruction at PC (a single step). Other CCOM values execute nothing.
//   0x50 with 0x10: mode 2, running.   0x78 with 0x10: mode 3, running.
//   Any other combination leaves the mode as it is.
// A running CPU that halts by itself (comparator, ESTOP, undefined
// instruction) keeps mode 2 or 3 in the status, with its cause bit, until a
// mode change to 0 or 1; a change between 2 and 3 does not restart it. The
// cause bits stay through mode 0; they and the JBPF flags clear when the
// CPU is started again (mode 2 or 3 entered from mode 0 or 1), and the
// cause bits also when mode 1 is entered (a step or a fed instruction).
//
// Pools: the pool set keeps every bit written; the target lays its core
// registers over these fields, read at Capture-DR and taken back from every
// selected pool at Update-DR: "PAR" and "PC" (pool 1) both hold the
// program counter at capture and "PC" sets it at update; "BRAF" (pool 1),
// "CPL" and "DP" (pool 2). At capture "D3J_M2M5" bit 0 is 0 (the halt
// address is in "PAR") and "fix_KL" is 0 (every step completes). "RAcomm_r"
// carries only what was written. So whatever the debugger changes in the
// pools and does not put back stays changed in the CPU.
//
// Pools 3-5 hold the CPU's pipeline, the rest of its state at a halt:
// - When the CPU halts (a comparator, ESTOP or undefined instruction while
//   running, a mode change to 0 or 1 of a running CPU, the end of a single
//   step) the target writes the halt context into them: a halt number that
//   grows with every halt in pool 3 bits 6-21, pool 4 bits 32-47 and pool
//   5 bits 16-31; the PC in pool 4 bits 0-15; the program words at PC and
//   PC + 1 in pool 4 bits 16-31 and pool 5 bits 0-15. The fields the
//   debugger names ("M3bl_M5"/"D3J_M2M5", "CCOM", "cmd1"-"cmd3", "fix_KL",
//   "CCL", "RAcomm_r") keep what was last written. A copy of pools 3-5 is
//   kept as the halt context.
// - Every fed instruction passes through the pipeline: it leaves its opcode
//   and operand in pool 4 bits 0-31 and pool 5 bits 0-31.
// - A resume (mode 2 or 3 entered from 0 or 1, or a single step) needs
//   pools 3-5 to hold either the halt context, bit for bit, or an empty
//   pipeline: every bit 0 except the "M3bl_M5"/"D3J_M2M5" bits and "CCL"
//   (what a debugger writes when it sets a new PC). Anything else is a
//   context the CPU cannot run from: the resume executes nothing, the CPU
//   stays halted in the mode asked for and the status error bit is set
//   until target reset; context_errors() counts these.
// - Target reset empties the pipeline and makes that the halt context.
// So a debugger that puts back what it read at the halt resumes the CPU
// bit-identical; one that forgets pools 3-5, or writes back a context of
// an earlier halt, shows the error bit; one that forgets DP, CPL, BRAF or
// ETDR leaves them changed in the CPU, visible in data 6, 7 and 0x3F.
//
// Fed instructions run with the CPU's own addressing: their direct operand
// (offset 0x3F in the block moves) is DP x 128 + 0x3F, or SP + 0x3F when CPL
// is set; data address 0x3F is ETDR. Only with DP = 0 and CPL = 0 does a fed
// move reach ETDR. A repeat (RPT) fed to a halted CPU arms the next fed
// instruction: the execute that delivers it sets the repeat up and moves no
// data, then each later execute performs one repetition (block moves
// advance their long address each time) until RC + 1 are done. A fed
// ESTOP does nothing; an undefined fed instruction sets the error bit, which
// stays until target reset.
//
// Run executor: while the CPU runs (mode 2 or 3, not in reset, not halted),
// each Run-Test/Idle clock executes instructions_per_idle_clock
// instructions, and advance() executes more on demand; one instruction with
// all its repetitions counts as one. Before each fetch the enabled JPA
// comparators are checked (halt with PC on the instruction); data, program
// and I/O operand accesses are checked against JDS/JPS/JIS (halt after the
// instruction). ESTOP halts with PC one past it. An undefined instruction
// halts with PC on it. Single steps do not check comparators, and an ESTOP
// stepped over acts as a no-op.
//
// Target reset: Update-IR 0x40 resets the core (PC 0xFF80, ST0 0x1800,
// ST1 0x2900, PMST 0xFFE0, no repeat pending, the error bit cleared, the
// pipeline emptied) and holds it in reset; 0x41 releases it. Memories,
// ETDR, the pools' other bits, comparators, ECR and the CPU mode survive; a
// running CPU runs on from 0xFF80 after release.
//
// The pod's target-reset line (control line 0x10000) reaches the target but
// does not reset the core: the debugger keeps the line asserted through its
// whole reset sequence, in which the status reset bit must clear after
// 0x41, so a core held in reset by the line could never pass it. The
// target records the line (reset_line(), reset_line_assertions()) and
// whether it was asserted when the core was last reset.
//
// Power-up: CPU mode 2, running from 0xFF80 (set power_up_halted to start in
// mode 0), memories zero.
//
// Fault knobs (C54xFaults): a mode change that never completes (0x10/0x11
// change nothing), a reset that never ends (0x41 leaves the reset active),
// the status error bit forced on, and a disconnected target: the board is
// off the cable, so the chain clocks no TAP and TDO floats high
// (scan_chain.h); scanned directly, every capture reads all ones and every
// update is ignored.
#pragma once

#include <array>
#include <cstdint>

#include "sim/pod/tap_device.h"
#include "sim/pod/tms320c54x_comparators.h"
#include "sim/pod/tms320c54x_cpu.h"
#include "sim/pod/tms320c54x_pools.h"

namespace sim {

struct C54xTargetConfig {
    std::uint32_t idcode = 0x1003AFDF;
    std::uint16_t revision = 0xB6F;
    unsigned instructions_per_idle_clock = 1;
    bool power_up_halted = false;
};

struct C54xFaults {
    bool mode_change_stuck = false;
    bool reset_stuck = false;
    bool status_error = false;
    bool disconnected = false;
};

namespace c54x_ir {
inline constexpr std::uint8_t kIdcode = 0x07;
inline constexpr std::uint8_t kModeChange = 0x10;  // also selects ETDR
inline constexpr std::uint8_t kExecute = 0x11;
inline constexpr std::uint8_t kPoolSet = 0x20;
inline constexpr std::uint8_t kMpsdctl = 0x22;
inline constexpr std::uint8_t kEcr = 0x24;
inline constexpr std::uint8_t kRevHigh = 0x28;
inline constexpr std::uint8_t kRevLow = 0x29;  // also selects REV
inline constexpr std::uint8_t kPbr = 0x2A;
inline constexpr std::uint8_t kJbp = 0x2B;
inline constexpr std::uint8_t kResetAssert = 0x40;
inline constexpr std::uint8_t kResetRelease = 0x41;
inline constexpr std::uint8_t kStatus = 0x77;
inline constexpr std::uint8_t kBypass = 0xFF;
} // namespace c54x_ir

namespace c54x_status {
inline constexpr std::uint8_t kError = 0x01;
inline constexpr std::uint8_t kEstop = 0x02;
inline constexpr std::uint8_t kComparator = 0x08;
inline constexpr std::uint8_t kUndefined = 0x10;
inline constexpr std::uint8_t kReset = 0x20;
inline constexpr unsigned kModeShift = 6;
} // namespace c54x_status

class Tms320c54xTarget : public TapDevice {
public:
    static constexpr unsigned kIrLength = 8;
    static constexpr unsigned kEcrBits = 17;

    explicit Tms320c54xTarget(const C54xTargetConfig& config = {});

    unsigned ir_length() const override { return kIrLength; }
    Bits capture_ir() override;
    void update_ir(const Bits& instruction) override;
    Bits capture_dr() override;
    void update_dr(const Bits& value) override;
    void reset() override;
    void on_idle_clock() override;

    // Runs up to `max_instructions` while the CPU runs; returns how many ran.
    unsigned advance(unsigned max_instructions);

    std::uint8_t status() const;
    unsigned cpu_mode() const { return mode_; }
    bool running() const;
    bool in_reset() const { return in_reset_; }
    std::uint8_t instruction() const { return instruction_; }
    std::uint16_t mpsdctl() const { return mpsdctl_; }
    std::uint32_t ecr() const { return ecr_; }
    // The pools as the last scan would capture them.
    const C54xPoolSet& pools();

    C54xCpu& cpu() { return cpu_; }
    C54xComparators& comparators() { return comparators_; }
    C54xFaults& faults() { return faults_; }
    bool disconnected() const override { return faults_.disconnected; }
    void on_target_reset_line(bool asserted) override;

    // A reset from the board itself (its button, a watchdog), which no
    // debugger asked for: asserting resets the core and holds it, as IR
    // 0x40 does; releasing it, or IR 0x41, lets it go. The status shows it
    // as any other reset (bit 5).
    void board_reset(bool asserted) { core_reset(asserted); }

    // The pod's target-reset line as the target last saw it, how many times
    // it was asserted, and whether it was asserted when the core was last
    // reset (by IR 0x40 or board_reset()).
    bool reset_line() const { return reset_line_; }
    unsigned reset_line_assertions() const { return reset_line_assertions_; }
    bool reset_line_at_core_reset() const { return reset_line_at_core_reset_; }

    // Counters for assertions: fed executions, single steps performed,
    // halts, and resumes refused for a context that was not put back.
    unsigned fed_executions() const { return fed_executions_; }
    unsigned single_steps() const { return single_steps_; }
    unsigned halts() const { return halt_number_; }
    unsigned context_errors() const { return context_errors_; }

    // Pools 3-5 (index 0-2) as the CPU left them at its last halt.
    const std::array<Bits, 3>& halt_context() const { return halt_context_; }

private:
    void change_mode(bool execute);
    void enter_mode(unsigned mode);
    void execute_fed();
    void halt(std::uint8_t cause);
    void core_reset(bool asserted);
    void pools_from_cpu();
    void cpu_from_pools(std::uint16_t select);
    void record_halt();
    void keep_halt_context();
    bool pipeline_empty() const;
    bool context_resumable() const;
    bool refuse_resume();

    C54xTargetConfig config_;
    C54xFaults faults_;
    C54xCpu cpu_;
    C54xComparators comparators_;
    C54xPoolSet pools_;

    std::uint8_t instruction_ = c54x_ir::kIdcode;
    std::uint16_t mpsdctl_ = 0;
    std::uint32_t ecr_ = 0;
    unsigned mode_ = 2;
    bool halted_ = false;        // stopped by itself while in mode 2 or 3
    std::uint8_t causes_ = 0;    // status bits 1, 3, 4
    bool error_ = false;
    bool in_reset_ = false;

    // An armed repeat of a fed instruction.
    bool fed_repeat_armed_ = false;
    std::uint32_t fed_repeat_left_ = 0;
    unsigned fed_repeat_index_ = 0;

    std::array<Bits, 3> halt_context_;
    unsigned halt_number_ = 0;
    unsigned context_errors_ = 0;

    bool reset_line_ = false;
    unsigned reset_line_assertions_ = 0;
    bool reset_line_at_core_reset_ = false;

    unsigned fed_executions_ = 0;
    unsigned single_steps_ = 0;
};

} // namespace sim
