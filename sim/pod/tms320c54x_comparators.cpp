#include "sim/pod/tms320c54x_comparators.h"

namespace sim {

Bits C54xComparators::pbr_image() const {
    Bits image(kPbrBits);
    for (unsigned i = 0; i < kPbrBits; ++i) image[i] = (address_[i / 16] >> (i % 16)) & 1u;
    return image;
}

void C54xComparators::load_pbr(const Bits& image) {
    if (image.size() != kPbrBits) return;
    address_.fill(0);
    for (unsigned i = 0; i < kPbrBits; ++i)
        if (image[i]) address_[i / 16] = static_cast<std::uint16_t>(address_[i / 16] | (1u << (i % 16)));
}

bool C54xComparators::check_fetch(std::uint16_t pc) {
    bool hit = false;
    for (unsigned k = 0; k < 4; ++k) {
        const std::uint16_t enable = static_cast<std::uint16_t>(1u << (12 + k));
        if ((control_ & enable) == 0 || address_[kFirstProgramAddress + k] != pc) continue;
        flags_ = static_cast<std::uint16_t>(flags_ | enable);
        hit = true;
    }
    return hit;
}

void C54xComparators::on_access(const C54xAccess& access) {
    // Comparator pairs by space: data 0-1, program 2-3, I/O 4-5.
    const unsigned first = access.space == C54xSpace::Data ? 0 : access.space == C54xSpace::Program ? 2 : 4;
    const unsigned kind = access.write ? 2u : 1u;
    for (unsigned index = first; index < first + 2; ++index) {
        const unsigned shift = 2 * index;
        if ((((control_ >> shift) & 3u) & kind) == 0 || address_[index] != access.address) continue;
        flags_ = static_cast<std::uint16_t>(flags_ | (kind << shift));
        access_hit_ = true;
    }
}

bool C54xComparators::take_access_hit() {
    const bool hit = access_hit_;
    access_hit_ = false;
    return hit;
}

} // namespace sim
