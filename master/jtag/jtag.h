// The JTAG chain engine: TAP moves and register scans of one device in the
// chain, turned into the pod's 16-clock scan steps; the TAP state, the bits
// of a half-sent step, the pod's mode slots; chain measurement and the
// search of a device by IDCODE.
//
// Promises:
//  - "Bits before" a device are the chain bits between it and TDO: they are
//    sent first and come back first.
//  - A scan reserves its whole batch room first (in read and exchange modes
//    one reply unit per step) and never exchanges the batch once it has
//    computed its reply position; a scan that cannot fit even an empty batch
//    reports done = 0 and appends nothing.
//  - The pod's mode slots are set on every scan, so a slot left by another
//    operation (reset, wire switch, measure, find, raw transfer) never puts a
//    scan into the wrong pod mode.
#pragma once

#include <cstdint>

#include "master/core/trn_prot.h"
#include "master/jtag/bitchain.h"
#include "master/jtag/chain_device.h"
#include "master/jtag/tap_moves.h"
#include "master/jtag/trg_channel.h"

namespace mst {

class cmd_list;

// Access modes of a scan.
namespace scan_mode {
constexpr uint32_t read = 0;      // TDO returned, TDI carries the fill
constexpr uint32_t write = 1;     // TDI driven, no TDO
constexpr uint32_t exchange = 2;  // both
} // namespace scan_mode

enum class reg_kind { ir, dr };

struct scan_result {
    uint32_t done = 0;
    uint32_t position = 0;  // reply bit position of the data's first bit
};

// A scan recorded into the pod command list.
struct queued_result {
    uint32_t handle = 0;       // command-list index of the first entry
    uint32_t data_steps = 0;   // entries that return TDO
    uint32_t bit_offset = 0;   // the data's first bit in its first step
};

// The search arguments of find_device: a field of up to 128 bits compared
// under a mask, both as u32 words, bit 0 first.
struct match_pattern {
    uint32_t length = 0;
    const uint32_t* mask = nullptr;
    const uint32_t* value = nullptr;
};

namespace find_result {
constexpr uint32_t not_found = 0;
constexpr uint32_t found = 1;
constexpr uint32_t twice = 2;
} // namespace find_result

class jtag : public trg_channel {
public:
    static constexpr uint32_t step_words = 1002;  // u16 per stream

    explicit jtag(trn_prot& prot);
    jtag(const jtag&) = delete;
    jtag& operator=(const jtag&) = delete;

    // chain_hooks
    void forget_state() override { tap_state = tap::unknown; }
    void forget_line_state() override { line_reset_due = wire_mode != 0; }
    void attach_reply() override;
    void detect_chain() override { measure_chain(); }

    void reset_tap();
    void select_wire(uint32_t swd);
    // Serial Wire: more than 50 clocks with the data line high, then idle
    // clocks; the debug port then expects a DPIDR read.
    void line_reset();
    void flush_pending();
    void enter_idle();
    void idle_clocks(uint32_t n);
    scan_result scan(reg_kind kind, uint32_t mode, const bitchain& data, uint32_t bits_before);
    // The scan as command-list entries (nothing appended to the request but
    // the completion of a half-sent step); ends in Run-Test/Idle in every mode.
    queued_result queued_scan(cmd_list& list, reg_kind kind, uint32_t mode, const bitchain& data,
                              uint32_t bits_before);
    scan_result raw_transfer(uint32_t mode, const uint16_t* tms, const uint16_t* tdi);
    queued_result queued_raw_transfer(cmd_list& list, uint32_t mode, const uint16_t* tms,
                                      const uint16_t* tdi);
    void idle_step();
    void measure_chain();
    uint32_t find_device(uint32_t& dr_position, uint32_t& ir_position, const match_pattern& idcode,
                         const match_pattern& ir_capture);

    trn_prot& prot() { return prot_; }
    elem_list& devices() { return devices_; }
    uint32_t pending_count() const { return tms_.count; }

    uint32_t tap_state = tap::unknown;
    uint32_t wire_mode = 0;
    // Serial Wire: the line state is unknown, the next debug-port access
    // begins with a line reset.
    bool line_reset_due = false;
    uint32_t reset_line = 0;
    uint32_t dr_bypass_length = 0;
    uint32_t ir_chain_length = 0;
    uint32_t pending_fill = 0;
    uint32_t last_mode = scan_mode::write;

private:
    void set_slots(uint32_t next_mode, uint32_t default_mode);
    void push(uint32_t tms, uint32_t tdi, uint32_t k);
    // Sends every whole step of the streams and keeps the rest as the
    // pending bits. mark: a stream bit whose reply position is returned.
    uint32_t send_steps(uint32_t mark = 0xFFFFFFFFu);
    void step(uint16_t tms, uint16_t tdi);
    // Total chain bits of a scan of a register of the given length; 0 when
    // the register and its bits before do not fit the measured chain.
    uint32_t scan_length(reg_kind kind, uint32_t length, uint32_t bits_before) const;
    void room_for_steps(uint32_t steps);
    uint32_t measure(uint32_t target);
    uint32_t marker_length(uint32_t target);
    void broken(uint32_t target, unsigned which);

    trn_prot& prot_;
    uint32_t tdi_words_[step_words / 2] = {};
    uint32_t tms_words_[step_words / 2] = {};
    bitchain tdi_;
    bitchain tms_;
    elem_list devices_;
};

// The process-wide engine, bound to the_prot() and the_error_record().
jtag& the_jtag();

} // namespace mst
