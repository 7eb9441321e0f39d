// Debug port maintenance: aborting a stuck transfer, clearing sticky errors,
// powering the debug domain up, and the port's identification.
#include "master/arm/debug_port.h"

#include "master/core/platform.h"

namespace mst {

namespace {

uint32_t sticky_flags(const dap_regset& set)
{
    return set.swd() ? dp::sticky_swd : dp::sticky_jtag;
}

// Clears the sticky flags found in stat the way the wire allows: written
// back to CTRL/STAT on a JTAG-DP (write one to clear), through ABORT on an
// SW-DP, where they are read-only.
void clear_sticky(dap_regset& set, uint32_t stat)
{
    if (set.swd())
        set.abort.set(dp::abort_clear_sticky);
    else
        set.ctrl.set(stat & ~1u);
}

uint32_t fresh_stat(dap_regset& set)
{
    set.stat.forget();
    return set.stat.get();
}

} // namespace

void abort_transfer(dap_regset& set)
{
    if (set.swd())
        set.abort.set(dp::abort_dapabort);
    else
        set.abort_scan.queue_request(0, dp::abort_dapabort, dp::addr_abort);
}

void check_sticky_errors(dap_regset& set) { check_sticky_value(set, fresh_stat(set)); }

void check_sticky_value(dap_regset& set, uint32_t stat)
{
    if ((stat & sticky_flags(set)) == 0)
        return;
    clear_sticky(set, stat);
    set.select.forget();
    set.engine.enter_idle();
    if (set.prot().request_length() != 0)
        set.prot().end_batch();
    raise_error(set.record(), rc::plain_deliver);
}

void power_up(dap_regset& set, uint32_t apsel)
{
    error_record& record = set.record();
    // An SW-DP with a sticky flag left from an earlier session refuses the
    // CTRL/STAT writes below (FAULT): clear the flags first.
    if (set.swd() && (fresh_stat(set) & dp::sticky_swd) != 0)
        set.abort.set(dp::abort_clear_sticky);
    for (int i = 0; i < 3; ++i)
        set.ctrl.set(dp::ctrl_power_up);

    if ((fresh_stat(set) & dp::stat_stickyerr) != 0) {
        if (set.swd())
            set.abort.set(dp::abort_clear_sticky);
        else
            set.ctrl.set(dp::ctrl_power_up | dp::stat_stickyerr);
    }

    // A slow power domain acknowledges late: poll before calling it missing.
    set.ctrl.set(dp::ctrl_power_up);
    const uint32_t both = dp::stat_cdbgpwrupack | dp::stat_csyspwrupack;
    uint32_t stat = fresh_stat(set);
    for (uint32_t i = 1; (stat & both) != both && i < dp::poll_attempts; ++i) {
        pause_ms(dp::poll_pause_ms);
        stat = fresh_stat(set);
    }
    set.stat.forget();
    if ((stat & dp::stat_cdbgpwrupack) == 0)
        raise_error(record, rc::debug_powerup);
    if ((stat & dp::stat_csyspwrupack) == 0)
        raise_error(record, rc::system_powerup);

    if ((stat & sticky_flags(set)) != 0)
        clear_sticky(set, stat);

    // A transfer left in progress by an earlier session is aborted.
    const uint32_t csw_reg = dp::ap_csw | (apsel << 8);
    uint32_t csw = ap_read(set, csw_reg);
    for (uint32_t i = 0; (csw & dp::csw_tr_in_prog) != 0; ++i) {
        if (i == dp::poll_attempts)
            raise_error(record, rc::dp_wait_timeout);
        abort_transfer(set);
        if (i != 0)
            pause_ms(dp::poll_pause_ms);
        csw = ap_read(set, csw_reg);
    }

    ap_write(set, (csw & 0xFFFFFFCCu) | 2u, csw_reg);
    set.engine.enter_idle();
    set.prot().end_batch();
}

void resume_line(dap_regset& set)
{
    if (!set.swd() || !set.engine.line_reset_due)
        return;
    // The frame the target waited in is ended by the reset (which clears
    // the flag first: the reads below are accesses too); what the port's
    // registers hold is read again, and a sticky flag the broken frame left
    // is cleared so that the access that follows is not refused.
    set.engine.line_reset();
    set.forget_all();
    set.dpidr.get();
    if ((fresh_stat(set) & dp::sticky_swd) != 0)
        set.abort.set(dp::abort_clear_sticky);
    set.stat.forget();
}

uint32_t read_port_id(dap_regset& set, tapregister& idcode)
{
    if (set.swd()) {
        set.dpidr.forget();
        return set.dpidr.get();
    }
    set.owner.instruction_register().reset();
    idcode.reset();
    return idcode.get();
}

bool port_id_accepted(uint32_t id, bool swd)
{
    return (id & 0x0FFEFFFFu) == (swd ? 0x0BA01477u : 0x0BA00477u);
}

} // namespace mst
