// Pieces the engine's test rigs share: a call frame as the exports build
// one, the simulated pod's transport in the engine's slots for a rig's life,
// and forgetting what a failed call left behind.
#pragma once

#include <cstdint>
#include <utility>

#include "master/core/error_record.h"
#include "master/core/platform.h"

namespace sim {
class Pod;
}

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

// The engine's pauses while the object lives: counted into pauses and
// paused_ms, and passed on to the pod's virtual clock instead of sleeping.
// The hook held before is put back after it.
class virtual_pauses {
public:
    virtual_pauses(unsigned& pauses, uint64_t& paused_ms, sim::Pod& pod);
    ~virtual_pauses();
    virtual_pauses(const virtual_pauses&) = delete;
    virtual_pauses& operator=(const virtual_pauses&) = delete;

private:
    mst::pause_fn previous_ = nullptr;
};

} // namespace rig_common
