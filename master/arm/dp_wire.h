// What travels on the debug port's two wires: the JTAG-DP instructions and
// 35-bit requests, the Serial Wire frame of 64 clocks with its drive masks,
// the acknowledge codes, the DP registers and the CTRL/STAT bits the engine
// looks at, and the bounds of every retry.
//
// JTAG request (35 bits, bit 0 shifted first): bit 0 RnW, bits 1-2 A[3:2],
// bits 3-34 data. The capture holds the ACK in bits 0-2 (1 WAIT, 2 OK/FAULT)
// and the result of the previous read in bits 3-34.
//
// Serial Wire frame (bit 0 first): 0-3 idle zeros, 4 start, 5 APnDP, 6 RnW,
// 7-8 A[3:2], 9 header parity, 10 stop, 11 park, 12 turnaround, 13-15 ACK
// (1 OK, 2 WAIT, 4 FAULT); a read then carries data 16-47, parity 48 and a
// turnaround at 49; a write a turnaround at 16, data 17-48 and parity 49.
// A drive-mask bit 1 is a clock in which the pod drives the data line; the
// bits captured are the line's level in every clock.
#pragma once

#include <cstdint>

namespace mst::dp {

// JTAG-DP instructions.
constexpr uint32_t ir_abort = 8;
constexpr uint32_t ir_dpacc = 10;
constexpr uint32_t ir_apacc = 11;
constexpr uint32_t ir_idcode = 14;
constexpr uint32_t request_bits = 35;

// DP register addresses (ABORT and DPIDR share 0: written and read).
constexpr uint32_t addr_abort = 0x0;
constexpr uint32_t addr_dpidr = 0x0;
constexpr uint32_t addr_ctrl_stat = 0x4;
constexpr uint32_t addr_select = 0x8;
constexpr uint32_t addr_rdbuff = 0xC;

// Acknowledge results of the checks (not the wire values).
namespace ack {
constexpr uint32_t wait = 1;
constexpr uint32_t swd_ok = 2;
constexpr uint32_t swd_fault = 3;
constexpr uint32_t jtag_ok = 4;
} // namespace ack

// ACK values as they come off the wire.
constexpr uint32_t jtag_wire_wait = 1;
constexpr uint32_t jtag_wire_ok = 2;
constexpr uint32_t swd_wire_ok = 1;
constexpr uint32_t swd_wire_wait = 2;
constexpr uint32_t swd_wire_fault = 4;

// Flags of a Serial Wire reply position (bits 29-30): what a completion
// copies into the in image.
constexpr uint32_t pos_request = 0x40000000u;     // 16 bits from frame bit 0
constexpr uint32_t pos_data_phase = 0x20000000u;  // 34 bits from frame bit 16
constexpr uint32_t pos_whole_frame = 0x60000000u; // 50 bits from frame bit 0
constexpr uint32_t pos_flags = 0x60000000u;

// Drive masks of the four 16-clock steps of a frame.
constexpr uint16_t mask_request = 0x0FFF;
constexpr uint16_t mask_write[3] = {0xFFFE, 0xFFFF, 0xFFFF};
constexpr uint16_t mask_read[3] = {0x0000, 0x0000, 0xFFFC};

// CTRL/STAT.
constexpr uint32_t stat_stickyorun = 1u << 1;
constexpr uint32_t stat_stickycmp = 1u << 4;
constexpr uint32_t stat_stickyerr = 1u << 5;
constexpr uint32_t stat_wdataerr = 1u << 7;  // Serial Wire only
constexpr uint32_t stat_cdbgpwrupack = 1u << 29;
constexpr uint32_t stat_csyspwrupack = 1u << 31;
constexpr uint32_t ctrl_power_up = 0x50000000u;  // CSYSPWRUPREQ | CDBGPWRUPREQ
// The flags that make every later access fail until they are cleared. The
// JTAG-DP has no WDATAERR.
constexpr uint32_t sticky_jtag = stat_stickyorun | stat_stickycmp | stat_stickyerr;
constexpr uint32_t sticky_swd = sticky_jtag | stat_wdataerr;

// ABORT.
constexpr uint32_t abort_dapabort = 0x01;
// STKCMPCLR, STKERRCLR, WDERRCLR, ORUNERRCLR.
constexpr uint32_t abort_clear_sticky = 0x1E;

// MEM-AP registers reached through the AP access.
constexpr uint32_t ap_csw = 0x00;
constexpr uint32_t ap_tar = 0x04;
constexpr uint32_t ap_drw = 0x0C;
constexpr uint32_t ap_base = 0xF8;
constexpr uint32_t csw_device_en = 1u << 6;
constexpr uint32_t csw_tr_in_prog = 1u << 7;

// Retries: at most 300 attempts; the first eleven failures are retried at
// once, every failure from the twelfth on is followed by a 50 ms pause
// (attempts 12 to 299, 288 pauses when every attempt fails).
constexpr uint32_t retry_attempts = 300;
constexpr uint32_t retry_quiet_failures = 11;
constexpr uint32_t retry_pause_ms = 50;
// Polls of a status bit (power-up acknowledges, TrInProg).
constexpr uint32_t poll_attempts = 300;
constexpr uint32_t poll_pause_ms = 10;

// Even parity of a value: the XOR of its bits, four at a time (bit n of
// 0x6996 is the parity of n).
constexpr uint32_t parity(uint64_t bits)
{
    uint32_t p = 0;
    while (bits != 0) {
        p ^= (0x6996u >> (bits & 0xFu)) & 1u;
        bits >>= 4;
    }
    return p;
}

// Bits [first, first + n) of a value, n < 64.
constexpr uint64_t bits_of(uint64_t value, unsigned first, unsigned n)
{
    return (value >> first) & ((uint64_t{1} << n) - 1);
}

// The first 16 clocks of a Serial Wire frame: idle zeros, the header and the
// turnaround and ACK clocks (zero: the target drives them).
constexpr uint16_t swd_request_step(bool apndp, bool rnw, uint32_t a)
{
    uint32_t h = (1u << 4) | (uint32_t{apndp} << 5) | (uint32_t{rnw} << 6) | ((a & 3u) << 7);
    h |= parity((h >> 5) & 0xFu) << 9;
    h |= 1u << 11;
    return static_cast<uint16_t>(h);
}

// The three data-phase chunks of a Serial Wire write (frame bits 16-63):
// turnaround, the word, its parity, idle zeros.
constexpr void swd_write_chunks(uint32_t word, uint16_t* out)
{
    out[0] = static_cast<uint16_t>((word << 1) & 0xFFFFu);
    out[1] = static_cast<uint16_t>((word >> 15) & 0xFFFFu);
    out[2] = static_cast<uint16_t>(((word >> 31) & 1u) | (parity(word) << 1));
}

// A JTAG DPACC/APACC request.
constexpr uint64_t jtag_request(uint32_t rnw, uint32_t a, uint32_t data)
{
    return (rnw & 1u) | ((a & 3u) << 1) | (uint64_t{data} << 3);
}

} // namespace mst::dp
