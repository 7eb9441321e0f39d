#include "master/tests/support/arm_rig.h"

#include "master/core/platform.h"

namespace arm_test {

namespace {
void record_pause(uint32_t ms) { recorded_pauses().push_back(ms); }
} // namespace

std::vector<uint32_t>& recorded_pauses()
{
    static std::vector<uint32_t> pauses;
    return pauses;
}

dp_device::dp_device(mst::jtag& engine)
    : ir(engine, this, 0, 1, 0, mst::dp::ir_idcode, 4, 0, "(0) IR", "(0) IR"),
      idcode(engine, this, 1, 32, mst::dp::ir_idcode, "(0) IDCODE"),
      regs(engine, *this),
      list(engine.prot().record())
{
    insert_at_tail(engine.devices());
}

void dp_device::tap_reset_notice()
{
    ir.reset();
    idcode.reset();
    regs.forget_all();
}

arm_rig::arm_rig(bool swd) : pod(swd)
{
    record.chain = &engine;
    prot.set_chain(&engine);
    engine.wire_mode = swd ? 1 : 0;
    engine.dr_bypass_length = 3;
    engine.ir_chain_length = 5 + 4 + 7;
    device.dr_bits_before = 1;
    device.ir_bits_before = 7;
    recorded_pauses().clear();
    mst::set_pause_hook(record_pause);
}

arm_rig::~arm_rig()
{
    mst::set_pause_hook(nullptr);
}

} // namespace arm_test
