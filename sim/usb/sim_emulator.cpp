#include "sim/usb/sim_emulator.h"

namespace sim::usb {

namespace {
const DeviceConfig& default_config() {
    static const DeviceConfig config;
    return config;
}
} // namespace

SimEmulator::SimEmulator() : SimEmulator(default_config()) {}

SimEmulator::SimEmulator(const DeviceConfig& config, const EmulatorLayout& layout) : device_(pod_, config) {
    if (layout.device_before_target) {
        GenericDeviceConfig before;
        before.ir_length = 4;
        before.idcode = 0x2B94E0F1;
        pod_.chain().emplace<GenericDevice>(before);
    }
    target_ = &pod_.chain().emplace<Tms320c54xTarget>(layout.target);
    if (layout.device_after_target) {
        GenericDeviceConfig after;
        after.ir_length = 5;
        after.idcode = 0x1B30E0A5;
        pod_.chain().emplace<GenericDevice>(after);
    }
}

} // namespace sim::usb
