// The SW-DP side of the scan registers: a frame's request phase and data
// phase as raw transfers, the transfer and its retries, and the clean-up
// after a WAIT that persists or a FAULT.
#include "master/arm/debug_port.h"

namespace mst {

scan_result rw_dp_reg::raw(uint32_t mode, const uint16_t* masks, const uint16_t* data)
{
    jtag& engine = set_.engine;
    scan_result r = engine.raw_transfer(mode, masks, data);
    if (r.done != 0)
        return r;
    set_.prot().end_batch();
    r = engine.raw_transfer(mode, masks, data);
    if (r.done == 0)
        raise_error(set_.record(), rc::command_too_long);
    return r;
}

void rw_dp_reg::swd_request_phase()
{
    set_out_bits(0, 4, 0);
    set_out_bits(4, 1, 1);
    set_out_bits(5, 1, ir_code == dp::ir_apacc ? 1 : 0);
    set_out_bits(9, 1, dp::parity(dp::bits_of(out(), 5, 4)));
    set_out_bits(10, 1, 0);
    set_out_bits(11, 1, 1);
    set_out_bits(12, 4, 0);
    const uint16_t mask = dp::mask_request;
    const uint16_t chunk = static_cast<uint16_t>(out() & 0xFFFFu);
    const scan_result r = raw(scan_mode::exchange, &mask, &chunk);
    if (r.done == 0)
        return;
    pending_log& log = set_.prot().log();
    log.queue_write(write_waiter, &write_waiter);
    log.queue_read(read_waiter, (r.position & 0xFFFFu) | dp::pos_request, &read_waiter);
}

void rw_dp_reg::swd_data_phase()
{
    const bool read = dp::bits_of(out(), 6, 1) != 0;
    if (read) {
        set_out_bits(16, 48, 0);
    } else {
        set_out_bits(16, 1, 0);
        set_out_bits(49, 1, dp::parity(dp::bits_of(out(), 17, 32)));
        set_out_bits(50, 14, 0);
    }
    const uint16_t chunks[3] = {static_cast<uint16_t>(dp::bits_of(out(), 16, 16)),
                                static_cast<uint16_t>(dp::bits_of(out(), 32, 16)),
                                static_cast<uint16_t>(dp::bits_of(out(), 48, 16))};
    const scan_result r =
        raw(read ? scan_mode::read : scan_mode::write, read ? dp::mask_read : dp::mask_write, chunks);
    if (r.done == 0)
        return;
    pending_log& log = set_.prot().log();
    if (read)
        log.queue_read(read_waiter, (r.position & 0xFFFFu) | dp::pos_data_phase, &read_waiter);
    log.queue_write(write_waiter, &write_waiter);
}

uint32_t rw_dp_reg::swd_exchange()
{
    swd_request_phase();
    set_.prot().end_batch();
    return acknowledge();
}

uint32_t rw_dp_reg::transfer(uint32_t rnw, uint32_t data, uint32_t address)
{
    prepare(rnw, data, address);
    const uint32_t result = swd_exchange();
    if (result == dp::ack::swd_ok)
        swd_data_phase();
    return result;
}

void rw_dp_reg::queue_blind_abort()
{
    // ABORT := DAPABORT as one whole frame in write mode: an SW-DP answers an
    // ABORT write OK whatever its state, and nothing is captured, so the
    // frame goes out with the next batch without moving any reply position.
    uint16_t masks[6] = {dp::mask_request, dp::mask_write[0], dp::mask_write[1], dp::mask_write[2],
                         0xFFFE, 0xFFFE};
    uint16_t chunks[6] = {dp::swd_request_step(false, false, 0), 0, 0, 0, 0, 0};
    dp::swd_write_chunks(dp::abort_dapabort, chunks + 1);
    jtag& engine = set_.engine;
    if (engine.raw_transfer(scan_mode::write, masks, chunks).done != 0)
        engine.raw_transfer(scan_mode::write, masks + 3, chunks + 3);
}

void rw_dp_reg::check_swd_result(uint32_t result)
{
    // The line is handed back to the pod: one turnaround and idle clocks.
    set_.engine.idle_step();
    if (result != dp::ack::wait && result != dp::ack::swd_fault)
        return;
    error_record& record = set_.record();
    const uint32_t code = result == dp::ack::wait ? rc::dp_wait_timeout : rc::swd_fault;
    // The clean-up below exchanges batches. From inside a batch's completion
    // it would run a second batch over the one being completed: report at
    // once and leave the clean-up to the recovery (reconfigure).
    const pending_log& log = set_.prot().log();
    if (log.completing() || !log.empty()) {
        if (result == dp::ack::wait)
            queue_blind_abort();
        raise_error(record, code);
        return;
    }

    record.arm_collect();
    raise_error(record, code);
    set_.select.forget();
    if (result == dp::ack::wait) {
        // The stuck transfer is cancelled before the WAIT is reported; the
        // operation is abandoned, never continued with the data of a WAIT.
        set_.abort.set(dp::abort_dapabort);
        set_.prot().end_batch();
        raise_error(record, rc::plain_deliver);
        return;
    }

    // FAULT: the SW-DP refuses every access but DPIDR and CTRL/STAT reads and
    // ABORT writes until all its sticky flags (WDATAERR included) are cleared,
    // and only ABORT clears them.
    set_.dpidr.forget();
    set_.dpidr.get();
    set_.stat.forget();
    if ((set_.stat.get() & dp::sticky_swd) != 0)
        set_.abort.set(dp::abort_clear_sticky);
    set_.stat.forget();
    if ((set_.stat.get() & dp::sticky_swd) == 0)
        record.held_code = 0;  // cleared: the port is usable, 0xFFFF is reported
    raise_error(record, rc::plain_deliver);
}

} // namespace mst
