#include "master/tests/support/c54x_sim_rig.h"

#include <stdexcept>

#include "master/core/platform.h"
#include "master/jtag/jtag.h"
#include "sim/pod/generic_device.h"

namespace c54x_test {

namespace {

void count_pause(uint32_t ms)
{
    ++pauses().calls;
    pauses().total_ms += ms;
}

std::unique_ptr<sim::GenericDevice> plain_device(unsigned ir_length, uint32_t idcode)
{
    sim::GenericDeviceConfig c;
    c.ir_length = ir_length;
    c.idcode = idcode;
    return std::make_unique<sim::GenericDevice>(c);
}

} // namespace

pause_count& pauses()
{
    static pause_count count;
    return count;
}

c54x_rig::c54x_rig(const sim::C54xTargetConfig& config,
                   std::unique_ptr<sim::Tms320c54xTarget> custom, bool alone)
{
    mst::set_pause_hook(count_pause);
    pauses() = {};
    if (alone) {
        ir_position = 0;
        dr_position = 0;
    } else {
        pod.chain().add(plain_device(5, 0x0A5A5001u));
    }
    auto dsp = custom ? std::move(custom) : std::make_unique<sim::Tms320c54xTarget>(config);
    target = dsp.get();
    pod.chain().add(std::move(dsp));
    if (!alone) {
        pod.chain().add(plain_device(3, 0x0C3C3003u));
        pod.chain().add(plain_device(6, 0x0D6D6005u));
    }
    mst::the_jtag().forget_state();
    clear_failure();
    device = std::make_unique<mst::TMS320C54x_jtag_device>();
}

c54x_rig::~c54x_rig()
{
    device.reset();
    clear_failure();
    mst::set_pause_hook(nullptr);
}

void c54x_rig::clear_failure()
{
    rig_common::drop_failure();
}

uint32_t c54x_rig::identify(uint32_t status_flag)
{
    return call([&] {
        mst::the_jtag().reset_tap();
        mst::the_jtag().measure_chain();
        device->identify(0, status_flag, 0, ir_position, dr_position);
    });
}

uint32_t c54x_rig::reset()
{
    return call([&] {
        device->attach(1);
        device->reset_step1();
        device->reset_step2();
        device->attach(1);
        device->reset_step3();
    });
}

void c54x_rig::bring_up(uint32_t status_flag)
{
    if (identify(status_flag) != 0 || reset() != 0)
        throw std::runtime_error("the DSP did not come up");
}

void c54x_rig::load_program(uint16_t address, const std::vector<uint16_t>& words)
{
    auto& program = cpu().memory(sim::C54xSpace::Program);
    for (size_t i = 0; i < words.size(); ++i)
        program[static_cast<uint16_t>(address + i)] = words[i];
}

cpu_snapshot cpu_snapshot::of(sim::Tms320c54xTarget& target)
{
    sim::C54xCpu& cpu = target.cpu();
    cpu_snapshot s{cpu.pc, cpu.dp, cpu.etdr, cpu.cpl, cpu.braf, cpu.pending_repeat,
                   cpu.memory(sim::C54xSpace::Program), cpu.memory(sim::C54xSpace::Data),
                   cpu.memory(sim::C54xSpace::Io), {}, target.cpu_mode()};
    const sim::C54xPoolSet& pools = target.pools();
    for (unsigned p = 0; p < sim::C54xPoolSet::kPools; ++p)
        s.pools.push_back(pools.pool(p));
    return s;
}

} // namespace c54x_test
