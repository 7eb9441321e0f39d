#include "sim/pod/arm_bus.h"

namespace sim {

std::uint32_t arm_lane_mask(std::uint32_t address, unsigned size) {
    switch (size) {
    case 1: return 1u << (address & 3);
    case 2: return 3u << (address & 2);
    default: return 0xF;
    }
}

void ArmBus::add_memory(std::uint32_t base, std::uint32_t size, bool writable) {
    Region r;
    r.base = base;
    r.size = size;
    r.kind = Region::Kind::Memory;
    r.writable = writable;
    r.bytes.assign(size, 0);
    regions_.push_back(std::move(r));
}

void ArmBus::add_error_region(std::uint32_t base, std::uint32_t size) {
    Region r;
    r.base = base;
    r.size = size;
    r.kind = Region::Kind::Error;
    // Inserted first: an error region laid over memory wins.
    regions_.insert(regions_.begin(), std::move(r));
}

void ArmBus::map_device(std::uint32_t base, std::uint32_t size, ArmBusDevice& device) {
    Region r;
    r.base = base;
    r.size = size;
    r.kind = Region::Kind::Device;
    r.device = &device;
    regions_.push_back(std::move(r));
}

ArmBus::Region* ArmBus::find(std::uint32_t address) {
    for (Region& r : regions_)
        if (address - r.base < r.size) return &r;
    return nullptr;
}

ArmAccessCount ArmBus::access_count(std::uint32_t address) const {
    auto it = counts_.find(address);
    return it == counts_.end() ? ArmAccessCount{} : it->second;
}

bool ArmBus::access_word(std::uint32_t aligned, std::uint32_t& value, bool write, std::uint32_t byte_mask,
                         bool debugger) {
    Region* r = find(aligned);
    if (!r || r->kind == Region::Kind::Error) return false;
    if (r->kind == Region::Kind::Device) {
        return write ? r->device->write_word(aligned, value, byte_mask) : r->device->read_word(aligned, value);
    }
    const std::uint32_t offset = aligned - r->base;
    if (offset + 4 > r->size) return false; // a region that ends inside a word
    if (!write) {
        value = 0;
        for (unsigned i = 0; i < 4; ++i) value |= std::uint32_t{r->bytes[offset + i]} << (8 * i);
        return true;
    }
    if (debugger && !r->writable) return true;
    for (unsigned i = 0; i < 4; ++i)
        if (byte_mask & (1u << i)) r->bytes[offset + i] = static_cast<std::uint8_t>(value >> (8 * i));
    return true;
}

bool ArmBus::read(std::uint32_t address, unsigned size, std::uint32_t& lanes) {
    ++counts_[address].reads;
    ++accesses_;
    (void)size;
    return access_word(address & ~3u, lanes, false, 0, true);
}

bool ArmBus::write(std::uint32_t address, unsigned size, std::uint32_t lanes) {
    ++counts_[address].writes;
    ++accesses_;
    return access_word(address & ~3u, lanes, true, arm_lane_mask(address, size), true);
}

bool ArmBus::peek32(std::uint32_t address, std::uint32_t& value) {
    return access_word(address & ~3u, value, false, 0, false);
}

bool ArmBus::peek16(std::uint32_t address, std::uint16_t& value) {
    std::uint32_t word = 0;
    if (!access_word(address & ~3u, word, false, 0, false)) return false;
    value = static_cast<std::uint16_t>(word >> (8 * (address & 2)));
    return true;
}

bool ArmBus::poke32(std::uint32_t address, std::uint32_t value) {
    return access_word(address & ~3u, value, true, 0xF, false);
}

bool ArmBus::poke16(std::uint32_t address, std::uint16_t value) {
    std::uint32_t lanes = std::uint32_t{value} << (8 * (address & 2));
    return access_word(address & ~3u, lanes, true, arm_lane_mask(address, 2), false);
}

} // namespace sim
