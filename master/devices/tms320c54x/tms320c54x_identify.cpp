// Construction, identification and the emulation status of the DSP.
#include "master/core/error_record.h"
#include "master/core/result.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"

namespace mst {

namespace {

constexpr uint32_t idcode_ir = 7;
constexpr uint32_t rev_ir = 41;
constexpr uint32_t status_ir = 119;
constexpr uint32_t etdr_ir = 16;
constexpr uint32_t mpsdctl_ir = 34;
constexpr uint32_t ecr_ir = 36;
constexpr uint32_t jbp_ir = 43;
constexpr uint32_t pbr_ir = 42;
constexpr uint32_t pbr_bits = 160;

// One half of the revision: an instruction-register capture of its own.
class revision_half : public rw_resource {
public:
    revision_half(jtag& engine, chain_device* owner, uint32_t width)
        : rw_resource(engine, owner, "REV")
    {
        chain.attach(&value, width);
    }
    uint32_t value = 0;
};

} // namespace

TMS320C54x_jtag_device::TMS320C54x_jtag_device() : TMS320C54x_jtag_device(the_jtag()) {}

TMS320C54x_jtag_device::TMS320C54x_jtag_device(jtag& engine)
    : jtagdev(engine, ir_width, c54x_ir::idle, "IR", "STATUS", 1, 1),
      idcode(engine, this, 1, 32, idcode_ir, "IDCODE"),
      rev(engine, this, 1, 12, rev_ir, "REV"),
      status_register(engine, this, 1, 8, status_ir, "STATUS"),
      etdr(engine, this, 1, 16, etdr_ir, "ETDR"),
      mpsdctl(engine, this, 1, 16, mpsdctl_ir, "MPSDCTL"),
      ecr(engine, this, 1, 17, ecr_ir, "ECR"),
      jbp(engine, this, 1, 0, 1, 0, 16, jbp_ir, "JBPC", "JBPF"),
      pools(engine, this, mpsdctl, "PoolSet"),
      pbr(engine, this, pbr_bits, pbr_ir, "PBR"),
      par(pools.upper(0), 16, 0, "PAR", false),
      pc_field(pools.upper(0), 16, 17, "PC", false),
      braf_upper(pools.upper(0), 1, 101, "BRAF", false),
      braf_lower(pools.lower(0), 1, 101, "BRAF", false),
      cpl_upper(pools.upper(1), 1, 65, "CPL", false),
      cpl_lower(pools.lower(1), 1, 65, "CPL", false),
      dp_upper(pools.upper(1), 9, 306, "DP", false),
      dp_lower(pools.lower(1), 9, 306, "DP", false),
      m3bl_m5(pools.lower(2), 6, 0, "M3bl_M5", false),
      d3j_m2m5(pools.upper(2), 5, 0, "D3J_M2M5", false),
      cmd1(pools.lower(2), 16, 59, "cmd1", false),
      cmd2(pools.lower(2), 16, 43, "cmd2", false),
      cmd3(pools.lower(2), 16, 27, "cmd3", false),
      ccom(pools.lower(2), 2, 22, "CCOM", false),
      fix_kl(pools.lower(3), 1, 50, "fix_KL", false),
      ccl_lower(pools.lower(3), 4, 159, "CCL", false),
      ccl_upper(pools.upper(3), 4, 159, "CCL", false),
      racomm_r(pools.upper(4), 16, 356, "RAcomm_r", false),
      comparator_address{{pbr, 16, 0, "JDS1"},   {pbr, 16, 16, "JDS2"},  {pbr, 16, 32, "JPS1"},
                         {pbr, 16, 48, "JPS2"},  {pbr, 16, 64, "JIS1"},  {pbr, 16, 80, "JIS2"},
                         {pbr, 16, 96, "JPA1"},  {pbr, 16, 112, "JPA2"}, {pbr, 16, 128, "JPA3"},
                         {pbr, 16, 144, "JPA4"}},
      status_checker(*this),
      data_checker(*this)
{
    status = c54x_state::initial;
}

TMS320C54x_jtag_device::~TMS320C54x_jtag_device()
{
    // Waiters of this device may still sit in an unsent batch: none may be
    // completed after the device is gone.
    pending_log& log = engine().prot().log();
    if (!log.empty())
        log.drop_all();
}

void TMS320C54x_jtag_device::reset_images()
{
    ir.reset();
    idcode.reset();
    rev.reset();
    status_register.reset();
    etdr.reset();
    mpsdctl.reset();
    ecr.reset();
    jbp.reset();
    pools.forget();
    pbr.reset();
}

void TMS320C54x_jtag_device::tap_reset_notice()
{
    // A TAP reset leaves the emulation's pools alone. While a context is
    // saved their images are its only copy (the DSP's pools hold the
    // emulation's words since), and the run writes them back.
    const bool keep_pools = has(c54x_state::context_saved);
    const uint32_t valid = pools.valid & ~pools.read_pending;
    const uint32_t dirty = pools.dirty | pools.write_pending;
    reset_images();
    if (keep_pools) {
        pools.valid = valid;
        pools.dirty = dirty;
    }
}

uint32_t TMS320C54x_jtag_device::attach(uint32_t how) { return check(how); }

void TMS320C54x_jtag_device::identify(uint32_t memory_flag, uint32_t status_flag, uint32_t,
                                      uint32_t ir_position, uint32_t dr_position)
{
    jtag& chain = engine();
    through_microcontroller_ = memory_flag != 0 && microcontroller != nullptr;
    // Positions come from the configuration: one outside the measured chain
    // is a failed search, never a wrapped count of fill bits.
    if (uint64_t{dr_position} + 1 > chain.dr_bypass_length ||
        uint64_t{ir_position} + ir_width > chain.ir_chain_length) {
        raise_error(chain.prot().record(), rc::target_not_found);
        return;
    }
    dr_bits_before = chain.dr_bypass_length - dr_position - 1;
    ir_bits_before = chain.ir_chain_length - ir_position - ir_width;
    // A context saved while halted stays the program's until the run
    // restores it: a re-identification (the recovery's reconfigure) keeps it.
    status = c54x_state::identified | (status & c54x_state::context_saved);
    if (status_flag == 1)
        status |= c54x_state::status_by_register;
    chain.forget_state();
    reset_images();
    check(0);
    status |= c54x_state::running;
    read_status_byte();
    status |= c54x_state::identification_done;
}

uint32_t TMS320C54x_jtag_device::check(uint32_t mode)
{
    // Both read from the target every time (a cached image would hide a
    // target that went away), in one exchange.
    trn_prot& prot = engine().prot();
    // An empty batch: no exchange may fall between a capture and the
    // waiter that takes over its entry.
    if (prot.request_length() != 0 || !prot.log().empty())
        prot.end_batch();
    idcode.reset();
    idcode.scan(scan_mode::read);
    uint32_t revision = 0;
    if (status_by_register()) {
        rev.reset();
        rev.scan(scan_mode::read);
        prot.end_batch();
        revision = rev.get();
    } else {
        // The two halves come as instruction-register captures, each kept
        // by its own waiter (the register's capture image holds one value).
        revision_half high(engine(), this, ir_width);
        revision_half low(engine(), this, ir_width);
        ir.set(c54x_ir::revision_high);
        ir.scan(scan_mode::exchange);
        prot.log().take_over_read(high, &ir.capture);
        ir.set(c54x_ir::revision_low);
        ir.scan(scan_mode::exchange);
        prot.log().take_over_read(low, &ir.capture);
        ir.set(c54x_ir::idle);
        prot.end_batch();
        ir.capture.reset();
        revision = (high.value << 8) | low.value;
    }
    const uint32_t id = idcode.get();
    if ((id & idcode_mask) == idcode_expected && revision == revision_expected)
        return 1;
    error_record& record = engine().prot().record();
    if (mode == 0) {
        set_param(record, 0, id);
        set_param(record, 1, revision);
        raise_error(record, rc::unknown_device);
    } else if (mode == 1) {
        raise_error(record, rc::target_not_connected);
    }
    return 0;
}

uint32_t TMS320C54x_jtag_device::read_status_byte()
{
    uint32_t value = 0;
    if (status_by_register()) {
        status_register.reset();
        value = status_register.get();
    } else {
        if (ir.written == c54x_ir::revision_high || ir.written == c54x_ir::revision_low)
            ir.set(c54x_ir::idle);
        ir.capture.reset();
        value = ir.get_captured();
    }
    last_status = value;
    if ((value & c54x_status::reset) != 0 && !has(c54x_state::reset_expected))
        raise_error(engine().prot().record(), rc::illegal_reset);
    return value;
}

uint32_t TMS320C54x_jtag_device::confirm_status(uint32_t value)
{
    // A stop acts on the status (the CPU mode, the halt cause), and a reply
    // with changed bits is not told from the DSP's own by one read: the
    // status is read again until two reads in a row agree. A DSP that halts
    // between two reads agrees at the next.
    for (uint32_t i = 0; i < status_confirm_reads; ++i) {
        const uint32_t again = read_status_byte();
        if (again == value)
            return value;
        value = again;
    }
    drop_halt_capture();
    return value;
}

void TMS320C54x_jtag_device::read_status() { read_status_byte(); }

uint32_t TMS320C54x_jtag_device::read_status_forced(uint32_t) { return read_status_byte(); }

void TMS320C54x_jtag_device::check_state()
{
    const uint32_t value = read_status_byte();
    if ((value & c54x_status::error) != 0) {
        error_record& record = engine().prot().record();
        set_param(record, 0, value);
        raise_error(record, rc::cpu_mode_change);
    }
}

void TMS320C54x_jtag_device::check_mode()
{
    const uint32_t value = read_status_byte();
    if (c54x_status::mode(value) >= 2) {
        error_record& record = engine().prot().record();
        set_param(record, 0, value);
        raise_error(record, rc::cpu_mode_wrong);
    }
}

void TMS320C54x_jtag_device::take_status(uint32_t value)
{
    last_status = value;
    if ((value & c54x_status::error) == 0 && c54x_status::mode(value) <= 1)
        return;
    error_record& record = engine().prot().record();
    set_param(record, 0, value);
    raise_error(record, rc::cpu_mode_change);
}

void tms_status_checker::complete(uint32_t position)
{
    state = waiter_state::valid;
    TMS320C54x_jtag_device& dev = device_;
    uint32_t value = 0;
    if ((dev.status & c54x_state::status_by_register) != 0) {
        dev.status_register.complete(position);
        value = dev.status_register.value & dev.status_register.mask;
    } else {
        dev.ir.capture.complete(position);
        value = dev.ir.captured & dev.ir.mask;
    }
    dev.take_status(value);
}

void tms_status_checker::reset() { state = waiter_state::invalid; }

void tms_data_checker::complete(uint32_t position)
{
    state = waiter_state::valid;
    device_.etdr.complete(position);
    if (out != nullptr && out != end)
        *out++ = static_cast<uint16_t>(device_.etdr.value & 0xFFFFu);
}

void tms_data_checker::reset()
{
    // A dropped batch leaves no buffer to fill.
    state = waiter_state::invalid;
    out = end = nullptr;
}

} // namespace mst
