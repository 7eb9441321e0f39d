// TAP controller states as the chain engine numbers them, and the moves it
// makes between them.
#pragma once

#include <cstdint>

namespace mst {

namespace tap {
constexpr uint32_t unknown = 0;
constexpr uint32_t test_logic_reset = 1;
constexpr uint32_t run_test_idle = 2;
constexpr uint32_t shift_ir = 3;
constexpr uint32_t exit1_ir = 4;
constexpr uint32_t pause_ir = 5;
constexpr uint32_t shift_dr = 6;
constexpr uint32_t exit1_dr = 7;
constexpr uint32_t pause_dr = 8;
constexpr uint32_t state_count = 9;
} // namespace tap

// [from][to]: low 16 bits the TCK clocks, high 16 bits the TMS values, bit 0
// clocked first. 0: a move the engine never makes. A scan from Pause or
// Exit1 always passes through Update and Capture.
uint32_t tap_move(uint32_t from, uint32_t to);

inline uint32_t move_clocks(uint32_t move) { return move & 0xFFFFu; }
inline uint32_t move_tms(uint32_t move) { return move >> 16; }

} // namespace mst
