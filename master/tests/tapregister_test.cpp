#include "master/jtag/tapregister.h"

#include <gtest/gtest.h>

#include <vector>

#include "master/jtag/capture_register.h"
#include "master/tests/support/jtag_sim_rig.h"

using jtag_test::chain_rig;
using jtag_test::in_frame;
using mst::tapregister;
namespace scan_mode = mst::scan_mode;
namespace ws = mst::waiter_state;

namespace {

// The rig's chain measured, the target's place in it set as the master
// would after finding it.
struct measured_rig : chain_rig {
    measured_rig()
    {
        EXPECT_EQ(in_frame(record, [&] { engine.measure_chain(); }), 0u);
        device->dr_bits_before = 1;  // device C in BYPASS
        device->ir_bits_before = 3;  // device C's instruction register
    }
};

} // namespace

TEST(TapRegister, WriteReadAndExchangeRoundTripThroughTheMiddleDevice)
{
    const struct { uint32_t width, opcode; uint64_t chip_value, written; } cases[] = {
        {1, 0x30, 1, 0}, {12, 0x41, 0xB6F, 0x123}, {16, 0x10, 0xBEEF, 0x5AA5}, {17, 0x24, 0x1FFFF, 0x10203}, {32, 0x55, 0xDEADBEEF, 0x01234567}};
    for (const auto& c : cases) {
        measured_rig rig;
        rig.chip->add_register(c.opcode, jtag_test::bits_of(c.chip_value, c.width));
        tapregister reg(rig.engine, rig.device.get(), 1, c.width, c.opcode, "R");
        uint32_t got = 0;
        ASSERT_EQ(in_frame(rig.record, [&] { got = reg.get(); }), 0u) << c.width;
        EXPECT_EQ(got, c.chip_value) << c.width;
        EXPECT_EQ(reg.state, ws::valid);
        EXPECT_EQ(rig.chip->instruction(), c.opcode);

        ASSERT_EQ(in_frame(rig.record, [&] {
                      reg.set(static_cast<uint32_t>(c.written));
                      rig.engine.enter_idle();  // the write lands when the TAP passes Update
                      rig.prot.end_batch();
                  }),
                  0u);
        EXPECT_EQ(sim::bits_to_u64(rig.chip->reg(c.opcode)), c.written) << c.width;

        // Exchange: the chip's value comes back, the image's goes in; the
        // write entry and the read entry of one waiter both land.
        rig.chip->reg(c.opcode) = jtag_test::bits_of(c.chip_value, c.width);
        ASSERT_EQ(in_frame(rig.record, [&] {
                      reg.scan(scan_mode::exchange);
                      rig.prot.end_batch();
                  }),
                  0u);
        EXPECT_EQ(sim::bits_to_u64(rig.chip->reg(c.opcode)), c.written) << c.width;
        EXPECT_EQ(reg.value, c.chip_value) << c.width;
        EXPECT_EQ(reg.state, ws::valid);
    }
}

TEST(TapRegister, ExchangeThatFillsTheLogKeepsItsTwoEntriesInOneBatch)
{
    // 279 entries queued: the write entry of an exchange would be the 280th
    // and exchange the batch before the read entry is queued.
    measured_rig rig;
    rig.chip->add_register(0x10, jtag_test::bits_of(0x1111, 16));
    tapregister reg(rig.engine, rig.device.get(), 1, 16, 0x10, "R");
    ASSERT_EQ(in_frame(rig.record, [&] { reg.get(); }), 0u);  // the IR holds 0x10 from here
    rig.chip->reg(0x10) = jtag_test::bits_of(0xBEEF, 16);
    std::vector<mst::synchro> fillers(mst::pending_log::capacity - 1);
    ASSERT_EQ(in_frame(rig.record, [&] {
                  for (mst::synchro& f : fillers)
                      rig.prot.log().queue_write(f, &f);
                  reg.value = 0x5AA5;
                  reg.scan(scan_mode::exchange);
                  rig.engine.enter_idle();
                  rig.prot.end_batch();
              }),
              0u);
    EXPECT_EQ(reg.value, 0xBEEFu);
    EXPECT_EQ(reg.state, ws::valid);
    EXPECT_EQ(sim::bits_to_u64(rig.chip->reg(0x10)), 0x5AA5u);
    EXPECT_EQ(fillers.back().state, ws::valid);
}

TEST(TapRegister, SettingTheHeldValueWhileValidQueuesNothing)
{
    measured_rig rig;
    rig.chip->add_register(0x10, jtag_test::bits_of(0x1111, 16));
    tapregister reg(rig.engine, rig.device.get(), 1, 16, 0x10, "R");
    ASSERT_EQ(in_frame(rig.record, [&] { reg.get(); }), 0u);
    const uint32_t before = rig.prot.request_length();
    ASSERT_EQ(in_frame(rig.record, [&] { reg.set(0x1111 | 0x10000); }), 0u);  // masked to 16 bits
    EXPECT_EQ(rig.prot.request_length(), before);
    ASSERT_EQ(in_frame(rig.record, [&] { reg.set(0x2222); }), 0u);
    EXPECT_GT(rig.prot.request_length(), before);
    EXPECT_EQ(reg.state, ws::write_pending);
}

TEST(TapRegister, SetWhileReadPendingRaisesAndForceSetLetsTheReadLandFirst)
{
    measured_rig rig;
    rig.chip->add_register(0x10, jtag_test::bits_of(0x1111, 16));
    tapregister reg(rig.engine, rig.device.get(), 1, 16, 0x10, "R");
    EXPECT_EQ(in_frame(rig.record, [&] {
                  reg.scan(scan_mode::read);
                  reg.set(0x2222);
              }),
              mst::rc::register_under_read);
    EXPECT_EQ(reg.state, ws::invalid);  // the raise dropped the log

    ASSERT_EQ(in_frame(rig.record, [&] {
                  reg.scan(scan_mode::read);
                  reg.force_set(0x3333);
                  rig.engine.enter_idle();
                  rig.prot.end_batch();
              }),
              0u);
    EXPECT_EQ(reg.value, 0x3333u);
    EXPECT_EQ(reg.state, ws::valid);
    EXPECT_EQ(sim::bits_to_u64(rig.chip->reg(0x10)), 0x3333u);
}

TEST(TapRegister, ScanThatNeverFitsRaisesTooLongCommand)
{
    measured_rig rig;
    rig.engine.dr_bypass_length = 9000;
    tapregister reg(rig.engine, rig.device.get(), 1, 16, 0x10, "R");
    EXPECT_EQ(in_frame(rig.record, [&] { reg.get(); }), mst::rc::command_too_long);
}

TEST(CaptureRegister, InstructionCaptureReturnsTheStatusAndWritesAreCached)
{
    measured_rig rig;
    mst::capture_register& ir = rig.device->ir;
    uint32_t status = 0;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  ir.set(0x22);
                  status = ir.get_captured();
              }),
              0u);
    EXPECT_EQ(status, chain_rig::target_ir_capture);
    EXPECT_EQ(rig.chip->instruction(), 0x22u);

    const unsigned updates = rig.chip->update_ir_count();
    ASSERT_EQ(in_frame(rig.record, [&] {
                  ir.set(0x22);
                  rig.engine.enter_idle();
                  rig.prot.end_batch();
              }),
              0u);
    EXPECT_EQ(rig.chip->update_ir_count(), updates);  // nothing sent

    // A TAP reset forgets the written image: the same value is written again.
    ASSERT_EQ(in_frame(rig.record, [&] {
                  rig.engine.reset_tap();
                  ir.set(0x22);
                  rig.engine.enter_idle();
                  rig.prot.end_batch();
              }),
              0u);
    EXPECT_EQ(rig.chip->update_ir_count(), updates + 1);
    EXPECT_EQ(rig.chip->instruction(), 0x22u);
}

TEST(CaptureRegister, IdleFlagAddsIdleClocksAfterTheScan)
{
    const struct { uint32_t idle; uint32_t state_after; } cases[] = {
        {0, mst::tap::exit1_ir}, {1, mst::tap::run_test_idle}};
    for (const auto& c : cases) {
        measured_rig rig;
        mst::capture_register reg(rig.engine, rig.device.get(), c.idle, 0, 0, 0, 8, 0, "W", "C");
        const unsigned before = rig.chip->idle_clocks();
        ASSERT_EQ(in_frame(rig.record, [&] {
                      reg.force_set(0x5);
                      rig.prot.end_batch();
                  }),
                  0u);
        EXPECT_EQ(rig.engine.tap_state, c.state_after) << c.idle;
        if (c.idle != 0) {
            // Entering idle is the first of three steps; two whole steps follow.
            EXPECT_GE(rig.chip->idle_clocks() - before, 32u);
            EXPECT_EQ(rig.chip->instruction(), 0x5u);
        } else {
            EXPECT_GT(rig.engine.pending_count(), 0u);
        }
    }
}
