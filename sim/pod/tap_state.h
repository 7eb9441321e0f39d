// The sixteen states of the IEEE 1149.1 TAP controller and its transition
// function. Every TAP of the simulated chain moves on the rising TCK edge by
// the TMS value sampled there.
#pragma once

#include <cstdint>

namespace sim {

enum class TapState : std::uint8_t {
    TestLogicReset,
    RunTestIdle,
    SelectDrScan,
    CaptureDr,
    ShiftDr,
    Exit1Dr,
    PauseDr,
    Exit2Dr,
    UpdateDr,
    SelectIrScan,
    CaptureIr,
    ShiftIr,
    Exit1Ir,
    PauseIr,
    Exit2Ir,
    UpdateIr,
};

inline constexpr unsigned kTapStateCount = 16;

// The state after one TCK clock with the given TMS value.
TapState next_tap_state(TapState from, bool tms);

// The state's IEEE 1149.1 name, e.g. "Shift-DR".
const char* tap_state_name(TapState state);

inline bool is_shift_state(TapState s) { return s == TapState::ShiftDr || s == TapState::ShiftIr; }

} // namespace sim
