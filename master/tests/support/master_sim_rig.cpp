#include "master/tests/support/master_sim_rig.h"

#include "master/jtag/jtag.h"
#include "master/tests/support/driver_record.h"

namespace master_test {

master_rig::master_rig() : record(mst::the_error_record())
{
    record.clear_without_recovery();
    record.held_code = 0;
    mst::the_jtag().forget_state();
    master = std::make_unique<mst::master>();
}

master_rig::~master_rig()
{
    master.reset();
    // Whatever a failed test left in the request goes to this rig's pod, not
    // to the next test's.
    rig_common::drop_failure();
}

sim::Tms320c54xTarget& master_rig::add_target(const sim::C54xTargetConfig& config)
{
    target = &pod.chain().emplace<sim::Tms320c54xTarget>(config);
    return *target;
}

sim::GenericDevice& master_rig::add_generic(unsigned ir_length, std::optional<uint32_t> idcode)
{
    sim::GenericDeviceConfig config;
    config.ir_length = ir_length;
    config.idcode = idcode;
    return pod.chain().emplace<sim::GenericDevice>(config);
}

mst::MasterConfig master_rig::driver_record(uint8_t clock)
{
    return rig_common::driver_record(clock);
}

uint32_t master_rig::bring_up(uint8_t clock)
{
    const mst::MasterConfig c = driver_record(clock);
    if (uint32_t code = call([&] { master->select_by_ide_code(mst::ide::tms320c54x); }))
        return code;
    if (uint32_t code = call([&] { master->init(); }))
        return code;
    return call([&] { master->set_config(mst::master_config_size, &c); });
}

} // namespace master_test
