// Rig for the Cortex-M and combined devices: a simulated pod with a
// simulated Cortex-M target on its Serial Wire line (and, for JTAG, its
// JTAG-DP in the pod's chain between other devices), the pod's transport in
// the engine's slots, a fresh master on the process-wide engine, and pauses
// that advance the pod's virtual clock instead of sleeping.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "master/core/error_record.h"
#include "master/core/platform.h"
#include "master/master.h"
#include "master/tests/support/rig_common.h"
#include "sim/pod/cortex_m_target.h"
#include "sim/pod/pod.h"
#include "sim/pod/transport.h"

namespace cortex_test {

struct cortex_rig {
    explicit cortex_rig(const sim::CortexMTargetConfig& config = {});
    ~cortex_rig();
    cortex_rig(const cortex_rig&) = delete;
    cortex_rig& operator=(const cortex_rig&) = delete;

    // Runs op in a full frame (begin_call with its recovery); the code.
    template <class Op>
    uint32_t call(Op&& op)
    {
        return rig_common::in_frame(record, std::forward<Op>(op));
    }

    // A record for a Cortex-M host: Serial Wire Debug (swd) or JTAG with the
    // target's debug port placed by position (devices and IR bits between
    // it and TDI), any ARM CPUID.
    static mst::MasterConfig cortex_record(bool swd, uint8_t devices_after = 0,
                                           uint16_t ir_bits_after = 0);
    // SetIdeCode(1), Init, SetConfig with record: 0 on success.
    uint32_t bring_up(const mst::MasterConfig& record);
    uint32_t bring_up_swd() { return bring_up(cortex_record(true)); }

    std::string error_text() { return record.format_error(); }
    mst::jtagdev& device() { return *master->current(); }

    sim::Pod pod;
    sim::CortexMTarget target;
    sim::TransportBinding binding{pod};
    rig_common::pod_transport_slots slots;
    mst::error_record& record;
    std::unique_ptr<mst::master> master;
    unsigned pauses = 0;
    uint64_t paused_ms = 0;

private:
    rig_common::virtual_pauses virtual_pauses_{pauses, paused_ms, pod};
};

} // namespace cortex_test
