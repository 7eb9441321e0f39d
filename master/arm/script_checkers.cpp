#include "master/arm/script_checkers.h"

namespace mst {

void script_checker::complete(uint32_t position)
{
    rw_dp_reg& ap = regs_.apacc;
    // The APACC's own read may wait later in the same batch (the request of
    // the AP read that follows the scripts): it must still find itself
    // pending when its entry comes, or it would keep a script's frame as
    // its acknowledge.
    const uint32_t own_state = ap.read_waiter.state;
    ap.read_waiter.state = waiter_state::read_pending;
    ap.complete(position);
    const uint32_t ack = ap.acknowledge();
    ap.check_result(ack);
    if (carries_data() && ap.bad_read_parity()) {
        error_record& record = regs_.record();
        record.set_param(0, ap.wire_ack());
        raise_error(record, rc::dp_invalid_ack);
        return;
    }
    take(ap.data());
    if (own_state == waiter_state::read_pending)
        ap.read_waiter.state = own_state;
    synchro::complete(position);
}

void data_checker::take(uint32_t data)
{
    if (out != nullptr)
        *out++ = data;
}

void status_checker::take(uint32_t dhcsr)
{
    constexpr uint32_t s_retire_st = 1u << 24;
    constexpr uint32_t s_reset_st = 1u << 25;
    constexpr uint32_t sticky_retire = 1u << 26;
    constexpr uint32_t sticky_reset = 1u << 27;
    uint32_t old = status_word != nullptr ? *status_word : 0;
    uint32_t status = dhcsr & ~(sticky_retire | sticky_reset);
    if ((dhcsr & s_retire_st) != 0 || (old & sticky_retire) != 0)
        status |= sticky_retire;
    if ((dhcsr & s_reset_st) != 0 || (old & sticky_reset) != 0)
        status |= sticky_reset;
    if (status_word != nullptr)
        *status_word = status;
    error_record& record = regs_.record();
    if ((dhcsr & 0x010C0000u) != 0 || (dhcsr & 0x00030001u) != 0x00030001u) {
        record.set_param(0, dhcsr);
        raise_error(record, rc::cpu_mode_wrong);
        return;
    }
    if ((dhcsr & s_reset_st) != 0)
        raise_error(record, rc::illegal_reset);
}

} // namespace mst
