#include "sim/pod/cortex_m_core.h"

#include <gtest/gtest.h>

#include "sim/pod/cortex_m_target.h"
#include "support/cortex_m_rig.h"

namespace sim {
namespace {

using test::CortexMRig;
using test::part_config;

constexpr std::uint32_t kRegRdy = 1u << 16, kSHalt = 1u << 17, kSLockup = 1u << 19, kRetire = 1u << 24,
                        kResetSt = 1u << 25;

TEST(CortexMCore, CpuidAndProfilePerPart) {
    struct Case {
        CortexMPart part;
        std::uint32_t cpuid;
        bool v6m;
    } cases[] = {{CortexMPart::M0, 0x410CC200, true},
                 {CortexMPart::M1, 0x410CC210, true},
                 {CortexMPart::M3, 0x412FC231, false},
                 {CortexMPart::M4, 0x410FC241, false}};
    for (const Case& c : cases) {
        CortexMRig rig(part_config(c.part));
        EXPECT_EQ(rig.rd(CortexMCore::kCpuid), c.cpuid);
        EXPECT_EQ(rig.t.core().v6m(), c.v6m);
    }
}

TEST(CortexMCore, DhcsrWriteWithoutTheKeyIsIgnoredButLogged) {
    CortexMRig rig;
    rig.wr(CortexMCore::kDhcsr, 0x00000003);
    EXPECT_FALSE(rig.t.core().halted());
    rig.halt();
    EXPECT_TRUE(rig.t.core().halted());
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & (kSHalt | 0xFFFF), kSHalt | 0x3);
    EXPECT_EQ(rig.t.core().dhcsr_writes(), (std::vector<std::uint32_t>{0x00000003, 0xA05F0003}));
}

TEST(CortexMCore, ResetAndRetireStatusClearWhenRead) {
    CortexMRig rig;
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & (kResetSt | kRetire), kResetSt); // power-on
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & (kResetSt | kRetire), 0u);
    rig.run();
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kRetire, kRetire);
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kRetire, 0u);
}

TEST(CortexMCore, RunAdvancesAFixedNumberOfInstructionsPerExchange) {
    CortexMRig rig;
    rig.halt();
    rig.run();
    const std::uint64_t before = rig.t.core().retired();
    rig.t.on_exchange();
    EXPECT_EQ(rig.t.core().retired() - before, 16u);
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x120u); // sixteen NOPs from 0x100
    rig.t.on_exchange();
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x11Eu); // the branch, then fifteen NOPs
    rig.halt();
    rig.t.on_exchange();
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x11Eu);
}

TEST(CortexMCore, StepExecutesOneInstructionAndHaltsAgain) {
    CortexMRig rig;
    rig.halt();
    rig.rd(CortexMCore::kDhcsr);
    rig.write_reg(CortexMCore::kPc, 0x300);
    rig.step(); // the 32-bit BL
    EXPECT_TRUE(rig.t.core().halted());
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x304u);
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & (kSHalt | kRetire | 0x2), kSHalt | kRetire | 0x2);
    rig.step();
    rig.step(); // B . stays where it is
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x306u);
}

TEST(CortexMCore, RegisterFileThroughDcrsrAndDcrdr) {
    struct Case {
        CortexMPart part;
        unsigned selector;
        std::uint32_t written, read_back;
    } cases[] = {
        {CortexMPart::M3, 0, 0x12345678, 0x12345678},  {CortexMPart::M3, 12, 0xCAFEF00D, 0xCAFEF00D},
        {CortexMPart::M3, 13, 0x20000FFF, 0x20000FFC}, {CortexMPart::M3, 14, 0x08000123, 0x08000123},
        {CortexMPart::M3, 15, 0x00000200, 0x00000200}, {CortexMPart::M3, 16, 0xFFFFFFFF, 0xFF00FDFF},
        {CortexMPart::M4, 16, 0xFFFFFFFF, 0xFF0FFDFF}, {CortexMPart::M3, 17, 0x20000803, 0x20000800},
        {CortexMPart::M3, 18, 0x20000407, 0x20000404}, {CortexMPart::M3, 20, 0xFFFFFFFF, 0x0301FF01},
        {CortexMPart::M0, 16, 0xFFFFFFFF, 0xF100003F}, {CortexMPart::M0, 20, 0xFFFFFFFF, 0x02000001},
    };
    for (const Case& c : cases) {
        CortexMRig rig(part_config(c.part));
        rig.halt();
        rig.write_reg(c.selector, c.written);
        EXPECT_EQ(rig.read_reg(c.selector), c.read_back) << "selector " << c.selector;
        EXPECT_TRUE(rig.t.core().violations().empty());
    }
}

TEST(CortexMCore, SpSelectorFollowsControlSpsel) {
    CortexMRig rig;
    rig.halt();
    rig.write_reg(CortexMCore::kMsp, 0x20000800);
    rig.write_reg(CortexMCore::kPsp, 0x20000400);
    EXPECT_EQ(rig.read_reg(CortexMCore::kSp), 0x20000800u);
    rig.write_reg(CortexMCore::kSpecial, 0x02000000); // CONTROL.SPSEL
    EXPECT_EQ(rig.read_reg(CortexMCore::kSp), 0x20000400u);
}

TEST(CortexMCore, RuleBreakingRegisterTransfersAreLogged) {
    CortexMRig rig;
    rig.wr(CortexMCore::kDcrsr, 0x10000); // running
    EXPECT_EQ(count_violations(rig.t.core().violations(), ArmViolationKind::RegisterTransferWhileRunning), 1u);
    rig.halt();
    rig.write_reg(CortexMCore::kPc, 0x201);
    EXPECT_EQ(rig.read_reg(CortexMCore::kPc), 0x200u);
    EXPECT_EQ(count_violations(rig.t.core().violations(), ArmViolationKind::OddReturnAddress), 1u);
    EXPECT_EQ(rig.read_reg(19), 0u);
    EXPECT_EQ(count_violations(rig.t.core().violations(), ArmViolationKind::UnknownRegisterSelector), 1u);
}

TEST(CortexMCore, RegisterReadyComesAfterTheSetNumberOfAccesses) {
    CortexMTargetConfig config;
    config.regrdy_latency = 3;
    CortexMRig rig(config);
    rig.halt();
    rig.write_reg(0, 0x0BADC0DE);
    rig.write_reg(1, 0x600DF00D);
    for (int i = 0; i < 4; ++i) rig.rd(CortexMCore::kDhcsr);
    rig.wr(CortexMCore::kDcrsr, 0);                       // access w
    EXPECT_EQ(rig.rd(CortexMCore::kDcrdr), 0x600DF00Du);   // w+1: not ready, old DCRDR
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kRegRdy, 0u);  // w+2
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kRegRdy, 0u);  // w+3
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kRegRdy, kRegRdy);
    EXPECT_EQ(rig.rd(CortexMCore::kDcrdr), 0x0BADC0DEu);
}

TEST(CortexMCore, MaskIntsChangeNeedsHaltBeforeAndInTheWrite) {
    struct Case {
        std::uint32_t before, write;
        bool violation;
    } cases[] = {
        {0xA05F0003, 0xA05F000B, false}, // halted, stays halted: allowed
        {0xA05F000B, 0xA05F0009, false}, // run keeping the mask: no change
        {0xA05F0003, 0xA05F000D, true},  // step that sets the mask
        {0xA05F0003, 0xA05F0009, true},  // run that sets the mask
        {0xA05F0001, 0xA05F000B, true},  // halt and mask from running
    };
    for (const Case& c : cases) {
        CortexMRig rig;
        rig.halt();
        rig.wr(CortexMCore::kDhcsr, c.before);
        rig.t.core().clear_logs();
        rig.wr(CortexMCore::kDhcsr, c.write);
        EXPECT_EQ(count_violations(rig.t.core().violations(), ArmViolationKind::MaskIntsWithoutHalt),
                  c.violation ? 1u : 0u)
            << std::hex << c.before << " -> " << c.write;
    }
}

TEST(CortexMCore, VectResetWithCoreResetCatchHaltsAtTheVector) {
    CortexMRig rig;
    rig.run();
    rig.t.on_exchange();
    rig.rd(CortexMCore::kDhcsr);
    rig.wr(CortexMCore::kDemcr, 0x01000001);
    rig.wr(CortexMCore::kAircr, 0x05FA0001);
    EXPECT_TRUE(rig.t.core().halted());
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x100u);
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kMsp), 0x20001000u);
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & (kResetSt | kSHalt), kResetSt | kSHalt);
    EXPECT_EQ(rig.rd(CortexMCore::kDfsr) & 0x8, 0x8u); // VCATCH
    EXPECT_EQ(rig.t.core().resets().back(), CortexMResetKind::Core);
}

TEST(CortexMCore, ArmV6mHasNoVectResetButResetsOnSysResetReq) {
    CortexMRig rig(part_config(CortexMPart::M0));
    rig.run();
    rig.rd(CortexMCore::kDhcsr);
    rig.wr(CortexMCore::kDemcr, 0x01000001);
    rig.wr(CortexMCore::kAircr, 0x05FA0001);
    EXPECT_FALSE(rig.t.core().halted());
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kResetSt, 0u);
    rig.wr(CortexMCore::kAircr, 0x05FA0004);
    EXPECT_TRUE(rig.t.core().halted());
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kResetSt, kResetSt);
    EXPECT_EQ(rig.t.core().resets().back(), CortexMResetKind::System);
}

TEST(CortexMCore, AircrNeedsItsKeyAndReadsTheKeyStatus) {
    CortexMRig rig;
    rig.halt();
    rig.wr(CortexMCore::kAircr, 0x00000004);
    EXPECT_TRUE(rig.t.core().resets().empty());
    EXPECT_EQ(rig.rd(CortexMCore::kAircr) >> 16, 0xFA05u);
}

TEST(CortexMCore, ResetWithoutTheCatchRunsFromTheVector) {
    CortexMRig rig;
    rig.halt();
    rig.wr(CortexMCore::kAircr, 0x05FA0004);
    EXPECT_FALSE(rig.t.core().halted());
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & 0x2, 0u);
    rig.t.on_exchange();
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x120u);
}

TEST(CortexMCore, ScheduledResetFallsDueAtItsExchange) {
    CortexMRig rig;
    rig.rd(CortexMCore::kDhcsr);
    rig.t.schedule_reset(1);
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kResetSt, 0u);
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & kResetSt, kResetSt);
    EXPECT_EQ(rig.t.core().resets().back(), CortexMResetKind::Injected);
}

TEST(CortexMCore, BkptHaltsAndABadFetchLocksUp) {
    CortexMRig rig;
    rig.halt();
    rig.write_reg(CortexMCore::kPc, 0x200);
    rig.run();
    rig.t.on_exchange();
    EXPECT_TRUE(rig.t.core().halted());
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x200u);
    EXPECT_EQ(rig.rd(CortexMCore::kDfsr) & 0x2, 0x2u);

    rig.write_reg(CortexMCore::kPc, 0x10000000); // nothing mapped there
    rig.run();
    rig.t.on_exchange();
    EXPECT_EQ(rig.rd(CortexMCore::kDhcsr) & (kSLockup | kSHalt), kSLockup);
}

} // namespace
} // namespace sim
