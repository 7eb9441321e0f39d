// The combined target: a Cortex-M microcontroller and a TMS320C54x DSP in
// one JTAG chain, the microcontroller holding the DSP's program memory and
// the registers that release it. The combined device forwards every
// operation to the device selected by the IDE code and does the
// microcontroller set-up the DSP needs before it is identified and after it
// was reset.
//
// Promises:
//  - The two devices are the master's, read each time (they come and go
//    with Init, Kill and the configuration); the combined device itself has
//    no place in the chain.
//  - An operation that needs a device raises 0x0D39F004 when none is
//    selected (or when the DSP set-up finds no microcontroller), never
//    forwards into nothing; the TAP reset notice and the attach check keep
//    the base behaviour then.
//  - A selection changed for one call (the DSP's reset step, the DSP
//    set-up) is put back afterwards, even when the call raised.
#pragma once

#include <cstdint>

#include "master/devices/jtagdev.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"
#include "master/master.h"

namespace mst {

// The microcontroller registers of the DSP set-up and the DSP's program
// memory in the microcontroller's space.
namespace combined_reg {
constexpr uint32_t dsp_clock = 0x40020030;    // bit 8 set
constexpr uint32_t dsp_window = 0x300000BC;   // written 0x0000FFFF
constexpr uint32_t dsp_control = 0x40020038;  // bits 0-3: the DSP's release
constexpr uint32_t dsp_program = 0x30020000;  // DSP program word a at + 2a
constexpr uint32_t boot_words = 0x3003FF00;   // DSP program 0xFF80
} // namespace combined_reg

// Where the combined device finds the two devices it joins: the master's
// device fields, read at every use.
class device_slots {
public:
    virtual jtagdev* cortex_device() = 0;
    virtual jtagdev* tms_device() = 0;

protected:
    ~device_slots() = default;
};

class Complex_jtag_device : public jtagdev, public device_selector, public c54x_program_path {
public:
    Complex_jtag_device(jtag& engine, device_slots& slots);
    ~Complex_jtag_device() override;

    // Selects device (none: nothing changes); returns the previous one.
    jtagdev* select(jtagdev* device);

    // device_selector
    jtagdev* selected_device() override { return selected_; }
    void forget_device(jtagdev* device) override;

    // c54x_program_path: DSP program words written through the
    // microcontroller's memory.
    void write_program(const uint16_t* words, uint32_t count, uint32_t address) override;

    // jtagdev
    void tap_reset_notice() override;
    uint32_t attach(uint32_t how) override;
    void identify(uint32_t v1, uint32_t v2, uint32_t v3, uint32_t ir_position,
                  uint32_t dr_position) override;
    void read_status() override;
    void check_state() override;
    void poll_run_state() override;
    void reset_step1() override;
    void reset_step2() override;
    void reset_step3() override;
    void reset_full() override;
    void run(uint32_t flags) override;
    void run_special(uint32_t mode) override;
    void stop() override;
    void step() override;
    void set_breakpoint(uint32_t address, uint32_t kind) override;
    void clear_breakpoint(uint32_t length, uint32_t address, uint32_t kind) override;
    void clear_all_breakpoints(uint32_t kind) override;
    uint32_t breakpoint_flag(uint32_t address, uint32_t kind) override;
    void clear_time_stamp() override;
    void get_time_stamp(void* record) override;
    uint32_t dwt_comparator_count() override;
    const void* dwt_parameters() override;
    uint32_t dwt_start_config() override;
    uint32_t dwt_apply_config() override;
    void dwt_end_config() override;
    uint32_t stop_reason() override;
    void read_register(uint32_t& value, uint32_t id) override;
    void write_register(uint32_t value, uint32_t id) override;
    void read_memory(void* buffer, uint32_t count, uint32_t address, uint32_t space) override;
    void write_memory(const void* buffer, uint32_t count, uint32_t address,
                      uint32_t space) override;
    uint32_t read_status_forced(uint32_t flag) override;
    void power_up() override;
    void set_ide_code(uint32_t code) override;
    uint32_t type_code() override;

    // The microcontroller set-up that releases the DSP, with the Cortex-M
    // device selected for it.
    void dsp_setup();

private:
    jtagdev* cortex() const { return slots_.cortex_device(); }
    jtagdev* dsp() const { return slots_.tms_device(); }
    jtagdev& need_selected();
    // Runs op on the selected device, then copies its status word.
    template <class Op>
    auto forward(Op&& op);
    // The DSP has finished its identification.
    bool dsp_identified() const;
    uint32_t read_word(jtagdev& mcu, uint32_t address);
    void write_word(jtagdev& mcu, uint32_t value, uint32_t address);

    device_slots& slots_;
    jtagdev* selected_ = nullptr;
};

} // namespace mst
