// The debug port's test rig: the fake pod on the transport slots, a protocol
// object and chain engine of the test's own, and a device standing where the
// Cortex-M device will: its instruction register, IDCODE register, DP
// register set and MEM-AP. JTAG: the chain is TDI -> A (IR 5) -> port
// (IR 4) -> C (IR 7) -> TDO, so the port's scans have one DR bit and seven
// IR bits before them. Pauses are recorded, not slept.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "master/arm/debug_port.h"
#include "master/arm/mem_ap.h"
#include "master/core/command_list.h"
#include "master/core/error_record.h"
#include "master/core/trn_prot.h"
#include "master/jtag/capture_register.h"
#include "master/jtag/jtag.h"
#include "master/jtag/tapregister.h"
#include "master/tests/support/arm_fake_pod.h"
#include "master/tests/support/rig_common.h"

namespace arm_test {

class dp_device : public mst::chain_device {
public:
    explicit dp_device(mst::jtag& engine);

    void tap_reset_notice() override;
    mst::capture_register& instruction_register() override { return ir; }

    mst::capture_register ir;
    mst::tapregister idcode;
    mst::dap_regset regs;
    mst::cmd_list list;
    mst::mem_ap ap{regs, list};
};

struct arm_rig {
    explicit arm_rig(bool swd);
    ~arm_rig();
    arm_rig(const arm_rig&) = delete;
    arm_rig& operator=(const arm_rig&) = delete;

    // Runs op in a call frame (begin_call and its recovery first); returns
    // the code recorded, 0 on success.
    template <class Op>
    uint32_t run(Op&& op)
    {
        return rig_common::in_frame(record, std::forward<Op>(op));
    }

    fake_pod pod;
    mst::error_record record;
    mst::trn_prot prot{record};
    mst::jtag engine{prot};
    dp_device device{engine};
};

// Pauses asked for since the last rig was built (milliseconds each).
std::vector<uint32_t>& recorded_pauses();

} // namespace arm_test
