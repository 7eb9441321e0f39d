// End-to-end rig for the JTAG layer: a simulated pod with a chain of devices,
// the protocol object on the pod's transport, the chain engine, and a
// master-side device whose registers are scanned through the engine.
#pragma once

#include <cstdint>
#include <map>
#include <memory>

#include "master/core/error_record.h"
#include "master/core/trn_prot.h"
#include "master/jtag/capture_register.h"
#include "master/jtag/chain_device.h"
#include "master/jtag/jtag.h"
#include "master/tests/support/rig_common.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/pod.h"
#include "sim/pod/transport.h"

namespace jtag_test {

// A chip with an instruction register of any length, an IDCODE and data
// registers of any width selected by opcode; other opcodes select BYPASS.
class target_chip : public sim::TapDevice {
public:
    target_chip(unsigned ir_length, uint32_t ir_capture, uint32_t idcode, uint32_t idcode_opcode);

    void add_register(uint32_t opcode, const sim::Bits& initial) { regs_[opcode] = initial; }
    sim::Bits& reg(uint32_t opcode) { return regs_.at(opcode); }
    uint32_t instruction() const { return instruction_; }
    unsigned update_ir_count() const { return update_ir_count_; }
    unsigned idle_clocks() const { return idle_clocks_; }
    void on_idle_clock() override { ++idle_clocks_; }

    unsigned ir_length() const override { return ir_length_; }
    sim::Bits capture_ir() override;
    void update_ir(const sim::Bits& instruction) override;
    sim::Bits capture_dr() override;
    void update_dr(const sim::Bits& value) override;
    void reset() override { instruction_ = idcode_opcode_; }

private:
    unsigned ir_length_;
    uint32_t ir_capture_;
    uint32_t idcode_;
    uint32_t idcode_opcode_;
    uint32_t instruction_;
    unsigned update_ir_count_ = 0;
    unsigned idle_clocks_ = 0;
    std::map<uint32_t, sim::Bits> regs_;
};

// The master's picture of the target: its instruction register (captured
// value = the chip's IR capture) and its place in the chain.
class member_device : public mst::chain_device {
public:
    member_device(mst::jtag& engine, uint32_t ir_width);

    void tap_reset_notice() override;
    mst::capture_register& instruction_register() override { return ir; }

    mst::capture_register ir;
    unsigned reset_notices = 0;
};

// Three devices, target in the middle: TDI -> A (IR 5) -> target (IR 8) ->
// C (IR 3) -> TDO. Every device has an IDCODE; only the target's ends in
// 0xFDF.
struct chain_rig {
    static constexpr uint32_t target_idcode = 0x1234AFDFu;
    static constexpr uint32_t target_ir_capture = 0x2Du;
    static constexpr uint32_t idcode_opcode = 7;

    // chip: the target to put in the middle (a default one when null).
    explicit chain_rig(bool three_devices = true, std::unique_ptr<target_chip> chip = nullptr);
    ~chain_rig();
    chain_rig(const chain_rig&) = delete;
    chain_rig& operator=(const chain_rig&) = delete;

    sim::Pod pod;
    sim::TransportBinding binding{pod};
    mst::error_record record;
    mst::trn_prot prot{record};
    mst::jtag engine{prot};
    target_chip* chip = nullptr;
    std::unique_ptr<member_device> device;
};

// Runs op in a call frame; returns the code recorded (0 on success).
using rig_common::in_frame;

sim::Bits bits_of(uint64_t value, unsigned count);

} // namespace jtag_test
