// Run control through DHCSR: the status read and polls, halt update, stop,
// step, run, run special and the core reset.
#include "master/core/platform.h"
#include "master/devices/cortex_m/cortex_m_device.h"

namespace mst {

namespace {

// The option of a target whose watchdog must be fed after every stop.
constexpr uint32_t option_feed_watchdog = 1;
constexpr uint32_t watchdog_address = 0x4002001C;

constexpr uint32_t demcr_vc_corereset = 0x1;
constexpr uint32_t demcr_mon_en = 0x10000;
constexpr uint32_t demcr_trcena = 0x01000000;
constexpr uint32_t aircr_vectkey = 0x05FA0000;
constexpr uint32_t aircr_vectreset = 0x1;
constexpr uint32_t aircr_sysresetreq = 0x4;

constexpr uint32_t thumb_bit = 0x01000000;
constexpr uint32_t run_masked = 0x8;
constexpr uint32_t breakpoint_region_end = 0x20000000;

} // namespace

uint32_t Cortex_jtag_device::read_core_status()
{
    if (recorded_error())
        return 0;
    regs.stat.get();
    const uint32_t value = ap.read_word(cortex_reg::dhcsr);
    // The two clear-on-read flags stay visible for one further read.
    uint32_t word = value & ~(dhcsr::retire_seen | dhcsr::reset_seen);
    if (((value | core_status) & dhcsr::s_retire_st) != 0)
        word |= dhcsr::retire_seen;
    if (((value | core_status) & dhcsr::s_reset_st) != 0)
        word |= dhcsr::reset_seen;
    core_status = word;
    // C_MASKINTS reads back as written, also from an earlier session.
    maskints_written = value & dhcsr::c_maskints;
    if ((status & cortex_flag::reset_expected) == 0 && (value & dhcsr::s_reset_st) != 0)
        raise_error(record(), rc::illegal_reset);
    return core_status;
}

void Cortex_jtag_device::read_status() { read_status_forced(0); }

uint32_t Cortex_jtag_device::read_status_forced(uint32_t force)
{
    if (recorded_error())
        return 0;
    if (force != 0 || is_running() || !halted())
        read_core_status();
    if (halted() && is_running())
        halt_update();
    return core_status;
}

void Cortex_jtag_device::halted_check()
{
    read_core_status();
    if (!halted()) {
        record().set_param(0, core_status);
        raise_error(record(), rc::cpu_mode_wrong);
    }
}

void Cortex_jtag_device::poll_run_state() { halt_update(); }

void Cortex_jtag_device::halt_update()
{
    cache.invalidate();
    if (!is_running())
        return;
    registers_valid = 0;
    accumulate_time_stamp();
    if (!halted())
        read_core_status();
    if ((status & cortex_flag::stop_requested) != 0 || halted()) {
        status |= cortex_flag::mask_interrupts;
        status &= ~(cortex_flag::running | cortex_flag::stop_requested |
                   cortex_flag::reset_expected);
        // The halt address is read with the register file when the host
        // first asks which breakpoint was hit (or at the next run).
        fpb.halt_update_deferred();
    }
}

// C_MASKINTS may change only while C_HALT is set and written set: a write
// that clears C_HALT with a new mask is preceded by the halt value carrying
// that mask. Halting writes keep the mask as it is.
void Cortex_jtag_device::write_dhcsr(uint32_t value)
{
    const bool halting = (value & 0x2u) != 0;
    if (halting) {
        value = (value & ~dhcsr::c_maskints) | maskints_written;
    } else if ((value & dhcsr::c_maskints) != maskints_written) {
        ap.write_word(dhcsr::halt | (value & dhcsr::c_maskints), cortex_reg::dhcsr);
        maskints_written = value & dhcsr::c_maskints;
    }
    ap.write_word(value, cortex_reg::dhcsr);
}

void Cortex_jtag_device::stop()
{
    if (recorded_error())
        return;
    registers_valid = 0;
    read_core_status();
    if (is_running() || !halted()) {
        status |= cortex_flag::mask_interrupts;
        write_dhcsr(dhcsr::halt);
        read_core_status();
        if ((core_status & dhcsr::retire_seen) != 0 && halted()) {
            write_dhcsr(dhcsr::halt_snapstall);
            core_status &= ~dhcsr::retire_seen;
            read_core_status();
        }
        status |= cortex_flag::stop_requested;
        halt_update();
    }
    if (option == option_feed_watchdog)
        ap.write_word(0xFFFFFFFFu, watchdog_address);
}

void Cortex_jtag_device::step()
{
    if (recorded_error())
        return;
    registers_valid = 0;
    // A core told to step (by a call that failed after the step went out)
    // has halted again by now: the status says so before a step is refused.
    if (is_running())
        read_status_forced(0);
    if (is_running())
        raise_error(record(), rc::step_in_run);
    halted_check();
    cycles_since_run = 0;
    cache.invalidate();
    fpb.drop_hits();
    core_status &= ~dhcsr::s_halt;
    const uint32_t mask = (status & cortex_flag::mask_interrupts) != 0 ? dhcsr::c_maskints : 0;
    write_dhcsr(dhcsr::step | mask);
    // Running only once the target was told: a write that failed leaves the
    // core halted, as it is.
    status |= cortex_flag::running;
}

void Cortex_jtag_device::run(uint32_t run_flags)
{
    if (recorded_error() || is_running())
        return;
    registers_valid = 0;
    cycles_since_run = 0;
    uint32_t pc = 0;
    read_register(pc, cortex_id::pc);
    if (fpb.hits_pending())
        fpb.resolve_hits(pc);
    if (pc < breakpoint_region_end && fpb.is_set(pc)) {
        // The comparators are off while halted: step over the breakpoint
        // before they are enabled.
        step();
        bool stopped = false;
        for (uint32_t i = 0; i < breakpoint_step_polls; ++i) {
            read_status_forced(0);
            if (!is_running()) {
                stopped = true;
                break;
            }
            pause_ms(poll_pause_ms);
        }
        if (!stopped)
            raise_error(record(), no_halt_after_step);
        registers_valid = 0;
    }
    cache.invalidate();
    fpb.write();
    fpb.drop_hits();
    core_status &= ~dhcsr::s_halt;
    status |= cortex_flag::running;
    const bool masked = (run_flags & run_masked) != 0;
    status = masked ? status | cortex_flag::mask_interrupts : status & ~cortex_flag::mask_interrupts;
    write_dhcsr(dhcsr::run | (masked ? dhcsr::c_maskints : 0));
    status |= cortex_flag::reset_expected;
}

void Cortex_jtag_device::run_special(uint32_t address)
{
    if (recorded_error())
        return;
    registers_valid = 0;
    uint32_t xpsr = 0;
    read_register(xpsr, cortex_id::xpsr);
    write_register(xpsr | thumb_bit, cortex_id::xpsr);
    write_register(address | 1u, cortex_id::pc);
    run(run_masked);
    for (uint32_t i = 0; i < run_special_polls && is_running(); ++i) {
        read_status_forced(0);
        if (!is_running())
            break;
        pause_ms(poll_pause_ms);
    }
    clear_time_stamp();
    if (is_running())
        raise_error(record(), rc::flash_timeout);
}

// The core is halted and reset with a vector catch, so it stops at the
// reset vector. ARMv6-M cores (M0, M1) have no VECTRESET: they are reset
// through SYSRESETREQ, which resets the rest of the system too.
void Cortex_jtag_device::reset_core(bool halt_only_when_running, bool clear_seen_always)
{
    registers_valid = 0;
    status |= cortex_flag::reset_expected;
    read_core_status();
    if (!halt_only_when_running || !halted())
        write_dhcsr(dhcsr::halt);
    halted_check();
    if (!is_running())
        cache.invalidate();

    const uint32_t demcr = ap.read_word(cortex_reg::demcr);
    ap.write_word((demcr & ~demcr_mon_en) | demcr_vc_corereset, cortex_reg::demcr);
    status |= cortex_flag::running;

    const bool v6m = core_type == cortex_type::m0 || core_type == cortex_type::m1;
    const uint32_t aircr = ap.read_word(cortex_reg::aircr);
    // The key replaces VECTKEYSTAT; SYSRESETREQ stays clear on ARMv7-M.
    const uint32_t wanted = v6m ? (aircr & 0xFFF8u) | aircr_sysresetreq
                                : (aircr & 0xFFFBu) | aircr_vectreset;
    ap.write_word(wanted | aircr_vectkey, cortex_reg::aircr);

    for (uint32_t i = 0; i < reset_seen_reads; ++i) {
        read_core_status();
        if ((core_status & dhcsr::reset_seen) != 0)
            break;
    }
    if (clear_seen_always || (core_status & dhcsr::reset_seen) != 0)
        core_status &= ~dhcsr::reset_seen;
}

void Cortex_jtag_device::reset_wait()
{
    ap.write_word(demcr_trcena, cortex_reg::demcr);
    bool done = false;
    for (uint32_t i = 0; i < reset_polls; ++i) {
        pause_ms(poll_pause_ms);
        read_core_status();
        if ((core_status & dhcsr::reset_seen) == 0) {
            done = true;
            break;
        }
    }
    if (!done)
        raise_error(record(), rc::illegal_reset);
    stop();
    clear_time_stamp();
}

void Cortex_jtag_device::reset_step1()
{
    if (recorded_error())
        return;
    reset_core(false, false);
}

void Cortex_jtag_device::reset_step3()
{
    if (recorded_error())
        return;
    reset_core(false, false);
    reset_wait();
}

void Cortex_jtag_device::reset_full()
{
    if (recorded_error())
        return;
    reset_core(true, true);
    reset_wait();
}

} // namespace mst
