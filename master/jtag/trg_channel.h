// Base of the chain engine: the working chain, which the engine attaches in
// turn to its TMS words, its TDI words or the pod reply area, and the two
// operations the protocol calls around a batch.
#pragma once

#include "master/core/recovery_hooks.h"
#include "master/jtag/bitchain.h"

namespace mst {

class trg_channel : public chain_hooks {
public:
    void forget_state() override {}
    void forget_line_state() override {}
    void complete_batch() override {}

    bitchain working;

protected:
    ~trg_channel() = default;
};

} // namespace mst
