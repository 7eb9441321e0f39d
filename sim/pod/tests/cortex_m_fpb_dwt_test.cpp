#include "sim/pod/cortex_m_fpb_dwt.h"

#include <gtest/gtest.h>

#include "sim/pod/cortex_m_target.h"
#include "support/cortex_m_rig.h"

namespace sim {
namespace {

using test::CortexMRig;
using test::part_config;

constexpr std::uint32_t kFpCtrl = 0xE0002000, kFpComp0 = 0xE0002008;
constexpr std::uint32_t kDwtCtrl = 0xE0001000, kCyccnt = 0xE0001004, kPcsr = 0xE000101C;
constexpr std::uint32_t kDwtMask0 = 0xE0001024, kDwtFunction0 = 0xE0001028;

TEST(CortexMFpb, FpCtrlReportsTheComparatorCountTheTestChose) {
    struct Case {
        unsigned code;
        std::uint32_t fields; // NUM_CODE split over bits 7-4 and 14-12
    } cases[] = {{2, 0x0020}, {6, 0x0060}, {10, 0x00A0}, {16, 0x1000}, {127, 0x70F0}};
    for (const Case& c : cases) {
        CortexMTargetConfig config;
        config.fpb_code_comparators = c.code;
        CortexMRig rig(config);
        EXPECT_EQ(rig.rd(kFpCtrl) & 0x70F0, c.fields) << c.code;
        EXPECT_EQ((rig.rd(kFpCtrl) >> 8) & 0xF, 2u); // literal comparators of an M3
    }
}

TEST(CortexMFpb, FpCtrlEnableNeedsTheKeyBit) {
    CortexMRig rig;
    rig.wr(kFpCtrl, 1);
    EXPECT_FALSE(rig.t.fpb().enabled());
    rig.wr(kFpCtrl, 3);
    EXPECT_TRUE(rig.t.fpb().enabled());
    EXPECT_EQ(rig.rd(kFpCtrl) & 1, 1u);
}

TEST(CortexMFpb, ReplaceBitsMatchByHalfword) {
    struct Case {
        std::uint32_t comp;
        bool unit_on;
        std::uint32_t halt_pc; // 0: runs on
    } cases[] = {
        {0x40000101, true, 0x100},  // lower halfword
        {0x80000101, true, 0x102},  // upper halfword
        {0xC0000101, true, 0x100},  // both
        {0x00000101, true, 0},      // remap: no breakpoint
        {0x40000100, true, 0},      // comparator disabled
        {0x40000101, false, 0},     // unit disabled
        {0x80000105, true, 0x106},  // the next word's upper half
    };
    for (const Case& c : cases) {
        CortexMRig rig;
        rig.halt();
        rig.write_reg(CortexMCore::kPc, 0xF8);
        rig.wr(kFpCtrl, c.unit_on ? 3 : 2);
        rig.wr(kFpComp0 + 4, c.comp); // comparator 1
        rig.run();
        rig.t.on_exchange();
        EXPECT_EQ(rig.t.core().halted(), c.halt_pc != 0) << std::hex << c.comp;
        if (c.halt_pc) {
            EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), c.halt_pc) << std::hex << c.comp;
        }
    }
}

TEST(CortexMFpb, StepOntoABreakpointHaltsWithoutExecuting) {
    CortexMRig rig;
    rig.halt();
    rig.write_reg(CortexMCore::kPc, 0x100);
    rig.wr(kFpCtrl, 3);
    rig.wr(kFpComp0, 0x40000101);
    rig.rd(CortexMCore::kDfsr);
    rig.step();
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x100u);
    EXPECT_EQ(rig.rd(CortexMCore::kDfsr) & 0x2, 0x2u);
    rig.wr(kFpComp0, 0x40000100); // disabled: the step goes through
    rig.step();
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x102u);
}

TEST(CortexMFpb, LiteralComparatorsNeverBreak) {
    CortexMTargetConfig config;
    config.fpb_code_comparators = 1;
    CortexMRig rig(config);
    rig.halt();
    rig.write_reg(CortexMCore::kPc, 0x100);
    rig.wr(kFpCtrl, 3);
    rig.wr(kFpComp0 + 4, 0xC0000105); // comparator 1 is a literal one here
    rig.run();
    rig.t.on_exchange();
    EXPECT_FALSE(rig.t.core().halted());
}

TEST(CortexMDwt, CycleCounterCountsWhenEnabledAndWraps) {
    CortexMRig rig;
    rig.halt();
    rig.wr(kDwtCtrl, 1); // CYCCNTENA, but TRCENA is off
    rig.run();
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(kCyccnt), 0u);

    rig.wr(CortexMCore::kDemcr, 0x01000000);
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(kCyccnt), 16u);
    rig.wr(kCyccnt, 0xFFFFFFF8);
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(kCyccnt), 8u);
    rig.halt();
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(kCyccnt), 8u); // a halted core does not count
}

TEST(CortexMDwt, PcsrIsAllOnesWhileHaltedAndARetiredAddressWhileRunning) {
    CortexMRig rig;
    rig.halt();
    EXPECT_EQ(rig.rd(kPcsr), 0xFFFFFFFFu);
    rig.write_reg(CortexMCore::kPc, 0x304);
    rig.run();
    rig.t.on_exchange(); // NOP at 0x304, then B . at 0x306 for ever
    EXPECT_EQ(rig.rd(kPcsr), 0x306u);
}

TEST(CortexMDwt, ComparatorRegistersKeepWhatTheUnitImplements) {
    CortexMRig rig;
    EXPECT_EQ(rig.rd(kDwtCtrl) >> 28, 4u);
    rig.wr(kDwtMask0, 0xFFFFFFFF);
    EXPECT_EQ(rig.rd(kDwtMask0), 0x1Fu);
    rig.wr(kDwtFunction0, 0x1105 | (1u << 7));      // DATAVMATCH not on comparator 0
    EXPECT_EQ(rig.rd(kDwtFunction0), 0x0085u);
    rig.wr(kDwtFunction0 + 16, 0x1105 | (1u << 7)); // comparator 1: data value, no CYCMATCH
    EXPECT_EQ(rig.rd(kDwtFunction0 + 16), 0x1105u);
    rig.wr(kDwtFunction0 + 16 * 4, 0x5);            // past the count: nothing there
    EXPECT_EQ(rig.rd(kDwtFunction0 + 16 * 4), 0u);
}

TEST(CortexMDwt, ArmV6mHasNoCycleCounter) {
    CortexMRig rig(part_config(CortexMPart::M0));
    EXPECT_EQ(rig.rd(kDwtCtrl), 0x2F000000u); // two comparators, NOTRCPKT..NOPRFCNT
    rig.wr(CortexMCore::kDemcr, 0x01000000);
    rig.wr(kDwtCtrl, 1);
    rig.run();
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(kCyccnt), 0u);
    EXPECT_EQ(rig.rd(CortexMCore::kDemcr), 0x01000000u);
}

} // namespace
} // namespace sim
