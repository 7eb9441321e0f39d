#include "master/jtag/resources.h"

namespace mst {

bool rw_resource::take_from_reply(uint32_t position, bitchain& into)
{
    return engine_.working.extract_field(position, into);
}

void rw_resource::complete(uint32_t position)
{
    if (state == waiter_state::invalid)
        return;
    if (!is_write_entry(position) && !take_from_reply(position, chain)) {
        state = waiter_state::invalid;
        return;
    }
    state = waiter_state::valid;
}

scan_result scan_register(jtag& engine, reg_kind kind, uint32_t mode, const bitchain& data,
                          uint32_t bits_before)
{
    scan_result r = engine.scan(kind, mode, data, bits_before);
    if (r.done != 0)
        return r;
    engine.prot().end_batch();
    r = engine.scan(kind, mode, data, bits_before);
    if (r.done == 0)
        raise_error(engine.prot().record(), rc::command_too_long);
    return r;
}

} // namespace mst
