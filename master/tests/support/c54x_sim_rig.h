// Rig for the TMS320C54x device: the simulated pod with the DSP inside a
// chain of other devices, bound to the process-wide protocol object and
// chain engine through the transport slots, and the device under test.
//
// Chain, TDI first: A (IR 5), the DSP (IR 8), C (IR 3), D (IR 6). So the
// DSP has one device and 5 IR bits on its TDI side, two devices and 9 IR
// bits on its TDO side.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "master/core/error_record.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"
#include "master/tests/support/rig_common.h"
#include "sim/pod/pod.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/pod/transport.h"

namespace c54x_test {

// Pauses the engine asked for since the rig was built (none is slept).
struct pause_count {
    unsigned calls = 0;
    uint64_t total_ms = 0;
};
pause_count& pauses();

struct c54x_rig {
    // alone: the DSP is the only device on the chain (long transfers run
    // faster through the simulator).
    explicit c54x_rig(const sim::C54xTargetConfig& config = {},
                      std::unique_ptr<sim::Tms320c54xTarget> custom = nullptr,
                      bool alone = false);
    ~c54x_rig();
    c54x_rig(const c54x_rig&) = delete;
    c54x_rig& operator=(const c54x_rig&) = delete;

    // Runs op in a call frame; the recorded code (0 on success).
    template <class Op>
    uint32_t call(Op&& op)
    {
        return rig_common::in_frame(mst::the_error_record(), std::forward<Op>(op));
    }
    // Forgets a recorded failure without its recovery and drops what the
    // failed operation left in the batch.
    void clear_failure();

    // The master's configuration: chain measured, then identify with the
    // rig's positions (status_flag 1: status through the "STATUS" register).
    uint32_t identify(uint32_t status_flag = 0);
    // The master's reset: attach, the three steps with an attach between.
    uint32_t reset();
    // identify and reset: the DSP halted at the reset vector.
    void bring_up(uint32_t status_flag = 0);

    // Loads program words into the simulated memory directly.
    void load_program(uint16_t address, const std::vector<uint16_t>& words);

    sim::Tms320c54xTarget& dsp() { return *target; }
    sim::C54xCpu& cpu() { return target->cpu(); }
    mst::TMS320C54x_jtag_device& dev() { return *device; }

    uint32_t ir_position = 5;  // IR bits on the TDI side
    uint32_t dr_position = 1;  // devices on the TDI side
    sim::Pod pod;
    sim::TransportBinding binding{pod};
    rig_common::pod_transport_slots slots;
    sim::Tms320c54xTarget* target = nullptr;
    std::unique_ptr<mst::TMS320C54x_jtag_device> device;
};

// The CPU state the debugger must not disturb: registers, the three
// memories and every pool bit.
struct cpu_snapshot {
    uint16_t pc, dp, etdr;
    bool cpl, braf;
    uint32_t pending_repeat;
    std::vector<uint16_t> program, data, io;
    std::vector<sim::Bits> pools;
    unsigned mode;

    static cpu_snapshot of(sim::Tms320c54xTarget& target);
    bool operator==(const cpu_snapshot&) const = default;
};

} // namespace c54x_test
