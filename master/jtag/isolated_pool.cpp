#include "master/jtag/isolated_pool.h"

#include "master/jtag/capture_register.h"

namespace mst {

isolated_pool::isolated_pool(jtag& engine, chain_device* owner, uint32_t width, uint32_t code,
                             const char* pool_name)
    : rw_resource(engine, owner, pool_name), ir_code(code)
{
    chain.allocate(width);
}

void isolated_pool::scan(uint32_t mode)
{
    device->instruction_register().set(ir_code);
    // Both entries of an exchange land in the batch that holds the scan.
    prot().log().reserve_entries(mode == scan_mode::exchange ? 2 : 1);
    const scan_result r = scan_register(engine_, reg_kind::dr, mode, chain, device->dr_bits_before);
    if (r.done == 0)
        return;
    pending_log& log = prot().log();
    if (mode != scan_mode::read)
        log.queue_write(*this, this);
    if (mode != scan_mode::write)
        log.queue_read(*this, r.position, this);
}

} // namespace mst
