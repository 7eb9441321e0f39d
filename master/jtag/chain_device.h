// What the chain engine and the register images need of a device on the
// chain: its place in the engine's device list, the chain bits between it
// and TDO, its instruction register, and the notice of a TAP reset.
#pragma once

#include <cstdint>

#include "master/jtag/bitchain.h"

namespace mst {

class capture_register;

class chain_device : public list_elem {
public:
    virtual ~chain_device() { remove(); }

    // The TAP went through Test-Logic-Reset: every cached image of the
    // device's instruction register is stale.
    virtual void tap_reset_notice() = 0;
    virtual capture_register& instruction_register() = 0;

    // Chain bits between the device and TDO, sent before its own bits.
    uint32_t dr_bits_before = 0;
    uint32_t ir_bits_before = 0;
};

} // namespace mst
