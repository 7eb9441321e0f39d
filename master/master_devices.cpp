// The devices this build of the master can create.
#include "master/devices/tms320c54x/tms320c54x_device.h"
#include "master/master.h"

namespace mst {

std::unique_ptr<jtagdev> make_tms320c54x_device()
{
    return std::make_unique<TMS320C54x_jtag_device>();
}

// The Cortex-M device is not part of this build: Init under IDE code 1
// reports "Target device not found".
std::unique_ptr<jtagdev> make_cortex_m_device() { return nullptr; }

} // namespace mst
