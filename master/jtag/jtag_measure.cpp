// Chain measurement and the search of a device by its IDCODE.
#include "master/jtag/jtag.h"

namespace mst {

namespace {

constexpr uint32_t marker32 = 0x35CA5AC3u;
constexpr uint32_t marker64[2] = {0x35CA5AC3u, 0xCA35A53Cu};

uint32_t reply_word32(const trn_prot& prot)
{
    return prot.reply_words()[1];
}

// Cuts the reply chain at its 64-bit marker: what the devices captured lies
// below it. False when the marker never came back.
bool cut_at_marker(bitchain& reply)
{
    bitchain marker;
    marker.attach(const_cast<uint32_t*>(marker64), 64);
    uint32_t position = 0;
    if (!reply.find_pattern(position, marker))
        return false;
    reply.count -= 64;
    return true;
}

} // namespace

void jtag::broken(uint32_t target, unsigned which)
{
    const uint32_t ir_codes[3] = {rc::ir_broken, rc::ir_marker_lost, rc::ir_length_unstable};
    const uint32_t dr_codes[3] = {rc::dr_broken, rc::dr_marker_lost, rc::dr_length_unstable};
    raise_error(prot_.record(), target == tap::shift_ir ? ir_codes[which] : dr_codes[which]);
}

// Sends the 32-bit marker through the filled chain and counts the bits until
// it comes back. The stream before the marker is all ones; the marker's
// first non-one bit is its bit 2, so the round that first sees a non-one bit
// may have the marker start up to two bits in the round before: the search
// window keeps those 32 bits as well. The 96-bit window is deliberate: with
// only the 64 bits of the last two rounds, a chain whose length is 30 or 31
// modulo 32 would lose the marker's first bits and fail to measure.
uint32_t jtag::marker_length(uint32_t target)
{
    room_for_steps(2);
    step(0, static_cast<uint16_t>(marker32 & 0xFFFFu));
    step(0, static_cast<uint16_t>(marker32 >> 16));
    prot_.end_batch();
    uint32_t window[3] = {0xFFFFFFFFu, reply_word32(prot_), 0};
    for (uint32_t k = 0;; ++k) {
        if (k == 32) {
            broken(target, 0);
            return 0;
        }
        room_for_steps(2);
        step(0, 0xFFFF);
        step(0, 0xFFFF);
        prot_.end_batch();
        window[2] = reply_word32(prot_);
        if (window[1] != 0xFFFFFFFFu) {
            bitchain seen;
            seen.attach(window, 96);
            bitchain marker;
            uint32_t m = marker32;
            marker.attach(&m, 32);
            uint32_t position = 0;
            if (!seen.find_pattern(position, marker) || position + 32 * k < 32) {
                broken(target, 1);
                return 0;
            }
            return position + 32 * k - 32;
        }
        window[0] = window[1];
        window[1] = window[2];
    }
}

uint32_t jtag::measure(uint32_t target)
{
    flush_pending();
    set_slots(scan_mode::exchange, scan_mode::exchange);
    room_for_steps(66);
    const uint32_t move = tap_move(tap_state, target);
    step(static_cast<uint16_t>(move_tms(move)), 0xFFFF);
    step(0, 0x5555);
    for (int i = 0; i < 64; ++i)
        step(0, 0xFFFF);
    prot_.end_batch();

    // The chain must give back ones once it is full of them.
    for (int i = 0; i < 64; ++i) {
        room_for_steps(1);
        step(0, 0xFFFF);
        prot_.end_batch();
        if (prot_.reply_unit(2) < 0xFFFF) {
            broken(target, 0);
            return 0;
        }
    }

    const uint32_t length = marker_length(target);
    if (marker_length(target) != length) {
        broken(target, 2);
        return 0;
    }

    room_for_steps(65);
    for (int i = 0; i < 64; ++i)
        step(0, 0xFFFF);
    step(static_cast<uint16_t>(move_tms(tap_move(target, tap::run_test_idle))), 0xFFFF);
    prot_.end_batch();
    tap_state = tap::run_test_idle;
    set_slots(scan_mode::write, scan_mode::write);
    return length;
}

void jtag::measure_chain()
{
    if (wire_mode != 0)
        return;
    tap_state = tap::unknown;
    ir_chain_length = measure(tap::shift_ir);
    dr_bypass_length = measure(tap::shift_dr);
}

uint32_t jtag::find_device(uint32_t& dr_position, uint32_t& ir_position, const match_pattern& idcode,
                           const match_pattern& ir_capture)
{
    flush_pending();
    prot_.set_default_end_state(end_state::exchange);
    prot_.set_current_end_state(end_state::write);
    last_mode = scan_mode::exchange;
    tap_state = tap::unknown;
    // The reply bits are read from bit 0: start on an empty batch.
    if (prot_.request_length() != 0)
        prot_.end_batch();

    // DR pass: every device's IDCODE (or BYPASS bit), then the marker.
    const uint32_t dr_steps = 5 + 4 * dr_bypass_length;
    if (!prot_.reserve(dr_steps, 2 * dr_steps))
        return find_result::not_found;
    prot_.set_current_end_state(end_state::write);
    step(0x20FF, 0xFFFF);
    step(0, 0x5AC3);
    step(0, 0x35CA);
    step(0, 0xA53C);
    step(0, 0xCA35);
    for (uint32_t i = 0; i < 4 * dr_bypass_length; ++i)
        step(0, 0xFFFF);
    prot_.end_batch();
    working.attach(prot_.reply_data(), (dr_bypass_length + 2) * 32);
    if (!cut_at_marker(working))
        return find_result::not_found;
    uint32_t dr = 0;
    if (!working.find_masked(dr, idcode.length, idcode.mask, idcode.value))
        return find_result::not_found;
    uint32_t again = dr + 1;
    if (working.find_masked(again, idcode.length, idcode.mask, idcode.value))
        return find_result::twice;

    // IR pass: every instruction register's capture, then the marker.
    const uint32_t ones = (ir_chain_length + 79) / 16;
    const uint32_t ir_steps = 5 + ones;
    if (!prot_.reserve(ir_steps, 2 * ir_steps))
        return find_result::not_found;
    prot_.set_current_end_state(end_state::write);
    step(0x30FF, 0xFFFF);
    step(0, 0x5AC3);
    step(0, 0x35CA);
    step(0, 0xA53C);
    step(0, 0xCA35);
    for (uint32_t i = 0; i < ones; ++i)
        step(0, 0xFFFF);
    prot_.end_batch();
    working.attach(prot_.reply_data(), ir_chain_length + 64);
    if (!cut_at_marker(working))
        return find_result::not_found;
    uint32_t irp = 0;
    if (!working.find_masked(irp, ir_capture.length, ir_capture.mask, ir_capture.value))
        return find_result::not_found;

    // A device away from the TDO end cannot have its instruction register
    // there, unless every device before it is a one-bit BYPASS.
    if (dr != 0) {
        if (irp == 0 && dr > 31) {
            irp = 1;
            if (!working.find_masked(irp, ir_capture.length, ir_capture.mask, ir_capture.value))
                return find_result::not_found;
        }
    } else if (irp != 0) {
        return find_result::not_found;
    }
    dr_position = dr;
    ir_position = irp;
    return find_result::found;
}

} // namespace mst
