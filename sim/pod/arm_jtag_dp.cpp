#include "sim/pod/arm_jtag_dp.h"

#include "sim/pod/arm_sw_dp.h"
#include "sim/pod/generic_device.h"

namespace sim {

ArmJtagDp::ArmJtagDp(ArmDp& dp, const ArmJtagDpConfig& config) : dp_(dp), config_(config) {}

Bits ArmJtagDp::capture_ir() { return bits_from_u64(0b0001, 4); }

void ArmJtagDp::update_ir(const Bits& instruction) {
    instruction_ = static_cast<std::uint32_t>(bits_to_u64(instruction)) & 0xF;
}

void ArmJtagDp::reset() {
    instruction_ = kIdcode;
    captured_wait_ = false;
}

bool ArmJtagDp::standing_aside() const { return swj_ && swj_->swd_selected(); }

Bits ArmJtagDp::capture_dr() {
    if (standing_aside()) return bits_from_u64(0, 1);
    switch (instruction_) {
    case kIdcode: return bits_from_u64(config_.idcode, 32);
    case kAbort: return bits_from_u64(0, kAccessBits);
    case kDpacc:
    case kApacc: {
        const ArmDp::JtagCapture c = dp_.jtag_capture();
        captured_wait_ = c.wait;
        const std::uint64_t ack = c.wait ? 0b001 : 0b010;
        return bits_from_u64(ack | (std::uint64_t{c.read_result} << 3), kAccessBits);
    }
    default: return bits_from_u64(0, 1);
    }
}

void ArmJtagDp::update_dr(const Bits& value) {
    if (standing_aside()) return;
    const std::uint64_t v = bits_to_u64(value);
    const auto data = static_cast<std::uint32_t>(v >> 3);
    switch (instruction_) {
    case kAbort:
        if (value.size() == kAccessBits) dp_.jtag_abort(data);
        return;
    case kDpacc:
    case kApacc: {
        if (value.size() != kAccessBits) return;
        ++requests_;
        if (captured_wait_) {
            ++ignored_requests_;
            return;
        }
        const auto address = static_cast<std::uint8_t>(((v >> 1) & 3u) << 2);
        dp_.jtag_request(instruction_ == kApacc, (v & 1) != 0, address, data);
        return;
    }
    default: return;
    }
}

} // namespace sim
