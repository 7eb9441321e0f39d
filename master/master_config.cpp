// The configuration record: SetConfig (wire, chain check, position search,
// identification, clock-speed search), GetConfig and the reconfiguration the
// recovery runs.
#include <algorithm>
#include <cstring>

#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "master/devices/jtagdev.h"
#include "master/jtag/jtag.h"
#include "master/master.h"

namespace mst {

namespace {

constexpr uint32_t slowest_clock = 7;
constexpr uint32_t no_clock_worked = 8;
// attach(2) must answer this many times in a row for a clock to count.
constexpr unsigned speed_tries = 10;
// Identification read: at most 4 u32 words. The count is passed as 4 units
// per word, and a device with 16-bit units fills 2 bytes per unit.
constexpr uint32_t ident_max_words = 4;
constexpr uint32_t ident_units_per_word = 4;
// The widest pattern the reply search compares.
constexpr uint32_t max_pattern_bits = 128;
// What the combined target's variant is (with JTAG wire mode).
constexpr uint32_t variant_combined = 2;

void progress(const char* text)
{
    if (MessageFunc != nullptr)
        MessageFunc(text);
}

void progress(const char* format, uint32_t value)
{
    if (MessageFunc != nullptr)
        MessageFunc(format, value);
}

// The TMS320C54x is always one 8-bit-IR device found by its IDCODE.
void apply_tms_overrides(MasterConfig& c)
{
    c.wire_mode = 0;
    c.wire_mode_2 = 0;
    c.positions_given = 0;
    c.positions_given_2 = 0;
    c.target_devices = 1;
    c.target_ir_length = 8;
    c.tms_marker = 8;
    c.idcode_length = 0x20;
    c.idcode_value[0] = 0xFDF;
    c.idcode_mask[0] = 0xFFF;
    c.line_select = 1;
}

bool any_set(const uint32_t (&words)[4])
{
    return std::any_of(std::begin(words), std::end(words), [](uint32_t w) { return w != 0; });
}

} // namespace

void master::set_config(uint32_t size, const void* record)
{
    if (has_error())
        return;
    const bool reconfiguring = record == &config_;
    if (size >= master_config_size && !configured_once_) {
        std::memmove(&config_, record, master_config_size);
        // The lines of the wire step are set the first time, whatever the
        // record says.
        config_.line_select = 0xFF;
        configured_once_ = true;
    }
    if (ide_code_ == ide::combined) {
        configure_combined();
        return;
    }
    if (size < master_config_size)
        return;
    MasterConfig local;
    std::memcpy(&local, record, master_config_size);
    apply_config(local, reconfiguring);
}

void master::configure_combined()
{
    // Without a combined device in this build there is nothing to configure;
    // the Reset below reports "no device".
    if (combined_ != nullptr) {
        combined_->set_ide_code(ide::combined);
        combined_->identify(0, config_.target_variant, config_.set_selector,
                            config_.ir_bits_after, config_.devices_after);
    }
    reset();
}

void master::apply_config(const MasterConfig& record, bool reconfiguring)
{
    MasterConfig local = record;
    if (ide_code_ == ide::tms320c54x)
        apply_tms_overrides(local);
    engine_.prot().set_parameter(slowest_clock);
    if (local.set_selector == 0)
        local.wire_mode = local.wire_mode_2;
    switch_wire(local, reconfiguring);

    const bool verbose = ide_code_ != ide::tms320c54x;
    if (verbose) {
        progress("");
        progress("Debugger Setup");
    }
    if (engine_.wire_mode == 0) {
        if (verbose) {
            progress("JTAG interface selected.");
            progress("Test JTAG params...");
        }
        check_chain(local);
    } else {
        local.devices_after = config_.devices_after;
        local.ir_bits_after = config_.ir_bits_after;
        if (verbose)
            progress("SWD interface selected.");
    }

    choose_combined_target(local);

    // The combined device chooses its device by the IDE code: it is told
    // the code before it can count as a device.
    if (current_ != nullptr)
        current_->set_ide_code(ide_code_);
    jtagdev& device = need_device();
    device.identify(0, local.target_variant, local.set_selector, local.ir_bits_after,
                    local.devices_after);
    identification_read(local);

    local.clock_found = static_cast<uint8_t>(speed_search(local.clock_start));
    config_ = local;
    reset();
}

void master::switch_wire(const MasterConfig& local, bool reconfiguring)
{
    const uint32_t wanted = local.wire_mode != 0 ? 1 : 0;
    if (wanted == engine_.wire_mode && !reconfiguring && config_.line_select == local.line_select)
        return;
    if (local.line_select == 0)
        set_lines(0, line::trst);
    else
        set_lines(line::trst, 0);
    if (wanted != 0 && combined_mode_)
        raise_error(record_, rc::swd_others_jtag);
    engine_.reset_line = (local.line_select == 2 && wanted == 0) ? 1 : 0;
    engine_.select_wire(wanted);
}

void master::check_chain(MasterConfig& local)
{
    engine_.measure_chain();
    const uint32_t count = engine_.dr_bypass_length;
    const uint32_t length = engine_.ir_chain_length;
    if (ide_code_ != ide::tms320c54x) {
        progress("  JTAG devices number - %u", count);
        progress("  JTAG IR size        - %u bits", length);
    }

    const uint32_t devices = local.target_devices;
    const uint32_t ir_length = local.target_ir_length;
    if (count < devices || length < ir_length || (count == devices && length != ir_length) ||
        (count != devices && length == ir_length))
        raise_error(record_, rc::target_not_found);

    if (local.set_selector == 0) {
        local.positions_given = local.positions_given_2;
        local.devices_after = local.devices_after_2;
        local.ir_bits_after = local.ir_bits_after_2;
    }
    place_target(local, count, length);
}

namespace {

bool empty_pattern(const match_pattern& pattern)
{
    for (uint32_t i = 0; i < (pattern.length + 31) / 32; ++i)
        if (pattern.mask[i] != 0)
            return false;
    return true;
}

// An IR capture pattern without a masked bit matches at every position, so
// the search's IR position says nothing about where the target's
// instruction register lies (the TMS320C54x captures its emulation status,
// which has no fixed bits a host could give). The place still follows from
// the chain's ends: with no device between the target and TDO its register
// is the first of the IR chain; with every other device there (the IDCODE
// search counts them) it is the last. With devices on both sides the split
// of their instruction bits is unknown, and scanning an instruction into a
// guessed place would load it into other devices' registers: no place.
bool ir_position_without_pattern(const MasterConfig& local, uint32_t count, uint32_t length,
                                 uint32_t dr_position, uint32_t& ir_position)
{
    if (dr_position == 0) {
        ir_position = 0;
        return true;
    }
    if (dr_position / 32 + local.target_devices == count && length >= local.target_ir_length) {
        ir_position = length - local.target_ir_length;
        return true;
    }
    return false;
}

} // namespace

// The target's place: devices and instruction bits between it and the TDI
// end of the chain, searched by IDCODE or given by the record. Either way
// they must lie inside the measured chain, or the device would be told a
// fill that wraps around.
void master::place_target(MasterConfig& local, uint32_t count, uint32_t length)
{
    int64_t devices_after = 0;
    int64_t ir_bits_after = 0;
    if (local.positions_given == 0) {
        if (local.idcode_length > max_pattern_bits || local.target_ir_length > max_pattern_bits)
            raise_error(record_, rc::target_not_found);
        // Aligned copies of the record's patterns.
        uint32_t idcode_mask[4], idcode_value[4], capture_mask[4], capture_value[4];
        std::memcpy(idcode_mask, local.idcode_mask, sizeof idcode_mask);
        std::memcpy(idcode_value, local.idcode_value, sizeof idcode_value);
        std::memcpy(capture_mask, local.ir_capture_mask, sizeof capture_mask);
        std::memcpy(capture_value, local.ir_capture_value, sizeof capture_value);
        const match_pattern idcode{local.idcode_length, idcode_mask, idcode_value};
        const match_pattern capture{local.target_ir_length, capture_mask, capture_value};
        uint32_t dr_position = 0;
        uint32_t ir_position = 0;
        if (engine_.find_device(dr_position, ir_position, idcode, capture) != find_result::found ||
            dr_position % 32 != 0)
            raise_error(record_, rc::target_not_found);
        if (empty_pattern(capture) &&
            !ir_position_without_pattern(local, count, length, dr_position, ir_position))
            raise_error(record_, rc::target_not_found);
        // Signed: a record whose counts do not fit the chain goes negative
        // here instead of wrapping.
        devices_after =
            int64_t{count} - local.target_devices - dr_position / 32 + local.devices_added;
        ir_bits_after =
            int64_t{length} - local.target_ir_length - ir_position + local.ir_bits_added;
    } else {
        devices_after = int64_t{local.devices_after} + local.devices_added;
        ir_bits_after = int64_t{local.ir_bits_after} + local.ir_bits_added;
    }

    const uint32_t target_devices = std::max<uint32_t>(local.target_devices, 1);
    if (devices_after < 0 || ir_bits_after < 0 || devices_after + target_devices > count ||
        ir_bits_after + local.target_ir_length > length)
        raise_error(record_, rc::target_not_found);
    local.devices_after = static_cast<uint8_t>(devices_after);
    local.ir_bits_after = static_cast<uint16_t>(ir_bits_after);
}

void master::choose_combined_target(const MasterConfig& local)
{
    if (local.target_variant == variant_combined && local.wire_mode == 0) {
        // A combined target needs the combined device, which this build may
        // not have: then there is no device to configure.
        if (combined_ == nullptr)
            raise_error(record_, rc::not_initialised);
        if (!tms_) {
            create_device(tms_, make_tms320c54x_device);
            current_ = combined_;
            tms_->status |= device_flag::initialised;
            combined_->status |= device_flag::initialised;
        }
        return;
    }
    if (tms_ && ide_code_ == ide::cortex_m) {
        destroy_device(tms_);
        current_ = cortex_.get();
        if (combined_ != nullptr)
            combined_->status = 0;
    }
}

void master::identification_read(const MasterConfig& local)
{
    uint32_t masks[ident_max_words];
    uint32_t expected[ident_max_words];
    std::memcpy(masks, local.ident_mask, sizeof masks);
    std::memcpy(expected, local.ident_expected, sizeof expected);
    if (!any_set(masks))
        return;
    const uint32_t words = local.ident_count;
    if (words > ident_max_words)
        raise_error(record_, rc::target_not_found);

    // Room for 4 units a word of up to 2 bytes each, whatever the device's
    // memory unit is.
    uint32_t read[2 * ident_max_words] = {};
    jtagdev& device = need_device();
    try {
        device.read_memory(read, ident_units_per_word * words, local.ident_address, 0);
    } catch (const call_abandoned&) {
        // A device that cannot read there did not identify.
        if (record_.code != rc::plain_deliver)
            throw;
        record_.clear_without_recovery();
        raise_error(record_, rc::target_not_found);
    }
    for (uint32_t i = 0; i < words; ++i) {
        if ((read[i] & masks[i]) != (expected[i] & masks[i]))
            raise_error(record_, rc::target_not_found);
    }
}

uint32_t master::speed_search(uint32_t start)
{
    if (start > slowest_clock)
        return start;
    jtagdev& device = need_device();
    trn_prot& prot = engine_.prot();
    for (uint32_t s = start; s <= slowest_clock; ++s) {
        prot.set_parameter(s);
        unsigned answered = 0;
        while (answered < speed_tries && device.attach(2) != 0)
            ++answered;
        if (answered == speed_tries)
            return s;
        engine_.forget_state();
        device.tap_reset_notice();
        prot.set_parameter(slowest_clock);
        device.attach(0);
    }
    return no_clock_worked;
}

void master::get_config(uint32_t size, void* record)
{
    if (has_error() || size < master_config_size)
        return;
    voltage_sample sample;
    engine_.prot().read_voltages(sample);
    config_.pod_voltage_0 = sample.value[0];
    config_.target_millivolts = sample.value[1];
    if (current_ == nullptr)
        config_.clock_found = slowest_clock;
    std::memcpy(record, &config_, master_config_size);
}

// The kept record is applied again only once the host has given one: an
// all-zero record would search clocks and positions the host never asked
// for.
void master::reconfigure()
{
    if (has_error() || usable_current() == nullptr || !configured_once_)
        return;
    set_config(master_config_size, &config_);
}

} // namespace mst
