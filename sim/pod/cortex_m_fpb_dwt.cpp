#include "sim/pod/cortex_m_fpb_dwt.h"

namespace sim {

CortexMFpb::CortexMFpb(const CortexMFpbConfig& config)
    : config_(config), comps_(config.code_comparators + config.literal_comparators, 0) {}

bool CortexMFpb::read_word(std::uint32_t address, std::uint32_t& value) {
    const std::uint32_t offset = address - kBase;
    const unsigned code = config_.code_comparators;
    if (offset == 0x000) {
        value = (enabled_ ? 1u : 0u) | ((code & 0xF) << 4) | ((config_.literal_comparators & 0xF) << 8) |
                (((code >> 4) & 7) << 12);
        return true;
    }
    if (offset == 0x004) {
        value = config_.v6m ? 0 : remap_;
        return true;
    }
    const std::uint32_t n = (offset - 0x008) / 4;
    value = offset >= 0x008 && n < comps_.size() ? comps_[n] : 0;
    return true;
}

bool CortexMFpb::write_word(std::uint32_t address, std::uint32_t value, std::uint32_t byte_mask) {
    if (byte_mask != 0xF) return true; // the unit takes word writes only
    const std::uint32_t offset = address - kBase;
    if (offset == 0x000) {
        if (value & 2) enabled_ = (value & 1) != 0;
        return true;
    }
    if (offset == 0x004) {
        remap_ = value & 0x1FFFFFE0;
        return true;
    }
    const std::uint32_t n = (offset - 0x008) / 4;
    if (offset >= 0x008 && n < comps_.size()) comps_[n] = value & 0xDFFFFFFD;
    return true;
}

bool CortexMFpb::breakpoint_at(std::uint32_t address) const {
    if (!enabled_ || address >= 0x20000000) return false;
    for (unsigned n = 0; n < config_.code_comparators; ++n) {
        const std::uint32_t c = comps_[n];
        if (!(c & 1) || (c & 0x1FFFFFFC) != (address & 0x1FFFFFFC)) continue;
        const std::uint32_t replace = c >> 30;
        if (replace == 3 || replace == ((address & 2) ? 2u : 1u)) return true;
    }
    return false;
}

CortexMDwt::CortexMDwt(const CortexMDwtConfig& config) : config_(config), comps_(config.comparators) {}

void CortexMDwt::retired(std::uint32_t pc, unsigned cycles, bool trcena) {
    last_pc_ = pc;
    if (!config_.v6m && trcena && (ctrl_ & 1)) cyccnt_ += cycles; // wraps modulo 2^32
}

bool CortexMDwt::read_word(std::uint32_t address, std::uint32_t& value) {
    const std::uint32_t offset = address - kBase;
    value = 0;
    switch (offset) {
    case 0x000:
        value = (std::uint32_t{config_.comparators} << 28) | ctrl_;
        if (config_.v6m) value |= (1u << 27) | (1u << 26) | (1u << 25) | (1u << 24);
        return true;
    case 0x004:
        if (!config_.v6m) value = cyccnt_;
        return true;
    case 0x01C:
        if (config_.has_pcsr) value = halted_ ? 0xFFFFFFFF : last_pc_;
        return true;
    default: break;
    }
    if (offset >= 0x020) {
        const std::uint32_t n = (offset - 0x020) / 16;
        if (n < comps_.size()) {
            switch ((offset - 0x020) % 16) {
            case 0x0: value = comps_[n].comp; break;
            case 0x4: value = comps_[n].mask; break;
            case 0x8: value = comps_[n].function; break;
            default: break;
            }
        }
    }
    return true;
}

bool CortexMDwt::write_word(std::uint32_t address, std::uint32_t value, std::uint32_t byte_mask) {
    if (byte_mask != 0xF) return true;
    const std::uint32_t offset = address - kBase;
    switch (offset) {
    case 0x000:
        if (!config_.v6m) ctrl_ = value & 0x007F1FFF;
        return true;
    case 0x004:
        if (!config_.v6m) cyccnt_ = value;
        return true;
    default: break;
    }
    if (offset < 0x020) return true;
    const std::uint32_t n = (offset - 0x020) / 16;
    if (n >= comps_.size()) return true;
    Comparator& c = comps_[n];
    switch ((offset - 0x020) % 16) {
    case 0x0: c.comp = value; break;
    case 0x4: c.mask = value & config_.mask_bits; break;
    case 0x8: {
        std::uint32_t keep = config_.v6m ? 0xFu : 0x000FFC2Fu;
        if (n == 0 && !config_.v6m) keep |= 1u << 7;
        if (static_cast<int>(n) == config_.data_value_comparator) keep |= 1u << 8;
        else keep &= ~0x000FF000u; // DATAVADDR0/1 only on the data-value comparator
        c.function = value & keep;
        break;
    }
    default: break;
    }
    return true;
}

} // namespace sim
