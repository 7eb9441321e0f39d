#include "sim/pod/generic_device.h"

#include <stdexcept>

namespace sim {

Bits bits_from_u64(std::uint64_t value, unsigned count) {
    Bits bits(count);
    for (unsigned i = 0; i < count && i < 64; ++i)
        bits[i] = (value >> i) & 1u;
    return bits;
}

std::uint64_t bits_to_u64(const Bits& bits) {
    std::uint64_t value = 0;
    for (std::size_t i = 0; i < bits.size() && i < 64; ++i)
        if (bits[i]) value |= std::uint64_t{1} << i;
    return value;
}

GenericDevice::GenericDevice(const GenericDeviceConfig& config) : config_(config) {
    // IEEE 1149.1 needs at least the two fixed capture bits in the IR, and an
    // IDCODE always ends in 1 so that a chain scan can tell it from BYPASS.
    if (config_.ir_length < 2 || config_.ir_length > 32)
        throw std::invalid_argument("generic device: IR length must be 2..32");
    if (config_.idcode && (*config_.idcode & 1u) == 0)
        throw std::invalid_argument("generic device: IDCODE bit 0 must be 1");
    reset_count_ = 0;
    reset();
    reset_count_ = 0;
}

Bits GenericDevice::capture_ir() {
    const std::uint32_t value = (config_.ir_capture & ~std::uint32_t{3}) | 1u;
    return bits_from_u64(value, config_.ir_length);
}

void GenericDevice::update_ir(const Bits& instruction) {
    instruction_ = static_cast<std::uint32_t>(bits_to_u64(instruction));
    ++update_ir_count_;
}

bool GenericDevice::idcode_selected() const {
    return config_.idcode && instruction_ == config_.idcode_opcode;
}

Bits GenericDevice::capture_dr() {
    if (idcode_selected()) return bits_from_u64(*config_.idcode, 32);
    return Bits{false}; // BYPASS captures 0
}

void GenericDevice::update_dr(const Bits&) { ++update_dr_count_; }

void GenericDevice::reset() {
    const std::uint32_t bypass = config_.ir_length >= 32
        ? 0xFFFFFFFFu : (std::uint32_t{1} << config_.ir_length) - 1u;
    instruction_ = config_.idcode ? config_.idcode_opcode : bypass;
    ++reset_count_;
}

} // namespace sim
