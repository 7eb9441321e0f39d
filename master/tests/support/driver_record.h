// The configuration record the driver builds for the TMS320C54x: zero-filled,
// the JTAG clock setting in byte 3, set selector 1, the TMS320C54x IDCODE
// pattern. Header only: the DLL's end-to-end test uses it too.
#pragma once

#include <cstdint>
#include <cstring>

#include "master/master_config.h"

namespace rig_common {

inline mst::MasterConfig driver_record(uint8_t clock = 3)
{
    mst::MasterConfig c;
    std::memset(&c, 0, sizeof c);
    c.clock_start = clock;
    c.set_selector = 1;
    c.idcode_length = 0x20;
    c.idcode_value[0] = 0xFDF;
    c.idcode_mask[0] = 0xFFF;
    return c;
}

} // namespace rig_common
