#include "sim/pod/swd_line.h"

#include <string>

namespace sim {

bool SwdLine::clock(bool host_drives, bool host_level) {
    const std::optional<bool> target = target_.drive();
    bool level = undriven_level_;
    if (host_drives) level = host_level;
    else if (target) level = *target;
    if (host_drives && target)
        violations_.push_back({ArmViolationKind::LineContention, "clock " + std::to_string(clocks_)});
    target_.clock(level, host_drives);
    ++clocks_;
    return level;
}

std::uint16_t SwdLine::step(std::uint16_t mask, std::uint16_t data) {
    std::uint16_t captured = 0;
    for (unsigned i = 0; i < 16; ++i)
        if (clock((mask >> i) & 1, (data >> i) & 1)) captured = static_cast<std::uint16_t>(captured | (1u << i));
    ++steps_;
    return captured;
}

} // namespace sim
