// Test helpers that play the pod's side of the ARM debug wires: Serial Wire
// Debug transfers as 16-clock (mask, data) steps on an SwdLine, and JTAG
// scans clocked by hand through a ScanChain. The frame layout is built here
// from the wire rules on its own (parity by popcount), so that a slip in
// the models' own parity or bit positions shows.
#pragma once

#include <bit>
#include <cstdint>
#include <vector>

#include "sim/pod/scan_chain.h"
#include "sim/pod/swd_line.h"

namespace sim::test {

inline unsigned parity_of(std::uint64_t v) { return static_cast<unsigned>(std::popcount(v) & 1); }

// Step 1 of a transfer: four idle zeros, then start, APnDP, RnW, A2, A3,
// parity, stop 0, park 1 in bits 4-11; the host lets go from bit 12 on.
inline std::uint16_t swd_request_word(bool ap, bool read, unsigned address, bool bad_parity = false) {
    const unsigned a2 = (address >> 2) & 1, a3 = (address >> 3) & 1;
    unsigned parity = parity_of((ap ? 1u : 0u) + (read ? 2u : 0u) + (a2 << 2) + (a3 << 3));
    if (bad_parity) parity ^= 1;
    return static_cast<std::uint16_t>((1u << 4) | (unsigned(ap) << 5) | (unsigned(read) << 6) | (a2 << 7) |
                                      (a3 << 8) | (parity << 9) | (1u << 11));
}

struct SwdResult {
    unsigned ack = 0; // bits 13-15 of the first step: 1 OK, 2 WAIT, 4 FAULT
    std::uint32_t data = 0;
    bool parity_ok = true;
    std::uint16_t first_step = 0;
};

class SwdHost {
public:
    explicit SwdHost(SwdLine& line) : line_(line) {}

    // The pod's switch to Serial Wire Debug: 64 clocks high, the select
    // sequence as a drive mask over ones, 60 clocks high, 20 idle clocks.
    void select_swd() {
        for (int i = 0; i < 4; ++i) line_.step(0xFFFF, 0xFFFF);
        line_.step(0xE79E, 0xFFFF);
        for (int i = 0; i < 3; ++i) line_.step(0xFFFF, 0xFFFF);
        line_.step(0x0FFF, 0xFFFF);
        line_.step(0x0000, 0x0000);
    }
    void line_reset() {
        for (int i = 0; i < 4; ++i) line_.step(0xFFFF, 0xFFFF);
        line_.step(0xFFFF, 0x0000);
    }

    SwdResult read(bool ap, unsigned address) {
        SwdResult r;
        r.first_step = line_.step(0x0FFF, swd_request_word(ap, true, address));
        r.ack = r.first_step >> 13;
        if (r.ack != 1) return r;
        const std::uint32_t lo = line_.step(0x0000, 0);
        const std::uint32_t hi = line_.step(0x0000, 0);
        const std::uint16_t tail = line_.step(0xFFFC, 0);
        r.data = lo | (hi << 16);
        r.parity_ok = (tail & 1) == parity_of(r.data);
        return r;
    }

    unsigned write(bool ap, unsigned address, std::uint32_t data, bool bad_parity = false) {
        const unsigned ack = line_.step(0x0FFF, swd_request_word(ap, false, address)) >> 13;
        if (ack != 1) return ack;
        // Frame bits 16-63: turnaround, 32 data bits, parity, idle zeros.
        std::uint64_t frame = (std::uint64_t{data} << 1) | (std::uint64_t{parity_of(data) ^ (bad_parity ? 1u : 0u)} << 33);
        line_.step(0xFFFE, static_cast<std::uint16_t>(frame));
        line_.step(0xFFFF, static_cast<std::uint16_t>(frame >> 16));
        line_.step(0xFFFF, static_cast<std::uint16_t>(frame >> 32));
        return ack;
    }

    // The idle step the host sends after a transfer it gives up on.
    void idle() { line_.step(0xFFFE, 0); }

private:
    SwdLine& line_;
};

// Drives a ScanChain by hand from Run-Test/Idle.
class JtagHost {
public:
    explicit JtagHost(ScanChain& chain) : chain_(chain) {}

    void reset_to_idle() {
        tms("111110");
    }
    // Shifts `in` (first element first) through IR or DR and returns to
    // Run-Test/Idle through Update; returns what came out on TDO.
    Bits scan_ir(const Bits& in) {
        tms("1100");
        return shift_and_update(in);
    }
    Bits scan_dr(const Bits& in) {
        tms("100");
        return shift_and_update(in);
    }
    void tms(const char* bits) {
        for (const char* c = bits; *c; ++c) chain_.clock(*c == '1', false);
    }

private:
    Bits shift_and_update(const Bits& in) {
        Bits out;
        for (std::size_t i = 0; i < in.size(); ++i) out.push_back(chain_.clock(i + 1 == in.size(), in[i]));
        tms("10");
        return out;
    }
    ScanChain& chain_;
};

// Concatenates bit runs; the first run is shifted first (it ends nearest TDO).
inline Bits concat(std::initializer_list<Bits> runs) {
    Bits all;
    for (const Bits& r : runs) all.insert(all.end(), r.begin(), r.end());
    return all;
}

inline Bits ones(unsigned n) { return Bits(n, true); }
inline Bits zeros(unsigned n) { return Bits(n, false); }

} // namespace sim::test
