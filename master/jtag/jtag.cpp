#include "master/jtag/jtag.h"

#include "master/core/command_list.h"

namespace mst {

namespace {
constexpr uint32_t all_ones = 0xFFFFFFFFu;
constexpr uint32_t scan_write_word = cmd::scan_base + end_state::write;
constexpr uint32_t scan_exchange_word = cmd::scan_base + end_state::exchange;
// Command-list entry: count, then one TDI << 16 | TMS word for count write
// steps.
constexpr uint32_t repeat_word = 0x95000903u;
} // namespace

jtag::jtag(trn_prot& prot) : prot_(prot)
{
    tdi_.attach(tdi_words_, 0);
    tms_.attach(tms_words_, 0);
    working.attach(prot_.reply_data(), 0);
}

void jtag::attach_reply()
{
    working.attach(prot_.reply_data(), trn_prot::reply_bits);
}

void jtag::set_slots(uint32_t next_mode, uint32_t default_mode)
{
    prot_.set_current_end_state(trn_prot::end_state_code(next_mode));
    prot_.set_default_end_state(trn_prot::end_state_code(default_mode));
    last_mode = default_mode;
}

void jtag::push(uint32_t tms, uint32_t tdi, uint32_t k)
{
    tms_.append_value(tms, k);
    tdi_.append_value(tdi, k);
}

void jtag::step(uint16_t tms, uint16_t tdi)
{
    prot_.scan(0, tdi, tms);
}

uint32_t jtag::send_steps(uint32_t mark)
{
    const uint32_t whole = tms_.count / 16;
    uint32_t position = 0;
    for (uint32_t i = 0; i < whole; ++i) {
        // The reply counter before the step that holds the mark: head steps
        // sent in write mode return nothing and do not count.
        if (mark != 0xFFFFFFFFu && mark / 16 == i)
            position = prot_.next_reply_position() + mark % 16;
        step(static_cast<uint16_t>(tms_.bits_at(16 * i, 16)),
             static_cast<uint16_t>(tdi_.bits_at(16 * i, 16)));
    }
    const uint32_t rest = tms_.count % 16;
    const uint32_t tms_rest = tms_.bits_at(16 * whole, rest);
    const uint32_t tdi_rest = tdi_.bits_at(16 * whole, rest);
    tms_words_[0] = tms_rest;
    tdi_words_[0] = tdi_rest;
    tms_.count = tdi_.count = rest;
    return position;
}

void jtag::room_for_steps(uint32_t steps)
{
    if (!prot_.reserve(steps, 2 * steps))
        raise_error(prot_.record(), rc::command_too_long);
}

void jtag::flush_pending()
{
    if (tms_.count == 0)
        return;
    room_for_steps(1);
    push(0, pending_fill, 16 - tms_.count);
    send_steps();
    if (tap_state == tap::exit1_ir)
        tap_state = tap::pause_ir;
    else if (tap_state == tap::exit1_dr)
        tap_state = tap::pause_dr;
}

void jtag::reset_tap()
{
    room_for_steps(2);
    flush_pending();
    set_slots(scan_mode::write, scan_mode::write);
    if (reset_line != 0) {
        prot_.set_lines(0, 4);
        prot_.set_lines(4, 0);
    } else {
        step(0x00FF, 0x0000);
    }
    tap_state = tap::test_logic_reset;
    for (list_elem* e = devices_.head; e != nullptr; e = e->next)
        static_cast<chain_device*>(e)->tap_reset_notice();
}

void jtag::select_wire(uint32_t swd)
{
    prot_.set_default_end_state(end_state::write);
    last_mode = scan_mode::write;
    flush_pending();
    if (swd != 0)
        prot_.set_lines(32, 0);
    else
        prot_.set_lines(0, 32);
    prot_.set_current_end_state(end_state::write);
    room_for_steps(10);
    for (int i = 0; i < 4; ++i)
        step(0xFFFF, 0xFFFF);
    step(swd != 0 ? 0xE79E : 0xE73C, 0xFFFF);
    for (int i = 0; i < 3; ++i)
        step(0xFFFF, 0xFFFF);
    step(0x0FFF, 0xFFFF);
    step(0x0000, 0x0000);
    prot_.end_batch();
    tap_state = tap::unknown;
    wire_mode = swd;
    line_reset_due = false;
}

void jtag::line_reset()
{
    prot_.set_default_end_state(end_state::write);
    last_mode = scan_mode::write;
    flush_pending();
    prot_.set_current_end_state(end_state::write);
    room_for_steps(5);
    for (int i = 0; i < 4; ++i)
        step(0xFFFF, 0xFFFF);
    step(0xFFFF, 0x0000);
    line_reset_due = false;
}

void jtag::enter_idle()
{
    if (wire_mode != 0)
        return;
    if (tms_.count == 0 && tap_state == tap::run_test_idle)
        return;
    room_for_steps(2);
    const uint32_t move = tap_move(tap_state, tap::run_test_idle);
    push(move_tms(move), pending_fill, move_clocks(move));
    push(0, 0, (16 - tms_.count % 16) % 16);
    send_steps();
    tap_state = tap::run_test_idle;
}

void jtag::idle_clocks(uint32_t n)
{
    if (n == 0)
        return;
    room_for_steps(n + 1);
    // Reaching Run-Test/Idle counts as the first of the n steps.
    if (wire_mode == 0 && (tms_.count != 0 || tap_state != tap::run_test_idle)) {
        enter_idle();
        --n;
    }
    for (uint32_t i = 0; i < n; ++i)
        step(0, 0);
}

void jtag::idle_step()
{
    // Serial Wire Debug reads the TMS word as the drive mask: the pod drives
    // the data line low for 15 clocks and releases it on the first.
    room_for_steps(1);
    prot_.set_current_end_state(end_state::write);
    step(0xFFFE, 0x0000);
}

uint32_t jtag::scan_length(reg_kind kind, uint32_t length, uint32_t bits_before) const
{
    const uint64_t total = kind == reg_kind::ir
                               ? uint64_t{ir_chain_length}
                               : uint64_t{dr_bypass_length} + length - (dr_bypass_length != 0 ? 1 : 0);
    if (total == 0 || uint64_t{bits_before} + length > total || total > 16 * step_words - 64)
        return 0;
    return static_cast<uint32_t>(total);
}

scan_result jtag::scan(reg_kind kind, uint32_t mode, const bitchain& data, uint32_t bits_before)
{
    scan_result result;
    const bool ir = kind == reg_kind::ir;
    const uint32_t length = data.count;
    // A register that does not fit the measured chain is a scan that cannot
    // be built: report it as not done, with nothing appended.
    const uint32_t total = scan_length(kind, length, bits_before);
    if (total == 0)
        return result;
    const uint32_t fill = ir ? all_ones : 0;
    const uint32_t after = total - bits_before - length;

    // One reply unit per step in read and exchange modes: every step of the
    // scan returns TDO there, not only those that carry the data. Two spare
    // steps cover a TAP reset and a flushed half step.
    const uint32_t steps = (total + 48) / 16 + 2;
    if (!prot_.reserve(mode == scan_mode::write ? 0 : steps, 2 * steps))
        return result;

    if (tap_state == tap::unknown)
        reset_tap();

    const uint32_t target = ir ? tap::shift_ir : tap::shift_dr;
    uint32_t move = tap_move(tap_state, target);
    if (tms_.count == 0) {
        set_slots(mode, mode);
    } else if (mode == scan_mode::read && tms_.count + move_clocks(move) < 16) {
        // The data would start in the half step, which goes out in write
        // mode: send it alone and start the scan on a fresh step.
        prot_.set_default_end_state(trn_prot::end_state_code(mode));
        flush_pending();
        set_slots(mode, mode);
        move = tap_move(tap_state, target);
    } else if (mode == scan_mode::read) {
        prot_.set_default_end_state(trn_prot::end_state_code(mode));
        last_mode = mode;
    } else {
        set_slots(mode, mode);
    }

    push(move_tms(move), fill, move_clocks(move));
    const uint32_t head = tms_.count;
    push(0, fill, bits_before);
    const uint32_t data_bit = tms_.count;
    tms_.append_value(0, length);
    if (mode == scan_mode::read)
        tdi_.append_value(fill, length);
    else
        tdi_.append_chain(data);
    push(0, fill, after);
    // Shift to Exit1 on the last shifted bit.
    tms_.set_field(1, head + total - 1, 1);
    tap_state = ir ? tap::exit1_ir : tap::exit1_dr;
    pending_fill = fill;

    if (mode == scan_mode::write) {
        send_steps();
        result.done = 1;
        return result;
    }
    push(1, fill, 1);  // Update
    push(0, fill, 1);  // Run-Test/Idle
    push(0, fill, (16 - tms_.count % 16) % 16);
    result.position = send_steps(data_bit);
    tap_state = tap::run_test_idle;
    result.done = 1;
    return result;
}

queued_result jtag::queued_scan(cmd_list& list, reg_kind kind, uint32_t mode, const bitchain& data,
                                uint32_t bits_before)
{
    queued_result result;
    const bool ir = kind == reg_kind::ir;
    const uint32_t length = data.count;
    const uint32_t total = scan_length(kind, length, bits_before);
    if (total == 0)
        return result;
    const uint32_t fill = ir ? all_ones : 0;
    const uint32_t after = total - bits_before - length;

    // The list runs after everything already in the request: a half-sent
    // step goes out there first, and the move starts on a fresh step.
    flush_pending();
    if (tap_state == tap::unknown)
        reset_tap();
    const uint32_t move = tap_move(tap_state, ir ? tap::shift_ir : tap::shift_dr);
    push(move_tms(move), fill, move_clocks(move));
    const uint32_t head = tms_.count;
    push(0, fill, bits_before);
    const uint32_t data_bit = tms_.count;
    tms_.append_value(0, length);
    if (mode == scan_mode::read)
        tdi_.append_value(fill, length);
    else
        tdi_.append_chain(data);
    push(0, fill, after);
    tms_.set_field(1, head + total - 1, 1);
    push(1, fill, 1);
    push(0, fill, 1);
    push(0, fill, (16 - tms_.count % 16) % 16);

    const uint32_t steps = tms_.count / 16;
    const uint32_t data_end = data_bit + length;  // one past the last data bit
    const uint16_t fill16 = static_cast<uint16_t>(fill);
    uint32_t i = 0;
    bool first_data = true;
    while (i < steps) {
        const uint16_t tms = static_cast<uint16_t>(tms_.bits_at(16 * i, 16));
        const uint16_t tdi = static_cast<uint16_t>(tdi_.bits_at(16 * i, 16));
        const bool has_data = length != 0 && 16 * i < data_end && 16 * i + 16 > data_bit;
        if (has_data) {
            const uint32_t at = list.list_pair16(tdi, tms, mode == scan_mode::write ? scan_write_word
                                                                                    : scan_exchange_word);
            if (first_data) {
                result.handle = at;
                result.bit_offset = data_bit % 16;
                first_data = false;
            }
            if (mode != scan_mode::write)
                ++result.data_steps;
            ++i;
            continue;
        }
        // Consecutive filler steps (TMS 0, TDI the fill, no data) become one
        // repeat entry.
        uint32_t run = 0;
        while (i + run < steps && tms_.bits_at(16 * (i + run), 16) == 0 &&
               tdi_.bits_at(16 * (i + run), 16) == fill16 &&
               !(length != 0 && 16 * (i + run) < data_end && 16 * (i + run) + 16 > data_bit))
            ++run;
        if (run >= 2) {
            const uint32_t repeat[3] = {repeat_word, run, uint32_t{fill16} << 16};
            list.list_copy(repeat, 3);
            i += run;
            continue;
        }
        list.list_pair16(tdi, tms, scan_write_word);
        ++i;
    }
    tms_.count = tdi_.count = 0;
    tap_state = tap::run_test_idle;
    pending_fill = fill;
    return result;
}

scan_result jtag::raw_transfer(uint32_t mode, const uint16_t* tms, const uint16_t* tdi)
{
    scan_result result;
    const uint32_t n = mode == scan_mode::exchange ? 1 : 3;
    if (!prot_.reserve(mode == scan_mode::write ? 0 : n, 2 * n))
        return result;
    flush_pending();
    const uint32_t pod_mode = mode == scan_mode::read ? scan_mode::exchange : mode;
    set_slots(pod_mode, pod_mode);
    result.position = mode == scan_mode::write ? 0 : prot_.next_reply_position();
    for (uint32_t i = 0; i < n; ++i)
        step(tms[i], tdi[i]);
    result.done = 1;
    return result;
}

queued_result jtag::queued_raw_transfer(cmd_list& list, uint32_t mode, const uint16_t* tms,
                                        const uint16_t* tdi)
{
    queued_result result;
    const uint32_t n = mode == scan_mode::exchange ? 1 : 3;
    const uint32_t word = mode == scan_mode::write ? scan_write_word : scan_exchange_word;
    result.handle = list.count;
    for (uint32_t i = 0; i < n; ++i)
        list.list_pair16(tdi[i], tms[i], word);
    result.data_steps = n;
    result.bit_offset = 0;
    return result;
}

jtag& the_jtag()
{
    static jtag* engine = [] {
        static jtag instance(the_prot());
        the_prot().set_chain(&instance);
        the_error_record().chain = &instance;
        return &instance;
    }();
    return *engine;
}

} // namespace mst
