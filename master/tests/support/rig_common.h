// Pieces the engine's test rigs share: a call frame as the exports build
// one, the simulated pod's transport in the engine's slots for a rig's life,
// and forgetting what a failed call left behind.
#pragma once

#include <cstdint>
#include <utility>

#include "master/core/error_record.h"

namespace rig_common {

// Runs op in a call frame (begin_call and its recovery first); returns the
// code recorded, 0 on success.
template <class Op>
uint32_t in_frame(mst::error_record& record, Op&& op)
{
    record.begin_call();
    if (record.has_error())
        return record.code;
    try {
        std::forward<Op>(op)();
    } catch (const mst::call_abandoned&) {
    }
    return record.code;
}

// The simulated pod's transport functions in the engine's slots while the
// object lives; the slots are null again after it.
struct pod_transport_slots {
    pod_transport_slots();
    ~pod_transport_slots();
    pod_transport_slots(const pod_transport_slots&) = delete;
    pod_transport_slots& operator=(const pod_transport_slots&) = delete;
};

// Forgets the process-wide record's failure without its recovery, sends what
// the failed operation left in the batch (a resync) and makes the chain
// engine forget its TAP state.
void drop_failure();

} // namespace rig_common
