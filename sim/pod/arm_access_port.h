// An access port as the simulated debug port (arm_dp.h) sees it: sixty-four
// word registers addressed by APBANKSEL and A[3:2], each read or written in
// one AP transaction.
#pragma once

#include <cstdint>

namespace sim {

enum class ArmApStatus : std::uint8_t {
    Ok,
    BusError, // the transaction failed on the bus: the DP sets STICKYERR
    Busy,     // a transfer is still in progress: the DP answers WAIT
};

struct ArmApResult {
    ArmApStatus status = ArmApStatus::Ok;
    std::uint32_t data = 0;
};

class ArmAccessPort {
public:
    virtual ~ArmAccessPort() = default;
    // `address` is the register offset 0x00..0xFC.
    virtual ArmApResult read(std::uint8_t address) = 0;
    virtual ArmApResult write(std::uint8_t address, std::uint32_t value) = 0;
    // True when an access to `address` would find the port busy; the DP asks
    // before it starts a transaction so that it can answer WAIT instead.
    virtual bool busy(std::uint8_t /*address*/) const { return false; }
    // DAPABORT reached the port: a transfer in progress is cancelled.
    virtual void abort() {}
};

} // namespace sim
