#include "master/jtag/tapregister.h"

#include "master/jtag/capture_register.h"

namespace mst {

tapregister::tapregister(jtag& engine, chain_device* owner, uint32_t dr, uint32_t width,
                         uint32_t code, const char* register_name)
    : rw_resource(engine, owner, register_name),
      mask(width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u),
      ir_code(code),
      dr_flag(dr)
{
    chain.attach(&value, width > 32 ? 32 : width);
}

void tapregister::scan(uint32_t mode)
{
    if (dr_flag == 0 && mode == scan_mode::read)
        mode = scan_mode::exchange;  // a read of the IR alone would rewrite it
    reg_kind kind = reg_kind::ir;
    uint32_t before = device->ir_bits_before;
    if (dr_flag != 0) {
        device->instruction_register().set(ir_code);
        kind = reg_kind::dr;
        before = device->dr_bits_before;
    }
    // Both entries of an exchange land in the batch that holds the scan.
    prot().log().reserve_entries(mode == scan_mode::exchange ? 2 : 1);
    const scan_result r = scan_register(engine_, kind, mode, chain, before);
    if (r.done == 0)
        return;
    pending_log& log = prot().log();
    if (mode != scan_mode::read)
        log.queue_write(*this, this);
    if (mode != scan_mode::write)
        log.queue_read(*this, r.position, this);
}

uint32_t tapregister::get()
{
    if (state == waiter_state::invalid)
        scan(scan_mode::read);
    if (state == waiter_state::read_pending)
        prot().end_batch();
    return value & mask;
}

void tapregister::set(uint32_t v)
{
    if (state == waiter_state::read_pending) {
        raise_error(prot().record(), rc::register_under_read);
        return;
    }
    if ((v & mask) == value && state != waiter_state::invalid)
        return;
    value = v & mask;
    scan(scan_mode::write);
}

void tapregister::force_set(uint32_t v)
{
    // A read still in the batch would overwrite the new value when its
    // reply is taken: let it land first.
    if (state == waiter_state::read_pending)
        prot().end_batch();
    value = v & mask;
    scan(scan_mode::write);
}

} // namespace mst
