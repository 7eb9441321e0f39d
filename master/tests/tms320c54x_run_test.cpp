// Run control of the TMS320C54x device: reset, run, poll, stop, step and
// the mode changes under them, with their failures.
#include <gtest/gtest.h>

#include "master/core/result.h"
#include "master/tests/support/c54x_sim_rig.h"

namespace {

using c54x_test::c54x_rig;
using c54x_test::pauses;
using namespace mst;

constexpr uint16_t nop = 0xF495;

sim::Bits bits(uint32_t value, unsigned count)
{
    sim::Bits b(count);
    for (unsigned i = 0; i < count; ++i)
        b[i] = ((value >> i) & 1u) != 0;
    return b;
}

// Starts the simulated CPU behind the device's back (as a program or a
// second debugger would): ECR asks for mode 2, then the mode change.
void start_behind_the_back(c54x_rig& rig)
{
    rig.dsp().update_ir(bits(0x24, 8));
    rig.dsp().update_dr(bits(0x50, 17));
    rig.dsp().update_ir(bits(0x10, 8));
    rig.dsp().update_ir(bits(0x22, 8));
    rig.dev().ecr.reset();
}

TEST(Tms320c54xRun, ResetLeavesTheDspHaltedAtTheResetVector)
{
    for (uint32_t status_flag : {0u, 1u}) {
        c54x_rig rig;
        ASSERT_EQ(rig.identify(status_flag), 0u);
        rig.cpu().pc = 0x1234;
        ASSERT_EQ(rig.reset(), 0u);
        EXPECT_FALSE(rig.dsp().in_reset());
        EXPECT_EQ(rig.dsp().cpu_mode(), 0u);
        EXPECT_EQ(rig.cpu().pc, 0xFF80u);
        EXPECT_EQ(rig.dev().pc, 0xFF80u);
        const uint32_t word = rig.dev().status;
        EXPECT_EQ(word & (c54x_state::running | c54x_state::stop_requested |
                          c54x_state::reset_expected | c54x_state::context_saved), 0u);
        EXPECT_EQ(rig.dev().stop_reason(), 0u);
        // The one pause of the reset pulse.
        EXPECT_EQ(pauses().total_ms, 100u);
        // The reset primes a PC write at the next resume; the DSP runs from
        // the reset vector then.
        rig.load_program(0xFF80, {nop, nop, 0xF4F0});
        ASSERT_EQ(rig.call([&] { rig.dev().run(4); }), 0u);
        rig.dsp().advance(5);
        ASSERT_EQ(rig.call([&] { rig.dev().poll_run_state(); }), 0u);
        EXPECT_EQ(rig.dev().pc, 0xFF82u);
        EXPECT_EQ(rig.dsp().context_errors(), 0u);
    }
}

// A DSP whose reset input is cut: instruction 0x40 does nothing.
class deaf_to_reset : public sim::Tms320c54xTarget {
public:
    void update_ir(const sim::Bits& instruction) override
    {
        if (instruction != bits(0x40, 8))
            Tms320c54xTarget::update_ir(instruction);
    }
};

TEST(Tms320c54xRun, AResetThatNeverStartsOrNeverEndsIsReported)
{
    {
        c54x_rig rig({}, std::make_unique<deaf_to_reset>());
        ASSERT_EQ(rig.identify(), 0u);
        EXPECT_EQ(rig.reset(), rc::reset_assert_failed);
        // No pause: the pulse never began.
        EXPECT_EQ(pauses().total_ms, 0u);
    }
    {
        c54x_rig rig;
        ASSERT_EQ(rig.identify(), 0u);
        rig.dsp().faults().reset_stuck = true;
        EXPECT_EQ(rig.reset(), rc::illegal_reset);
        EXPECT_TRUE(rig.dsp().in_reset());
    }
}

TEST(Tms320c54xRun, AModeChangeThatNeverCompletesFailsAfterThreeHundredPolls)
{
    c54x_rig rig;
    ASSERT_EQ(rig.identify(), 0u);
    rig.dsp().faults().mode_change_stuck = true;
    pauses() = {};
    EXPECT_EQ(rig.reset(), rc::cpu_mode_change);
    // 3 attempts of 100 polls, 10 ms apart.
    EXPECT_EQ(pauses().calls, 3u * 99u);
    EXPECT_EQ(pauses().total_ms, 3u * 99u * 10u);
    // The status that failed is the message's parameter: still mode 2.
    EXPECT_EQ(c54x_status::mode(the_error_record().param[0]), 2u);
    // Nothing after the failure: the reset steps do nothing once an error
    // is recorded in the call.
    EXPECT_TRUE(rig.dsp().running());
}

TEST(Tms320c54xRun, StatusErrorAndUnexpectedResetAreRaised)
{
    c54x_rig rig;
    rig.bring_up();
    rig.dsp().faults().status_error = true;
    EXPECT_EQ(rig.call([&] { rig.dev().check_state(); }), rc::cpu_mode_change);
    EXPECT_EQ(the_error_record().param[0] & 1u, 1u);
    rig.clear_failure();
    // The error bit seen by the checker of a fed instruction.
    uint16_t word = 0;
    EXPECT_EQ(rig.call([&] { rig.dev().read_memory(&word, 1, 0x100, 1); }),
              rc::cpu_mode_change);
    rig.clear_failure();
    rig.dsp().faults().status_error = false;

    // A reset nobody asked for.
    rig.dsp().update_ir(bits(0x40, 8));
    EXPECT_EQ(rig.call([&] { rig.dev().read_status(); }), rc::illegal_reset);
}

TEST(Tms320c54xRun, StepExecutesOneInstructionAndHaltsAgain)
{
    c54x_rig rig;
    rig.bring_up();
    rig.load_program(0xFF80, {nop, 0xF073, 0x1000});
    ASSERT_EQ(rig.call([&] { rig.dev().step(); }), 0u);
    EXPECT_EQ(rig.dev().pc, 0xFF81u);
    EXPECT_EQ(rig.dsp().single_steps(), 1u);
    ASSERT_EQ(rig.call([&] { rig.dev().step(); }), 0u);
    EXPECT_EQ(rig.dev().pc, 0x1000u);
    EXPECT_EQ(rig.dsp().single_steps(), 2u);
    EXPECT_EQ(rig.dev().status & c54x_state::running, 0u);
    EXPECT_EQ(rig.dsp().context_errors(), 0u);
    EXPECT_EQ(rig.dsp().status() & 1u, 0u);
}

TEST(Tms320c54xRun, RunPollAndStop)
{
    c54x_rig rig;
    rig.bring_up();
    // 0x0200: NOP, NOP, B 0x0200.
    rig.load_program(0x0200, {nop, nop, 0xF073, 0x0200});
    ASSERT_EQ(rig.call([&] {
        rig.dev().write_register(0x0200, 0);
        rig.dev().run(0);
    }), 0u);
    EXPECT_TRUE(rig.dsp().running());
    EXPECT_NE(rig.dev().status & c54x_state::running, 0u);
    // While running: polling keeps it running; step, memory and breakpoints
    // are refused; run does nothing.
    uint16_t word = 0;
    EXPECT_EQ(rig.call([&] { rig.dev().poll_run_state(); rig.dev().run(0); }), 0u);
    EXPECT_NE(rig.dev().status & c54x_state::running, 0u);
    EXPECT_EQ(rig.call([&] { rig.dev().step(); }), rc::step_in_run);
    rig.clear_failure();
    EXPECT_EQ(rig.call([&] { rig.dev().read_memory(&word, 1, 0, 0); }), rc::access_in_run);
    rig.clear_failure();
    EXPECT_EQ(rig.call([&] { rig.dev().set_breakpoint(0x200, 1); }), rc::breakpoint_in_run);
    rig.clear_failure();

    ASSERT_EQ(rig.call([&] { rig.dev().stop(); }), 0u);
    EXPECT_EQ(rig.dev().status & (c54x_state::running | c54x_state::stop_requested), 0u);
    EXPECT_EQ(rig.dsp().cpu_mode(), 0u);
    EXPECT_EQ(rig.dev().pc, rig.cpu().pc);
    EXPECT_GE(rig.dev().pc, 0x0200u);
    EXPECT_LE(rig.dev().pc, 0x0202u);
    EXPECT_EQ(rig.dev().stop_reason(), 0u);
}

TEST(Tms320c54xRun, StopHaltsACpuThatRunsWithoutTheDeviceKnowing)
{
    c54x_rig rig;
    rig.bring_up();
    rig.load_program(0xFF80, {0xF073, 0xFF80});
    start_behind_the_back(rig);
    ASSERT_TRUE(rig.dsp().running());
    ASSERT_EQ(rig.dev().status & c54x_state::running, 0u);
    ASSERT_EQ(rig.call([&] { rig.dev().stop(); }), 0u);
    // The whole halt bookkeeping ran: nothing left requested, the PC read.
    EXPECT_EQ(rig.dsp().cpu_mode(), 0u);
    EXPECT_EQ(rig.dev().status & (c54x_state::running | c54x_state::stop_requested), 0u);
    EXPECT_EQ(rig.dev().pc, 0xFF80u);
    // And the DSP resumes from there without a context error.
    ASSERT_EQ(rig.call([&] { rig.dev().run(4); }), 0u);
    EXPECT_TRUE(rig.dsp().running());
    EXPECT_EQ(rig.dsp().context_errors(), 0u);
}

} // namespace
