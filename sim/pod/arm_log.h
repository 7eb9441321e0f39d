// What the simulated ARM debug port and Cortex-M target saw, for tests to
// assert on: protocol violations (things a correct host never does, or that
// the architecture leaves UNPREDICTABLE) are kept apart from the ordinary
// counters, so a test can ask "did the host break a rule" in one line.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace sim {

enum class ArmViolationKind : std::uint8_t {
    LineContention,        // SWD: host and target drove the line in the same clock
    HeaderParity,          // SWD: packet header with a wrong parity bit
    HeaderFraming,         // SWD: stop bit not 0 or park bit not 1
    TrafficDuringLockout,  // SWD: a packet start while locked out after a protocol error
    FirstPacketNotDpidr,   // SWD: after a line reset the first packet was not a DPIDR read
    MaskIntsWithoutHalt,   // DHCSR: C_MASKINTS changed while C_HALT was 0 before or in the write
    RegisterTransferWhileRunning, // DCRSR written while the core was not halted
    UnknownRegisterSelector,      // DCRSR REGSEL that the profile does not have
    OddReturnAddress,      // DebugReturnAddress written with bit 0 set
    UnalignedAccess,       // MEM-AP access whose TAR does not suit the CSW size
    ReservedSize,          // CSW written with a reserved Size value
};

const char* arm_violation_name(ArmViolationKind kind);

struct ArmViolation {
    ArmViolationKind kind;
    std::string detail;
};

using ArmViolations = std::vector<ArmViolation>;

inline std::size_t count_violations(const ArmViolations& list, ArmViolationKind kind) {
    std::size_t n = 0;
    for (const ArmViolation& v : list)
        if (v.kind == kind) ++n;
    return n;
}

} // namespace sim
