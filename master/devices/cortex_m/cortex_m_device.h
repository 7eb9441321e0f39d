// The Cortex-M0, M1, M3 and M4 microcontroller driven through the ARM debug
// port and its MEM-AP: identification by CPUID, debug power-up, run control
// through DHCSR, the core registers through DCRSR/DCRDR, memory, cycle-count
// time stamps, hardware breakpoints in the flash patch unit and the
// interface of the data watchpoint unit.
//
// Promises:
//  - Every operation that the error record's recorded code stops does
//    nothing (the status read returns 0); memory writes, the breakpoint and
//    the time-stamp operations go on regardless.
//  - C_MASKINTS is changed only by a DHCSR write made while C_HALT is set
//    and written set: a run or step that changes the mask first writes the
//    halt value with the new mask.
//  - A register write whose S_REGRDY never comes raises 0x0D390081, never
//    reports success with nothing written.
//  - breakpoint_flag answers against the address the core halted at.
//  - A memory read never writes past the caller's byte count, whatever the
//    address offset.
//  - The first DHCSR read of identification and re-attach reads away the
//    reset flag the core keeps since power-on: a reset is an error only when
//    it happens while the device looks.
#pragma once

#include <cstdint>

#include "master/arm/debug_port.h"
#include "master/arm/mem_ap.h"
#include "master/arm/mem_cache.h"
#include "master/core/command_list.h"
#include "master/devices/jtagdev.h"
#include "master/jtag/tapregister.h"

namespace mst {

// State flags: the device's status word (jtagdev::status), whose bits 0-2
// the master reads as initialised, found and running.
namespace cortex_flag {
constexpr uint32_t identifying = 1u << 0;
constexpr uint32_t identified = 1u << 1;
constexpr uint32_t running = 1u << 2;
constexpr uint32_t stop_requested = 1u << 3;
constexpr uint32_t mask_interrupts = 1u << 7;
constexpr uint32_t reset_expected = 1u << 8;
constexpr uint32_t pc_sampling = 1u << 12;
} // namespace cortex_flag

// Core type codes (the pod information reports them).
namespace cortex_type {
constexpr uint32_t m3 = 0x2000;
constexpr uint32_t m0 = 0x2001;
constexpr uint32_t m1 = 0x2002;
constexpr uint32_t m4 = 0x2003;
constexpr uint32_t unknown = 0xFFFFFFFFu;
} // namespace cortex_type

// System Control Space and debug unit addresses.
namespace cortex_reg {
constexpr uint32_t cpuid = 0xE000ED00;
constexpr uint32_t aircr = 0xE000ED0C;
constexpr uint32_t dhcsr = 0xE000EDF0;
constexpr uint32_t dcrsr = 0xE000EDF4;
constexpr uint32_t dcrdr = 0xE000EDF8;
constexpr uint32_t demcr = 0xE000EDFC;
constexpr uint32_t dwt_ctrl = 0xE0001000;
constexpr uint32_t cyccnt = 0xE0001004;
constexpr uint32_t dwt_pcsr = 0xE000101C;
constexpr uint32_t fp_ctrl = 0xE0002000;
constexpr uint32_t fp_comp0 = 0xE0002008;
} // namespace cortex_reg

// DHCSR values and bits.
namespace dhcsr {
constexpr uint32_t run = 0xA05F0001;
constexpr uint32_t halt = 0xA05F0003;
constexpr uint32_t step = 0xA05F0005;
constexpr uint32_t halt_snapstall = 0xA05F0023;
constexpr uint32_t c_maskints = 0x8;
constexpr uint32_t s_regrdy = 1u << 16;
constexpr uint32_t s_halt = 1u << 17;
constexpr uint32_t s_retire_st = 1u << 24;
constexpr uint32_t s_reset_st = 1u << 25;
// The status word keeps these two across one further read.
constexpr uint32_t retire_seen = 1u << 26;
constexpr uint32_t reset_seen = 1u << 27;
} // namespace dhcsr

// Register ids of read_register and write_register.
namespace cortex_id {
constexpr uint32_t sp = 13;
constexpr uint32_t lr = 14;
constexpr uint32_t pc = 15;  // DebugReturnAddress
constexpr uint32_t xpsr = 16;
constexpr uint32_t msp = 17;
constexpr uint32_t psp = 18;
constexpr uint32_t special = 20;  // CONTROL/FAULTMASK/BASEPRI/PRIMASK, write only
constexpr uint32_t primask = 0x20;  // 0x20-0x23: bytes 0-3 of the special word
constexpr uint32_t control = 0x23;
constexpr uint32_t apsr = 0x40;  // 0x40-0x45: xPSR views
constexpr uint32_t iepsr = 0x45;
constexpr uint32_t core_type = 0xB1;
} // namespace cortex_id

// The hardware breakpoints of the flash patch and breakpoint unit: kept in a
// host image and written to the comparators only when they changed and the
// core is about to run.
class fpb_unit {
public:
    static constexpr uint32_t max_comparators = 8;
    static constexpr uint32_t address_bits = 0x1FFFFFFC;
    static constexpr uint32_t replace_lower = 0x40000000;
    static constexpr uint32_t replace_upper = 0x80000000;
    static constexpr uint32_t replace_both = replace_lower | replace_upper;

    explicit fpb_unit(mem_ap& ap) : ap_(ap) {}

    // Reads FP_CTRL: the number of code comparators (at most 8); everything
    // dirty.
    void init();
    void set(uint32_t address);
    void clear(uint32_t address);
    void clear_all();
    bool is_set(uint32_t address) const;
    bool hit(uint32_t address) const;
    // Enables the unit and writes every dirty comparator.
    void write();
    // At a halt: every comparator is written disabled (the next run enables
    // them again); the hit mask waits for resolve_hits with the address the
    // core halted at, read only when it is asked for.
    void halt_update_deferred();
    bool hits_pending() const { return hits_pending_; }
    void resolve_hits(uint32_t address);
    // Forgets the hits of the last halt (the core left it).
    void drop_hits();

    uint32_t used = 0;
    uint32_t hits = 0;
    uint32_t dirty = 0;
    uint32_t count = 0;
    uint32_t all = 0;
    uint32_t comparators[max_comparators] = {};

private:
    // Raises 0x0D390104 (param[0] the address) for an odd address or one at
    // or above 0x20000000.
    void check_address(uint32_t address) const;
    uint32_t matching(uint32_t mask, uint32_t address) const;
    uint32_t matching_in(const uint32_t* images, uint32_t mask, uint32_t address) const;
    void disable_all();

    mem_ap& ap_;
    bool hits_pending_ = false;
    // The comparators as they were when the hits were resolved.
    uint32_t hit_images_[max_comparators] = {};
};

// The data watchpoint and trace unit's configuration interface. No
// operation probes the unit, so it reports no comparator and its
// configuration operations find nothing to change.
class dwt_unit {
public:
    static constexpr uint32_t max_comparators = 16;

    explicit dwt_unit(mem_ap& unit_ap) : ap(unit_ap) {}

    uint32_t comparator_count() const { return count; }
    // One entry per comparator record; none is filled while count is 0.
    const void* const* parameter_table() const { return table_; }
    // What the configuration operations give back: 0, success.
    uint32_t start_config();
    uint32_t apply_config();
    void end_config();

    uint32_t count = 0;
    mem_ap& ap;

private:
    const void* table_[max_comparators] = {};
};

class Cortex_jtag_device : public jtagdev {
public:
    static constexpr uint32_t ir_width = 4;
    static constexpr uint32_t cache_words = 21;
    // 4 MB: large enough for the wait and the CSW writes around each staged
    // block transfer to be lost in the transfer's own exchanges.
    static constexpr uint32_t default_stage_words = 0x100000;
    // Polls: status reads and their pauses.
    static constexpr uint32_t poll_pause_ms = 10;
    static constexpr uint32_t breakpoint_step_polls = 300;
    static constexpr uint32_t run_special_polls = 1000;
    static constexpr uint32_t reset_polls = 50;
    static constexpr uint32_t reset_seen_reads = 5;
    static constexpr uint32_t regrdy_polls = 300;
    // Error of a step off a breakpoint that never halted.
    static constexpr uint32_t no_halt_after_step = 0xFFFFFFFFu;

    // Bound to the process-wide engine and command list.
    Cortex_jtag_device();
    Cortex_jtag_device(jtag& engine, cmd_list& list);
    ~Cortex_jtag_device() override;

    // jtagdev
    void tap_reset_notice() override;
    uint32_t attach(uint32_t how) override;
    // option: 1 = write all ones to 0x4002001C after every stop; expected:
    // the CPUID wanted (0: any ARM core); ir_bits: instruction bits between
    // the device and TDI; index: devices between the device and TDI.
    void identify(uint32_t unused, uint32_t option, uint32_t expected, uint32_t ir_bits,
                  uint32_t index) override;
    void read_status() override;
    void check_state() override;
    void poll_run_state() override;
    void reset_step1() override;
    void reset_step3() override;
    void reset_full() override;
    void run(uint32_t flags) override;
    void run_special(uint32_t address) override;
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
    void read_register(uint32_t& value, uint32_t id) override;
    void write_register(uint32_t value, uint32_t id) override;
    void read_memory(void* buffer, uint32_t count, uint32_t address, uint32_t space) override;
    void write_memory(const void* buffer, uint32_t count, uint32_t address,
                      uint32_t space) override;
    uint32_t read_status_forced(uint32_t force) override;
    void power_up() override;
    uint32_t type_code() override { return core_type; }

    // The status read: STAT, then DHCSR into the status word. Returns the
    // status word (0 when a code is recorded).
    uint32_t read_core_status();
    bool halted() const { return (core_status & dhcsr::s_halt) != 0; }
    bool is_running() const { return (status & cortex_flag::running) != 0; }
    // Raises 0x0D390081 (param[0] the status word) unless the core halted.
    void halted_check();
    // The attach check: 1 when the port is an ARM debug port; else mode 0
    // raises 0x0D39F002, mode 1 0x0D390026, others give 0.
    uint32_t check_port(uint32_t mode);
    // Time = cycles x (256e9 / frequency), saturated to all ones.
    static uint64_t cycles_to_time(uint64_t cycles, uint32_t frequency);

    uint32_t devices_after = 0;
    uint32_t ir_bits_after = 0;
    uint32_t core_type = cortex_type::unknown;
    uint32_t option = 0;
    tapregister idcode;
    dap_regset regs;
    cmd_list& list;
    mem_ap ap;
    fpb_unit fpb;
    dwt_unit dwt;
    uint32_t registers_valid = 0;
    uint32_t registers[cache_words] = {};
    uint32_t cyccnt_baseline = 0;
    uint64_t total_cycles = 0;
    uint64_t cycles_since_run = 0;
    // The last DHCSR read with its two sticky bits (26, 27).
    uint32_t core_status = 0;
    mem_cache cache;
    // Words staged on the host per block transfer of a large read or write
    // (each stage is a block transfer of its own).
    uint32_t stage_words = default_stage_words;
    // C_MASKINTS as last written to DHCSR (or read back from it).
    uint32_t maskints_written = 0;

private:
    bool recorded_error() const;
    error_record& record() { return regs.record(); }
    void write_dhcsr(uint32_t value);
    void halt_update();
    void accumulate_time_stamp();
    void reset_core(bool halt_only_when_running, bool clear_seen_always);
    void reset_wait();
    void setup_session();
    // A status read that takes a reset since power-on or since the last
    // session as expected.
    void clearing_status_read();
    void ensure_registers();
    void write_core_register(uint32_t value, uint32_t selector);
    uint32_t read_pc_for_hits();
    // Resolves the hits of the last halt while they are still pending.
    void fix_halt_hits();
    void direct_read(uint8_t* bytes, uint32_t count, uint32_t address);
};

} // namespace mst
