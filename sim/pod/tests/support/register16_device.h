// A test device with a 4-bit IR and one 16-bit data register selected by
// every instruction, so a DR scan's data is easy to place and check.
#pragma once

#include <cstdint>

#include "sim/pod/generic_device.h"
#include "sim/pod/tap_device.h"

namespace sim::test {

class Register16Device : public TapDevice {
public:
    explicit Register16Device(std::uint16_t value) : value(value) {}
    unsigned ir_length() const override { return 4; }
    Bits capture_ir() override { return bits_from_u64(0x1, 4); }
    void update_ir(const Bits&) override {}
    Bits capture_dr() override { return bits_from_u64(value, 16); }
    void update_dr(const Bits& bits) override {
        value = static_cast<std::uint16_t>(bits_to_u64(bits));
        ++updates;
    }
    void reset() override {}
    void on_target_reset_line(bool asserted) override { target_reset = asserted; }

    std::uint16_t value;
    unsigned updates = 0;
    bool target_reset = false;
};

} // namespace sim::test
