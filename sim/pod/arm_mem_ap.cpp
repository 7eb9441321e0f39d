#include "sim/pod/arm_mem_ap.h"

#include <cstdio>

namespace sim {

namespace {

std::string hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(v));
    return text;
}

constexpr std::uint32_t kCswWritable = 0xFFFFF037u;

} // namespace

ArmMemAp::ArmMemAp(ArmBus& bus, const ArmMemApConfig& config)
    : bus_(bus), config_(config), csw_(config.csw_reset & kCswWritable), wrap_(config.wrap_bytes) {}

std::uint32_t ArmMemAp::csw() const {
    std::uint32_t value = csw_;
    if (device_enabled_) value |= 0x40;
    if (stuck_) value |= 0x80;
    return value;
}

void ArmMemAp::clear_logs() {
    tar_writes_.clear();
    csw_writes_.clear();
    violations_.clear();
}

void ArmMemAp::stick_transfer(unsigned csw_reads_after_abort) {
    stuck_ = true;
    aborted_ = false;
    reads_left_ = csw_reads_after_abort;
}

bool ArmMemAp::busy(std::uint8_t address) const {
    const bool data = address == kDrw || (address >= kBd0 && address < kBd0 + 16);
    return data && stuck_;
}

void ArmMemAp::abort() {
    if (stuck_) aborted_ = true;
}

ArmApResult ArmMemAp::data_access(std::uint32_t address, bool write, std::uint32_t value) {
    if (stuck_) return {ArmApStatus::Busy, 0};
    if (!device_enabled_) return {ArmApStatus::BusError, 0};
    const unsigned size = size_bytes();
    if (address & (size - 1)) {
        violations_.push_back({ArmViolationKind::UnalignedAccess,
                               "size " + std::to_string(size) + " at " + hex(address)});
        address &= ~(size - 1);
    }
    ArmApResult result;
    const bool ok = write ? bus_.write(address, size, value) : bus_.read(address, size, result.data);
    if (!ok) return {ArmApStatus::BusError, 0};
    return result;
}

ArmApResult ArmMemAp::read(std::uint8_t address) {
    switch (address) {
    case kCsw: {
        if (stuck_ && aborted_ && reads_left_ != kForever) {
            if (reads_left_ == 0) stuck_ = false;
            else --reads_left_;
        }
        return {ArmApStatus::Ok, csw()};
    }
    case kTar: return {ArmApStatus::Ok, tar_};
    case kDrw: {
        ArmApResult r = data_access(tar_, false, 0);
        if (r.status == ArmApStatus::Ok && ((csw_ >> 4) & 3) == 1) {
            const std::uint32_t mask = wrap_ - 1;
            tar_ = (tar_ & ~mask) | ((tar_ + size_bytes()) & mask);
        }
        return r;
    }
    case kCfg: return {ArmApStatus::Ok, 0};
    case kBase: return {ArmApStatus::Ok, config_.base};
    case kIdr: return {ArmApStatus::Ok, config_.idr};
    default:
        if (address >= kBd0 && address < kBd0 + 16)
            return data_access((tar_ & ~0xFu) | (address - kBd0) | (tar_ & 3), false, 0);
        return {ArmApStatus::Ok, 0};
    }
}

ArmApResult ArmMemAp::write(std::uint8_t address, std::uint32_t value) {
    switch (address) {
    case kCsw: {
        csw_writes_.push_back(value);
        std::uint32_t next = value & kCswWritable;
        if ((value & 7) > 2) {
            violations_.push_back({ArmViolationKind::ReservedSize, "CSW " + hex(value)});
            next = (next & ~7u) | (csw_ & 7);
        }
        csw_ = next;
        return {};
    }
    case kTar:
        tar_writes_.push_back(value);
        tar_ = value;
        return {};
    case kDrw: {
        ArmApResult r = data_access(tar_, true, value);
        if (r.status == ArmApStatus::Ok && ((csw_ >> 4) & 3) == 1) {
            const std::uint32_t mask = wrap_ - 1;
            tar_ = (tar_ & ~mask) | ((tar_ + size_bytes()) & mask);
        }
        return r;
    }
    default:
        if (address >= kBd0 && address < kBd0 + 16)
            return data_access((tar_ & ~0xFu) | (address - kBd0) | (tar_ & 3), true, value);
        return {}; // read-only and unimplemented registers ignore writes
    }
}

} // namespace sim
