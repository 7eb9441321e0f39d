#include "master/jtag/capture_register.h"

namespace mst {

namespace {
constexpr uint32_t idle_steps_after_scan = 3;
}

capture_register::capture_register(jtag& engine, chain_device* owner, uint32_t idle,
                                   uint32_t wbc, uint32_t dr, uint32_t init, uint32_t width,
                                   uint32_t code, const char* written_name,
                                   const char* captured_name)
    : captured(init),
      written(init),
      initial(init),
      mask(width >= 32 ? 0xFFFFFFFFu : (1u << width) - 1u),
      ir_code(code),
      dr_flag(dr),
      write_before_capture(wbc),
      idle_flag(idle),
      write_waiter(written_name),
      capture(engine, owner, captured_name)
{
    capture.chain.attach(&captured, width > 32 ? 32 : width);
}

void capture_register::scan(uint32_t mode)
{
    if (mode == scan_mode::read)
        mode = scan_mode::exchange;  // TDI must carry the written value
    chain_device& dev = *capture.device;
    reg_kind kind = reg_kind::ir;
    uint32_t before = dev.ir_bits_before;
    if (dr_flag != 0) {
        dev.instruction_register().set(ir_code);
        kind = reg_kind::dr;
        before = dev.dr_bits_before;
    }
    // The chain shifts the written value out and receives the captured one.
    bitchain out;
    out.attach(&written, capture.chain.count);
    // Both entries of an exchange land in the batch that holds the scan.
    prot().log().reserve_entries(mode == scan_mode::exchange ? 2 : 1);
    const scan_result r = scan_register(capture.engine(), kind, mode, out, before);
    if (r.done == 0)
        return;
    pending_log& log = prot().log();
    log.queue_write(write_waiter, &write_waiter);
    known = 1;
    if (mode == scan_mode::exchange)
        log.queue_read(capture, r.position, &capture);
    // Queued first: idle steps may exchange the batch, which then already
    // holds this scan and its waiters.
    if (idle_flag != 0)
        capture.engine().idle_clocks(idle_steps_after_scan);
}

void capture_register::write_now()
{
    if (write_before_capture != 0)
        capture.reset();
    scan(scan_mode::write);
}

uint32_t capture_register::get_captured()
{
    if (write_before_capture != 0 && write_waiter.state == waiter_state::invalid)
        write_now();
    if (capture.state == waiter_state::invalid)
        scan(scan_mode::exchange);
    if (capture.state == waiter_state::read_pending)
        prot().end_batch();
    return captured & mask;
}

uint32_t capture_register::get_written()
{
    if (write_waiter.state == waiter_state::invalid)
        write_now();
    return written & mask;
}

void capture_register::set(uint32_t v)
{
    if (known != 0 && (v & mask) == written && write_waiter.state != waiter_state::invalid)
        return;
    written = v & mask;
    write_now();
}

void capture_register::force_set(uint32_t v)
{
    written = v & mask;
    write_now();
}

void capture_register::refresh()
{
    if (write_before_capture != 0 && write_waiter.state == waiter_state::invalid)
        write_now();
    scan(scan_mode::exchange);
}

void capture_register::reset()
{
    write_waiter.reset();
    capture.reset();
    known = 0;
}

} // namespace mst
