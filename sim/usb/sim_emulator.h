// The whole simulated emulator in one object, ready for the seam: a pod
// whose JTAG chain holds the TMS320C54x target between two other devices,
// and the USB device that carries the board protocol and passes the master
// traffic to that pod.
//
//   sim::usb::SimEmulator emu;                   // board present, firmware current
//   emu.device().config().wdf = false;           // the other kernel driver mode
//   emu.target().cpu().memory(sim::C54xSpace::Data)[0x2000]  // what the host wrote
//
// Chain, from TDI to TDO: a 4-bit device with IDCODE 0x2B94E0F1, then the
// target (8-bit IR, IDCODE 0x1003AFDF); with `device_after_target` also a
// 5-bit device with IDCODE 0x1B30E0A5 between the target and TDO. The master
// finds its target by the IDCODE's bit position counted from TDO in whole
// 32-bit IDCODEs, so a device after the target carries one. That layout is
// not the default: with it the master library reads the target's IDCODE as
// 0 at GTI_INIT_EX today (cc_app --chain after shows it).
#pragma once

#include "sim/pod/generic_device.h"
#include "sim/pod/pod.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/usb/sim_usb_device.h"

namespace sim::usb {

struct EmulatorLayout {
    bool device_before_target = true;
    bool device_after_target = false;
    C54xTargetConfig target;
};

class SimEmulator {
public:
    SimEmulator();
    explicit SimEmulator(const DeviceConfig& config, const EmulatorLayout& layout = EmulatorLayout{});

    Pod& pod() { return pod_; }
    Tms320c54xTarget& target() { return *target_; }
    SimUsbDevice& device() { return device_; }

private:
    Pod pod_;
    Tms320c54xTarget* target_ = nullptr;
    SimUsbDevice device_;
};

} // namespace sim::usb
