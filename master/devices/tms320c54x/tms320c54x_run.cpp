// Run control: polling the run state, resume, reset, run, stop and step.
#include "master/core/error_record.h"
#include "master/core/platform.h"
#include "master/core/result.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"

namespace mst {

namespace {

constexpr uint32_t halt_causes = c54x_status::software_break | c54x_status::halt_cause_a |
                                 c54x_status::halt_cause_b;
constexpr uint32_t reset_reads = 10;
constexpr uint32_t reset_hold_ms = 100;
constexpr uint32_t fix_kl_retries = 10;
constexpr uint32_t pool4_both = 0x80008u;
constexpr uint32_t step_words = 4;

namespace run_flag {
constexpr uint32_t no_step_over = 0x4;  // also: run in CPU mode 3
constexpr uint32_t emulation = 0x8;
} // namespace run_flag

} // namespace

bool TMS320C54x_jtag_device::recorded_error()
{
    return engine().prot().record().has_error();
}

void TMS320C54x_jtag_device::poll_run_state()
{
    if (!has(c54x_state::running))
        return;
    uint32_t value = read_status_byte();
    bool stopped = c54x_status::mode(value) >= 2 && (value & halt_causes) != 0;
    if (!stopped && !has(c54x_state::stop_requested))
        return;
    value = confirm_status(value);
    stopped = c54x_status::mode(value) >= 2 && (value & halt_causes) != 0;
    if (!stopped && !has(c54x_state::stop_requested))
        return;
    status |= c54x_state::emulation;
    if (stopped && has(c54x_state::context_saved)) {
        // The DSP has not run since its context was saved (every resume
        // restores it first): the halt, its PC and the saved words stand.
        status &= ~(c54x_state::running | c54x_state::stop_requested | c54x_state::reset_expected);
        return;
    }
    if (stopped) {
        if ((value & c54x_status::software_break) != 0 && c54x_status::mode(value) == 2)
            change_mode(0, 3);
        change_mode(0, 0);
    }
    // The halt state and the breakpoint hits are read twice, as a context
    // save reads them: the PC and the stop reason taken from them are kept
    // until the next run.
    pools.forget();
    capture_halt_state();
    jbp.capture.reset();
    const uint32_t hits = jbp.get_captured();
    jbp.capture.reset();
    if (jbp.get_captured() != hits)
        drop_halt_capture();
    break_hits = static_cast<uint16_t>(hits & break_control);
    jbp.set(0);
    read_pc_at_halt();
    uint32_t reason = 0;
    if ((value & c54x_status::software_break) != 0) {
        reason = 2;
        pc = static_cast<uint16_t>(pc - 1);
    } else if (break_hits != 0) {
        reason = 1;
    }
    status = (status & ~c54x_state::stop_reason_mask) | (reason << c54x_state::stop_reason_shift);
    status &= ~(c54x_state::running | c54x_state::stop_requested | c54x_state::reset_expected |
                c54x_state::context_saved);
    pbr.reset();
}

void TMS320C54x_jtag_device::prepare_resume(bool with_breakpoints)
{
    status &= ~c54x_state::resume_marker;
    if (with_breakpoints) {
        break_hits = 0;
        jbp.set(break_control);
    }
    restore_context();
    status |= c54x_state::reset_expected;
}

void TMS320C54x_jtag_device::reset_step1()
{
    if (recorded_error())
        return;
    status |= c54x_state::emulation;
    change_mode(0, 0);
    // A saved context goes back before the reset also when the device only
    // assumes a running DSP (after identify): ETDR survives the reset.
    if (!has(c54x_state::running) || has(c54x_state::context_saved))
        prepare_resume(false);
    status |= c54x_state::running | c54x_state::reset_expected;
}

void TMS320C54x_jtag_device::reset_step2()
{
    if (recorded_error())
        return;
    error_record& record = engine().prot().record();
    status |= c54x_state::reset_expected;
    ir.set(c54x_ir::reset_assert);
    bool seen = false;
    for (uint32_t i = 0; i < reset_reads && !seen; ++i)
        seen = (read_status_byte() & c54x_status::reset) != 0;
    if (!seen) {
        raise_error(record, rc::reset_assert_failed);
        return;
    }
    pause_ms(reset_hold_ms);
    ir.set(c54x_ir::reset_release);
    bool ended = false;
    for (uint32_t i = 0; i < reset_reads && !ended; ++i)
        ended = (read_status_byte() & c54x_status::reset) == 0;
    if (!ended)
        raise_error(record, rc::illegal_reset);
}

void TMS320C54x_jtag_device::reset_step3()
{
    if (recorded_error())
        return;
    status |= c54x_state::write_pc | c54x_state::stop_requested;
    poll_run_state();
}

void TMS320C54x_jtag_device::reset_full()
{
    reset_step1();
    reset_step2();
    reset_step3();
}

void TMS320C54x_jtag_device::run(uint32_t flags)
{
    if (has(c54x_state::running))
        return;
    if ((flags & run_flag::no_step_over) == 0) {
        step();
        // A breakpoint at the instruction after the one stepped over ends
        // the run there, reported as the breakpoint it is.
        uint32_t reason = 0;
        if (breakpoint_present(pc, c54x_break::software))
            reason = 2;
        else if (breakpoint_present(pc, c54x_break::program_address))
            reason = 1;
        if (reason != 0) {
            status = (status & ~c54x_state::stop_reason_mask) |
                     (reason << c54x_state::stop_reason_shift);
            return;
        }
    }
    prepare_resume(true);
    status |= c54x_state::running;
    status &= ~c54x_state::emulation;
    if ((flags & run_flag::emulation) != 0)
        status |= c54x_state::emulation;
    change_mode(0, (flags & run_flag::no_step_over) != 0 ? 3 : 2);
}

void TMS320C54x_jtag_device::stop()
{
    const uint32_t value = confirm_status(read_status_byte());
    const uint32_t mode = c54x_status::mode(value);
    if (!has(c54x_state::running) && mode < 2)
        return;
    if (mode == 2)
        change_mode(0, 3);
    status |= c54x_state::emulation;
    change_mode(0, 0);
    // A CPU that ran without the device knowing (after identify or reset)
    // still needs the halt bookkeeping of the poll.
    status |= c54x_state::stop_requested | c54x_state::running;
    poll_run_state();
}

void TMS320C54x_jtag_device::step()
{
    if (has(c54x_state::running))
        raise_error(engine().prot().record(), rc::step_in_run);
    check_mode();
    // The software breakpoints among the next words come from the list: a
    // read would show their saved words already.
    const uint16_t at = pc;
    uint16_t words[step_words] = {};
    bool replaced = false;
    for (const sw_break& b : sw_breaks)
        if (static_cast<uint16_t>(b.address - at) < step_words)
            replaced = true;
    if (replaced) {
        save_context();
        read_block(words, step_words, at, program_read_instruction);
        patch(words, step_words, at, false);
        write_program(words, step_words, at);
    }
    prepare_resume(false);
    status |= c54x_state::running;
    change_mode(0, 1);
    for (uint32_t i = 0; i < fix_kl_retries && fix_kl.get() == 1; ++i) {
        pools.valid &= ~pool4_both;
        change_mode(0, 1);
    }
    status |= c54x_state::stop_requested;
    poll_run_state();
    if (replaced) {
        save_context();
        patch(words, step_words, at, true);
        write_program(words, step_words, at);
    }
}

uint32_t TMS320C54x_jtag_device::stop_reason()
{
    return (status & c54x_state::stop_reason_mask) >> c54x_state::stop_reason_shift;
}

} // namespace mst
