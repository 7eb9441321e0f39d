#include "sim/pod/tap_state.h"

#include <gtest/gtest.h>

#include <string>

#include "sim/pod/generic_device.h"
#include "sim/pod/scan_chain.h"
#include "sim/pod/tests/support/pod_wire.h"

namespace sim {
namespace {

using S = TapState;

struct Edge {
    S from;
    S on0;
    S on1;
};

// The IEEE 1149.1 state diagram, written out edge by edge.
constexpr Edge kDiagram[] = {
    {S::TestLogicReset, S::RunTestIdle, S::TestLogicReset},
    {S::RunTestIdle, S::RunTestIdle, S::SelectDrScan},
    {S::SelectDrScan, S::CaptureDr, S::SelectIrScan},
    {S::CaptureDr, S::ShiftDr, S::Exit1Dr},
    {S::ShiftDr, S::ShiftDr, S::Exit1Dr},
    {S::Exit1Dr, S::PauseDr, S::UpdateDr},
    {S::PauseDr, S::PauseDr, S::Exit2Dr},
    {S::Exit2Dr, S::ShiftDr, S::UpdateDr},
    {S::UpdateDr, S::RunTestIdle, S::SelectDrScan},
    {S::SelectIrScan, S::CaptureIr, S::TestLogicReset},
    {S::CaptureIr, S::ShiftIr, S::Exit1Ir},
    {S::ShiftIr, S::ShiftIr, S::Exit1Ir},
    {S::Exit1Ir, S::PauseIr, S::UpdateIr},
    {S::PauseIr, S::PauseIr, S::Exit2Ir},
    {S::Exit2Ir, S::ShiftIr, S::UpdateIr},
    {S::UpdateIr, S::RunTestIdle, S::SelectDrScan},
};

TEST(TapState, FollowsTheStateDiagramOnEveryEdge) {
    static_assert(std::size(kDiagram) == kTapStateCount);
    for (const Edge& e : kDiagram) {
        SCOPED_TRACE(tap_state_name(e.from));
        EXPECT_EQ(next_tap_state(e.from, false), e.on0);
        EXPECT_EQ(next_tap_state(e.from, true), e.on1);
    }
}

TEST(TapState, FiveTmsHighClocksReachTestLogicResetFromAnyState) {
    for (unsigned i = 0; i < kTapStateCount; ++i) {
        S s = static_cast<S>(i);
        SCOPED_TRACE(tap_state_name(s));
        for (int k = 0; k < 5; ++k) s = next_tap_state(s, true);
        EXPECT_EQ(s, S::TestLogicReset);
    }
}

TEST(TapState, FourTmsHighClocksAreNotEnoughFromShiftIr) {
    // Shift-IR is the farthest state from Test-Logic-Reset: it needs all five.
    S s = S::ShiftIr;
    for (int k = 0; k < 4; ++k) s = next_tap_state(s, true);
    EXPECT_EQ(s, S::SelectIrScan);
}

struct Move {
    S from;
    const char* tms; // clock order
    S to;
};

// Moves a host makes between the stable states, counted out by hand on the
// diagram (a new scan from Pause or Exit1 passes Update and Capture).
constexpr Move kMoves[] = {
    {S::TestLogicReset, "0", S::RunTestIdle},
    {S::TestLogicReset, "01100", S::ShiftIr},
    {S::TestLogicReset, "0100", S::ShiftDr},
    {S::TestLogicReset, "01010", S::PauseDr},
    {S::RunTestIdle, "1100", S::ShiftIr},
    {S::RunTestIdle, "100", S::ShiftDr},
    {S::RunTestIdle, "111", S::TestLogicReset},
    {S::ShiftIr, "110", S::RunTestIdle},
    {S::ShiftIr, "10", S::PauseIr},
    {S::Exit1Ir, "11100", S::ShiftIr},
    {S::Exit1Ir, "10100", S::ShiftDr},
    {S::PauseIr, "111100", S::ShiftIr},
    {S::PauseIr, "110100", S::ShiftDr},
    {S::Exit1Dr, "101100", S::ShiftIr},
    {S::PauseDr, "1101100", S::ShiftIr},
    {S::PauseDr, "11100", S::ShiftDr},
    {S::PauseDr, "110", S::RunTestIdle},
};

TEST(TapState, HostMovesBetweenStableStatesLandWhereCounted) {
    for (const Move& m : kMoves) {
        SCOPED_TRACE(std::string(tap_state_name(m.from)) + " " + m.tms);
        S s = m.from;
        for (const char* c = m.tms; *c; ++c) s = next_tap_state(s, *c == '1');
        EXPECT_EQ(s, m.to);
    }
}

TEST(TapState, ChainTapsFollowTmsSampledPerClock) {
    ScanChain chain;
    chain.emplace<GenericDevice>(GenericDeviceConfig{3, std::nullopt});
    chain.emplace<GenericDevice>(GenericDeviceConfig{5, 0x1234567Fu});
    const char* tms = "0110010";
    const S expected[] = {S::RunTestIdle, S::SelectDrScan, S::SelectIrScan, S::CaptureIr,
                          S::ShiftIr,     S::Exit1Ir,      S::PauseIr};
    for (int i = 0; tms[i]; ++i) {
        chain.clock(tms[i] == '1', false);
        EXPECT_EQ(chain.state(0), expected[i]) << "clock " << i;
        EXPECT_EQ(chain.state(1), expected[i]) << "clock " << i;
    }
    EXPECT_EQ(chain.clocks(), 7u);
}

} // namespace
} // namespace sim
