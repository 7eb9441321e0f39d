#include "sim/pod/arm_sw_dp.h"

#include <gtest/gtest.h>

#include "sim/pod/arm_bus.h"
#include "sim/pod/arm_dp.h"
#include "sim/pod/arm_mem_ap.h"
#include "sim/pod/swd_line.h"
#include "support/arm_wire.h"

namespace sim {
namespace {

using test::SwdHost;

constexpr unsigned kOk = 1, kWait = 2, kFault = 4, kNone = 0;

// An SW-DP with a MEM-AP over a little memory and an error region.
struct SwdRig {
    explicit SwdRig(bool starts_in_swd = true, std::uint32_t dpidr = 0x2BA01477)
        : dp(ArmDpConfig{dpidr, 0}), sw(dp, ArmSwDpConfig{starts_in_swd}), line(sw), host(line) {
        bus.add_memory(0x20000000, 0x1000);
        bus.add_error_region(0x40000000, 0x1000);
        dp.attach_ap(0, ap);
    }
    ArmViolations violations() const {
        ArmViolations all = line.violations();
        all.insert(all.end(), sw.violations().begin(), sw.violations().end());
        return all;
    }

    ArmBus bus;
    ArmMemAp ap{bus};
    ArmDp dp;
    ArmSwDp sw;
    SwdLine line;
    SwdHost host;
};

TEST(ArmSwDp, SelectSequenceThenDpidrReadGivesTheHandComputedFrame) {
    SwdRig rig(false, 0x0BB11477);
    rig.host.select_swd();
    EXPECT_TRUE(rig.sw.swd_selected());
    // DP read of address 0: start, RnW, parity 1, park -> 0x0A50; the target
    // answers OK (bit 13) after the turnaround in bit 12.
    EXPECT_EQ(rig.line.step(0x0FFF, 0x0A50), 0x2A50);
    EXPECT_EQ(rig.line.step(0x0000, 0x0000), 0x1477);
    EXPECT_EQ(rig.line.step(0x0000, 0x0000), 0x0BB1);
    // 0x0BB11477 has fifteen bits set: parity 1 in bit 48, then turnaround.
    EXPECT_EQ(rig.line.step(0xFFFC, 0x0000), 0x0001);
    EXPECT_TRUE(rig.violations().empty());
    EXPECT_EQ(rig.sw.counters().selects_swd, 1u);
}

TEST(ArmSwDp, JtagModePortIgnoresPacketsUntilTheSelectSequence) {
    SwdRig rig(false);
    EXPECT_EQ(rig.line.step(0x0FFF, 0x0A50), 0x0A50); // nobody answers
    EXPECT_EQ(rig.sw.counters().packets, 0u);
    rig.host.select_swd();
    EXPECT_EQ(rig.host.read(false, 0x0).ack, kOk);
}

TEST(ArmSwDp, CtrlStatWriteFrameRaisesThePowerUpAcknowledges) {
    SwdRig rig;
    ASSERT_EQ(rig.host.read(false, 0x0).ack, kOk);
    // DP write of address 4: start, A2, parity 1, park -> 0x0A90.
    EXPECT_EQ(rig.line.step(0x0FFF, 0x0A90), 0x2A90);
    // 0x50000000 from frame bit 17 on: bits 28 and 30 land in bits 13 and 15
    // of the third step; parity 0.
    rig.line.step(0xFFFE, 0x0000);
    rig.line.step(0xFFFF, 0xA000);
    rig.line.step(0xFFFF, 0x0000);
    EXPECT_EQ(rig.dp.ctrl_stat(), 0xF0000000u);
    const test::SwdResult stat = rig.host.read(false, 0x4);
    EXPECT_EQ(stat.data, 0xF0000000u);
    EXPECT_TRUE(stat.parity_ok);
    EXPECT_TRUE(rig.violations().empty());
}

TEST(ArmSwDp, HeaderParityErrorLocksTheLineOutUntilALineReset) {
    SwdRig rig;
    ASSERT_EQ(rig.host.read(false, 0x0).ack, kOk);
    // The DPIDR read header with its parity bit cleared: no acknowledge.
    EXPECT_EQ(rig.line.step(0x0FFF, 0x0850), 0x0850);
    EXPECT_TRUE(rig.sw.locked_out());
    EXPECT_EQ(rig.host.read(false, 0x0).ack, kNone);
    EXPECT_EQ(count_violations(rig.violations(), ArmViolationKind::HeaderParity), 1u);
    EXPECT_EQ(count_violations(rig.violations(), ArmViolationKind::TrafficDuringLockout), 1u);

    rig.host.line_reset();
    EXPECT_FALSE(rig.sw.locked_out());
    EXPECT_EQ(rig.host.read(false, 0x0).ack, kOk);
}

TEST(ArmSwDp, BadStopOrParkBitIsAProtocolError) {
    for (std::uint16_t header : {std::uint16_t(0x0E50), std::uint16_t(0x0250)}) { // stop 1; park 0
        SwdRig rig;
        ASSERT_EQ(rig.host.read(false, 0x0).ack, kOk);
        EXPECT_EQ(rig.line.step(0x0FFF, header) >> 13, kNone) << std::hex << header;
        EXPECT_EQ(count_violations(rig.violations(), ArmViolationKind::HeaderFraming), 1u);
    }
}

TEST(ArmSwDp, FirstPacketAfterALineResetMustReadDpidr) {
    SwdRig rig;
    rig.host.line_reset();
    EXPECT_EQ(rig.host.read(false, 0x4).ack, kNone);
    EXPECT_EQ(count_violations(rig.violations(), ArmViolationKind::FirstPacketNotDpidr), 1u);
    rig.host.line_reset();
    EXPECT_EQ(rig.host.read(false, 0x0).ack, kOk);
    EXPECT_EQ(rig.host.read(false, 0x4).ack, kOk);
    EXPECT_EQ(rig.sw.counters().line_resets, 2u);
}

TEST(ArmSwDp, ApReadIsPostedAndRdbuffCollectsIt) {
    SwdRig rig;
    rig.host.read(false, 0x0);
    ASSERT_EQ(rig.host.write(false, 0x8, 0x000000F0), kOk); // SELECT: bank 0xF
    EXPECT_EQ(rig.host.read(true, 0xC).data, 0u);            // IDR posted; RDBUFF was 0
    EXPECT_EQ(rig.host.read(true, 0x8).data, 0x24770011u);   // BASE posted, IDR returned
    EXPECT_EQ(rig.host.read(false, 0xC).data, 0xE00FF003u);  // RDBUFF: BASE, no AP access
    EXPECT_EQ(rig.host.read(false, 0x8).data, 0xE00FF003u);  // RESEND repeats it
    EXPECT_EQ(rig.dp.log().select_writes, std::vector<std::uint32_t>{0xF0});
}

TEST(ArmSwDp, DpidrAndCtrlStatReadsAndAbortWritesNeverWaitOrFault) {
    SwdRig rig;
    rig.host.read(false, 0x0);
    rig.dp.set_wait_knob(ArmAccessClass::DpWrite, {0, true, false});
    ASSERT_EQ(rig.host.write(false, 0x8, 0), kOk); // SELECT accepted; the port stays busy
    rig.dp.inject_sticky(ArmDp::kStickyErr, true);

    struct Case {
        bool ap, read;
        unsigned address;
        unsigned ack;
    } cases[] = {
        {false, true, 0x0, kOk},   {false, true, 0x4, kOk},    {false, true, 0xC, kWait},
        {false, true, 0x8, kWait}, {false, false, 0x4, kWait}, {true, true, 0xC, kWait},
    };
    for (const Case& c : cases) {
        const unsigned ack = c.read ? rig.host.read(c.ap, c.address).ack : rig.host.write(c.ap, c.address, 0);
        EXPECT_EQ(ack, c.ack) << c.ap << c.read << c.address;
    }
    EXPECT_EQ(rig.host.write(false, 0x0, 0x1), kOk); // DAPABORT ends the transaction
    EXPECT_EQ(rig.host.read(false, 0xC).ack, kFault);  // the sticky error still stands
    EXPECT_EQ(rig.host.write(false, 0x0, 0x1E), kOk);
    EXPECT_EQ(rig.host.read(false, 0xC).ack, kOk);
    EXPECT_TRUE(rig.violations().empty());
}

TEST(ArmSwDp, WaitIsAnsweredWithoutDataAndTheRetryDrivesTheTurnaround) {
    SwdRig rig;
    rig.host.read(false, 0x0);
    rig.dp.set_wait_knob(ArmAccessClass::DpWrite, {1, false, false});
    ASSERT_EQ(rig.host.write(false, 0x8, 0), kOk);
    // AP read of DRW (APnDP, RnW, A2, A3; parity 0): WAIT in bits 13-15.
    EXPECT_EQ(rig.line.step(0x0FFF, 0x09F0), 0x49F0);
    EXPECT_EQ(rig.host.read(true, 0xC).ack, kOk);
    EXPECT_EQ(rig.sw.counters().turnaround_driven, 1u);
    EXPECT_EQ(rig.dp.log().waits, 1u);
    EXPECT_TRUE(rig.violations().empty());
}

TEST(ArmSwDp, StickyErrorIsReadOnlyInCtrlStatAndAbortClearsIt) {
    SwdRig rig;
    rig.host.read(false, 0x0);
    rig.host.write(true, 0x0, 0x03000002);  // CSW: word
    rig.host.write(true, 0x4, 0x40000000);  // TAR into the error region
    EXPECT_EQ(rig.host.read(true, 0xC).ack, kOk); // the posted read fails on the bus
    EXPECT_EQ(rig.host.read(false, 0x4).data & ArmDp::kStickyErr, ArmDp::kStickyErr);
    EXPECT_EQ(rig.host.read(true, 0xC).ack, kFault);
    EXPECT_EQ(rig.host.write(false, 0x4, 0x50000020), kFault); // no write-1-to-clear on SWD
    EXPECT_NE(rig.dp.ctrl_stat() & ArmDp::kStickyErr, 0u);
    EXPECT_EQ(rig.host.write(false, 0x0, 0x04), kOk); // STKERRCLR
    EXPECT_EQ(rig.dp.ctrl_stat() & ArmDp::kStickyMask, 0u);
    EXPECT_EQ(rig.host.read(false, 0xC).ack, kOk);
}

TEST(ArmSwDp, StickyErrorThatCannotBeClearedKeepsFaulting) {
    SwdRig rig;
    rig.host.read(false, 0x0);
    rig.dp.inject_sticky(ArmDp::kStickyErr, false);
    EXPECT_EQ(rig.host.write(false, 0x0, 0x1E), kOk);
    EXPECT_NE(rig.host.read(false, 0x4).data & ArmDp::kStickyErr, 0u);
    EXPECT_EQ(rig.host.read(false, 0xC).ack, kFault);
}

TEST(ArmSwDp, WriteDataParityErrorSetsWdataerrAndDropsTheWrite) {
    SwdRig rig;
    rig.host.read(false, 0x0);
    EXPECT_EQ(rig.host.write(false, 0x8, 0x000000F0, true), kOk);
    EXPECT_EQ(rig.dp.select(), 0u);
    EXPECT_NE(rig.host.read(false, 0x4).data & ArmDp::kWDataErr, 0u);
    EXPECT_EQ(rig.host.write(false, 0x8, 0x000000F0), kFault);
    EXPECT_EQ(rig.host.write(false, 0x0, 0x08), kOk); // WDERRCLR
    EXPECT_EQ(rig.host.write(false, 0x8, 0x000000F0), kOk);
    EXPECT_EQ(rig.dp.select(), 0xF0u);
    EXPECT_EQ(rig.sw.counters().write_parity_errors, 1u);
}

TEST(ArmSwDp, DapabortCancelsAStuckApTransaction) {
    SwdRig rig;
    rig.host.read(false, 0x0);
    rig.host.write(false, 0x8, 0xF0); // IDR's bank
    rig.dp.set_wait_knob(ArmAccessClass::ApRead, {0, true, false});
    EXPECT_EQ(rig.host.read(true, 0xC).ack, kOk);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(rig.host.read(true, 0xC).ack, kWait);
    EXPECT_EQ(rig.host.write(false, 0x0, 0x1), kOk);
    EXPECT_EQ(rig.host.read(true, 0xC).ack, kOk);
    EXPECT_EQ(rig.dp.log().abort_writes, std::vector<std::uint32_t>{0x1});
}

TEST(ArmSwDp, NoResponseKnobLeavesTheAcknowledgeUndriven) {
    SwdRig rig;
    rig.sw.set_no_response(1);
    const test::SwdResult r = rig.host.read(false, 0x0);
    EXPECT_EQ(r.ack, kNone);
    EXPECT_EQ(r.first_step, 0x0A50);
    rig.host.idle();
    EXPECT_EQ(rig.host.read(false, 0x0).ack, kOk);
    EXPECT_EQ(rig.sw.counters().no_replies, 1u);
}

TEST(ArmSwDp, HostDrivingDuringTheAcknowledgeIsLineContention) {
    SwdRig rig;
    rig.line.step(0xFFFF, 0x0A50); // drives through the turnaround and the ACK
    EXPECT_EQ(count_violations(rig.line.violations(), ArmViolationKind::LineContention), 3u);
}

TEST(ArmSwDp, SelectSequenceSeenInSwdModeIsNotAProtocolError) {
    SwdRig rig;
    ASSERT_EQ(rig.host.read(false, 0x0).ack, kOk);
    rig.host.select_swd();
    for (const ArmViolation& v : rig.violations()) ADD_FAILURE() << arm_violation_name(v.kind) << " " << v.detail;
    EXPECT_EQ(rig.host.read(false, 0x4).ack, kNone); // DPIDR must come first
    rig.host.line_reset();
    EXPECT_EQ(rig.host.read(false, 0x0).ack, kOk);
}

TEST(ArmSwDp, SwdToJtagSequenceSilencesTheSwdSide) {
    SwdRig rig;
    for (int i = 0; i < 4; ++i) rig.line.step(0xFFFF, 0xFFFF);
    rig.line.step(0xE73C, 0xFFFF);
    rig.host.line_reset();
    EXPECT_FALSE(rig.sw.swd_selected());
    EXPECT_EQ(rig.host.read(false, 0x0).ack, kNone);
    EXPECT_EQ(rig.sw.counters().selects_jtag, 1u);
}

} // namespace
} // namespace sim
