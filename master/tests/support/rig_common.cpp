#include "master/tests/support/rig_common.h"

#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "master/jtag/jtag.h"
#include "sim/pod/pod.h"
#include "sim/pod/transport.h"

namespace rig_common {

pod_transport_slots::pod_transport_slots()
{
    SendTargetRequest = sim::SendTargetRequest;
    GetTargetReply = sim::GetTargetReply;
    SetTargetTimeout = sim::SetTargetTimeout;
}

pod_transport_slots::~pod_transport_slots()
{
    SendTargetRequest = nullptr;
    GetTargetReply = nullptr;
    SetTargetTimeout = nullptr;
}

namespace {

struct pause_target {
    unsigned* pauses = nullptr;
    uint64_t* paused_ms = nullptr;
    sim::Pod* pod = nullptr;
};
pause_target active_pauses;

void count_pause(uint32_t milliseconds)
{
    if (active_pauses.pod == nullptr)
        return;
    ++*active_pauses.pauses;
    *active_pauses.paused_ms += milliseconds;
    active_pauses.pod->clock().advance_ms(milliseconds);
}

} // namespace

virtual_pauses::virtual_pauses(unsigned& pauses, uint64_t& paused_ms, sim::Pod& pod)
{
    active_pauses = {&pauses, &paused_ms, &pod};
    previous_ = mst::set_pause_hook(&count_pause);
}

virtual_pauses::~virtual_pauses()
{
    mst::set_pause_hook(previous_);
    active_pauses = {};
}

void drop_failure()
{
    mst::error_record& record = mst::the_error_record();
    record.clear_without_recovery();
    record.held_code = 0;
    try {
        mst::the_prot().resync();
    } catch (const mst::call_abandoned&) {
    }
    record.clear_without_recovery();
    mst::the_jtag().forget_state();
}

} // namespace rig_common
