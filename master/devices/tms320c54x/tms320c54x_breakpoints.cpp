// Hardware comparators and software breakpoints.
#include "master/core/error_record.h"
#include "master/core/result.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"

namespace mst {

namespace {

constexpr uint32_t program_comparators = 4;
constexpr uint32_t first_program_comparator = 6;  // JPA1 among the PBR fields
constexpr uint32_t program_enable_shift = 12;
constexpr uint32_t program_enables = 0xF000;

// Kinds 2-7: the class's first comparator (0 JDS, 2 JPS, 4 JIS among the
// PBR fields) and the access bits (1 read, 2 write).
uint32_t class_first(uint32_t kind)
{
    switch (kind) {
    case 2: case 3: return 2;  // program space as data
    case 4: case 5: return 0;  // data
    default: return 4;         // I/O
    }
}
uint32_t access_of(uint32_t kind) { return (kind & 1u) != 0 ? 2u : 1u; }

void check_kind(error_record& record, uint32_t kind)
{
    if (kind <= c54x_break::last_kind)
        return;
    set_param(record, 0, kind);
    raise_error(record, rc::memory_type);
}

} // namespace

void TMS320C54x_jtag_device::breakpoint_change_allowed()
{
    if (has(c54x_state::running))
        raise_error(engine().prot().record(), rc::breakpoint_in_run);
}

void TMS320C54x_jtag_device::set_breakpoint(uint32_t address, uint32_t kind)
{
    error_record& record = engine().prot().record();
    check_kind(record, kind);
    breakpoint_change_allowed();
    const uint16_t a = static_cast<uint16_t>(address);
    if (kind == c54x_break::software) {
        for (const sw_break& b : sw_breaks)
            if (b.address == a)
                return;
        uint16_t saved = 0;
        read_memory(&saved, 1, a, c54x_space::program);
        sw_breaks.push_front({a, saved});
        // read_memory left the context saved: the routine can feed at once.
        const uint16_t opcode = c54x_break::opcode;
        write_program(&opcode, 1, a);
        return;
    }
    if (kind == c54x_break::program_address) {
        for (uint32_t i = 0; i < program_comparators; ++i) {
            const uint32_t enable = 1u << (program_enable_shift + i);
            if ((break_control & enable) != 0 &&
                comparator_address[first_program_comparator + i].get() == a)
                return;
        }
        for (uint32_t i = 0; i < program_comparators; ++i) {
            const uint32_t enable = 1u << (program_enable_shift + i);
            if ((break_control & enable) == 0) {
                comparator_address[first_program_comparator + i].set(a);
                break_control = static_cast<uint16_t>(break_control | enable);
                return;
            }
        }
        set_param(record, 0, program_comparators);
        raise_error(record, rc::breakpoint_count);
        return;
    }
    const uint32_t first = class_first(kind);
    const uint32_t access = access_of(kind);
    for (uint32_t c = first; c < first + 2; ++c) {
        const uint32_t shift = 2 * c;
        if (((break_control >> shift) & 3u) != 0 && comparator_address[c].get() == a) {
            break_control = static_cast<uint16_t>(break_control | (access << shift));
            return;
        }
    }
    for (uint32_t c = first; c < first + 2; ++c) {
        const uint32_t shift = 2 * c;
        if (((break_control >> shift) & 3u) == 0) {
            comparator_address[c].set(a);
            break_control = static_cast<uint16_t>(break_control | (access << shift));
            return;
        }
    }
    set_param(record, 0, 2);
    raise_error(record, rc::breakpoint_count);
}

void TMS320C54x_jtag_device::clear_breakpoint(uint32_t length, uint32_t address, uint32_t kind)
{
    check_kind(engine().prot().record(), kind);
    breakpoint_change_allowed();
    const uint16_t a = static_cast<uint16_t>(address);
    if (kind == c54x_break::software) {
        // The saved words go back into memory: a breakpoint left behind
        // would stop the program again and show in reads.
        bool accessible = false;
        for (auto prev = sw_breaks.before_begin(); std::next(prev) != sw_breaks.end();) {
            const sw_break b = *std::next(prev);
            if (length >= 0x10000u || static_cast<uint16_t>(b.address - a) < length) {
                if (!accessible)
                    ensure_access();
                accessible = true;
                sw_breaks.erase_after(prev);
                write_program(&b.saved, 1, b.address);
            } else {
                ++prev;
            }
        }
        return;
    }
    if (kind == c54x_break::program_address) {
        for (uint32_t i = 0; i < program_comparators; ++i) {
            const uint32_t enable = 1u << (program_enable_shift + i);
            if ((break_control & enable) != 0 &&
                comparator_address[first_program_comparator + i].get() == a)
                break_control = static_cast<uint16_t>(break_control & ~enable);
        }
        return;
    }
    const uint32_t first = class_first(kind);
    const uint32_t access = access_of(kind);
    for (uint32_t c = first; c < first + 2; ++c) {
        const uint32_t shift = 2 * c;
        if (((break_control >> shift) & 3u) != 0 && comparator_address[c].get() == a)
            break_control = static_cast<uint16_t>(break_control & ~(access << shift));
    }
}

void TMS320C54x_jtag_device::clear_all_breakpoints(uint32_t kind)
{
    check_kind(engine().prot().record(), kind);
    breakpoint_change_allowed();
    if (kind == c54x_break::software) {
        if (!sw_breaks.empty())
            ensure_access();
        while (!sw_breaks.empty()) {
            const sw_break b = sw_breaks.front();
            sw_breaks.pop_front();
            write_program(&b.saved, 1, b.address);
        }
        return;
    }
    if (kind == c54x_break::program_address) {
        break_control = static_cast<uint16_t>(break_control & ~program_enables);
        return;
    }
    const uint32_t first = class_first(kind);
    const uint32_t access = access_of(kind);
    for (uint32_t c = first; c < first + 2; ++c)
        break_control = static_cast<uint16_t>(break_control & ~(access << (2 * c)));
}

uint32_t TMS320C54x_jtag_device::hardware_match(uint16_t word, uint32_t address, uint32_t kind)
{
    const uint16_t a = static_cast<uint16_t>(address);
    if (kind == c54x_break::program_address) {
        for (uint32_t i = 0; i < program_comparators; ++i) {
            const uint32_t enable = 1u << (program_enable_shift + i);
            if ((word & enable) != 0 &&
                comparator_address[first_program_comparator + i].get() == a)
                return 1;
        }
        return 0;
    }
    const uint32_t first = class_first(kind);
    const uint32_t access = access_of(kind);
    for (uint32_t c = first; c < first + 2; ++c)
        if (((word >> (2 * c)) & access) != 0 && comparator_address[c].get() == a)
            return 1;
    return 0;
}

uint32_t TMS320C54x_jtag_device::breakpoint_flag(uint32_t address, uint32_t kind)
{
    error_record& record = engine().prot().record();
    check_kind(record, kind);
    if (kind == c54x_break::software) {
        raise_error(record, rc::plain_empty);
        return 0;
    }
    return hardware_match(break_hits, address, kind);
}

bool TMS320C54x_jtag_device::breakpoint_present(uint32_t address, uint32_t kind)
{
    if (kind == c54x_break::software) {
        for (const sw_break& b : sw_breaks)
            if (b.address == static_cast<uint16_t>(address))
                return true;
        return false;
    }
    return hardware_match(break_control, address, kind) != 0;
}

} // namespace mst
