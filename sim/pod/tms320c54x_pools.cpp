#include "sim/pod/tms320c54x_pools.h"

namespace sim {

namespace {

constexpr unsigned kLeadBits = 12;

bool selected(std::uint16_t select, unsigned pool) { return (select >> pool) & 1u; }

// Walks the scan path from bit 0: calls fn(pool, offset of its bit 0) for
// every selected pool, pool 5 first.
template <class Fn>
void for_each_selected(std::uint16_t select, Fn fn) {
    unsigned offset = kLeadBits;
    for (unsigned pool = C54xPoolSet::kPools; pool-- > 0;) {
        if (selected(select, pool)) {
            fn(pool, offset);
            offset += C54xPoolSet::kPoolBits[pool];
        }
        if (pool != 0) offset += 1;  // separator before the next pool
    }
}

} // namespace

C54xPoolSet::C54xPoolSet() {
    for (unsigned i = 0; i < kPools; ++i) pools_[i].assign(kPoolBits[i], false);
}

unsigned C54xPoolSet::scan_length(std::uint16_t select) {
    unsigned length = kFrameBits;
    for (unsigned pool = 0; pool < kPools; ++pool)
        if (selected(select, pool)) length += kPoolBits[pool];
    return length;
}

Bits C54xPoolSet::capture(std::uint16_t select) const {
    Bits scan(scan_length(select), false);
    for_each_selected(select, [&](unsigned pool, unsigned offset) {
        for (unsigned i = 0; i < kPoolBits[pool]; ++i) scan[offset + i] = pools_[pool][i];
    });
    return scan;
}

void C54xPoolSet::update(std::uint16_t select, const Bits& scan) {
    if (scan.size() != scan_length(select)) return;
    for_each_selected(select, [&](unsigned pool, unsigned offset) {
        for (unsigned i = 0; i < kPoolBits[pool]; ++i) pools_[pool][i] = scan[offset + i];
    });
}

std::uint32_t C54xPoolSet::field(const C54xPoolField& f) const {
    std::uint32_t value = 0;
    for (unsigned i = 0; i < f.width; ++i)
        if (pools_.at(f.pool).at(f.position + i)) value |= std::uint32_t{1} << i;
    return value;
}

void C54xPoolSet::set_field(const C54xPoolField& f, std::uint32_t value) {
    for (unsigned i = 0; i < f.width; ++i) pools_.at(f.pool).at(f.position + i) = (value >> i) & 1u;
}

} // namespace sim
