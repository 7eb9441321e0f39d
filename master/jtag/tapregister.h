// One data or instruction register of a device, up to 32 bits, kept as an
// image that is read and written inside the pod batch.
#pragma once

#include <cstdint>

#include "master/jtag/resources.h"

namespace mst {

class tapregister : public rw_resource {
public:
    tapregister(jtag& engine, chain_device* owner, uint32_t dr_flag, uint32_t width,
                uint32_t ir_code, const char* register_name);

    // mode: scan_mode read, write or exchange.
    void scan(uint32_t mode);
    uint32_t get();
    void set(uint32_t v);
    void force_set(uint32_t v);

    uint32_t value = 0;
    uint32_t mask;
    uint32_t ir_code;
    uint32_t dr_flag;
};

} // namespace mst
