// The flash patch and breakpoint unit: code breakpoints in its comparators.
// A comparator holds one word address with a REPLACE bit per halfword, so
// breakpoints on both halfwords of a word share it.
#include <algorithm>

#include "master/devices/cortex_m/cortex_m_device.h"

namespace mst {

namespace {

constexpr uint32_t fp_ctrl_enable = 0x3;  // ENABLE, KEY
constexpr uint32_t comparator_enable = 0x1;
constexpr uint32_t bad_address_bits = 0xE0000001;

uint32_t kind_of(uint32_t address)
{
    return (address & 0x2u) != 0 ? fpb_unit::replace_upper : fpb_unit::replace_lower;
}

} // namespace

void fpb_unit::init()
{
    const uint32_t ctrl = ap_.read_word(cortex_reg::fp_ctrl);
    const uint32_t code = ((ctrl & 0x7000u) >> 8) | ((ctrl & 0xF0u) >> 4);
    count = std::min(max_comparators, code);
    all = (1u << count) - 1;
    dirty = all;
    used &= all;
    hits = 0;
    hits_pending_ = false;
}

void fpb_unit::check_address(uint32_t address) const
{
    if ((address & bad_address_bits) == 0)
        return;
    error_record& record = ap_.regs.record();
    record.set_param(0, address);
    raise_error(record, rc::hw_breakpoint_address);
}

uint32_t fpb_unit::matching(uint32_t mask, uint32_t address) const
{
    return matching_in(comparators, mask, address);
}

uint32_t fpb_unit::matching_in(const uint32_t* images, uint32_t mask, uint32_t address) const
{
    uint32_t found = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t image = images[i];
        if ((mask & (1u << i)) != 0 && (image & address_bits) == (address & address_bits) &&
            (image & kind_of(address)) != 0)
            found |= 1u << i;
    }
    return found;
}

void fpb_unit::set(uint32_t address)
{
    check_address(address);
    const uint32_t kind = kind_of(address);
    for (uint32_t i = 0; i < count; ++i) {
        if ((used & (1u << i)) == 0 || (comparators[i] & address_bits) != (address & address_bits))
            continue;
        if ((comparators[i] & kind) == 0) {
            comparators[i] |= kind;
            dirty |= 1u << i;
        }
        return;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if ((used & (1u << i)) != 0)
            continue;
        comparators[i] = (address & address_bits) | kind;
        used |= 1u << i;
        dirty |= 1u << i;
        return;
    }
    error_record& record = ap_.regs.record();
    record.set_param(0, count);
    raise_error(record, rc::breakpoint_count);
}

void fpb_unit::clear(uint32_t address)
{
    check_address(address);
    const uint32_t kind = kind_of(address);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t bit = 1u << i;
        if ((used & bit) == 0 || (comparators[i] & address_bits) != (address & address_bits))
            continue;
        if ((comparators[i] & kind) != 0) {
            comparators[i] &= ~kind;
            dirty |= bit;
        }
        if ((comparators[i] & replace_both) == 0)
            used &= ~bit;
    }
}

void fpb_unit::clear_all()
{
    used = 0;
    dirty = all;
}

bool fpb_unit::is_set(uint32_t address) const { return matching(used, address) != 0; }
bool fpb_unit::hit(uint32_t address) const { return matching_in(hit_images_, hits, address) != 0; }

void fpb_unit::write()
{
    ap_.write_word(fp_ctrl_enable, cortex_reg::fp_ctrl);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t bit = 1u << i;
        if ((dirty & bit) == 0)
            continue;
        const uint32_t image = (used & bit) != 0 ? comparators[i] | comparator_enable : comparators[i];
        ap_.write_word(image, cortex_reg::fp_comp0 + 4 * i);
    }
    dirty = 0;
}

void fpb_unit::disable_all()
{
    const uint32_t kept = used;
    used = 0;
    dirty = all;
    write();
    used = kept;
    dirty = all;
}

void fpb_unit::halt_update_deferred()
{
    hits = 0;
    hits_pending_ = true;
    disable_all();
}

void fpb_unit::resolve_hits(uint32_t address)
{
    hits = matching(used, address);
    std::copy(std::begin(comparators), std::end(comparators), std::begin(hit_images_));
    hits_pending_ = false;
}

void fpb_unit::drop_hits()
{
    hits = 0;
    hits_pending_ = false;
}

// ---- the device's breakpoint operations -----------------------------------

uint32_t Cortex_jtag_device::read_pc_for_hits()
{
    uint32_t pc = 0;
    read_register(pc, cortex_id::pc);
    return pc;
}

void Cortex_jtag_device::fix_halt_hits()
{
    if (fpb.hits_pending() && !is_running())
        fpb.resolve_hits(read_pc_for_hits());
}

void Cortex_jtag_device::set_breakpoint(uint32_t address, uint32_t)
{
    fix_halt_hits();
    fpb.set(address);
    if (is_running())
        fpb.write();
}

void Cortex_jtag_device::clear_breakpoint(uint32_t, uint32_t address, uint32_t)
{
    fix_halt_hits();
    fpb.clear(address);
    if (is_running())
        fpb.write();
}

void Cortex_jtag_device::clear_all_breakpoints(uint32_t)
{
    fix_halt_hits();
    fpb.clear_all();
    if (is_running())
        fpb.write();
}

uint32_t Cortex_jtag_device::breakpoint_flag(uint32_t address, uint32_t)
{
    // The hit mask of a halt is taken against the address the core halted
    // at and the comparators set then: read the first time it is asked for,
    // or before a PC write or a breakpoint change could alter the answer.
    fix_halt_hits();
    return fpb.hit(address) ? 1 : 0;
}

} // namespace mst
