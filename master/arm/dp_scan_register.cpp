// The scan registers of the debug port: images, completion, acknowledge and
// the retried read, common to both wires.
#include "master/arm/debug_port.h"

#include "master/core/platform.h"

namespace mst {

void dp_read_waiter::complete(uint32_t position)
{
    reg_.complete(position);
}

rw_dp_reg::rw_dp_reg(dap_regset& set, uint32_t code, const char* write_name,
                     const char* read_name)
    : ir_code(code), write_waiter(write_name), read_waiter(*this, read_name), set_(set)
{
}

void rw_dp_reg::set_in(uint64_t v)
{
    in_[0] = static_cast<uint32_t>(v);
    in_[1] = static_cast<uint32_t>(v >> 32);
}

void rw_dp_reg::set_out(uint64_t v)
{
    out_[0] = static_cast<uint32_t>(v);
    out_[1] = static_cast<uint32_t>(v >> 32);
}

void rw_dp_reg::set_out_bits(unsigned first, unsigned n, uint64_t value)
{
    const uint64_t mask = ((uint64_t{1} << n) - 1) << first;
    set_out((out() & ~mask) | ((value << first) & mask));
}

void rw_dp_reg::prepare(uint32_t rnw, uint32_t data, uint32_t address)
{
    resume_line(set_);
    read_waiter.reset();
    const uint32_t a = (address >> 2) & 3u;
    if (!set_.swd()) {
        set_out((rnw & 1u) | (a << 1) | (uint64_t{data} << 3));
        return;
    }
    set_out_bits(6, 1, rnw & 1u);
    set_out_bits(7, 2, a);
    set_out_bits(17, 32, data);
}

void rw_dp_reg::complete(uint32_t position)
{
    if (read_waiter.state != waiter_state::read_pending)
        return;
    take_reply(position);
    read_waiter.state = waiter_state::valid;
}

void rw_dp_reg::take_reply(uint32_t position)
{
    const bitchain& reply = set_.engine.working;
    if (!set_.swd()) {
        const uint64_t captured = reply.bits_at(position, 32) |
                                  (uint64_t{reply.bits_at(position + 32, dp::request_bits - 32)} << 32);
        set_in(captured);
        holds_data_ = true;
        return;
    }
    const uint32_t at = position & 0xFFFFu;
    switch (position & dp::pos_flags) {
    case dp::pos_whole_frame:
        set_in(reply.bits_at(at, 32) | (uint64_t{reply.bits_at(at + 32, 18)} << 32));
        holds_data_ = true;
        break;
    case dp::pos_data_phase: {
        const uint64_t phase = reply.bits_at(at, 32) | (uint64_t{reply.bits_at(at + 32, 2)} << 32);
        const uint64_t keep = in() & 0xFFFFu;
        set_in(keep | (phase << 16));
        holds_data_ = true;
        break;
    }
    default:
        set_in((in() & ~uint64_t{0xFFFF}) | reply.bits_at(at, 16));
        holds_data_ = false;
        break;
    }
}

uint32_t rw_dp_reg::wire_ack() const
{
    return set_.swd() ? static_cast<uint32_t>(dp::bits_of(in(), 13, 3))
                      : static_cast<uint32_t>(dp::bits_of(in(), 0, 3));
}

uint32_t rw_dp_reg::acknowledge()
{
    error_record& record = set_.record();
    if (read_waiter.state != waiter_state::valid) {
        raise_error(record, rc::swd_ack_unknown);
        return 0;
    }
    const uint32_t a = wire_ack();
    if (!set_.swd()) {
        if (a == dp::jtag_wire_wait)
            return dp::ack::wait;
        if (a == dp::jtag_wire_ok)
            return dp::ack::jtag_ok;
    } else {
        if (a == dp::swd_wire_ok)
            return dp::ack::swd_ok;
        if (a == dp::swd_wire_wait)
            return dp::ack::wait;
        if (a == dp::swd_wire_fault)
            return dp::ack::swd_fault;
    }
    record.set_param(0, a);
    raise_error(record, rc::dp_invalid_ack);
    return 0;
}

uint32_t rw_dp_reg::data() const
{
    return set_.swd() ? static_cast<uint32_t>(dp::bits_of(in(), 16, 32))
                      : static_cast<uint32_t>(dp::bits_of(in(), 3, 32));
}

bool rw_dp_reg::bad_read_parity() const
{
    if (!set_.swd() || !holds_data_)
        return false;
    return dp::parity(dp::bits_of(in(), 16, 32)) != dp::bits_of(in(), 48, 1);
}

void rw_dp_reg::check_read_parity()
{
    if (!bad_read_parity())
        return;
    // The target said OK but the data did not arrive intact: taken as an
    // acknowledge the port cannot stand behind.
    error_record& record = set_.record();
    record.set_param(0, wire_ack());
    raise_error(record, rc::dp_invalid_ack);
}

uint32_t rw_dp_reg::read_value(uint32_t& ack)
{
    trn_prot& prot = set_.prot();
    if (!set_.swd()) {
        if (read_waiter.state == waiter_state::invalid)
            jtag_scan(scan_mode::exchange);
        if (read_waiter.state == waiter_state::read_pending)
            prot.end_batch();
        ack = acknowledge();
        return data();
    }
    if (read_waiter.state == waiter_state::invalid) {
        set_out_bits(6, 1, 1);
        ack = swd_exchange();
        if (ack == dp::ack::swd_ok) {
            swd_data_phase();
            prot.end_batch();
        }
    } else {
        if (read_waiter.state == waiter_state::read_pending)
            prot.end_batch();
        ack = acknowledge();
    }
    if (ack == dp::ack::swd_ok)
        check_read_parity();
    return data();
}

void rw_dp_reg::pause_after_failure(uint32_t attempt)
{
    if (attempt > dp::retry_quiet_failures)
        pause_ms(dp::retry_pause_ms);
}

uint32_t rw_dp_reg::read_with_retry(uint32_t failed_attempts)
{
    uint32_t ack = 0;
    uint32_t value = 0;
    for (uint32_t attempt = failed_attempts + 1;; ++attempt) {
        value = read_value(ack);
        const bool done = set_.swd() ? (ack == dp::ack::swd_ok || ack == dp::ack::swd_fault)
                                     : ack == dp::ack::jtag_ok;
        if (done || attempt >= dp::retry_attempts)
            break;
        pause_after_failure(attempt);
        read_waiter.reset();
    }
    check_result(ack);
    return value;
}

uint32_t rw_dp_reg::transfer_with_retry(uint32_t rnw, uint32_t data, uint32_t address)
{
    uint32_t result = 0;
    for (uint32_t attempt = 1;; ++attempt) {
        result = transfer(rnw, data, address);
        if (result == dp::ack::swd_ok || result == dp::ack::swd_fault ||
            attempt == dp::retry_attempts)
            break;
        pause_after_failure(attempt);
    }
    check_result(result);
    return result;
}

void rw_dp_reg::check_result(uint32_t result)
{
    if (result == dp::ack::swd_ok || result == dp::ack::jtag_ok)
        return;
    if (set_.swd())
        check_swd_result(result);
    else
        check_jtag_result(result);
}

} // namespace mst
