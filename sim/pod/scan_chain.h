// The JTAG scan chain behind the pod: any number of devices that share TCK,
// TMS and TRST, with TDI entering the first device and TDO leaving the last.
// The chain keeps each device's TAP controller and its shift stages; the
// devices (tap_device.h) supply capture and update.
//
// As on any IEEE 1149.1 chain, the bits a scan shifts in first end in the
// devices nearest TDO, and the captured bits of those devices come out on
// TDO first: a register of one device lies behind the bits of every device
// between it and TDO, and ahead of those between TDI and it.
//
// Each device's TAP enters Capture-DR/IR, Update-DR/IR and
// Test-Logic-Reset on the clock edge that reaches the state, and the
// device's capture, update and reset actions run on that edge; shifting
// happens on every edge taken in Shift-DR/IR, including the one that
// leaves it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "sim/pod/tap_device.h"
#include "sim/pod/tap_state.h"

namespace sim {

class ScanChain {
public:
    // What the pod reads on TDO while no TAP is shifting: the line floats and
    // the pod's pull-up makes it 1.
    static constexpr bool kFloatingTdo = true;

    // Appends a device at the TDO end; returns it for the test to keep.
    TapDevice& add(std::unique_ptr<TapDevice> device);
    // Inserts a device so that it gets `index` (0 = nearest TDI).
    TapDevice& insert(std::size_t index, std::unique_ptr<TapDevice> device);

    template <class T, class... Args>
    T& emplace(Args&&... args) {
        auto device = std::make_unique<T>(std::forward<Args>(args)...);
        T& ref = *device;
        add(std::move(device));
        return ref;
    }

    std::size_t size() const { return slots_.size(); }
    // Index 0 is the device nearest TDI, size() - 1 the one driving TDO.
    TapDevice& device(std::size_t index) { return *slots_.at(index).device; }
    TapState state(std::size_t index) const { return slots_.at(index).state; }

    // One TCK clock: returns TDO as sampled on this rising edge (the value
    // the last device drove before the edge), then shifts, moves every TAP by
    // TMS and runs the capture/update/reset actions of the states entered.
    // While any device reports disconnected() the cable reaches no TAP: the
    // clock changes nothing and TDO reads kFloatingTdo.
    bool clock(bool tms, bool tdi);

    // The value on TDO right now (before the next edge).
    bool tdo() const;

    // True while a device of the chain reports disconnected().
    bool disconnected() const;

    // TRST: while asserted every TAP is held in Test-Logic-Reset. A
    // disconnected board does not see the line change.
    void set_trst(bool asserted);
    bool trst() const { return trst_; }

    // The target-reset line, passed on to every device (also while the
    // board is off the cable: the line is wired apart from the JTAG signals,
    // so a test can still see what the pod drove).
    void set_target_reset(bool asserted);

    // Clocks that reached the TAPs (none while the board is disconnected).
    std::uint64_t clocks() const { return clocks_; }

private:
    struct Slot {
        std::unique_ptr<TapDevice> device;
        TapState state = TapState::TestLogicReset;
        Bits ir_stage;
        Bits dr_stage;
    };

    static bool serial_out(const Slot& slot);
    void hold_in_reset();
    static void enter(Slot& slot, TapState next);

    std::vector<Slot> slots_;
    bool trst_ = false;
    std::uint64_t clocks_ = 0;
};

} // namespace sim
