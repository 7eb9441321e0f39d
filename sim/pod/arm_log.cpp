#include "sim/pod/arm_log.h"

namespace sim {

const char* arm_violation_name(ArmViolationKind kind) {
    switch (kind) {
    case ArmViolationKind::LineContention: return "line contention";
    case ArmViolationKind::HeaderParity: return "header parity";
    case ArmViolationKind::HeaderFraming: return "header stop/park";
    case ArmViolationKind::TrafficDuringLockout: return "traffic during lock-out";
    case ArmViolationKind::FirstPacketNotDpidr: return "first packet after line reset not a DPIDR read";
    case ArmViolationKind::MaskIntsWithoutHalt: return "C_MASKINTS changed with C_HALT 0";
    case ArmViolationKind::RegisterTransferWhileRunning: return "DCRSR written while running";
    case ArmViolationKind::UnknownRegisterSelector: return "unknown DCRSR selector";
    case ArmViolationKind::OddReturnAddress: return "odd DebugReturnAddress";
    case ArmViolationKind::UnalignedAccess: return "unaligned MEM-AP access";
    case ArmViolationKind::ReservedSize: return "reserved CSW size";
    }
    return "?";
}

} // namespace sim
