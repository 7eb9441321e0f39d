// What the master reports about the pod and the target: the status byte, the
// pod information, and the special functions of the Cortex-M host.
#include "master/core/platform.h"
#include "master/devices/jtagdev.h"
#include "master/jtag/jtag.h"
#include "master/master.h"

namespace mst {

namespace {

namespace status_bit {
constexpr uint8_t power_good = 0x01;
constexpr uint8_t answered = 0x02;
constexpr uint8_t found = 0x04;
constexpr uint8_t initialised = 0x08;
constexpr uint8_t mode_mask = 0x30;
constexpr uint8_t break_mask = 0xC0;
constexpr unsigned mode_shift = 4;
constexpr unsigned break_shift = 6;
} // namespace status_bit

constexpr uint32_t mode_halted = 0;
constexpr uint32_t mode_running = 2;

constexpr uint32_t pod_id = 131;
constexpr uint32_t type_unknown = 252;
constexpr uint32_t type_none = 255;

// Special functions.
constexpr uint32_t wire_switches = 10;
constexpr uint32_t wire_settle_ms = 400;
constexpr uint32_t power_readings = 10;
constexpr uint32_t power_reading_gap_ms = 100;
constexpr uint32_t power_readings_in_a_row = 5;
constexpr uint32_t tries_exhausted = 0xFFFFFFFFu;

// No usable device: bits 2 and 3 as given, run mode 3, no break status.
uint8_t no_run_state(uint8_t status)
{
    return static_cast<uint8_t>((status | status_bit::mode_mask) & ~status_bit::break_mask);
}

} // namespace

void master::status(uint8_t& status)
{
    if (has_error())
        return;
    power_check();
    status |= status_bit::answered;

    jtagdev* device = usable_current();
    if (device == nullptr) {
        status = no_run_state(status & ~(status_bit::found | status_bit::initialised));
    } else if ((device->status & device_flag::found) == 0) {
        status = no_run_state((status & ~status_bit::found) | status_bit::initialised);
    } else {
        attach(*device);
        status |= status_bit::found;
        const bool initialised = (device->status & device_flag::initialised) != 0;
        status = initialised ? (status | status_bit::initialised)
                             : (status & ~status_bit::initialised);
        if (!initialised) {
            status = no_run_state(status);
        } else {
            uint32_t mode = mode_running;
            uint32_t reason = 0;
            if ((device->status & device_flag::running) == 0) {
                reason = device->stop_reason();
                mode = mode_halted;
            } else {
                device->poll_run_state();
                if ((device->status & device_flag::running) == 0) {
                    set_lines(line::run, 0);
                    reason = device->stop_reason();
                    mode = mode_halted;
                }
            }
            status = static_cast<uint8_t>(
                (status & ~(status_bit::mode_mask | status_bit::break_mask)) |
                (mode << status_bit::mode_shift) | ((reason & 3u) << status_bit::break_shift));
        }
    }
    if (power_reading() == 0)
        status |= status_bit::power_good;
    else
        status &= ~status_bit::power_good;
}

void master::pod_info(uint32_t info[3])
{
    info[0] = pod_id;
    jtagdev* device = current_;
    if (device != nullptr && device == combined_)
        device = cortex_.get();
    info[1] = type_unknown;
    info[2] = type_none;
    if (device == nullptr || (device->status & device_flag::found) == 0)
        return;
    switch (device->type_code()) {
    case 0x2000:
        info[1] = 0;
        info[2] = 3;
        break;
    case 0x2001:
        info[1] = 0;
        info[2] = 0;
        break;
    case 0x2002:
        info[1] = 0;
        info[2] = 1;
        break;
    case 0x2003:
        // Cortex-M4: the family number, as 3, 0 and 1 are for M3, M0, M1.
        info[1] = 0;
        info[2] = 4;
        break;
    default:
        break;
    }
}

void master::special_function(uint32_t function, uint32_t& result)
{
    if (has_error() || ide_code_ != ide::cortex_m)
        return;
    need_device();
    result = 0;
    switch (function) {
    case 0:
        set_lines(0, line::target_reset);
        set_lines(line::cortex_reset, 0);
        break;
    case 1: {
        // Ends in the opposite of the mode it started in; the next SetConfig
        // switches back to the kept one.
        const uint32_t start = engine_.wire_mode != 0 ? 1 : 0;
        for (uint32_t i = 0; i < wire_switches; ++i)
            engine_.select_wire(i % 2 == 0 ? start : 1 - start);
        set_lines(0, line::cortex_reset);
        pause_ms(wire_settle_ms);
        set_lines(line::target_reset, 0);
        set_lines(line::run, 0);
        break;
    }
    case 2:
    case 3: {
        // 2: wait for the power to go; 3: wait for it to come back.
        const bool want_off = function == 2;
        uint32_t in_a_row = 0;
        for (uint32_t i = 0; i < power_readings && in_a_row < power_readings_in_a_row; ++i) {
            pause_ms(power_reading_gap_ms);
            const uint32_t reading = power_reading();
            const bool wanted = want_off ? reading == rc::no_power : reading == 0;
            in_a_row = wanted ? in_a_row + 1 : 0;
        }
        if (in_a_row < power_readings_in_a_row) {
            result = tries_exhausted;
            break;
        }
        if (!want_off)
            reconfigure();
        break;
    }
    default:
        break;
    }
}

} // namespace mst
