// The five emulation scan pools of the simulated TMS320C54x, scanned together
// under one instruction. The pool select register ("MPSDCTL", bits 0-4 for
// pools 1-5) decides which pools are in the scan path; the path always holds
// 16 further bits, so its length is 16 plus the selected pools' lengths.
//
// Scan layout from the TDO end (bit 0 first): 12 bits, pool 5, 1 bit,
// pool 4, 1 bit, pool 3, 1 bit, pool 2, 1 bit, pool 1; a pool not selected
// takes no room, the separator bits always do. The separators capture 0 and
// ignore what is shifted into them.
//
// The pools keep every bit written to them; the target lays the core
// registers it models over their fields (see tms320c54x_target.h).
#pragma once

#include <array>
#include <cstdint>

#include "sim/pod/tap_device.h"

namespace sim {

// A named bit field of one pool: pool index 0-4 for pools 1-5.
struct C54xPoolField {
    unsigned pool;
    unsigned position;
    unsigned width;
};

namespace c54x_field {
inline constexpr C54xPoolField kPar{0, 0, 16};
inline constexpr C54xPoolField kPc{0, 17, 16};
inline constexpr C54xPoolField kBraf{0, 101, 1};
inline constexpr C54xPoolField kCpl{1, 65, 1};
inline constexpr C54xPoolField kDp{1, 306, 9};
inline constexpr C54xPoolField kM3blM5{2, 0, 6};
inline constexpr C54xPoolField kD3jM2M5{2, 0, 5};
inline constexpr C54xPoolField kCcom{2, 22, 2};
inline constexpr C54xPoolField kCmd3{2, 27, 16};
inline constexpr C54xPoolField kCmd2{2, 43, 16};
inline constexpr C54xPoolField kCmd1{2, 59, 16};
inline constexpr C54xPoolField kFixKl{3, 50, 1};
inline constexpr C54xPoolField kCcl{3, 159, 4};
inline constexpr C54xPoolField kRacommR{4, 356, 16};
} // namespace c54x_field

class C54xPoolSet {
public:
    static constexpr unsigned kPools = 5;
    static constexpr std::array<unsigned, kPools> kPoolBits{102, 318, 75, 229, 372};
    static constexpr unsigned kFrameBits = 16;
    static constexpr unsigned kAllPoolsBits = 1112;

    C54xPoolSet();

    static unsigned scan_length(std::uint16_t select);

    Bits capture(std::uint16_t select) const;
    // Stores the selected pools from a scan of scan_length(select) bits;
    // a scan of any other length is ignored.
    void update(std::uint16_t select, const Bits& scan);

    std::uint32_t field(const C54xPoolField& f) const;
    void set_field(const C54xPoolField& f, std::uint32_t value);

    const Bits& pool(unsigned index) const { return pools_.at(index); }
    void clear_pool(unsigned index) { pools_.at(index).assign(kPoolBits.at(index), false); }

private:
    std::array<Bits, kPools> pools_;
};

} // namespace sim
