// Construction, the attach check, debug power-up, identification by CPUID
// and re-attach.
#include <cstdio>

#include "master/core/transport_slots.h"
#include "master/devices/cortex_m/cortex_m_device.h"

namespace mst {

namespace {

constexpr uint32_t ir_idcode = dp::ir_idcode;
constexpr uint32_t part_mask = 0xFF0FFFF0;
constexpr uint32_t arm_implementer = 0x41000000;

struct known_core {
    uint32_t part;
    uint32_t number;  // the Cortex-M number
    uint32_t type;
    const char* progress;
};

constexpr known_core known_cores[] = {
    {0x410CC200, 0, cortex_type::m0, "%s0%s"},
    {0x410CC210, 1, cortex_type::m1, "%s1%s"},
    {0x410FC230, 3, cortex_type::m3, "%s3%s"},
    {0x410FC240, 4, cortex_type::m4, "%s4%s"},
};

const known_core* find_core(uint32_t part)
{
    for (const known_core& core : known_cores) {
        if (core.part == part)
            return &core;
    }
    return nullptr;
}

void progress(const char* text)
{
    if (MessageFunc != nullptr)
        MessageFunc(text);
}

} // namespace

Cortex_jtag_device::Cortex_jtag_device() : Cortex_jtag_device(the_jtag(), the_cmd_list()) {}

Cortex_jtag_device::Cortex_jtag_device(jtag& engine, cmd_list& script_list)
    : jtagdev(engine, ir_width, ir_idcode, "(0) IR", "(0) IR", 0, 1),
      idcode(engine, this, 1, 32, ir_idcode, "(0) IDCODE"),
      regs(engine, *this),
      list(script_list),
      ap(regs, list),
      fpb(ap),
      dwt(ap)
{
    ap.status.status_word = &core_status;
}

Cortex_jtag_device::~Cortex_jtag_device()
{
    // Waiters of this device may sit in an unsent batch, and the pod's
    // command list holds this device's scripts: neither may outlive it.
    pending_log& log = engine().prot().log();
    if (!log.empty())
        log.drop_all();
    list.count = 0;
}

bool Cortex_jtag_device::recorded_error() const { return regs.engine.prot().record().has_error(); }

void Cortex_jtag_device::tap_reset_notice()
{
    ir.reset();
    idcode.reset();
    regs.forget_all();
}

uint32_t Cortex_jtag_device::attach(uint32_t how) { return check_port(how); }

uint32_t Cortex_jtag_device::check_port(uint32_t mode)
{
    const uint32_t id = read_port_id(regs, idcode);
    if (port_id_accepted(id, regs.swd()))
        return 1;
    if (mode == 0) {
        record().set_param(0, id);
        // The message has a place for the revision too; none is known here.
        record().set_param(1, 0);
        raise_error(record(), rc::unknown_device);
    }
    if (mode == 1)
        raise_error(record(), rc::target_not_connected);
    return 0;
}

void Cortex_jtag_device::power_up() { mst::power_up(regs, ap.ap); }

// Scripts recorded and stored in the pod, then the MEM-AP readied.
void Cortex_jtag_device::setup_session()
{
    ap.record_scripts();
    list.flush_list(engine().prot());
    engine().prot().end_batch();
    ap.select_ap(0);
}

void Cortex_jtag_device::clearing_status_read()
{
    const uint32_t expected_before = status & cortex_flag::reset_expected;
    status |= cortex_flag::reset_expected;
    read_core_status();
    status = (status & ~cortex_flag::reset_expected) | expected_before;
    core_status &= ~dhcsr::reset_seen;
}

void Cortex_jtag_device::identify(uint32_t, uint32_t option_word, uint32_t expected,
                                  uint32_t ir_bits, uint32_t index)
{
    jtag& chain = engine();
    if (chain.wire_mode == 0) {
        // Positions come from the configuration: one outside the measured
        // chain is a failed search, never a wrapped count of fill bits.
        if (uint64_t{index} + 1 > chain.dr_bypass_length ||
            uint64_t{ir_bits} + ir_width > chain.ir_chain_length) {
            raise_error(record(), rc::target_not_found);
            return;
        }
        devices_after = chain.dr_bypass_length - index - 1;
        ir_bits_after = chain.ir_chain_length - ir_bits - ir_width;
    } else {
        devices_after = 0;
        ir_bits_after = 0;
    }
    dr_bits_before = devices_after;
    ir_bits_before = ir_bits_after;
    status = cortex_flag::identifying;
    cache.invalidate();
    chain.forget_state();

    tap_reset_notice();
    check_port(0);
    power_up();
    setup_session();

    const uint32_t cpuid = ap.read_word(cortex_reg::cpuid);
    const uint32_t part = cpuid & part_mask;
    const uint32_t wanted = expected & part_mask;
    const bool mismatch = wanted == 0 ? (cpuid & 0xFF000000u) != arm_implementer : part != wanted;
    const known_core* core = find_core(part);
    if (mismatch) {
        record().set_param(0, (wanted >> 4) & 0xFu);
        record().set_param(1, cpuid);
        if (core == nullptr) {
            record().set_param(0, cpuid);
            raise_error(record(), rc::cpuid_wrong);
            return;
        }
        record().set_param(2, core->number);
        record().set_param(3, (cpuid >> 20) & 0xFu);
        record().set_param(4, cpuid & 0xFu);
        raise_error(record(), rc::cpuid_family);
        return;
    }

    progress("Checking Cortex core type...");
    char first[64];
    char second[64];
    std::snprintf(first, sizeof first, "  CPUID=0x%08X - Cortex-M", static_cast<unsigned>(cpuid));
    std::snprintf(second, sizeof second, " r%up%u core found.",
                  static_cast<unsigned>((cpuid >> 20) & 0xFu), static_cast<unsigned>(cpuid & 0xFu));
    if (core != nullptr) {
        core_type = core->type;
        if (MessageFunc != nullptr)
            MessageFunc(core->progress, first, second);
    } else {
        core_type = cortex_type::unknown;
    }

    if (cpuid != 0x410FC230)
        status |= cortex_flag::pc_sampling;
    ap.wrap_mask = (core_type == cortex_type::m3 || core_type == cortex_type::m4)
                       ? mem_ap::large_wrap_mask
                       : mem_ap::default_wrap_mask;

    fpb.init();
    clear_time_stamp();
    status |= cortex_flag::running;
    clearing_status_read();
    read_status_forced(0);
    status |= cortex_flag::identified;
    option = option_word;
}

void Cortex_jtag_device::check_state()
{
    status = 0;
    tap_reset_notice();
    engine().forget_state();
    power_up();
    cache.invalidate();
    setup_session();
    clear_time_stamp();
    status |= cortex_flag::running;
    clearing_status_read();
    read_status_forced(0);
}

} // namespace mst
