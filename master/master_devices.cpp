// The devices this build of the master can create.
#include "master/devices/combined/combined_device.h"
#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/devices/tms320c54x/tms320c54x_device.h"
#include "master/master.h"

namespace mst {

std::unique_ptr<jtagdev> make_tms320c54x_device()
{
    return std::make_unique<TMS320C54x_jtag_device>();
}

std::unique_ptr<jtagdev> make_cortex_m_device() { return std::make_unique<Cortex_jtag_device>(); }

namespace {

// The combined device of a master, reading the master's device fields.
class master_combined_device : private device_slots, public Complex_jtag_device {
public:
    explicit master_combined_device(master& owner)
        : Complex_jtag_device(owner.engine(), *static_cast<device_slots*>(this)), owner_(owner)
    {
    }

private:
    jtagdev* cortex_device() override { return owner_.cortex_device(); }
    jtagdev* tms_device() override { return owner_.tms_device(); }

    master& owner_;
};

} // namespace

std::unique_ptr<jtagdev> make_combined_device(master& owner)
{
    auto device = std::make_unique<master_combined_device>(owner);
    owner.set_combined_device(device.get(), device.get());
    return device;
}

} // namespace mst
