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
//   device's; the TMS320C54x model records it only). 0x20 (JTAG select,
//   released for Serial Wire Debug), 2, 8 and 0x20000 (run) are kept and
//   logged only. Serial Wire Debug signalling is not simulated: steps
//   always clock the chain with the TMS word as TMS.
// - The status word is 0 unless a test sets it; the status-error fault
//   raises bit 0.
// - Command list: 0x97000903, n, n words stores the words as the pod's
//   command list (replacing the one held) and runs nothing. A stored list is
//   run by 0x80000903 | P << 12 from word P up to an end-of-script entry
//   0x81000903 (or the end of the list). Entries run: scan steps
//   [0x88/0x8A/0x8C000903, TDI << 16 | TMS], each adding its TDO unit like a
//   step in the request, and the repeat entry [0x95000903, count,
//   TDI << 16 | TMS], count write steps of that word. 0x96000903 | P << 12
//   followed by u16 n, n u16 words and one pad unit when n is even
//   overwrites the TDI halves of the n scan-step entries from word P on. The
//   retry-block entries (0x8F, 0x8E, 0x8B, 0x90, 0x93) are not simulated
//   yet: a script that reaches one is a protocol error.
// - Voltages: value 1 is Vtrg, value 2 the reading behind the input fuse;
//   5000, 3300, 3300, 0, 0 mV unless scripted. A scripted list is consumed
//   one sample per reading; its last sample stays.
// - A disconnected target leaves TCK unconnected: the chain is not clocked
//   and TDO floats high. The pod's own knob (PodFaults) and a device's
//   disconnected() (the chain's, scan_chain.h) both do this. Power is
//   scripted separately.
// - A request may be of any length; the pod does not limit it to the
//   host's request buffer. Nothing in a request makes the pod wait: every
//   wait is the host's.
// - The transport stores at most 2008 bytes of a reply and reports the true
//   length, so an overlong reply is seen by the host without an overrun.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <vector>

#include "sim/pod/pod_log.h"
#include "sim/pod/scan_chain.h"
#include "sim/pod/virtual_clock.h"

namespace sim {

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
    };
    Kind kind = Kind::NoReply;
    std::uint32_t value = 0;
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

    void script_voltages(std::vector<VoltageSample> samples);
    void set_status_word(std::uint32_t status) { status_ = status; }

    std::uint32_t lines() const { return lines_; }
    std::uint32_t parameter() const { return parameter_; }
    std::uint32_t timeout_ms() const { return timeout_ms_; }
    const std::vector<std::uint32_t>& command_list() const { return command_list_; }

private:
    using Units = std::vector<std::uint16_t>;
    struct Request;

    std::optional<Units> interpret(const Units& request);
    bool run_batch_command(Request& rq, std::uint32_t word);
    bool run_control(Request& rq, std::uint32_t word);
    bool store_list(Request& rq);
    bool run_script(Request& rq, std::uint32_t start);
    bool patch_script(Request& rq, std::uint32_t start);
    void step(Request& rq, std::uint32_t mode_word, std::uint16_t tms, std::uint16_t tdi);
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
    std::vector<VoltageSample> voltages_{VoltageSample{}};

    std::uint32_t requests_seen_ = 0;
    std::uint32_t dead_requests_ = 0;
    std::map<std::uint32_t, ReplyFault> reply_faults_;        // by request number
    std::map<std::uint64_t, std::uint32_t> transport_faults_[3]; // by call number
};

} // namespace sim
