// The JTAG-DP side of the scan registers: 35-bit DPACC, APACC and ABORT
// scans through the owner's instruction register.
#include "master/arm/debug_port.h"

namespace mst {

void rw_dp_reg::queue_request(uint32_t rnw, uint32_t data, uint32_t address)
{
    prepare(rnw, data, address);
    jtag_scan(scan_mode::write);
}

void rw_dp_reg::jtag_scan(uint32_t mode, synchro* capture)
{
    // The instruction's entry, the request's and its capture's: the entry
    // that fills the log exchanges the batch, which must not fall between
    // the scan and the waiter of its data.
    set_.prot().log().reserve_entries(3);
    set_.owner.instruction_register().set(ir_code);
    bitchain request;
    request.attach(out_, dp::request_bits);
    const scan_result r =
        scan_register(set_.engine, reg_kind::dr, mode, request, set_.owner.dr_bits_before);
    if (r.done == 0)
        return;
    pending_log& log = set_.prot().log();
    log.queue_write(write_waiter, &write_waiter);
    if (mode != scan_mode::exchange)
        return;
    synchro& waiter = capture != nullptr ? *capture : read_waiter;
    log.queue_read(waiter, r.position, &waiter);
}

void jtag_ack_probe::complete(uint32_t position)
{
    wire_ack = engine_.working.bits_at(position, 3);
    data = engine_.working.bits_at(position + 3, 32);
    synchro::complete(position);
}

uint32_t rw_dp_reg::jtag_checked(uint32_t rnw, uint32_t data, uint32_t address)
{
    prepare(rnw, data, address);
    return read_with_retry();
}

namespace {

// A read request scanned in exchange mode, its capture kept by probe.
void probed_read(rw_dp_reg& reg, uint32_t address, jtag_ack_probe& probe)
{
    reg.prepare(1, 0, address);
    probe.reset();
    reg.jtag_scan(scan_mode::exchange, &probe);
}

} // namespace

uint32_t jtag_read(dap_regset& set, rw_dp_reg& request_reg, uint32_t address)
{
    rw_dp_reg& dp = set.dpacc;
    error_record& record = set.record();
    set.rdbuff.forget();
    bool posted_seen = false;
    for (uint32_t attempt = 1;; ++attempt) {
        probed_read(request_reg, address, set.request_ack);
        dp.prepare(1, 0, dp::addr_rdbuff);
        uint32_t ack = 0;
        const uint32_t value = dp.read_value(ack);  // the batch goes out here
        const uint32_t taken = set.request_ack.wire_ack;
        if (set.request_ack.state != waiter_state::valid) {
            raise_error(record, rc::swd_ack_unknown);
            return 0;
        }
        // The first scan the DP takes captures the result of the transaction
        // before this read: the request, or, when the DP ignored that, the
        // collecting scan after it.
        if (!posted_seen && (taken == dp::jtag_wire_ok || ack == dp::ack::jtag_ok)) {
            set.posted_jtag = taken == dp::jtag_wire_ok ? set.request_ack.data : value;
            posted_seen = true;
        }
        if (taken == dp::jtag_wire_ok) {
            if (ack == dp::ack::jtag_ok)
                return value;
            // Taken but not finished: the collecting scan was ignored, so
            // the next one still returns this read's result.
            dp.read_waiter.reset();
            return dp.read_with_retry(1);
        }
        if (taken != dp::jtag_wire_wait) {
            record.set_param(0, taken);
            raise_error(record, rc::dp_invalid_ack);
            return 0;
        }
        if (attempt == dp::retry_attempts) {
            request_reg.check_result(dp::ack::wait);
            return 0;
        }
        rw_dp_reg::pause_after_failure(attempt);
    }
}

bool jtag_read_pair(dap_regset& set, rw_dp_reg& first_reg, uint32_t first_address,
                    uint32_t second_address, uint32_t& first, uint32_t& second, bool& posted_seen)
{
    rw_dp_reg& dp = set.dpacc;
    error_record& record = set.record();
    set.rdbuff.forget();
    posted_seen = false;
    probed_read(first_reg, first_address, set.request_ack);
    probed_read(dp, second_address, set.pair_ack);
    dp.prepare(1, 0, dp::addr_rdbuff);
    uint32_t ack = 0;
    const uint32_t last = dp.read_value(ack);  // the batch goes out here
    if (set.request_ack.state != waiter_state::valid || set.pair_ack.state != waiter_state::valid) {
        raise_error(record, rc::swd_ack_unknown);
        return false;
    }
    const uint32_t taken[2] = {set.request_ack.wire_ack, set.pair_ack.wire_ack};
    for (uint32_t a : taken) {
        if (a != dp::jtag_wire_ok && a != dp::jtag_wire_wait) {
            record.set_param(0, a);
            raise_error(record, rc::dp_invalid_ack);
            return false;
        }
    }
    // The first scan the DP took captured the result before the pair.
    posted_seen = true;
    if (taken[0] == dp::jtag_wire_ok)
        set.posted_jtag = set.request_ack.data;
    else if (taken[1] == dp::jtag_wire_ok)
        set.posted_jtag = set.pair_ack.data;
    else if (ack == dp::ack::jtag_ok)
        set.posted_jtag = last;
    else
        posted_seen = false;
    if (taken[0] != dp::jtag_wire_ok || taken[1] != dp::jtag_wire_ok || ack != dp::ack::jtag_ok)
        return false;
    first = set.pair_ack.data;
    second = last;
    return true;
}

void rw_dp_reg::check_jtag_result(uint32_t result)
{
    error_record& record = set_.record();
    // From inside a batch's completion no second batch may be exchanged: the
    // abort then goes out with the next one.
    const pending_log& log = set_.prot().log();
    const bool between_batches = !log.completing() && log.empty();
    if (result == dp::ack::wait) {
        // The JTAG-DP answers WAIT to every DPACC and APACC scan until the
        // stuck transfer is aborted: abort it before reporting, or the port
        // stays stuck through every recovery. A SELECT written while it was
        // stuck was ignored.
        abort_transfer(set_);
        set_.select.forget();
        set_.engine.enter_idle();
        if (between_batches)
            set_.prot().end_batch();
    }
    raise_error(record, rc::dp_wait_timeout);
}

} // namespace mst
