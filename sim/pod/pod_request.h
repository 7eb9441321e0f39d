// A request being interpreted by the pod: its units, the read position and
// the data units collected for the reply. Internal to the pod's sources.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/pod/pod.h"

namespace sim {

struct Pod::Request {
    const std::vector<std::uint16_t>& units;
    std::size_t pos = 0;
    std::vector<std::uint16_t> data;

    bool has(std::size_t count) const { return units.size() - pos >= count; }
    std::uint32_t u32_at(std::size_t i) const {
        return static_cast<std::uint32_t>(units[i]) | (static_cast<std::uint32_t>(units[i + 1]) << 16);
    }
};

} // namespace sim
