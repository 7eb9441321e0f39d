#include "master/devices/combined/combined_device.h"

#include <algorithm>
#include <vector>

#include "master/core/result.h"

namespace mst {

namespace {

constexpr uint32_t space_any = 0;
constexpr uint32_t clock_enable = 1u << 8;
constexpr uint32_t window_value = 0x0000FFFF;
constexpr uint32_t release_clear = 0x5;  // bits 0 and 2
constexpr uint32_t release_set = 0xA;    // bits 1 and 3
constexpr uint32_t release_bits = 0xF;
// DSP program words 0xF495, 0xF495 at 0xFF80-0xFF81 and 0xF073, 0xFF80 at
// 0xFF82-0xFF83 (two per microcontroller word, the lower address in the
// low half).
constexpr uint32_t boot_word_0 = 0xF495F495;
constexpr uint32_t boot_word_1 = 0xFF80F073;
// The DSP sits in the chain beside the microcontroller's debug port: 4 more
// instruction bits and one more device towards TDI.
constexpr uint32_t dsp_ir_offset = 4;
constexpr uint32_t dsp_dr_offset = 1;
// Identification of the DSP with the microcontroller path and its status
// through the "STATUS" data register.
constexpr uint32_t through_microcontroller = 1;
constexpr uint32_t status_by_register = 1;

// A selection changed for the length of one call.
class selection_scope {
public:
    selection_scope(Complex_jtag_device& combined, jtagdev* device)
        : combined_(combined), previous_(combined.select(device))
    {
    }
    ~selection_scope() { combined_.select(previous_); }
    selection_scope(const selection_scope&) = delete;
    selection_scope& operator=(const selection_scope&) = delete;

private:
    Complex_jtag_device& combined_;
    jtagdev* previous_;
};

} // namespace

Complex_jtag_device::Complex_jtag_device(jtag& engine, device_slots& slots)
    : jtagdev(engine, 4, 1, "IR", "STATUS", 0, 0, false), slots_(slots)
{
}

Complex_jtag_device::~Complex_jtag_device() = default;

jtagdev* Complex_jtag_device::select(jtagdev* device)
{
    jtagdev* previous = selected_;
    if (device != nullptr && device != selected_) {
        device->ir.reset();
        selected_ = device;
    }
    return previous;
}

void Complex_jtag_device::forget_device(jtagdev* device)
{
    if (selected_ == device && device != nullptr) {
        selected_ = nullptr;
        status = 0;
    }
}

jtagdev& Complex_jtag_device::need_selected()
{
    if (selected_ == nullptr)
        raise_error(engine().prot().record(), rc::not_initialised);
    return *selected_;
}

template <class Op>
auto Complex_jtag_device::forward(Op&& op)
{
    jtagdev& device = need_selected();
    struct copy_status {
        Complex_jtag_device& self;
        jtagdev& device;
        ~copy_status() { self.status = device.status; }
    } copy{*this, device};
    return op(device);
}

bool Complex_jtag_device::dsp_identified() const
{
    jtagdev* d = dsp();
    return d != nullptr && (d->status & c54x_state::identification_done) != 0;
}

uint32_t Complex_jtag_device::read_word(jtagdev& mcu, uint32_t address)
{
    uint8_t bytes[4] = {};
    mcu.read_memory(bytes, 4, address, space_any);
    return uint32_t{bytes[0]} | (uint32_t{bytes[1]} << 8) | (uint32_t{bytes[2]} << 16) |
           (uint32_t{bytes[3]} << 24);
}

void Complex_jtag_device::write_word(jtagdev& mcu, uint32_t value, uint32_t address)
{
    const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                              static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
    mcu.write_memory(bytes, 4, address, space_any);
}

void Complex_jtag_device::dsp_setup()
{
    jtagdev* mcu = cortex();
    if (mcu == nullptr)
        raise_error(engine().prot().record(), rc::not_initialised);
    selection_scope scope(*this, mcu);
    write_word(*mcu, read_word(*mcu, combined_reg::dsp_clock) | clock_enable,
               combined_reg::dsp_clock);
    write_word(*mcu, window_value, combined_reg::dsp_window);
    const uint32_t control =
        (read_word(*mcu, combined_reg::dsp_control) & ~release_clear) | release_set;
    write_word(*mcu, control, combined_reg::dsp_control);
    write_word(*mcu, boot_word_0, combined_reg::boot_words);
    write_word(*mcu, boot_word_1, combined_reg::boot_words + 4);
    write_word(*mcu, control & ~release_bits, combined_reg::dsp_control);
}

void Complex_jtag_device::write_program(const uint16_t* words, uint32_t count, uint32_t address)
{
    jtagdev* mcu = cortex();
    if (mcu == nullptr)
        raise_error(engine().prot().record(), rc::not_initialised);
    // DSP program addresses are 16 bits wide: the window wraps with them.
    // Each run is staged on its own, so the buffer never depends on the
    // caller's count (a product of which would wrap a 32-bit size).
    std::vector<uint8_t> bytes;
    uint32_t done = 0;
    while (done < count) {
        const uint32_t at = (address + done) & 0xFFFFu;
        const uint32_t run = std::min(count - done, 0x10000u - at);
        bytes.resize(2 * size_t{run});
        for (uint32_t i = 0; i < run; ++i) {
            bytes[2 * i] = static_cast<uint8_t>(words[done + i]);
            bytes[2 * i + 1] = static_cast<uint8_t>(words[done + i] >> 8);
        }
        mcu->write_memory(bytes.data(), 2 * run, combined_reg::dsp_program + 2 * at, space_any);
        done += run;
    }
}

void Complex_jtag_device::set_ide_code(uint32_t code)
{
    select(code == 1 ? cortex() : dsp());
    status = selected_ != nullptr ? selected_->status : 0;
}

uint32_t Complex_jtag_device::type_code()
{
    return selected_ != nullptr ? selected_->type_code() : jtagdev::type_code();
}

void Complex_jtag_device::identify(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t ir_position,
                                   uint32_t dr_position)
{
    if (selected_ == nullptr)
        return;
    if (selected_ == dsp()) {
        auto* tms = dynamic_cast<TMS320C54x_jtag_device*>(selected_);
        if (tms == nullptr)
            raise_error(engine().prot().record(), rc::not_initialised);
        dsp_setup();
        tms->microcontroller = this;
        tms->identify(through_microcontroller, status_by_register, v3,
                      ir_position + dsp_ir_offset, dr_position + dsp_dr_offset);
    } else {
        selected_->identify(v1, v2, v3, ir_position, dr_position);
    }
    status = selected_->status;
}

void Complex_jtag_device::reset_step1()
{
    forward([](jtagdev& d) { d.reset_step1(); });
    if (selected_ == cortex() && dsp_identified()) {
        selection_scope scope(*this, dsp());
        dsp()->reset_step1();
    }
}

void Complex_jtag_device::reset_step2()
{
    forward([](jtagdev& d) { d.reset_step2(); });
}

void Complex_jtag_device::reset_step3()
{
    forward([](jtagdev& d) { d.reset_step3(); });
    if (selected_ == cortex() && dsp_identified())
        dsp_setup();
}

void Complex_jtag_device::tap_reset_notice()
{
    if (selected_ == nullptr) {
        jtagdev::tap_reset_notice();
        return;
    }
    selected_->tap_reset_notice();
}

uint32_t Complex_jtag_device::attach(uint32_t how)
{
    if (selected_ == nullptr)
        return jtagdev::attach(how);
    return selected_->attach(how);
}

void Complex_jtag_device::read_status() { forward([](jtagdev& d) { d.read_status(); }); }
void Complex_jtag_device::check_state() { forward([](jtagdev& d) { d.check_state(); }); }
void Complex_jtag_device::poll_run_state() { forward([](jtagdev& d) { d.poll_run_state(); }); }
void Complex_jtag_device::reset_full() { forward([](jtagdev& d) { d.reset_full(); }); }
void Complex_jtag_device::run(uint32_t flags) { forward([&](jtagdev& d) { d.run(flags); }); }
void Complex_jtag_device::run_special(uint32_t mode)
{
    forward([&](jtagdev& d) { d.run_special(mode); });
}
void Complex_jtag_device::stop() { forward([](jtagdev& d) { d.stop(); }); }
void Complex_jtag_device::step() { forward([](jtagdev& d) { d.step(); }); }
void Complex_jtag_device::set_breakpoint(uint32_t address, uint32_t kind)
{
    forward([&](jtagdev& d) { d.set_breakpoint(address, kind); });
}
void Complex_jtag_device::clear_breakpoint(uint32_t length, uint32_t address, uint32_t kind)
{
    forward([&](jtagdev& d) { d.clear_breakpoint(length, address, kind); });
}
void Complex_jtag_device::clear_all_breakpoints(uint32_t kind)
{
    forward([&](jtagdev& d) { d.clear_all_breakpoints(kind); });
}
uint32_t Complex_jtag_device::breakpoint_flag(uint32_t address, uint32_t kind)
{
    return forward([&](jtagdev& d) { return d.breakpoint_flag(address, kind); });
}
void Complex_jtag_device::clear_time_stamp()
{
    forward([](jtagdev& d) { d.clear_time_stamp(); });
}
void Complex_jtag_device::get_time_stamp(void* record)
{
    forward([&](jtagdev& d) { d.get_time_stamp(record); });
}
uint32_t Complex_jtag_device::dwt_comparator_count()
{
    return forward([](jtagdev& d) { return d.dwt_comparator_count(); });
}
const void* Complex_jtag_device::dwt_parameters()
{
    return forward([](jtagdev& d) { return d.dwt_parameters(); });
}
uint32_t Complex_jtag_device::dwt_start_config()
{
    return forward([](jtagdev& d) { return d.dwt_start_config(); });
}
uint32_t Complex_jtag_device::dwt_apply_config()
{
    return forward([](jtagdev& d) { return d.dwt_apply_config(); });
}
void Complex_jtag_device::dwt_end_config() { forward([](jtagdev& d) { d.dwt_end_config(); }); }
uint32_t Complex_jtag_device::stop_reason()
{
    return forward([](jtagdev& d) { return d.stop_reason(); });
}
void Complex_jtag_device::read_register(uint32_t& value, uint32_t id)
{
    forward([&](jtagdev& d) { d.read_register(value, id); });
}
void Complex_jtag_device::write_register(uint32_t value, uint32_t id)
{
    forward([&](jtagdev& d) { d.write_register(value, id); });
}
void Complex_jtag_device::read_memory(void* buffer, uint32_t count, uint32_t address,
                                      uint32_t space)
{
    forward([&](jtagdev& d) { d.read_memory(buffer, count, address, space); });
}
void Complex_jtag_device::write_memory(const void* buffer, uint32_t count, uint32_t address,
                                       uint32_t space)
{
    forward([&](jtagdev& d) { d.write_memory(buffer, count, address, space); });
}
uint32_t Complex_jtag_device::read_status_forced(uint32_t flag)
{
    return forward([&](jtagdev& d) { return d.read_status_forced(flag); });
}
void Complex_jtag_device::power_up() { forward([](jtagdev& d) { d.power_up(); }); }

} // namespace mst
