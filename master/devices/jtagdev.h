// The base of every target device the master drives. The master object
// calls a device only through the virtual operations below; the chain engine
// keeps the devices in its device list and tells each of a TAP reset.
//
// Promises:
//  - A device enters the engine's device list (at its tail) when it is
//    constructed (unless it only forwards to other devices) and leaves it
//    when it is destroyed.
//  - An operation the device does not support does nothing and succeeds;
//    one that returns a value returns 0; the time-stamp operations raise
//    master error 0xFFFF.
//  - `status` is the one status word of the device: bits 4-5 report the run
//    state; a TMS320C54x device keeps its two-byte state word in its low 16
//    bits (bit 0 identified, bit 1 identification finished, bit 2 running),
//    so the master and a combined device read the same word the device
//    updates.
//  - `attach` returns non-zero for success (the speed search relies on it).
#pragma once

#include <cstdint>

#include "master/jtag/capture_register.h"
#include "master/jtag/chain_device.h"
#include "master/jtag/jtag.h"

namespace mst {

// Master error raised by the time-stamp operations of a device that keeps no
// time stamp.
constexpr uint32_t no_time_stamp = 0x0000FFFFu;

class jtagdev : public chain_device {
public:
    // The instruction register: ir_width bits, initial written and captured
    // value ir_initial, waiter names written_name and captured_name;
    // idle_after_scan: idle steps after every IR scan; write_before_capture:
    // the written value is scanned before its capture is read;
    // in_device_list: false for a device that only forwards to others (it
    // has no place of its own in the chain).
    jtagdev(jtag& engine, uint32_t ir_width, uint32_t ir_initial, const char* written_name,
            const char* captured_name, uint32_t idle_after_scan = 0,
            uint32_t write_before_capture = 0, bool in_device_list = true);
    jtagdev(const jtagdev&) = delete;
    jtagdev& operator=(const jtagdev&) = delete;
    ~jtagdev() override = default;

    // chain_device
    capture_register& instruction_register() override { return ir; }

    // Both reply waiters of the instruction register forget their values.
    void tap_reset_notice() override;
    // how: 1 before an operation, 2 to test the link, 0 after a failed speed.
    // Non-zero: the device answers.
    virtual uint32_t attach(uint32_t how);
    // The five values of the configuration: memory path, status mode, target
    // variant, IR position, DR position (their meaning is the device's).
    virtual void identify(uint32_t memory_flag, uint32_t status_flag, uint32_t variant,
                          uint32_t ir_position, uint32_t dr_position);
    virtual void read_status();
    virtual void check_state();
    virtual void poll_run_state();
    virtual void reset_step1();
    virtual void reset_step2();
    virtual void reset_step3();
    virtual void reset_full();
    virtual void run(uint32_t flags);
    virtual void run_special(uint32_t mode);
    virtual void stop();
    virtual void step();
    virtual void set_breakpoint(uint32_t address, uint32_t kind);
    virtual void clear_breakpoint(uint32_t length, uint32_t address, uint32_t kind);
    virtual void clear_all_breakpoints(uint32_t kind);
    virtual uint32_t breakpoint_flag(uint32_t address, uint32_t kind);
    virtual void clear_time_stamp();
    // record: the caller's time-stamp record (u32 words).
    virtual void get_time_stamp(void* record);
    virtual uint32_t dwt_comparator_count();
    // The data-watchpoint parameter block; null when the device has none.
    virtual const void* dwt_parameters();
    virtual uint32_t dwt_start_config();
    virtual uint32_t dwt_apply_config();
    virtual void dwt_end_config();
    // Bits 4-5 of the status word: 1 hardware breakpoint, 2 software
    // breakpoint, 0 other.
    virtual uint32_t stop_reason();
    virtual void read_register(uint32_t& value, uint32_t id);
    virtual void write_register(uint32_t value, uint32_t id);
    // count units of the space's width at address; buffer holds count units.
    virtual void read_memory(void* buffer, uint32_t count, uint32_t address, uint32_t space);
    virtual void write_memory(const void* buffer, uint32_t count, uint32_t address,
                              uint32_t space);
    virtual uint32_t read_status_forced(uint32_t flag);
    virtual void power_up();
    virtual void set_ide_code(uint32_t code);
    // The device type code the pod information reports (a Cortex-M core
    // type: 0x2000, 0x2001, 0x2002 ...); all ones for a device without one.
    virtual uint32_t type_code() { return 0xFFFFFFFFu; }

    jtag& engine() { return engine_; }

    // Bits 4-5 run state; see the header comment.
    uint32_t status = 0;
    uint32_t all_ones = 0xFFFFFFFFu;
    uint32_t zero = 0;
    capture_register ir;

    // What the base's dwt_start_config and dwt_apply_config give back.
    static constexpr uint32_t no_dwt_value = 0;

private:
    jtag& engine_;
};

} // namespace mst
