// Access to an AP's registers: the bank and AP chosen through SELECT, the
// transaction through APACC, a read's posted result collected through RDBUFF.
#include "master/arm/debug_port.h"

namespace mst {

namespace {

void select_bank(dap_regset& set, uint32_t reg, uint32_t apsel)
{
    set.select.set_if_changed((reg & 0xF0u) | (apsel << 24));
}

} // namespace

uint32_t ap_read_sel(dap_regset& set, uint32_t reg, uint32_t apsel)
{
    select_bank(set, reg, apsel);
    if (!set.swd())
        return jtag_read(set, set.apacc, reg);
    swd_ap_read_request(set, reg);
    return set.rdbuff.get();
}

void swd_ap_read_request(dap_regset& set, uint32_t reg)
{
    // The data of this transfer is the result of the AP read before it; the
    // read's own result waits in RDBUFF, whose read has no side effect. The
    // AP register is read once.
    set.apacc.transfer_with_retry(1, 0, reg);
    set.rdbuff.forget();
    set.rdbuff.start_read();
}

uint32_t posted_result(dap_regset& set)
{
    if (!set.swd())
        return set.posted_jtag;
    rw_dp_reg& ap = set.apacc;
    if (ap.read_waiter.state != waiter_state::valid) {
        raise_error(set.record(), rc::swd_ack_unknown);
        return 0;
    }
    if (ap.bad_read_parity()) {
        set.record().set_param(0, ap.wire_ack());
        raise_error(set.record(), rc::dp_invalid_ack);
        return 0;
    }
    return ap.data();
}

void ap_post_read_sel(dap_regset& set, uint32_t reg, uint32_t apsel)
{
    select_bank(set, reg, apsel);
    if (!set.swd()) {
        set.apacc.jtag_checked(1, 0, reg);
        return;
    }
    rw_dp_reg& ap = set.apacc;
    ap.transfer_with_retry(1, 0, reg);
    set.prot().log().take_over_read(set.unused_data, &ap.read_waiter);
    ap.read_waiter.state = waiter_state::valid;
}

void ap_write_sel(dap_regset& set, uint32_t value, uint32_t reg, uint32_t apsel)
{
    select_bank(set, reg, apsel);
    if (!set.swd())
        set.apacc.jtag_checked(0, value, reg);
    else
        set.apacc.transfer_with_retry(0, value, reg);
}

uint32_t ap_read(dap_regset& set, uint32_t reg)
{
    return ap_read_sel(set, reg, (reg & 0xFF00u) >> 8);
}

void ap_write(dap_regset& set, uint32_t value, uint32_t reg)
{
    ap_write_sel(set, value, reg, (reg & 0xFF00u) >> 8);
}

} // namespace mst
