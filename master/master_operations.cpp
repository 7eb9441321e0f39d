// The target operations the master forwards to the current device, framed by
// the pod's control lines and the in-batch voltage check.
#include <cstring>

#include "master/core/platform.h"
#include "master/devices/jtagdev.h"
#include "master/master.h"

namespace mst {

namespace {

// The target reset line is held this long between the reset steps.
constexpr uint32_t reset_hold_ms = 50;
// Register id whose read without a device reports "no device type".
constexpr uint32_t core_type_register = 0xB1;
constexpr uint32_t no_core_type = 0xFC;

} // namespace

void master::attach(jtagdev& device) { device.attach(1); }

void master::reset()
{
    if (has_error())
        return;
    if (current_ == nullptr)
        init();
    jtagdev& device = need_device();
    queue_voltage_check();
    attach(device);
    set_lines(0, line::target_reset);
    device.reset_step1();
    if (ide_code_ == ide::cortex_m)
        set_lines(line::cortex_reset, 0);
    pause_ms(reset_hold_ms);
    device.reset_step2();
    if (ide_code_ == ide::cortex_m)
        set_lines(0, line::cortex_reset);
    attach(device);
    device.reset_step3();
    set_lines(line::target_reset, 0);
    set_lines(line::run, 0);
}

void master::run(uint32_t flags)
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    queue_voltage_check();
    attach(device);
    device.run(flags);
    set_lines(0, line::run);
}

void master::run_special(uint32_t mode)
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    queue_voltage_check();
    attach(device);
    device.run_special(mode);
}

void master::stop()
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    queue_voltage_check();
    attach(device);
    device.stop();
    set_lines(line::run, 0);
}

void master::step()
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    queue_voltage_check();
    attach(device);
    set_lines(0, line::run);
    device.step();
    set_lines(line::run, 0);
}

void master::read_register(uint32_t id, uint32_t& value)
{
    if (has_error())
        return;
    if (usable_current() == nullptr && id == core_type_register) {
        value = no_core_type;
        return;
    }
    need_device().read_register(value, id);
}

void master::write_register(uint32_t id, uint32_t value)
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    attach(device);
    device.write_register(value, id);
}

void master::read_memory(uint32_t space, uint32_t address, uint32_t count, void* buffer)
{
    if (has_error())
        return;
    // The count is in the device's units; clearing count bytes is what the
    // host has always been given.
    std::memset(buffer, 0, count);
    if (count == 0)
        return;
    jtagdev& device = need_device();
    queue_voltage_check();
    attach(device);
    device.read_memory(buffer, count, address, space);
}

void master::write_memory(uint32_t space, uint32_t address, uint32_t count, const void* buffer)
{
    if (has_error() || count == 0)
        return;
    jtagdev& device = need_device();
    queue_voltage_check();
    attach(device);
    device.write_memory(buffer, count, address, space);
}

void master::set_breakpoint(uint32_t kind, uint32_t address)
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    attach(device);
    device.set_breakpoint(address, kind);
}

void master::clear_breakpoint(uint32_t kind, uint32_t address)
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    attach(device);
    device.clear_breakpoint(1, address, kind);
}

void master::clear_all_breakpoints(uint32_t kind)
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    attach(device);
    device.clear_all_breakpoints(kind);
}

uint32_t master::breakpoint_flag(uint32_t type, uint32_t address)
{
    if (has_error())
        return 0;
    jtagdev& device = need_device();
    attach(device);
    return device.breakpoint_flag(address, type);
}

void master::clear_time_stamp()
{
    if (has_error())
        return;
    need_device().clear_time_stamp();
}

void master::get_time_stamp(void* out)
{
    if (has_error())
        return;
    need_device().get_time_stamp(out);
}

uint32_t master::dwt_comparator_count()
{
    jtagdev* device = usable_current();
    return device != nullptr ? device->dwt_comparator_count() : 0;
}

const void* master::dwt_parameters()
{
    jtagdev* device = usable_current();
    return device != nullptr ? device->dwt_parameters() : nullptr;
}

uint32_t master::dwt_start_config()
{
    if (has_error())
        return 0;
    jtagdev& device = need_device();
    attach(device);
    return device.dwt_start_config();
}

uint32_t master::dwt_apply_config()
{
    jtagdev* device = usable_current();
    return device != nullptr ? device->dwt_apply_config() : 0;
}

void master::dwt_end_config()
{
    if (has_error())
        return;
    jtagdev& device = need_device();
    attach(device);
    device.dwt_end_config();
}

} // namespace mst
