// The core registers: the whole register file read in one batch through the
// MEM-AP's scripts and cached until the core runs, steps, resets or a
// register is written; writes through DCRDR and DCRSR.
#include "master/devices/cortex_m/cortex_m_device.h"

namespace mst {

namespace {

constexpr uint32_t dcrsr_write = 0x10000;
constexpr uint32_t dcrsr_selector_mask = 0x1F;
constexpr uint32_t last_core_register = 18;
constexpr uint32_t pc_not_sampled = 0xFFFFFFFFu;

// The xPSR views: ids 0x40-0x45.
constexpr uint32_t psr_masks[] = {
    0xF8000000,  // APSR
    0x000001FF,  // IPSR
    0x0700FC00,  // EPSR
    0xF80001FF,  // IAPSR
    0xFF00FC00,  // EAPSR
    0x0700FDFF,  // IEPSR
};

bool is_special_byte(uint32_t id) { return id >= cortex_id::primask && id <= cortex_id::control; }
bool is_psr_view(uint32_t id) { return id >= cortex_id::apsr && id <= cortex_id::iepsr; }
bool reads_as_zero(uint32_t id) { return id == 0x30 || id == 0x31 || id == 0x40000000; }

} // namespace

void Cortex_jtag_device::ensure_registers()
{
    if (registers_valid != 0)
        return;
    check_port(1);
    regs.select.set_if_changed(0);
    if (!regs.swd())
        ir.set(dp::ir_apacc);
    ap.read_core_registers(registers);
    registers_valid = 1;
}

void Cortex_jtag_device::read_register(uint32_t& value, uint32_t id)
{
    if (recorded_error())
        return;
    value = 0;
    if (reads_as_zero(id))
        return;
    if (id == cortex_id::core_type) {
        value = core_type;
        return;
    }
    if (is_running()) {
        if ((status & cortex_flag::pc_sampling) != 0 && id == cortex_id::pc) {
            const uint32_t sample = ap.read_word(cortex_reg::dwt_pcsr);
            if (sample != pc_not_sampled) {
                value = sample;
                return;
            }
        }
        raise_error(record(), rc::plain_deliver);
        return;
    }
    const bool core = id <= last_core_register;
    if (!core && !is_special_byte(id) && !is_psr_view(id))
        return;
    ensure_registers();
    if (core)
        value = registers[id];
    else if (is_special_byte(id))
        value = (registers[cortex_id::special] >> (8 * (id - cortex_id::primask))) & 0xFFu;
    else
        value = registers[cortex_id::xpsr] & psr_masks[id - cortex_id::apsr];
}

void Cortex_jtag_device::write_core_register(uint32_t value, uint32_t selector)
{
    // The core takes a DCRSR request only once S_REGRDY shows the previous
    // transfer done.
    for (uint32_t i = 0; i < regrdy_polls && !recorded_error(); ++i) {
        read_core_status();
        if ((core_status & dhcsr::s_regrdy) != 0) {
            registers_valid = 0;
            ap.write_word(value, cortex_reg::dcrdr);
            ap.write_word((selector & dcrsr_selector_mask) | dcrsr_write, cortex_reg::dcrsr);
            return;
        }
    }
    record().set_param(0, core_status);
    raise_error(record(), rc::cpu_mode_wrong);
}

void Cortex_jtag_device::write_register(uint32_t value, uint32_t id)
{
    if (recorded_error())
        return;
    if (is_running())
        raise_error(record(), rc::plain_deliver);
    cache.invalidate();
    halted_check();
    if (id == cortex_id::pc) {
        // The breakpoint hit belongs to the address the core halted at.
        fix_halt_hits();
        value &= ~1u;
    }
    if (is_special_byte(id)) {
        ensure_registers();
        const uint32_t shift = 8 * (id - cortex_id::primask);
        const uint32_t word = registers[cortex_id::special];
        value = (word & ~(0xFFu << shift)) | ((value & 0xFFu) << shift);
        id = cortex_id::special;
    } else if (is_psr_view(id)) {
        ensure_registers();
        const uint32_t mask = psr_masks[id - cortex_id::apsr];
        value = (value & mask) | (registers[cortex_id::xpsr] & ~mask);
        id = cortex_id::xpsr;
    }
    if (id <= last_core_register || id == cortex_id::special)
        write_core_register(value, id);
}

} // namespace mst
