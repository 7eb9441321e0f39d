#include "master/jtag/tap_moves.h"

#include <gtest/gtest.h>

#include "sim/pod/tap_state.h"

namespace tap = mst::tap;
using sim::TapState;

namespace {

const TapState sim_state[tap::state_count] = {
    TapState::TestLogicReset,  // unknown: not used as a destination
    TapState::TestLogicReset, TapState::RunTestIdle, TapState::ShiftIr, TapState::Exit1Ir,
    TapState::PauseIr,        TapState::ShiftDr,     TapState::Exit1Dr, TapState::PauseDr,
};

TapState clock_move(TapState s, uint32_t move)
{
    for (uint32_t i = 0; i < mst::move_clocks(move); ++i)
        s = sim::next_tap_state(s, (mst::move_tms(move) >> i) & 1u);
    return s;
}

} // namespace

TEST(TapMoves, EveryMoveReachesItsStateFromAnyStartingPoint)
{
    for (uint32_t from = 0; from < tap::state_count; ++from) {
        for (uint32_t to = 1; to < tap::state_count; ++to) {
            const uint32_t move = mst::tap_move(from, to);
            if (move == 0)
                continue;
            if (from == tap::unknown) {
                // From the unknown state the move must work from all sixteen.
                for (unsigned s = 0; s < sim::kTapStateCount; ++s)
                    EXPECT_EQ(clock_move(static_cast<TapState>(s), move), sim_state[to]) << s << "->" << to;
            } else {
                EXPECT_EQ(clock_move(sim_state[from], move), sim_state[to]) << from << "->" << to;
            }
        }
    }
}

TEST(TapMoves, ScansFromPauseOrExit1PassThroughUpdateAndCapture)
{
    // Pause-IR to Shift-IR is 6 clocks, not the 2 of Exit2-IR to Shift-IR.
    EXPECT_EQ(mst::move_clocks(mst::tap_move(tap::pause_ir, tap::shift_ir)), 6u);
    EXPECT_EQ(mst::tap_move(tap::run_test_idle, tap::shift_ir), 0x00030004u);
    for (uint32_t from : {tap::exit1_ir, tap::pause_ir, tap::exit1_dr, tap::pause_dr}) {
        for (uint32_t to : {tap::shift_ir, tap::shift_dr}) {
            const uint32_t move = mst::tap_move(from, to);
            ASSERT_NE(move, 0u);
            TapState s = sim_state[from];
            bool updated = false;
            for (uint32_t i = 0; i < mst::move_clocks(move); ++i) {
                s = sim::next_tap_state(s, (mst::move_tms(move) >> i) & 1u);
                updated = updated || s == TapState::UpdateIr || s == TapState::UpdateDr;
            }
            EXPECT_TRUE(updated) << from << "->" << to;
        }
    }
    EXPECT_EQ(mst::tap_move(tap::shift_ir, tap::shift_dr), 0u);
    EXPECT_EQ(mst::tap_move(99, 1), 0u);
}
