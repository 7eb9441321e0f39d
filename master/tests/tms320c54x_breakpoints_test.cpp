// Hardware comparators and software breakpoints of the TMS320C54x device,
// set on the halted DSP and hit by its running program.
#include <gtest/gtest.h>

#include "master/core/result.h"
#include "master/tests/support/c54x_sim_rig.h"

namespace {

using c54x_test::c54x_rig;
using namespace mst;

constexpr uint16_t nop = 0xF495;

// 0x0200-0x0207: NOPs, then B 0x0200.
void load_loop(c54x_rig& rig)
{
    rig.load_program(0x0200, {nop, nop, nop, nop, nop, nop, nop, nop, 0xF073, 0x0200});
}

// Runs from pc (flags as given) and polls until the DSP halts.
uint32_t run_until_halt(c54x_rig& rig, uint32_t flags)
{
    uint32_t code = rig.call([&] { rig.dev().run(flags); });
    for (int i = 0; i < 20 && code == 0 && (rig.dev().status & c54x_state::running) != 0; ++i) {
        rig.dsp().advance(8);
        code = rig.call([&] { rig.dev().poll_run_state(); });
    }
    return code;
}

TEST(Tms320c54xBreakpoints, ProgramAddressComparatorsAreSharedAndCounted)
{
    c54x_rig rig;
    rig.bring_up();
    TMS320C54x_jtag_device& dev = rig.dev();
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x1000, 1);
        dev.set_breakpoint(0x1000, 1);
    }), 0u);
    EXPECT_EQ(dev.break_control, 0x1000u);
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x1001, 1);
        dev.set_breakpoint(0x1002, 1);
        dev.set_breakpoint(0x1003, 1);
    }), 0u);
    EXPECT_EQ(dev.break_control, 0xF000u);
    // The comparators hold the addresses in the DSP (the last write is
    // updated by the next scan, here a status read).
    ASSERT_EQ(rig.call([&] { dev.read_status(); }), 0u);
    for (unsigned i = 0; i < 4; ++i)
        EXPECT_EQ(rig.dsp().comparators().address(6 + i), 0x1000u + i);
    EXPECT_EQ(rig.call([&] { dev.set_breakpoint(0x1004, 1); }), rc::breakpoint_count);
    EXPECT_EQ(the_error_record().param[0], 4u);
    rig.clear_failure();
    ASSERT_EQ(rig.call([&] { dev.clear_breakpoint(1, 0x1001, 1); }), 0u);
    EXPECT_EQ(dev.break_control, 0xD000u);
    ASSERT_EQ(rig.call([&] { dev.set_breakpoint(0x1004, 1); }), 0u);
    EXPECT_EQ(dev.break_control, 0xF000u);
    ASSERT_EQ(rig.call([&] { dev.clear_all_breakpoints(1); }), 0u);
    EXPECT_EQ(dev.break_control, 0u);
}

TEST(Tms320c54xBreakpoints, AccessKindsShareTheComparatorOfTheirAddress)
{
    c54x_rig rig;
    rig.bring_up();
    TMS320C54x_jtag_device& dev = rig.dev();
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x0060, 4);  // "Data Read "
        dev.set_breakpoint(0x0060, 5);  // "Data Write"
    }), 0u);
    EXPECT_EQ(dev.break_control, 0x0003u);
    ASSERT_EQ(rig.call([&] { dev.clear_breakpoint(1, 0x0060, 4); }), 0u);
    EXPECT_EQ(dev.break_control, 0x0002u);
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x0070, 4);
        dev.set_breakpoint(0x0300, 2);  // "Code Read ": program space as data
        dev.set_breakpoint(0x0010, 7);  // "I/O Write "
    }), 0u);
    EXPECT_EQ(dev.break_control, 0x0002u | 0x0004u | 0x0010u | 0x0200u);
    EXPECT_EQ(rig.call([&] { dev.set_breakpoint(0x0080, 5); }), rc::breakpoint_count);
    EXPECT_EQ(the_error_record().param[0], 2u);
    rig.clear_failure();
    EXPECT_EQ(rig.call([&] { dev.set_breakpoint(0x0080, 8); }), rc::memory_type);
    EXPECT_EQ(the_error_record().param[0], 8u);
    rig.clear_failure();
    uint32_t flag = 0;
    EXPECT_EQ(rig.call([&] { flag = dev.breakpoint_flag(0x0080, 0); }), rc::plain_empty);
    rig.clear_failure();
    ASSERT_EQ(rig.call([&] { dev.clear_all_breakpoints(5); }), 0u);
    EXPECT_EQ(dev.break_control, 0x0004u | 0x0010u | 0x0200u);
}

TEST(Tms320c54xBreakpoints, HardwareBreakpointsStopTheProgramAndShowInTheFlags)
{
    c54x_rig rig;
    rig.bring_up();
    load_loop(rig);
    // 0x0300: ST #0x1234, 0x60 (DP 0), then the loop.
    rig.load_program(0x0300, {0x7660, 0x1234, 0xF073, 0x0200});
    TMS320C54x_jtag_device& dev = rig.dev();
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x0205, 1);
        dev.write_register(0x0200, 0);
    }), 0u);
    ASSERT_EQ(run_until_halt(rig, 0), 0u);
    EXPECT_EQ(dev.status & c54x_state::running, 0u);
    EXPECT_EQ(dev.pc, 0x0205u);
    EXPECT_EQ(dev.stop_reason(), 1u);
    uint32_t hit = 0, other = 0;
    ASSERT_EQ(rig.call([&] {
        hit = dev.breakpoint_flag(0x0205, 1);
        other = dev.breakpoint_flag(0x0206, 1);
    }), 0u);
    EXPECT_EQ(hit, 1u);
    EXPECT_EQ(other, 0u);

    ASSERT_EQ(rig.call([&] {
        dev.clear_all_breakpoints(1);
        dev.set_breakpoint(0x0060, 5);
        dev.write_register(0x0300, 0);
    }), 0u);
    ASSERT_EQ(run_until_halt(rig, 4), 0u);
    EXPECT_EQ(dev.stop_reason(), 1u);
    EXPECT_EQ(rig.cpu().memory(sim::C54xSpace::Data)[0x60], 0x1234u);
    ASSERT_EQ(rig.call([&] {
        hit = dev.breakpoint_flag(0x0060, 5);
        other = dev.breakpoint_flag(0x0060, 4);
    }), 0u);
    EXPECT_EQ(hit, 1u);
    EXPECT_EQ(other, 0u);
    EXPECT_EQ(rig.dsp().context_errors(), 0u);
}

TEST(Tms320c54xBreakpoints, SoftwareBreakpointsHideInReadsAndAreSteppedOver)
{
    c54x_rig rig;
    rig.bring_up();
    load_loop(rig);
    // The program sets DP: STM #0x55, ST0 at 0x0200.
    rig.load_program(0x0200, {0x7706, 0x0055});
    TMS320C54x_jtag_device& dev = rig.dev();
    const auto& program = rig.cpu().memory(sim::C54xSpace::Program);
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x0205, 0);
        dev.set_breakpoint(0x0205, 0);
    }), 0u);
    EXPECT_EQ(program[0x0205], c54x_break::opcode);
    uint16_t words[8] = {};
    ASSERT_EQ(rig.call([&] { dev.read_memory(words, 8, 0x0200, 0); }), 0u);
    for (int i = 2; i < 8; ++i)
        EXPECT_EQ(words[i], nop);

    ASSERT_EQ(rig.call([&] { dev.write_register(0x0200, 0); }), 0u);
    ASSERT_EQ(run_until_halt(rig, 0), 0u);
    EXPECT_EQ(dev.pc, 0x0205u);
    EXPECT_EQ(dev.stop_reason(), 2u);
    // Run again: the breakpoint under the PC is stepped over, the program
    // loops and stops there once more; the opcode is back in memory.
    const unsigned halts = rig.dsp().halts();
    ASSERT_EQ(run_until_halt(rig, 0), 0u);
    EXPECT_EQ(dev.pc, 0x0205u);
    EXPECT_EQ(dev.stop_reason(), 2u);
    EXPECT_GT(rig.dsp().halts(), halts + 1);
    EXPECT_EQ(program[0x0205], c54x_break::opcode);
    EXPECT_EQ(rig.dsp().context_errors(), 0u);

    // Clearing one breakpoint puts its word back, fed with the program's
    // DP (0x55) set aside, and the program gets its DP back.
    ASSERT_EQ(rig.cpu().dp, 0x55u);
    ASSERT_EQ(rig.call([&] { dev.clear_breakpoint(1, 0x0205, 0); }), 0u);
    EXPECT_EQ(program[0x0205], nop);
    EXPECT_TRUE(dev.sw_breaks.empty());
    ASSERT_EQ(rig.call([&] { dev.run(4); }), 0u);
    EXPECT_EQ(rig.cpu().dp, 0x55u);
    EXPECT_EQ(rig.dsp().context_errors(), 0u);
}

TEST(Tms320c54xBreakpoints, ARunEndsAtABreakpointRightAfterTheInstructionSteppedOver)
{
    c54x_rig rig;
    rig.bring_up();
    load_loop(rig);
    TMS320C54x_jtag_device& dev = rig.dev();
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x0201, 0);
        dev.write_register(0x0200, 0);
        dev.run(0);
    }), 0u);
    EXPECT_EQ(dev.status & c54x_state::running, 0u);
    EXPECT_EQ(dev.pc, 0x0201u);
    EXPECT_EQ(dev.stop_reason(), 2u);
    EXPECT_FALSE(rig.dsp().running());
}

TEST(Tms320c54xBreakpoints, ClearingRestoresTheSavedWordsAndWritesDropThem)
{
    c54x_rig rig;
    rig.bring_up();
    load_loop(rig);
    TMS320C54x_jtag_device& dev = rig.dev();
    const auto& program = rig.cpu().memory(sim::C54xSpace::Program);
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x0201, 0);
        dev.set_breakpoint(0x0203, 0);
        dev.set_breakpoint(0x0208, 0);  // on the branch
    }), 0u);
    EXPECT_EQ(program[0x0208], c54x_break::opcode);
    // A clear over a range takes every breakpoint in it.
    ASSERT_EQ(rig.call([&] { dev.clear_breakpoint(3, 0x0201, 0); }), 0u);
    EXPECT_EQ(program[0x0201], nop);
    EXPECT_EQ(program[0x0203], nop);
    EXPECT_EQ(program[0x0208], c54x_break::opcode);
    // A program write over a breakpoint replaces it: nothing to restore.
    const uint16_t branch = 0xF073;
    ASSERT_EQ(rig.call([&] {
        dev.set_breakpoint(0x0202, 0);
        dev.write_memory(&branch, 1, 0x0208, 3);
        dev.clear_all_breakpoints(0);
    }), 0u);
    EXPECT_EQ(program[0x0202], nop);
    EXPECT_EQ(program[0x0208], 0xF073u);
    EXPECT_TRUE(dev.sw_breaks.empty());
}

} // namespace
