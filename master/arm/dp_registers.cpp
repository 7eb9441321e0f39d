// The DP register images (ABORT, DPIDR, CTRL, STAT, SELECT, RDBUFF) and the
// register set that holds them with the three scan registers.
#include "master/arm/debug_port.h"

#include "master/core/platform.h"

namespace mst {

dap_regset::dap_regset(jtag& jtag_engine, chain_device& device)
    : engine(jtag_engine),
      owner(device),
      dpacc(*this, dp::ir_dpacc, "(0) wDPACC", "(0) rDPACC"),
      apacc(*this, dp::ir_apacc, "(0) wAPACC", "(0) rAPACC"),
      abort_scan(*this, dp::ir_abort, "(0) wABORT", "(0) rABORT"),
      abort(*this, dp::addr_abort, "(1) ABORT"),
      dpidr(*this, dp::addr_dpidr, "(1) DPIDR"),
      ctrl(*this, dp::addr_ctrl_stat, "(1) CTRL"),
      stat(*this, dp::addr_ctrl_stat, "(1) STAT"),
      select(*this, dp::addr_select, "(1) SELECT"),
      rdbuff(*this, dp::addr_rdbuff, "(1) RDBUFF"),
      request_ack(jtag_engine),
      pair_ack(jtag_engine)
{
}

void dap_regset::forget_all()
{
    for (rw_dp_reg* r : {&dpacc, &apacc, &abort_scan}) {
        r->write_waiter.reset();
        r->read_waiter.reset();
    }
    for (dpacc_reg* r : {&abort, &dpidr, &ctrl, &stat, &select, &rdbuff})
        r->forget();
    request_ack.reset();
    pair_ack.reset();
    unused_data.reset();
}

dpacc_reg::dpacc_reg(dap_regset& set, uint32_t dp_address, const char* register_name)
    : name(register_name), address(dp_address), set_(set)
{
}

void dpacc_reg::reset()
{
    synchro::reset();
    unverified_ = false;
    bad_parity_ = false;
}

void dpacc_reg::complete(uint32_t position)
{
    rw_dp_reg& dp = set_.dpacc;
    if (is_write_entry(position)) {
        dp.write_waiter.complete(position);
        if (state == waiter_state::write_pending)
            state = waiter_state::valid;
        return;
    }
    if (state != waiter_state::read_pending)
        return;
    // The DPACC's in image is shared by every DP read of the batch: take the
    // value, its ACK and its parity now, in reply order. A DPACC read still
    // pending is the request of a later DP read in the same batch: it must
    // find itself pending when its own entry comes.
    const bool later_read = dp.read_waiter.state == waiter_state::read_pending;
    dp.take_reply(position);
    if (!later_read)
        dp.read_waiter.state = waiter_state::valid;
    value = dp.data();
    wire_ack_ = dp.wire_ack();
    bad_parity_ = dp.bad_read_parity();
    unverified_ = true;
    state = waiter_state::valid;
}

void dpacc_reg::read()
{
    rw_dp_reg& dp = set_.dpacc;
    if (!set_.swd()) {
        value = jtag_read(set_, dp, address);
        state = waiter_state::valid;
        return;
    }
    dp.prepare(1, 0, address);
    uint32_t result = 0;
    for (uint32_t attempt = 1;; ++attempt) {
        dp.read_waiter.reset();
        result = dp.swd_exchange();
        if (result == dp::ack::swd_ok || result == dp::ack::swd_fault ||
            attempt == dp::retry_attempts)
            break;
        rw_dp_reg::pause_after_failure(attempt);
    }
    dp.check_result(result);
    dp.swd_data_phase();
    set_.prot().log().take_over_read(*this, &dp.read_waiter);
    // The data phase's entry is this register's now; the DPACC keeps the
    // acknowledge it checked, and a later read of it is a new request.
    dp.read_waiter.state = waiter_state::valid;
}

void dpacc_reg::start_read()
{
    if (state == waiter_state::invalid)
        read();
}

void dpacc_reg::known(uint32_t v)
{
    value = v;
    unverified_ = false;
    bad_parity_ = false;
    state = waiter_state::valid;
}

void dpacc_reg::verify()
{
    unverified_ = false;
    if (!bad_parity_)
        return;
    bad_parity_ = false;
    state = waiter_state::invalid;
    error_record& record = set_.record();
    record.set_param(0, wire_ack_);
    raise_error(record, rc::dp_invalid_ack);
}

uint32_t dpacc_reg::get()
{
    start_read();
    if (state == waiter_state::read_pending)
        set_.prot().end_batch();
    if (unverified_)
        verify();
    return value;
}

void dpacc_reg::write()
{
    rw_dp_reg& dp = set_.dpacc;
    if (!set_.swd()) {
        dp.jtag_checked(0, value, address);
        state = waiter_state::valid;
        return;
    }
    dp.transfer_with_retry(0, value, address);
    set_.prot().log().take_over_write(*this, &dp.write_waiter);
}

void dpacc_reg::set(uint32_t v)
{
    unverified_ = false;
    value = v;
    write();
}

void dpacc_reg::set_if_changed(uint32_t v)
{
    if (state == waiter_state::read_pending) {
        raise_error(set_.record(), rc::register_under_read);
        return;
    }
    if (state != waiter_state::invalid && v == value)
        return;
    set(v);
}

} // namespace mst
