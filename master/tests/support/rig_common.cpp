#include "master/tests/support/rig_common.h"

#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "master/jtag/jtag.h"
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
