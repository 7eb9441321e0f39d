// A plain IEEE 1149.1 device for building multi-device chains around a
// target: an instruction register of any length, an optional 32-bit IDCODE
// register and the one-bit BYPASS register. Every instruction other than
// IDCODE selects BYPASS, as the standard asks of unused opcodes.
#pragma once

#include <cstdint>
#include <optional>

#include "sim/pod/tap_device.h"

namespace sim {

struct GenericDeviceConfig {
    unsigned ir_length = 4;                  // at least 2
    std::optional<std::uint32_t> idcode;     // bit 0 must be 1 when present
    std::uint32_t idcode_opcode = 0x1;       // IR value that selects IDCODE
    std::uint32_t ir_capture = 0x1;          // bits 1:0 are forced to 0b01
};

class GenericDevice : public TapDevice {
public:
    explicit GenericDevice(const GenericDeviceConfig& config);

    unsigned ir_length() const override { return config_.ir_length; }
    Bits capture_ir() override;
    void update_ir(const Bits& instruction) override;
    Bits capture_dr() override;
    void update_dr(const Bits& value) override;
    void reset() override;

    std::uint32_t instruction() const { return instruction_; }
    bool idcode_selected() const;
    unsigned update_ir_count() const { return update_ir_count_; }
    unsigned update_dr_count() const { return update_dr_count_; }
    unsigned reset_count() const { return reset_count_; }

private:
    GenericDeviceConfig config_;
    std::uint32_t instruction_ = 0;
    unsigned update_ir_count_ = 0;
    unsigned update_dr_count_ = 0;
    unsigned reset_count_ = 0;
};

// Bits of `value`, bit 0 first, `count` of them.
Bits bits_from_u64(std::uint64_t value, unsigned count);
// Bits 0..63 of `bits` as an integer (bit 0 = element 0).
std::uint64_t bits_to_u64(const Bits& bits);

} // namespace sim
