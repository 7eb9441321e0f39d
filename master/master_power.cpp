// The target supply: the power reading, the power check and the check of the
// voltage sample taken inside a batch.
#include "master/core/trn_prot.h"
#include "master/jtag/jtag.h"
#include "master/master.h"

namespace mst {

namespace {

// The failure code of a sample (0 when the supply is good) and the value in
// millivolts the message shows.
uint32_t judge_supply(const voltage_sample& sample, uint32_t& shown)
{
    const uint32_t vtrg = sample.value[1];
    const uint32_t fuse_drop = sample.value[5];
    shown = vtrg;
    if (vtrg < power_limit::vtrg_min)
        return rc::no_power;
    if (vtrg > power_limit::vtrg_max)
        return rc::power_too_high;
    if (fuse_drop > power_limit::fuse_drop_max) {
        shown = fuse_drop;
        return rc::fuse_blown;
    }
    return 0;
}

void raise_supply(error_record& record, uint32_t code, uint32_t millivolts)
{
    const volts_hundredths v = split_millivolts(millivolts);
    record.set_param(0, v.volts);
    record.set_param(1, v.hundredths);
    raise_error(record, code);
}

} // namespace

uint32_t master::power_reading()
{
    if (has_error())
        return 0;
    voltage_sample sample;
    engine_.prot().read_voltages(sample);
    uint32_t shown = 0;
    return judge_supply(sample, shown);
}

void master::power_check()
{
    if (has_error())
        return;
    voltage_sample sample;
    engine_.prot().read_voltages(sample);
    uint32_t shown = 0;
    const uint32_t code = judge_supply(sample, shown);
    if (code != 0)
        raise_supply(record_, code, shown);
}

void master::voltage_check(const voltage_sample* sample)
{
    error_record& record = the_error_record();
    if (record.has_error() || sample == nullptr)
        return;
    uint32_t shown = 0;
    const uint32_t code = judge_supply(*sample, shown);
    if (code != 0)
        raise_supply(record, code, shown);
}

void master::queue_voltage_check() { engine_.prot().queue_voltage_check(&master::voltage_check); }

} // namespace mst
