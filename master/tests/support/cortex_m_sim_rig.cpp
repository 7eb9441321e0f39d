#include "master/tests/support/cortex_m_sim_rig.h"

#include <cstring>

#include "master/jtag/jtag.h"

namespace cortex_test {

cortex_rig::cortex_rig(const sim::CortexMTargetConfig& config)
    : target(config), record(mst::the_error_record())
{
    pod.attach_arm_target(&target);
    record.clear_without_recovery();
    record.held_code = 0;
    mst::the_jtag().forget_state();
    master = std::make_unique<mst::master>();
}

cortex_rig::~cortex_rig()
{
    master.reset();
    rig_common::drop_failure();
    mst::the_jtag().wire_mode = 0;
}

mst::MasterConfig cortex_rig::cortex_record(bool swd, uint8_t devices_after,
                                            uint16_t ir_bits_after)
{
    mst::MasterConfig c;
    std::memset(&c, 0, sizeof c);
    c.wire_mode = swd ? 1 : 0;
    c.wire_mode_2 = c.wire_mode;
    c.clock_start = 3;
    c.line_select = 1;
    c.set_selector = 1;
    c.positions_given = 1;
    c.devices_after = devices_after;
    c.ir_bits_after = ir_bits_after;
    c.target_devices = 1;
    c.target_ir_length = 4;
    return c;
}

uint32_t cortex_rig::bring_up(const mst::MasterConfig& c)
{
    if (uint32_t code = call([&] { master->select_by_ide_code(mst::ide::cortex_m); }))
        return code;
    if (uint32_t code = call([&] { master->init(); }))
        return code;
    return call([&] { master->set_config(mst::master_config_size, &c); });
}

} // namespace cortex_test
