// The TMS320C54x DSP driven through its JTAG emulation logic: identification,
// emulation status, CPU mode changes, instructions fed through the scan
// pools, the save and restore of the state the emulation disturbs, and on
// top of them run control, breakpoints, registers and memory.
//
// Promises:
//  - The state word is the low 16 bits of jtagdev::status (byte 0 and byte 1
//    below), so what the master reads is what the device keeps.
//  - Identification and every attach read IDCODE and the revision from the
//    target itself: a target that went away is reported, never a cached
//    image.
//  - A halt, any register or memory access and a resume leave the DSP's CPU
//    state as it was, except for what the caller wrote.
//  - Block transfers of any length are split into chunks the 16-bit repeat
//    operand can count; the caller's buffer of a write is never changed.
//  - Clearing a software breakpoint writes its saved word back.
#pragma once

#include <cstdint>
#include <forward_list>
#include <vector>

#include "master/devices/jtagdev.h"
#include "master/jtag/capture_register.h"
#include "master/jtag/isolated_pool.h"
#include "master/jtag/poolset.h"
#include "master/jtag/reg_field.h"
#include "master/jtag/tapregister.h"

namespace mst {

class TMS320C54x_jtag_device;

// State word bits (byte 0, then byte 1).
namespace c54x_state {
constexpr uint32_t identified = 0x0001;
constexpr uint32_t identification_done = 0x0002;
constexpr uint32_t running = 0x0004;
constexpr uint32_t stop_requested = 0x0008;
constexpr uint32_t stop_reason_mask = 0x0030;
constexpr uint32_t stop_reason_shift = 4;
constexpr uint32_t resume_marker = 0x0040;   // cleared before every resume
constexpr uint32_t emulation = 0x0080;       // copied into ECR bit 9
constexpr uint32_t reset_expected = 0x0100;
constexpr uint32_t step_bit = 0x0200;        // status bit 2 after a change to mode 1
constexpr uint32_t context_saved = 0x0400;
constexpr uint32_t write_pc = 0x0800;
constexpr uint32_t status_by_register = 0x2000;
constexpr uint32_t initial = running | emulation | reset_expected;
} // namespace c54x_state

// Emulation status byte.
namespace c54x_status {
constexpr uint32_t error = 0x01;
constexpr uint32_t software_break = 0x02;
constexpr uint32_t step_done = 0x04;
constexpr uint32_t halt_cause_a = 0x08;
constexpr uint32_t halt_cause_b = 0x10;
constexpr uint32_t reset = 0x20;
constexpr uint32_t mode_shift = 6;
inline uint32_t mode(uint32_t status) { return (status >> mode_shift) & 3u; }
} // namespace c54x_status

// Instruction-register values.
namespace c54x_ir {
constexpr uint32_t mode_change = 0x10;
constexpr uint32_t execute = 0x11;
constexpr uint32_t idle = 0x22;
constexpr uint32_t revision_high = 0x28;
constexpr uint32_t revision_low = 0x29;
constexpr uint32_t reset_assert = 0x40;
constexpr uint32_t reset_release = 0x41;
constexpr uint32_t status = 0x77;
} // namespace c54x_ir

// Memory spaces of read_memory and write_memory.
namespace c54x_space {
constexpr uint32_t program = 0;
constexpr uint32_t data = 1;
constexpr uint32_t io = 2;
constexpr uint32_t program_alias = 3;
} // namespace c54x_space

// Breakpoint kinds (the ids of the master's breakpoint-type table).
namespace c54x_break {
constexpr uint32_t software = 0;
constexpr uint32_t program_address = 1;
constexpr uint32_t last_kind = 7;
constexpr uint16_t opcode = 0xF4F0;
} // namespace c54x_break

// The path by which a combined target writes the DSP's program memory
// through its microcontroller; the combined device provides it.
class c54x_program_path {
public:
    virtual void write_program(const uint16_t* words, uint32_t count, uint32_t address) = 0;

protected:
    ~c54x_program_path() = default;
};

// Completes the status capture of an execute (instruction-register capture
// or "STATUS" register), decodes it and raises 0x0D390080 unless the error
// bit is clear and the CPU mode is 0 or 1.
class tms_status_checker : public synchro {
public:
    explicit tms_status_checker(TMS320C54x_jtag_device& device) : device_(device) {}
    void complete(uint32_t position) override;
    void reset() override;

private:
    TMS320C54x_jtag_device& device_;
};

// Completes an "ETDR" read and appends its word to the current read buffer.
class tms_data_checker : public synchro {
public:
    explicit tms_data_checker(TMS320C54x_jtag_device& device) : device_(device) {}
    void complete(uint32_t position) override;
    void reset() override;

    uint16_t* out = nullptr;
    uint16_t* end = nullptr;

private:
    TMS320C54x_jtag_device& device_;
};

class TMS320C54x_jtag_device : public jtagdev {
public:
    // Words of one block transfer: what the repeat operand n - 1 can count.
    static constexpr uint32_t max_block_words = 0x10000;
    static constexpr uint16_t revision_expected = 0xB6F;
    static constexpr uint32_t idcode_mask = 0xFFF;
    static constexpr uint32_t idcode_expected = 0xFDF;
    static constexpr uint32_t ir_width = 8;
    // Fed block moves through ETDR (data address 0x3F).
    static constexpr uint16_t program_read_instruction = 0x7C3F;
    static constexpr uint16_t program_write_instruction = 0x7D3F;
    static constexpr uint16_t data_read_instruction = 0x703F;
    static constexpr uint16_t data_write_instruction = 0x713F;
    static constexpr uint16_t io_read_instruction = 0x743F;
    static constexpr uint16_t io_write_instruction = 0x753F;
    static constexpr uint16_t repeat_instruction = 0xF070;

    // Bound to the process-wide engine (the_jtag()).
    TMS320C54x_jtag_device();
    explicit TMS320C54x_jtag_device(jtag& engine);
    ~TMS320C54x_jtag_device() override;

    // jtagdev
    void tap_reset_notice() override;
    uint32_t attach(uint32_t how) override;
    void identify(uint32_t memory_flag, uint32_t status_flag, uint32_t variant,
                  uint32_t ir_position, uint32_t dr_position) override;
    void read_status() override;
    void check_state() override;
    void poll_run_state() override;
    void reset_step1() override;
    void reset_step2() override;
    void reset_step3() override;
    void reset_full() override;
    void run(uint32_t flags) override;
    void stop() override;
    void step() override;
    void set_breakpoint(uint32_t address, uint32_t kind) override;
    void clear_breakpoint(uint32_t length, uint32_t address, uint32_t kind) override;
    void clear_all_breakpoints(uint32_t kind) override;
    uint32_t breakpoint_flag(uint32_t address, uint32_t kind) override;
    uint32_t stop_reason() override;
    void read_register(uint32_t& value, uint32_t id) override;
    void write_register(uint32_t value, uint32_t id) override;
    void read_memory(void* buffer, uint32_t count, uint32_t address, uint32_t space) override;
    void write_memory(const void* buffer, uint32_t count, uint32_t address,
                      uint32_t space) override;
    uint32_t read_status_forced(uint32_t flag) override;

    // Identification check: 1 accepted; else mode 0 raises "unknown device",
    // mode 1 "target not connected", other modes give 0.
    uint32_t check(uint32_t mode);
    // Reads and decodes the emulation status byte.
    uint32_t read_status_byte();
    // Raises 0x0D390081 when the CPU runs (mode 2 or 3).
    void check_mode();
    void change_mode(uint32_t flag, uint32_t mode);
    void execute();
    void feed(uint16_t instruction, uint16_t operand);
    // Reads the pools and ETDR of the halted DSP for save_context; raises
    // when two reads of them disagree.
    void capture_halt_state();
    // Forgets a halt capture whose two reads disagree and fails the call;
    // the next call takes it again.
    // `value` once a second read of the status agrees with it (further
    // reads while they disagree, a bounded number).
    uint32_t confirm_status(uint32_t value);
    static constexpr uint32_t status_confirm_reads = 3;
    void drop_halt_capture();
    void save_context();
    void restore_context();
    void read_pc_at_halt();
    void prepare_resume(bool with_breakpoints);
    // Takes the status byte that an execute captured.
    void take_status(uint32_t status);

    // The combined target's path for program writes (null: none).
    c54x_program_path* microcontroller = nullptr;

    // Scan registers (the instruction register is the base's).
    tapregister idcode;
    tapregister rev;
    tapregister status_register;
    tapregister etdr;
    tapregister mpsdctl;
    tapregister ecr;
    capture_register jbp;
    poolset pools;
    isolated_pool pbr;

    // Pool and "PBR" fields.
    reg_field par, pc_field, braf_upper, braf_lower, cpl_upper, cpl_lower, dp_upper, dp_lower;
    reg_field m3bl_m5, d3j_m2m5, cmd1, cmd2, cmd3, ccom, fix_kl, ccl_lower, ccl_upper, racomm_r;
    reg_field comparator_address[10];  // JDS1, JDS2, JPS1, JPS2, JIS1, JIS2, JPA1-JPA4

    uint16_t pc = 0;
    uint16_t halt_pc = 0;
    uint16_t saved_cpl = 0;
    uint16_t saved_dp = 0;
    uint16_t saved_braf = 0;
    uint16_t saved_etdr = 0;
    uint16_t break_control = 0;
    uint16_t break_hits = 0;
    uint32_t last_status = 0;

    struct sw_break {
        uint16_t address;
        uint16_t saved;
    };
    // Newest first; an address occurs at most once.
    std::forward_list<sw_break> sw_breaks;

    tms_status_checker status_checker;
    tms_data_checker data_checker;

private:
    bool has(uint32_t bits) const { return (status & bits) != 0; }
    uint32_t emulation_ecr() const { return has(c54x_state::emulation) ? 0x200u : 0u; }
    bool status_by_register() const { return has(c54x_state::status_by_register); }
    bool recorded_error();
    void reset_images();

    // Memory.
    void ensure_access();
    void read_block(uint16_t* words, uint32_t count, uint32_t address, uint16_t instruction);
    void write_block(const uint16_t* words, uint32_t count, uint32_t address,
                     uint16_t instruction);
    void read_space(uint16_t* words, uint32_t count, uint32_t address, uint32_t space);
    void write_space(uint16_t* words, uint32_t count, uint32_t address, uint32_t space);
    // The memory-write routine of program memory chosen at identification.
    void write_program(const uint16_t* words, uint32_t count, uint32_t address);
    void fix_read(uint16_t* words, uint32_t count, uint32_t address) const;
    void fix_write(uint16_t* words, uint32_t count, uint32_t address);
    // opcode true: 0xF4F0 at every listed address in the range; false: the
    // saved words in place of 0xF4F0. Returns the words changed.
    uint32_t patch(uint16_t* words, uint32_t count, uint32_t address, bool opcode) const;

    // Breakpoints.
    void breakpoint_change_allowed();
    bool breakpoint_present(uint32_t address, uint32_t kind);
    uint32_t hardware_match(uint16_t word, uint32_t address, uint32_t kind);

    bool through_microcontroller_ = false;
};

} // namespace mst
