#include "sim/pod/tap_state.h"

namespace sim {

namespace {

struct Transition {
    TapState on_tms0;
    TapState on_tms1;
};

// Indexed by TapState; the IEEE 1149.1 state diagram.
constexpr Transition kTransitions[kTapStateCount] = {
    /* TestLogicReset */ {TapState::RunTestIdle, TapState::TestLogicReset},
    /* RunTestIdle    */ {TapState::RunTestIdle, TapState::SelectDrScan},
    /* SelectDrScan   */ {TapState::CaptureDr, TapState::SelectIrScan},
    /* CaptureDr      */ {TapState::ShiftDr, TapState::Exit1Dr},
    /* ShiftDr        */ {TapState::ShiftDr, TapState::Exit1Dr},
    /* Exit1Dr        */ {TapState::PauseDr, TapState::UpdateDr},
    /* PauseDr        */ {TapState::PauseDr, TapState::Exit2Dr},
    /* Exit2Dr        */ {TapState::ShiftDr, TapState::UpdateDr},
    /* UpdateDr       */ {TapState::RunTestIdle, TapState::SelectDrScan},
    /* SelectIrScan   */ {TapState::CaptureIr, TapState::TestLogicReset},
    /* CaptureIr      */ {TapState::ShiftIr, TapState::Exit1Ir},
    /* ShiftIr        */ {TapState::ShiftIr, TapState::Exit1Ir},
    /* Exit1Ir        */ {TapState::PauseIr, TapState::UpdateIr},
    /* PauseIr        */ {TapState::PauseIr, TapState::Exit2Ir},
    /* Exit2Ir        */ {TapState::ShiftIr, TapState::UpdateIr},
    /* UpdateIr       */ {TapState::RunTestIdle, TapState::SelectDrScan},
};

constexpr const char* kNames[kTapStateCount] = {
    "Test-Logic-Reset", "Run-Test/Idle", "Select-DR-Scan", "Capture-DR",
    "Shift-DR",         "Exit1-DR",      "Pause-DR",       "Exit2-DR",
    "Update-DR",        "Select-IR-Scan", "Capture-IR",    "Shift-IR",
    "Exit1-IR",         "Pause-IR",      "Exit2-IR",       "Update-IR",
};

} // namespace

TapState next_tap_state(TapState from, bool tms) {
    const Transition& t = kTransitions[static_cast<unsigned>(from)];
    return tms ? t.on_tms1 : t.on_tms0;
}

const char* tap_state_name(TapState state) {
    return kNames[static_cast<unsigned>(state)];
}

} // namespace sim
