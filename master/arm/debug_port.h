// The ARM debug port of a Cortex-M device: its DP registers and the access to
// an AP's registers, over a JTAG-DP (35-bit DPACC, APACC and ABORT scans of
// the chain engine) or an SW-DP (Serial Wire frames sent as raw transfers).
// The engine's wire mode, read at the moment each operation runs, chooses the
// wire.
//
// Promises to the device and the MEM-AP above:
//  - A DP register's value stays cached until it is forgotten (TAP reset,
//    error clean-up); SELECT is written only when the bank or AP changes.
//  - Every WAIT is retried (300 attempts, pauses from the twelfth failure
//    on); a WAIT that persists aborts the stuck transfer (the ABORT scan, or
//    DAPABORT) and then raises 0x0D390053. Nothing is returned from a WAIT.
//  - An SW-DP FAULT clears every sticky flag through ABORT and raises
//    0x0D390055 when a flag stays set, 0x0000FFFF when they all cleared.
//  - An AP read issues the AP transaction once and collects its posted
//    result through RDBUFF, so a register with read side effects is read
//    once.
//  - Over JTAG every DPACC and APACC request is scanned in exchange mode and
//    its ACK checked before the operation goes on: a request the DP ignored
//    (its scan answered WAIT) is scanned again, never taken as done, and a
//    read's result is taken only from a request the DP took. Each JTAG DP or
//    AP access costs one exchange (a read: its request and the collecting
//    scan in one batch), as a Serial Wire one does.
//  - Serial Wire read data with a wrong parity is an invalid acknowledge
//    (0x0D390054, param[0] the wire ACK).
//  - Clean-up that needs exchanges runs only between batches; called from a
//    completion (while the pending log is being worked through) a persistent
//    WAIT or a FAULT is raised at once: for a WAIT the abort is queued to go
//    out with the next batch, a FAULT's sticky flags are left to the next
//    access or the recovery (reconfigure).
#pragma once

#include <cstdint>

#include "master/arm/dp_wire.h"
#include "master/core/error_record.h"
#include "master/core/reply_waiter.h"
#include "master/core/trn_prot.h"
#include "master/jtag/capture_register.h"
#include "master/jtag/chain_device.h"
#include "master/jtag/jtag.h"
#include "master/jtag/resources.h"
#include "master/jtag/tapregister.h"

namespace mst {

class dap_regset;
class rw_dp_reg;

// The read waiter of a scan register; completing it fills the in image.
class dp_read_waiter : public wr_resource {
public:
    dp_read_waiter(rw_dp_reg& reg, const char* name) : wr_resource(name), reg_(reg) {}
    void complete(uint32_t position) override;

private:
    rw_dp_reg& reg_;
};

// One scan register of the debug port (DPACC, APACC or the ABORT scan),
// read and written as a whole; over Serial Wire the same object carries the
// frames of DPACC (APnDP 0) and APACC (APnDP 1).
class rw_dp_reg {
public:
    rw_dp_reg(dap_regset& set, uint32_t ir_code, const char* write_name, const char* read_name);
    rw_dp_reg(const rw_dp_reg&) = delete;
    rw_dp_reg& operator=(const rw_dp_reg&) = delete;

    // JTAG: the read waiter is reset, the request built and scanned in
    // write mode.
    void queue_request(uint32_t rnw, uint32_t data, uint32_t address);
    // JTAG: the owner's instruction register set to this register's code,
    // then the 35-bit scan of the out image (mode 1 write, 2 exchange).
    // capture: the waiter of an exchange's captured bits (the read waiter
    // when null).
    void jtag_scan(uint32_t mode, synchro* capture = nullptr);
    // Both wires: the out image holds the request (or frame) and the read
    // waiter is reset; nothing is sent.
    void prepare(uint32_t rnw, uint32_t data, uint32_t address);
    // JTAG: the request scanned in exchange mode until its own capture
    // answers OK, so the DP has taken it (a request scanned while the DP
    // answers WAIT is ignored). Returns the captured data: the result of the
    // transaction before it.
    uint32_t jtag_checked(uint32_t rnw, uint32_t data, uint32_t address);

    // Serial Wire.
    void swd_request_phase();
    void swd_data_phase();
    uint32_t swd_exchange();
    uint32_t transfer(uint32_t rnw, uint32_t data, uint32_t address);
    uint32_t transfer_with_retry(uint32_t rnw, uint32_t data, uint32_t address);

    // The read waiter's completion; take_reply copies whatever the state.
    void complete(uint32_t position);
    void take_reply(uint32_t position);
    // The acknowledge result of the in image (raises on an invalid one).
    uint32_t acknowledge();
    // The ACK bits of the in image as they came off the wire.
    uint32_t wire_ack() const;
    uint32_t read_value(uint32_t& ack);
    // failed_attempts: attempts of this read already made and failed (they
    // count against the bound and the pauses).
    uint32_t read_with_retry(uint32_t failed_attempts = 0);
    void check_result(uint32_t result);

    // The read data of the in image (JTAG bits 3-34, Serial Wire 16-47).
    uint32_t data() const;
    // Serial Wire: the in image holds read data whose parity bit is wrong.
    bool bad_read_parity() const;

    uint64_t in() const { return (uint64_t{in_[1]} << 32) | in_[0]; }
    uint64_t out() const { return (uint64_t{out_[1]} << 32) | out_[0]; }

    // The pause after failed attempt number attempt of a retry loop: none
    // for the first eleven, 50 ms from the twelfth on.
    static void pause_after_failure(uint32_t attempt);

    uint32_t ir_code;
    wr_resource write_waiter;
    dp_read_waiter read_waiter;

private:
    void set_in(uint64_t v);
    void set_out(uint64_t v);
    void set_out_bits(unsigned first, unsigned n, uint64_t value);
    scan_result raw(uint32_t mode, const uint16_t* masks, const uint16_t* data);
    // Raises 0x0D390054 when read data came with a wrong parity.
    void check_read_parity();
    void check_jtag_result(uint32_t result);
    void check_swd_result(uint32_t result);
    void queue_blind_abort();

    dap_regset& set_;
    uint32_t in_[2] = {};
    uint32_t out_[2] = {};
    // The in image holds read data (a data phase or a whole frame).
    bool holds_data_ = false;
};

// One named DP register with a cached value. Over Serial Wire a read or
// write takes over the DPACC's entry in the pending log and completes with
// the batch; over JTAG every access is checked at once (one exchange).
class dpacc_reg : public synchro {
public:
    dpacc_reg(dap_regset& set, uint32_t address, const char* name);

    void reset() override;
    void complete(uint32_t position) override;

    uint32_t get();
    // Starts a read when the value is invalid and leaves it pending: over
    // Serial Wire its data phase then rides with the next transfer's request
    // phase; get() fetches it only if no exchange has brought it in.
    void start_read();
    void set(uint32_t v);
    void set_if_changed(uint32_t v);
    void forget() { reset(); }
    // The value a read outside this register's own path brought in.
    void known(uint32_t v);

    const char* name;
    uint32_t value = 0;
    uint32_t address;

private:
    void read();
    void write();
    // After a Serial Wire read came in: its data parity.
    void verify();

    dap_regset& set_;
    uint32_t wire_ack_ = 0;
    bool bad_parity_ = false;
    bool unverified_ = false;
};

// JTAG: the ACK captured by a request scan, kept apart from the scan
// register's in image (the collecting scan of the same batch fills that),
// with the data it captured.
class jtag_ack_probe : public synchro {
public:
    explicit jtag_ack_probe(jtag& engine) : engine_(engine) {}
    void complete(uint32_t position) override;
    uint32_t wire_ack = 0;
    uint32_t data = 0;

private:
    jtag& engine_;
};

// The device's register set: the three scan registers and the six DP
// register images.
class dap_regset {
public:
    // owner: the device whose instruction register the JTAG scans select and
    // whose chain position (dr_bits_before) they pass to the engine.
    dap_regset(jtag& engine, chain_device& owner);
    dap_regset(const dap_regset&) = delete;
    dap_regset& operator=(const dap_regset&) = delete;

    // Every waiter reset, every cached value invalid (TAP reset notice).
    void forget_all();

    bool swd() const { return engine.wire_mode != 0; }
    trn_prot& prot() { return engine.prot(); }
    error_record& record() { return engine.prot().record(); }

    jtag& engine;
    chain_device& owner;
    rw_dp_reg dpacc;
    rw_dp_reg apacc;
    rw_dp_reg abort_scan;
    dpacc_reg abort;
    dpacc_reg dpidr;
    dpacc_reg ctrl;
    dpacc_reg stat;
    dpacc_reg select;
    dpacc_reg rdbuff;
    jtag_ack_probe request_ack;
    jtag_ack_probe pair_ack;
    // Serial Wire: takes the data phase of an AP read whose data nobody
    // asked for (ap_post_read_sel), so that the APACC's next request in the
    // same batch completes as its own.
    synchro unused_data;
    // JTAG: what the first scan of the last jtag_read that the DP took
    // captured: the result of the transaction before that read.
    uint32_t posted_jtag = 0;
};

// AP access; the forms without an AP number take it from bits 8-15 of reg.
uint32_t ap_read(dap_regset& set, uint32_t reg);
void ap_write(dap_regset& set, uint32_t value, uint32_t reg);
uint32_t ap_read_sel(dap_regset& set, uint32_t reg, uint32_t apsel);
// The AP read issued and taken, its result left posted: the next AP read
// returns it as it is issued (posted_result).
void ap_post_read_sel(dap_regset& set, uint32_t reg, uint32_t apsel);
// Serial Wire, the bank already selected: the AP read and the RDBUFF read
// that collects its result, that one left pending (set.rdbuff.get() gives
// the value; the next transfer's request phase brings it in).
void swd_ap_read_request(dap_regset& set, uint32_t reg);
void ap_write_sel(dap_regset& set, uint32_t value, uint32_t reg, uint32_t apsel);

// Right after an AP read (ap_read, ap_read_sel): the result of the AP read
// before it, which that read's own transfer returned as it was issued (JTAG
// the capture of the request the DP took, Serial Wire the data phase).
// Serial Wire data with a wrong parity raises 0x0D390054.
uint32_t posted_result(dap_regset& set);

// JTAG: a DP or AP register read in one exchange: the read request on
// request_reg and the collecting RDBUFF scan go in one batch; a request the
// DP ignored (WAIT) is issued again, a result not ready yet collected again.
uint32_t jtag_read(dap_regset& set, rw_dp_reg& request_reg, uint32_t address);

// Cancels a stuck transfer: the ABORT scan (JTAG) or ABORT := DAPABORT.
// Queued only; the caller sends the batch.
void abort_transfer(dap_regset& set);

// Reads STAT; when a sticky flag is set, clears the flags (JTAG: CTRL/STAT
// written back; Serial Wire: ABORT := 0x1E) and raises 0xFFFF, which
// delivers a collected code if there is one.
void check_sticky_errors(dap_regset& set);
// The same for a STAT value already read.
void check_sticky_value(dap_regset& set, uint32_t stat);

// JTAG: an AP or DP register read on first_reg and a DP register read in one
// exchange: the second request collects the first read's result, an RDBUFF
// scan the second's. True with both values when the DP took all three
// scans; false when it ignored one (WAIT), and the caller reads them again
// one by one (only for registers without read side effects). posted_seen:
// set when a scan the DP took captured the result of the transaction before
// the pair, which is then in set.posted_jtag.
bool jtag_read_pair(dap_regset& set, rw_dp_reg& first_reg, uint32_t first_address,
                    uint32_t second_address, uint32_t& first, uint32_t& second, bool& posted_seen);

// Powers the debug and system domains up and readies the MEM-AP at apsel
// (32-bit accesses, no increment); the batch is sent.
void power_up(dap_regset& set, uint32_t apsel);

// Serial Wire, when the engine has lost the line state (a recovery): a line
// reset, the DPIDR read the port then expects, and its sticky flags
// cleared. Every Serial Wire frame is prepared through it.
void resume_line(dap_regset& set);

// The debug port's identification value: JTAG the IDCODE register (its
// instruction register and image forgotten first), Serial Wire DPIDR.
uint32_t read_port_id(dap_regset& set, tapregister& idcode);
// (value AND 0x0FFEFFFF) is 0x0BA00477 (JTAG) or 0x0BA01477 (Serial Wire).
bool port_id_accepted(uint32_t id, bool swd);

} // namespace mst
