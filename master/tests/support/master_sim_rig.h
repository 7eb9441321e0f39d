// Rig for the master object: a simulated pod whose chain a test builds
// (generic devices around a simulated TMS320C54x), the pod's transport in
// the engine's slots, a fresh master on the process-wide engine, and pauses
// that advance the pod's virtual clock instead of sleeping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "master/core/error_record.h"
#include "master/core/platform.h"
#include "master/master.h"
#include "master/tests/support/rig_common.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/pod.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/pod/transport.h"

namespace master_test {

struct master_rig {
    master_rig();
    ~master_rig();
    master_rig(const master_rig&) = delete;
    master_rig& operator=(const master_rig&) = delete;

    // Devices are added at the TDO end, in the order of the calls.
    sim::Tms320c54xTarget& add_target(const sim::C54xTargetConfig& config = {});
    sim::GenericDevice& add_generic(unsigned ir_length, std::optional<uint32_t> idcode);

    // The record the driver builds: zero-filled, the clock setting in byte 3,
    // set selector 1, the TMS320C54x IDCODE pattern.
    static mst::MasterConfig driver_record(uint8_t clock = 3);

    // Runs op in a full frame (begin_call with its recovery); the code.
    template <class Op>
    uint32_t call(Op&& op)
    {
        return rig_common::in_frame(record, std::forward<Op>(op));
    }

    // SetIdeCode(2), Init, SetConfig with the driver's record: 0 on success.
    uint32_t bring_up(uint8_t clock = 3);

    std::string error_text() { return record.format_error(); }
    // Requests the pod received since the rig was built.
    size_t requests() const { return pod.log().exchanges.size(); }

    sim::Pod pod;
    sim::TransportBinding binding{pod};
    rig_common::pod_transport_slots slots;
    mst::error_record& record;
    std::unique_ptr<mst::master> master;
    sim::Tms320c54xTarget* target = nullptr;
    unsigned pauses = 0;
    uint64_t paused_ms = 0;

private:
    rig_common::virtual_pauses virtual_pauses_{pauses, paused_ms, pod};
};

} // namespace master_test
