// The simulated pod: the USB debug pod's side of the request/reply protocol,
// its control lines, voltages and status, and the JTAG scan chain it drives.
//
// How the pod reads a request (units are 16-bit, little-endian; a command word
// is a u32 at a unit boundary, low unit first):
// - A batch ends with the end-of-batch word 0x92000903; the reply is the echo
//   of that word as u32 word 0, then the data units of the batch's commands
//   in request order. The pod answers when the closing word arrives; a
//   request without one gets no answer (the host sees a reply of length 0).
// - Units after the closing word, or a command whose operands run past the
//   end of the request, are a protocol error, answered like an unknown
//   command.
// - Control commands (0x80000901, 0x80000902, 0x80000905, 0x80000906) must
//   be alone in their request; one that follows or precedes other commands is
//   a protocol error. Their echo is the command word itself.
// - An unknown command (or a protocol error) stops the request where it
//   stands: the commands before it have been executed, the reply is the one
//   u32 0xE0000006 and nothing else.
// - The end marker 0x80FFFFFF does nothing and answers nothing: it only lets
//   the host resynchronise a request that ends in a batch close.
// - A scan step is the word, a u16 TMS and a u16 TDI word: 16 TCK clocks,
//   bit 0 first. TDO is sampled on each rising edge before the chain shifts,
//   so bit k of the returned word is the chain's output during clock k. Write
//   (0x88000903) returns nothing; exchange (0x8C000903) drives TDI and
//   returns TDO; read (0x8A000903) ignores the TDI word and drives every
//   clock's sampled TDO back into TDI, so a register shifted once around the
//   whole chain is written back unchanged.
// - The in-batch voltage sample 0x98000903 adds the five voltage values.
// - The clock parameter: the value's low byte is the setting 0..7 (0
//   fastest); a low byte above 7 selects 7, and the upper bytes are
//   ignored. (The host's chain re-detection sends the four bytes of its
//   configuration record that begin with the setting found, which is 8
//   when no setting worked.)
// - Control lines: word A releases lines, word B asserts them, A first.
//   (The host asserts the target reset in B for the length of its reset
//   and the run line in B while the target runs, and releases both in A.)
//   Line 4 is wired to TRST: asserted, every TAP is held in
//   Test-Logic-Reset (the host pulses it B then A to reset the TAPs, and
//   releases it in A for a TMS320C54x); a test may unwire it. Line 0x10000
//   is the target reset, told to every device (what it does there is the
//   device's; the TMS320C54x model records it only) and to the attached
//   Cortex-M target, whose core it resets (held while asserted). 0x20 is
//   the JTAG select: the pod powers up in JTAG mode; a word A that releases
//   0x20 puts it in Serial Wire Debug mode, a word B that asserts it back in
//   JTAG mode. Lines 2, 8 and 0x20000 (run) are kept and logged only.
// - Serial Wire Debug mode: a scan step (also one run from a script) is
//   16 clocks on the SWD data line of the attached Cortex-M target
//   (swd_line.h): the TMS word is the drive mask (bit i = 1: the pod drives
//   the line with TDI bit i in clock i, 0: it lets go) and the TDI word the
//   data; bit i of the captured unit is the line level in clock i. Read
//   steps (0x8A000903) drive like exchange steps. The JTAG chain is not
//   clocked. Without an attached target (or with the target disconnected)
//   the line reads what the pod drives and 0 where it lets go.
// - JTAG mode: steps clock the chain; SWDIO and TMS are one pin, so every
//   clock's TMS is also a driven clock on the attached target's SWD line,
//   which is how its debug port sees the switch sequences.
// - Time: every request that reaches the pod is one exchange for the
//   attached Cortex-M target (CortexMTarget::on_exchange(), after the
//   request has acted): its core runs, a scheduled reset falls due.
// - The status word is 0 unless a test sets it; the status-error fault
//   raises bit 0.
// - Command list: 0x97000903, n, n words stores the words as the pod's
//   command list (replacing the one held) and runs nothing. A stored list is
//   run by 0x80000903 | P << 12 from word P (see "Pod scripts" below).
//   0x96000903 | P << 12 followed by u16 n, n u16 words and one pad unit
//   when n is even overwrites the TDI halves of the n scan-step entries
//   from word P on (other entries in between are skipped; an end-of-script
//   entry before the n-th step is a protocol error).
// - Voltages: value 1 is Vtrg, value 2 the reading behind the input fuse;
//   5000, 3300, 3300, 0, 0 mV unless scripted. A scripted list is consumed
//   one sample per reading; its last sample stays.
// - A disconnected target leaves TCK unconnected: the chain is not clocked
//   and TDO floats high. The pod's own knob (PodFaults) and a device's
//   disconnected() (the chain's, scan_chain.h) both do this. Power is
//   scripted separately. The stuck-TDO knob acts on the JTAG chain only.
// - A request may be of any length; the pod does not limit it to the
//   host's request buffer. Nothing in a request makes the pod wait: every
//   wait is the host's.
// - The transport stores at most 2008 bytes of a reply and reports the true
//   length, so an overlong reply is seen by the host without an overrun.
//
// Pod scripts (what the pod does with a stored list; the host's encoder
// builds its scripts to this contract). Positions P are word indices into
// the stored list. Entries:
//   [0x88/0x8A/0x8C000903, TDI << 16 | TMS]  one scan step; 0x8A and 0x8C
//                              capture a unit, 0x88 captures nothing
//   [0x95000903, count, TDI << 16 | TMS]     count write steps
//   [0x8F000903, count]        opens a retry block of at most count passes
//                              (count 0 is a protocol error); its body runs
//                              to the matching 0x90000903 (blocks nest: the
//                              match is found by counting 0x8F/0x90 entries
//                              in list order)
//   [0x8E000903, n, n words]   compares: word i's low half is the expected
//                              value, its high half the mask, and it is held
//                              against the i-th unit captured since the
//                              current transfer began (below); matched when
//                              every (unit XOR value) AND mask is 0
//   [0x8B000903, P]            when the last comparison matched, continues
//                              at P; every open block whose body does not
//                              hold P is left. No comparison yet in this
//                              run: protocol error
//   [0x90000903]               ends a pass of the innermost open block: the
//                              next pass starts at the entry after its 0x8F
//                              while passes remain; after the last pass the
//                              block closes and the script goes on with the
//                              next entry (its failure path)
//   [0x93000903, 0]            marks a failure path (after a block whose
//                              every pass failed, or before the end of a
//                              script whose check failed): counted in the
//                              pod's log (PodLog::block_failures), else
//                              nothing; the operand is reserved, must be 0
//   [0x81000903]               ends the script (also inside a block)
// A script also ends at the end of the list. Anything else is a protocol
// error, as are a jump past the end of the list, a block without its
// 0x90000903, and more than 64 blocks open at once. Steps go out on the
// wire of the moment (JTAG or Serial Wire Debug), as in a request.
// Transfers: the units a comparison looks at are those captured since the
// most recent start of a block pass (the 0x8F entry or a repeat through
// 0x90), or since the script began when none started; so the ACK unit of a
// Serial Wire Debug request captured inside a block and the data phase
// captured after the block was left form one transfer, with the read data
// at bit 16, and a JTAG read's data sits at its capture offset + 3.
// Reply: a run adds a fixed number of units whatever path it takes: one
// slot for every capturing step entry that can be reached from P
// (following jumps and falling through, up to the 0x81 entries), in list
// order. A step fills its own slot, so a retried capture overwrites its
// unit and the last pass is what the host reads; the slots of steps that a
// run did not reach (a block that failed, a comparison that ended the
// script early) read 0, which no acknowledge accepts (neither JTAG's OK
// 0b010 nor Serial Wire Debug's OK 0b001). A script that ends early thus
// answers its whole footprint too: the host counts every run's footprint
// into the batch's reply and refuses a reply that is shorter. The commands
// after the run in the request go on as usual.
// Example, a Serial Wire Debug read of DRW (P = 0):
//   0 [0x8F000903, 300]   2 [0x8C000903, request << 16 | 0x0FFF]
//   4 [0x8E000903, 1, 0xE0002000]   7 [0x8B000903, 13]   9 [0x90000903]
//   10 [0x93000903, 0]   12 [0x81000903]
//   13, 15, 17 the data phase: 0x8C000903 with masks 0x0000, 0x0000, 0xFFFC
//   19 [0x81000903]
// Its reply is 4 units: the request step (ACK in bits 13-15, the last pass
// of the block), then the data phase, or 0, 0, 0 when all 300 passes WAITed.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "sim/pod/pod_log.h"
#include "sim/pod/scan_chain.h"
#include "sim/pod/virtual_clock.h"

namespace sim {

class CortexMTarget;

struct VoltageSample {
    std::uint16_t values[5] = {5000, 3300, 3300, 0, 0};
};

enum class TransportCall { Send, Reply, Timeout };

struct ReplyFault {
    enum class Kind {
        NoReply,        // request executed, reply lost (length 0)
        UnknownCommand, // reply word 0 = 0xE0000006
        WrongEcho,      // reply word 0 := value
        Short,          // reply cut to `value` bytes
        Overlong,       // `value` extra bytes appended
        FlipBits,       // unit `unit` XOR the low 16 bits of `value`; length and echo kept
    };
    Kind kind = Kind::NoReply;
    std::uint32_t value = 0;
    std::uint32_t unit = 0;
};

// Faults that stay until a test clears them.
struct PodFaults {
    std::optional<bool> tdo_stuck;   // broken chain: TDO reads this value
    bool target_disconnected = false;
    bool status_error = false;
    bool trst_wired = true;
};

class Pod {
public:
    // The host's reply area: the transport never stores more than this.
    static constexpr std::uint32_t kReplyAreaBytes = 2008;
    // The host's limits for one batch: the request with its closing word,
    // and the reply with its echo (PodLog counts the batches past them).
    static constexpr std::size_t kRequestLimitUnits = 2002;
    static constexpr std::size_t kReplyLimitUnits = 1004;

    ScanChain& chain() { return chain_; }
    PodFaults& faults() { return faults_; }
    VirtualClock& clock() { return clock_; }
    const PodLog& log() const { return log_; }
    PodLog& log() { return log_; }

    // The transport's view: one request in, one reply out. Results are those
    // the transport slots return (0 = ok).
    std::uint32_t send_request(const void* data, std::uint32_t byte_count);
    std::uint32_t get_reply(void* buffer, std::uint32_t* byte_count);
    std::uint32_t set_timeout(std::uint32_t milliseconds);

    // Scheduled faults, counted from now: the n-th call (1 = the next one)
    // of a transport function returns `result`; the n-th request gets `fault`.
    void fail_transport_call(TransportCall call, std::uint32_t nth, std::uint32_t result);
    void fault_reply(std::uint32_t nth_request, ReplyFault fault);
    // The next `requests` requests are neither executed nor answered.
    void go_dead_for(std::uint32_t requests) { dead_requests_ = requests; }

    // The Cortex-M target on the SWD line and the reset line (null: none).
    // The pod does not own it; its JTAG-DP (make_jtag_dp()) goes into the
    // chain separately, wherever the test wants it.
    void attach_arm_target(CortexMTarget* target) { arm_ = target; }
    CortexMTarget* arm_target() const { return arm_; }
    bool swd_mode() const { return swd_mode_; }

    void script_voltages(std::vector<VoltageSample> samples);
    void set_status_word(std::uint32_t status) { status_ = status; }

    std::uint32_t lines() const { return lines_; }
    std::uint32_t parameter() const { return parameter_; }
    std::uint32_t timeout_ms() const { return timeout_ms_; }
    const std::vector<std::uint32_t>& command_list() const { return command_list_; }

private:
    using Units = std::vector<std::uint16_t>;
    struct Request;
    struct ScriptLayout;

    std::optional<Units> interpret(const Units& request);
    bool run_batch_command(Request& rq, std::uint32_t word);
    bool run_control(Request& rq, std::uint32_t word);
    bool store_list(Request& rq);
    bool run_script(Request& rq, std::uint32_t start);
    bool patch_script(Request& rq, std::uint32_t start);
    const ScriptLayout* script_layout(std::uint32_t start);
    void step(Request& rq, std::uint32_t mode_word, std::uint16_t tms, std::uint16_t tdi);
    // One 16-clock step on the wire of the current mode; the captured unit
    // unless the step is a write.
    std::optional<std::uint16_t> wire_step(std::uint32_t mode_word, std::uint16_t tms, std::uint16_t tdi);
    std::uint16_t swd_step(std::uint16_t mask, std::uint16_t data);
    bool clock_tdo();
    bool tck(bool tms, bool tdi);
    VoltageSample next_voltage_sample();
    void apply_lines(std::uint32_t release, std::uint32_t assert_);
    std::optional<std::uint32_t> transport_fault(TransportCall call);
    void apply_reply_fault(std::optional<Units>& reply);

    ScanChain chain_;
    PodFaults faults_;
    VirtualClock clock_;
    PodLog log_;

    std::optional<Units> pending_reply_;
    std::uint32_t lines_ = 0;
    std::uint32_t parameter_ = 7; // the pod starts at its slowest clock
    std::uint32_t status_ = 0;
    std::uint32_t timeout_ms_ = 0;
    std::vector<std::uint32_t> command_list_;
    std::map<std::uint32_t, std::shared_ptr<const ScriptLayout>> layouts_; // by start, for the stored list
    CortexMTarget* arm_ = nullptr;
    bool swd_mode_ = false;
    std::vector<VoltageSample> voltages_{VoltageSample{}};

    std::uint32_t requests_seen_ = 0;
    std::uint32_t dead_requests_ = 0;
    std::map<std::uint32_t, ReplyFault> reply_faults_;        // by request number
    std::map<std::uint64_t, std::uint32_t> transport_faults_[3]; // by call number
};

} // namespace sim
