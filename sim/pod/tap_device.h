// One device on the simulated JTAG scan chain.
//
// The chain (scan_chain.h) owns the IEEE 1149.1 TAP controller of every
// device and clocks them together; a device only supplies what differs from
// one chip to the next: its instruction register length, what it captures and
// what it does on the update states. Shift stages are kept by the chain, so a
// device never sees individual clocks except through on_idle_clock().
#pragma once

#include <cstdint>
#include <vector>

namespace sim {

// Bit i of a register image is element i; bit 0 is the first bit shifted out
// on TDO (the least significant bit, nearest TDO).
using Bits = std::vector<bool>;

class TapDevice {
public:
    virtual ~TapDevice() = default;

    virtual unsigned ir_length() const = 0;

    // Loaded into the IR shift stage in Capture-IR. IEEE 1149.1 requires the
    // two bits nearest TDO to be 0b01.
    virtual Bits capture_ir() = 0;

    // Update-IR: the instruction just shifted in. Called on every pass
    // through Update-IR, also when the instruction did not change.
    virtual void update_ir(const Bits& instruction) = 0;

    // Capture-DR: the image of the data register selected by the current
    // instruction; its size is that register's length.
    virtual Bits capture_dr() = 0;

    // Update-DR: the bits shifted in, as many as capture_dr() returned.
    virtual void update_dr(const Bits& value) = 0;

    // Test-Logic-Reset was entered (by TMS or by the TRST line): the
    // instruction becomes IDCODE, or BYPASS on a device without one.
    virtual void reset() = 0;

    // One TCK clock spent in Run-Test/Idle.
    virtual void on_idle_clock() {}

    // The pod's target-reset line changed (true = asserted). What the line
    // does to a device is the device's own business; the default ignores it.
    virtual void on_target_reset_line(bool /*asserted*/) {}

    // True while the board this device sits on is off the pod's cable. The
    // chain then clocks none of its TAPs and TDO floats (scan_chain.h).
    virtual bool disconnected() const { return false; }
};

} // namespace sim
