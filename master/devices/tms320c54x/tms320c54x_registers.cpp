// Registers: the program counter, kept by the device while halted, and the
// memory-mapped registers, read and written as data memory words.
#include "master/core/error_record.h"
#include "master/core/result.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"

namespace mst {

namespace {

// Register id n (n > 0) is data memory word n + 5.
constexpr uint32_t register_base = 5;

} // namespace

void TMS320C54x_jtag_device::read_register(uint32_t& value, uint32_t id)
{
    if (has(c54x_state::running))
        raise_error(engine().prot().record(), rc::access_in_run);
    if (id == 0) {
        value = pc;
        return;
    }
    uint16_t word = 0;
    read_memory(&word, 1, id + register_base, c54x_space::data);
    value = word;
}

void TMS320C54x_jtag_device::write_register(uint32_t value, uint32_t id)
{
    if (has(c54x_state::running))
        raise_error(engine().prot().record(), rc::access_in_run);
    if (id == 0) {
        // Written into the CPU at the next resume.
        pc = static_cast<uint16_t>(value);
        return;
    }
    const uint16_t word = static_cast<uint16_t>(value);
    write_memory(&word, 1, id + register_base, c54x_space::data);
}

} // namespace mst
