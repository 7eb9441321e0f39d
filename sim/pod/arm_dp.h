// The register side of a simulated ADIv5 debug port (DPv1), shared by its
// two wire front ends: the JTAG-DP TAP (arm_jtag_dp.h) and the SW-DP line
// state machine (arm_sw_dp.h). Like an SWJ-DP, both reach one set of DP
// registers and the same access ports.
//
// DP registers by A[3:2]:
//   0x0 read  DPIDR;  write ABORT (SWD only; JTAG has the ABORT instruction)
//   0x4       CTRL/STAT (WCR on SWD while SELECT.CTRLSEL is 1)
//   0x8 read  SELECT on JTAG, RESEND on SWD;  write SELECT
//   0xC read  RDBUFF: on SWD the posted result of the last AP read, on JTAG
//             zero (its scan's capture carries the previous result anyway)
// CTRL/STAT: ORUNDETECT 0, STICKYORUN 1, TRNMODE 3-2, STICKYCMP 4, STICKYERR 5,
// READOK 6, WDATAERR 7 (SWD), MASKLANE 11-8, TRNCNT 23-12, CDBGRSTREQ/ACK 26/27,
// CDBGPWRUPREQ/ACK 28/29, CSYSPWRUPREQ/ACK 30/31.
// Sticky bits are write-1-to-clear through CTRL/STAT on JTAG and read-only
// on SWD, where ABORT clears them (STKCMPCLR 1, STKERRCLR 2, WDERRCLR 3,
// ORUNERRCLR 4). DAPABORT (ABORT bit 0) cancels a transaction in progress
// on either wire.
// While STICKYERR, STICKYCMP, STICKYORUN or WDATAERR is set the port starts
// no AP transaction: SWD answers FAULT to everything but the DPIDR and
// CTRL/STAT reads and the ABORT write, JTAG discards the APACC request.
//
// Timing is counted in accesses, never in wall time: a transaction that the
// WAIT knobs hold keeps the port busy for the next N accesses (each answered
// WAIT, its request ignored), and the power-up acknowledges follow their
// requests after a set number of accesses. On JTAG an access is a DPACC or
// APACC Capture-DR; on SWD a packet header. A persistent WAIT and an AP that
// reports its transfer stuck keep the port busy until DAPABORT.
//
// The DPIDR and CTRL/STAT reads and the ABORT write, which never wait on
// SWD, do not arm the WAIT knobs either.
//
// Choices where the architecture leaves the port free:
// - The data a JTAG capture shows after a write, after a WAIT, or after a
//   discarded request is 0.
// - The first SWD AP read after reset posts 0 (RDBUFF starts at 0).
// - An APSEL with no access port behind it reads 0 and ignores writes.
// - A JTAG DPACC write to address 0 does nothing; a read there gives DPIDR.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <vector>

#include "sim/pod/arm_access_port.h"

namespace sim {

enum class ArmAck : std::uint8_t { Ok, Wait, Fault, None };

enum class ArmAccessClass : std::uint8_t { DpRead, DpWrite, ApRead, ApWrite };
inline constexpr unsigned kArmAccessClasses = 4;

// How a transaction of one access class keeps the port busy once accepted.
struct ArmWaitKnob {
    unsigned waits = 0;      // accesses answered WAIT after the transaction
    bool persistent = false; // WAIT until DAPABORT
    bool every = false;      // false: the knob fires once and disarms
};

struct ArmDpConfig {
    std::uint32_t dpidr = 0x2BA01477;
    unsigned power_ack_latency = 0; // accesses between a power-up request and its ACK
};

struct ArmDpLog {
    std::vector<std::uint32_t> select_writes;
    std::vector<std::uint32_t> ctrl_writes;
    std::vector<std::uint32_t> abort_writes; // ABORT register (SWD) and ABORT scans (JTAG)
    std::uint64_t accesses = 0;              // captures / packet headers that reached the DP
    std::uint64_t transactions = 0;          // requests carried out
    std::uint64_t waits = 0;
    std::uint64_t faults = 0;
};

class ArmDp {
public:
    static constexpr std::uint32_t kOrunDetect = 1u << 0, kStickyOrun = 1u << 1, kStickyCmp = 1u << 4,
                                   kStickyErr = 1u << 5, kReadOk = 1u << 6, kWDataErr = 1u << 7,
                                   kCdbgRstReq = 1u << 26, kCdbgRstAck = 1u << 27,
                                   kCdbgPwrUpReq = 1u << 28, kCdbgPwrUpAck = 1u << 29,
                                   kCsysPwrUpReq = 1u << 30, kCsysPwrUpAck = 1u << 31;
    static constexpr std::uint32_t kStickyMask = kStickyOrun | kStickyCmp | kStickyErr | kWDataErr;

    explicit ArmDp(const ArmDpConfig& config = {});

    // `apsel` is SELECT bits 31-24.
    void attach_ap(std::uint8_t apsel, ArmAccessPort& port);

    // JTAG-DP side. Capture-DR of DPACC or APACC: `wait` when the previous
    // transaction is still in progress; then the Update-DR request must be
    // ignored (the front end keeps that), else jtag_request() carries it out.
    struct JtagCapture {
        bool wait = false;
        std::uint32_t read_result = 0;
    };
    JtagCapture jtag_capture();
    void jtag_request(bool ap, bool read, std::uint8_t address, std::uint32_t data);
    // The ABORT instruction's Update-DR: only DAPABORT acts on a JTAG-DP.
    void jtag_abort(std::uint32_t data);

    // SW-DP side. The acknowledge for a packet header; for an OK read,
    // `read_data` is what the target drives. A write answered OK is carried
    // out by swd_write_data() once its data phase is in.
    ArmAck swd_request(bool ap, bool read, std::uint8_t address, std::uint32_t& read_data);
    void swd_write_data(bool ap, std::uint8_t address, std::uint32_t data, bool parity_ok);

    // Register state for tests.
    std::uint32_t ctrl_stat() const;
    std::uint32_t select() const { return select_; }
    std::uint32_t rdbuff() const { return rdbuff_; }
    bool busy() const { return busy_left_ > 0 || stuck_; }

    // Fault knobs.
    void set_wait_knob(ArmAccessClass c, const ArmWaitKnob& knob) { knobs_[static_cast<unsigned>(c)] = knob; }
    // A power-up acknowledge that never comes (false = never).
    void set_power_acks(bool debug_acks, bool system_acks) {
        debug_acks_ = debug_acks;
        system_acks_ = system_acks;
    }
    // Sets sticky bits as if an error had happened; `clearable` false keeps
    // them set whatever the host writes.
    void inject_sticky(std::uint32_t bits, bool clearable);

    const ArmDpLog& log() const { return log_; }
    void clear_log() { log_ = ArmDpLog{}; }

private:
    void tick();
    bool exempt(bool ap, bool read, std::uint8_t address) const;
    void accepted(ArmAccessClass c);
    std::uint32_t dp_read(std::uint8_t address, bool swd);
    void dp_write(std::uint8_t address, std::uint32_t data, bool swd);
    ArmApResult ap_access(bool read, std::uint8_t address, std::uint32_t data);
    ArmAccessPort* selected_ap() const;
    void abort(std::uint32_t data, bool swd);
    void clear_sticky(std::uint32_t bits);

    ArmDpConfig config_;
    std::map<std::uint8_t, ArmAccessPort*> aps_;
    std::array<ArmWaitKnob, kArmAccessClasses> knobs_{};
    std::uint32_t ctrl_ = 0;    // writable control bits
    std::uint32_t sticky_ = 0;  // sticky and READOK bits
    std::uint32_t stuck_sticky_ = 0;
    std::uint32_t select_ = 0;
    std::uint32_t wcr_ = 0;
    std::uint32_t rdbuff_ = 0;
    std::uint32_t resend_ = 0;
    std::uint32_t read_result_ = 0;
    unsigned busy_left_ = 0;
    bool stuck_ = false;
    bool debug_acks_ = true;
    bool system_acks_ = true;
    unsigned debug_ack_in_ = 0;
    unsigned system_ack_in_ = 0;
    ArmDpLog log_;
};

// Even parity of a 32-bit value: 1 when an odd number of bits are set.
inline bool arm_parity32(std::uint32_t v) {
    v ^= v >> 16;
    v ^= v >> 8;
    v ^= v >> 4;
    v ^= v >> 2;
    v ^= v >> 1;
    return (v & 1) != 0;
}

} // namespace sim
