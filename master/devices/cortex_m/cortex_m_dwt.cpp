// The data watchpoint and trace unit's configuration interface. The unit is
// never probed, so it holds no comparator: the configuration operations
// work on none and change nothing.
#include "master/devices/cortex_m/cortex_m_device.h"

namespace mst {

uint32_t dwt_unit::start_config() { return 0; }
uint32_t dwt_unit::apply_config() { return 0; }
void dwt_unit::end_config() {}

uint32_t Cortex_jtag_device::dwt_comparator_count() { return dwt.comparator_count(); }

const void* Cortex_jtag_device::dwt_parameters()
{
    if ((status & cortex_flag::identified) == 0)
        return nullptr;
    return dwt.parameter_table();
}

uint32_t Cortex_jtag_device::dwt_start_config() { return dwt.start_config(); }
uint32_t Cortex_jtag_device::dwt_apply_config() { return dwt.apply_config(); }
void Cortex_jtag_device::dwt_end_config() { dwt.end_config(); }

} // namespace mst
