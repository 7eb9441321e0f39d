#include "master/tests/support/jtag_sim_rig.h"

#include "master/core/transport_slots.h"

namespace jtag_test {

sim::Bits bits_of(uint64_t value, unsigned count)
{
    return sim::bits_from_u64(value, count);
}

target_chip::target_chip(unsigned ir_length, uint32_t ir_capture, uint32_t idcode,
                         uint32_t idcode_opcode)
    : ir_length_(ir_length),
      ir_capture_(ir_capture),
      idcode_(idcode),
      idcode_opcode_(idcode_opcode),
      instruction_(idcode_opcode)
{
}

sim::Bits target_chip::capture_ir()
{
    return sim::bits_from_u64(ir_capture_, ir_length_);
}

void target_chip::update_ir(const sim::Bits& instruction)
{
    instruction_ = static_cast<uint32_t>(sim::bits_to_u64(instruction));
    ++update_ir_count_;
}

sim::Bits target_chip::capture_dr()
{
    if (instruction_ == idcode_opcode_)
        return sim::bits_from_u64(idcode_, 32);
    auto it = regs_.find(instruction_);
    if (it != regs_.end())
        return it->second;
    return sim::Bits{false};
}

void target_chip::update_dr(const sim::Bits& value)
{
    auto it = regs_.find(instruction_);
    if (it != regs_.end() && value.size() == it->second.size())
        it->second = value;
}

member_device::member_device(mst::jtag& engine, uint32_t ir_width)
    : ir(engine, this, 0, 0, 0, 0, ir_width, 0, "IR", "STATUS")
{
    insert_at_tail(engine.devices());
}

void member_device::tap_reset_notice()
{
    ir.reset();
    ++reset_notices;
}

chain_rig::chain_rig(bool three_devices, std::unique_ptr<target_chip> custom)
{
    SendTargetRequest = sim::SendTargetRequest;
    GetTargetReply = sim::GetTargetReply;
    SetTargetTimeout = sim::SetTargetTimeout;
    record.prot = &prot;
    record.chain = &engine;
    prot.set_chain(&engine);
    if (three_devices) {
        sim::GenericDeviceConfig a;
        a.ir_length = 5;
        a.idcode = 0x0A5A5001u;
        pod.chain().add(std::make_unique<sim::GenericDevice>(a));
    }
    if (!custom)
        custom = std::make_unique<target_chip>(8, target_ir_capture, target_idcode, idcode_opcode);
    chip = custom.get();
    pod.chain().add(std::move(custom));
    if (three_devices) {
        sim::GenericDeviceConfig c;
        c.ir_length = 3;
        c.idcode = 0x0C3C3003u;
        pod.chain().add(std::make_unique<sim::GenericDevice>(c));
    }
    device = std::make_unique<member_device>(engine, 8);
}

chain_rig::~chain_rig()
{
    device.reset();
    SendTargetRequest = nullptr;
    GetTargetReply = nullptr;
    SetTargetTimeout = nullptr;
}

} // namespace jtag_test
