#include "master/arm/debug_port.h"

#include <gtest/gtest.h>

#include "master/tests/support/arm_rig.h"

using arm_test::arm_rig;
using arm_test::recorded_pauses;
namespace dp = mst::dp;
namespace rc = mst::rc;

namespace {

constexpr bool wires[] = {false, true};
const char* wire_name(bool swd) { return swd ? "SWD" : "JTAG"; }

constexpr uint32_t ram = 0x20000000;

// TAR := address, then one DRW read through the AP access.
uint32_t read_through_ap(arm_rig& rig, uint32_t address)
{
    mst::ap_write(rig.device.regs, address, dp::ap_tar);
    return mst::ap_read(rig.device.regs, dp::ap_drw);
}

} // namespace

TEST(ArmDebugPort, DpRegistersRoundTripOnBothWires)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        uint32_t stat = 0;
        ASSERT_EQ(rig.run([&] {
                      rig.device.regs.ctrl.set(dp::ctrl_power_up);
                      rig.device.regs.stat.forget();
                      stat = rig.device.regs.stat.get();
                  }),
                  0u)
            << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ctrl_writes, std::vector<uint32_t>{dp::ctrl_power_up}) << wire_name(swd);
        EXPECT_EQ(stat, dp::ctrl_power_up | dp::stat_cdbgpwrupack | dp::stat_csyspwrupack)
            << wire_name(swd);
        EXPECT_EQ(rig.pod.header_errors, 0u);
        EXPECT_EQ(rig.pod.line_contentions, 0u);
        EXPECT_EQ(rig.pod.unknown_commands, 0u);
    }
}

TEST(ArmDebugPort, PortIdentificationReadsIdcodeOrDpidr)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        uint32_t id = 0;
        ASSERT_EQ(rig.run([&] { id = mst::read_port_id(rig.device.regs, rig.device.idcode); }), 0u);
        EXPECT_EQ(id, swd ? rig.pod.dap.dpidr : rig.pod.dap.idcode) << wire_name(swd);
        EXPECT_TRUE(mst::port_id_accepted(id, swd));
    }
}

TEST(ArmDebugPort, PortIdRuleMasksRevisionAndBit16)
{
    const struct { uint32_t id; bool swd; bool accepted; } cases[] = {
        {0x0BA01477, true, true},  {0x0BA11477, true, true},   // bit 16 ignored
        {0x1BA01477, true, true},  {0x0BA01476, true, false},
        {0x0BA00477, true, false}, {0x4BA00477, false, true},  // JTAG-DP of a Cortex-M3
        {0x0BA01477, false, false},
        // The Cortex-M0 SW-DP (PARTNO 0xBB) and the M0+ one (0xBC) are refused
        // by this rule.
        {0x0BB11477, true, false}, {0x0BC11477, true, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(mst::port_id_accepted(c.id, c.swd), c.accepted) << std::hex << c.id;
}

TEST(ArmDebugPort, ApReadReturnsTheWordAndReadsTheTargetOnce)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.memory[ram] = 0x12345678;
        rig.pod.dap.ap.memory[ram + 4] = 0x9ABCDEF0;
        uint32_t first = 0, second = 0;
        ASSERT_EQ(rig.run([&] {
                      first = read_through_ap(rig, ram);
                      second = read_through_ap(rig, ram + 4);
                  }),
                  0u)
            << wire_name(swd);
        EXPECT_EQ(first, 0x12345678u) << wire_name(swd);
        EXPECT_EQ(second, 0x9ABCDEF0u) << wire_name(swd);
        // A read-sensitive location sees one read per AP read.
        EXPECT_EQ(rig.pod.dap.ap.reads[ram], 1u) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ap.reads[ram + 4], 1u) << wire_name(swd);
    }
}

TEST(ArmDebugPort, SelectIsWrittenOnlyWhenBankOrApChanges)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        ASSERT_EQ(rig.run([&] {
                      mst::ap_read(rig.device.regs, dp::ap_csw);
                      mst::ap_write(rig.device.regs, ram, dp::ap_tar);
                      mst::ap_read(rig.device.regs, dp::ap_base);
                      mst::ap_read(rig.device.regs, dp::ap_base);
                      mst::ap_read_sel(rig.device.regs, dp::ap_csw, 1);
                  }),
                  0u);
        EXPECT_EQ(rig.pod.dap.select_writes, (std::vector<uint32_t>{0x00, 0xF0, 0x01000000}))
            << wire_name(swd);
        // The cached SELECT answers without pod traffic.
        const unsigned exchanges = rig.pod.exchanges;
        uint32_t select = 0;
        ASSERT_EQ(rig.run([&] { select = rig.device.regs.select.get(); }), 0u);
        EXPECT_EQ(select, 0x01000000u);
        EXPECT_EQ(rig.pod.exchanges, exchanges);
    }
}

TEST(ArmDebugPort, ApReadRetriesWaitsThenReturnsTheValue)
{
    // (WAITs after each AP transaction, pauses expected: failures from the
    // twelfth on are followed by 50 ms.)
    const struct { unsigned waits; size_t pauses; } cases[] = {{3, 0}, {11, 0}, {15, 4}};
    for (bool swd : wires) {
        for (const auto& c : cases) {
            arm_rig rig(swd);
            rig.pod.dap.ap.memory[ram] = 0xCAFEF00D;
            uint32_t value = 0;
            ASSERT_EQ(rig.run([&] {
                          mst::ap_write(rig.device.regs, ram, dp::ap_tar);
                          rig.pod.dap.waits_next_ap = c.waits;
                          value = mst::ap_read(rig.device.regs, dp::ap_drw);
                      }),
                      0u)
                << wire_name(swd) << " " << c.waits;
            EXPECT_EQ(value, 0xCAFEF00Du) << wire_name(swd) << " " << c.waits;
            EXPECT_EQ(rig.pod.dap.waits_answered, c.waits) << wire_name(swd);
            EXPECT_EQ(recorded_pauses().size(), c.pauses) << wire_name(swd) << " " << c.waits;
            EXPECT_TRUE(rig.pod.dap.aborts.empty());
            EXPECT_EQ(rig.pod.dap.ap.reads[ram], 1u);
        }
    }
}

TEST(ArmDebugPort, WaitsOnEveryAccessStillGiveTheRightWords)
{
    // Every AP transaction keeps the port busy for two answers: the writes
    // of SELECT and TAR and the requests are taken only once the port is free.
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.memory[ram] = 0x11111111;
        rig.pod.dap.ap.memory[ram + 8] = 0x22222222;
        rig.pod.dap.waits_after_ap = 2;
        uint32_t a = 0, b = 0;
        ASSERT_EQ(rig.run([&] {
                      a = read_through_ap(rig, ram);
                      b = read_through_ap(rig, ram + 8);
                  }),
                  0u)
            << wire_name(swd);
        EXPECT_EQ(a, 0x11111111u) << wire_name(swd);
        EXPECT_EQ(b, 0x22222222u) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ap.tar_writes, (std::vector<uint32_t>{ram, ram + 8}));
    }
}

TEST(ArmDebugPort, PersistentWaitAbortsThenRaisesAndTheNextCallRecovers)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.memory[ram] = 0x5EED5EED;
        uint32_t value = 0;
        const uint32_t code = rig.run([&] {
            mst::ap_write(rig.device.regs, ram, dp::ap_tar);
            rig.pod.dap.stuck = true;
            value = mst::ap_read(rig.device.regs, dp::ap_drw);
        });
        EXPECT_EQ(code, rc::dp_wait_timeout) << wire_name(swd);
        EXPECT_EQ(value, 0u) << "no value may come out of a WAIT";
        // The stuck transfer was cancelled before the error was reported.
        EXPECT_EQ(rig.pod.dap.aborts, std::vector<uint32_t>{dp::abort_dapabort}) << wire_name(swd);
        EXPECT_FALSE(rig.pod.dap.stuck);
        // JTAG: each attempt scans the request and the collecting RDBUFF read
        // in one exchange, and both answer WAIT.
        EXPECT_EQ(rig.pod.dap.waits_answered, (swd ? 1 : 2) * dp::retry_attempts) << wire_name(swd);
        EXPECT_EQ(recorded_pauses().size(), 288u) << wire_name(swd);
        for (uint32_t ms : recorded_pauses())
            ASSERT_EQ(ms, dp::retry_pause_ms);

        ASSERT_EQ(rig.run([&] { value = read_through_ap(rig, ram); }), 0u) << wire_name(swd);
        EXPECT_EQ(value, 0x5EED5EEDu) << wire_name(swd);
    }
}

TEST(ArmDebugPort, SwdFaultIsClearedThroughAbortAndReportedByWhetherItCleared)
{
    const struct {
        const char* name;
        uint32_t sticky;       // flags set before the access (0: a bus error sets STICKYERR)
        bool unclearable;
        uint32_t expected;
    } cases[] = {
        {"bus error, clearable", 0, false, rc::plain_deliver},
        {"STICKYERR that cannot be cleared", dp::stat_stickyerr, true, rc::swd_fault},
        {"WDATAERR alone", dp::stat_wdataerr, false, rc::plain_deliver},
        {"STICKYORUN alone", dp::stat_stickyorun, false, rc::plain_deliver},
        {"STICKYCMP alone", dp::stat_stickycmp, false, rc::plain_deliver},
    };
    for (const auto& c : cases) {
        arm_rig rig(true);
        rig.pod.dap.ap.memory[ram + 4] = 0x600DF00D;
        rig.pod.dap.ap.bus_error_from = ram;
        rig.pod.dap.ap.bus_error_to = ram + 4;
        rig.pod.dap.ctrl_stat = c.sticky;
        rig.pod.dap.sticky_unclearable = c.unclearable;
        const uint32_t code = rig.run([&] { read_through_ap(rig, ram); });
        EXPECT_EQ(code, c.expected) << c.name;
        EXPECT_EQ(rig.pod.dap.aborts, std::vector<uint32_t>{dp::abort_clear_sticky}) << c.name;
        if (c.unclearable)
            continue;
        EXPECT_EQ(rig.pod.dap.ctrl_stat & dp::sticky_swd, 0u) << c.name;
        uint32_t value = 0;
        ASSERT_EQ(rig.run([&] { value = read_through_ap(rig, ram + 4); }), 0u) << c.name;
        EXPECT_EQ(value, 0x600DF00Du) << c.name;
    }
}

TEST(ArmDebugPort, SwdReadDataWithWrongParityIsAnInvalidAcknowledge)
{
    arm_rig rig(true);
    rig.pod.dap.bad_parity_reads = 1;
    const uint32_t code = rig.run([&] {
        rig.device.regs.stat.forget();
        rig.device.regs.stat.get();
    });
    EXPECT_EQ(code, rc::dp_invalid_ack);
    EXPECT_EQ(rig.record.param[0], dp::swd_wire_ok);
    EXPECT_EQ(rig.device.regs.stat.state, mst::waiter_state::invalid);

    rig.pod.dap.ap.memory[ram] = 0x0F0F0F0F;
    uint32_t value = 0;
    rig.pod.dap.bad_parity_reads = 0;
    ASSERT_EQ(rig.run([&] { mst::ap_write(rig.device.regs, ram, dp::ap_tar); }), 0u);
    rig.pod.dap.bad_parity_reads = 2;  // the posted data and the RDBUFF data
    EXPECT_EQ(rig.run([&] { value = mst::ap_read(rig.device.regs, dp::ap_drw); }), rc::dp_invalid_ack);
    EXPECT_EQ(value, 0u);
}

TEST(ArmDebugPort, SwdTargetThatNeverAnswersGivesInvalidAcknowledgeSeven)
{
    arm_rig rig(true);
    rig.pod.dap.no_response = true;
    const uint32_t code = rig.run([&] {
        rig.device.regs.dpidr.forget();
        rig.device.regs.dpidr.get();
    });
    EXPECT_EQ(code, rc::dp_invalid_ack);
    EXPECT_EQ(rig.record.param[0], 7u);
}

TEST(ArmDebugPort, SwdReadLeftPendingKeepsTheNextReadsAcknowledgeItsOwn)
{
    // RDBUFF's data phase rides with DPIDR's request; the target gives no
    // acknowledge to that request, which must be seen as such.
    arm_rig rig(true);
    const uint32_t code = rig.run([&] {
        rig.device.regs.rdbuff.forget();
        rig.device.regs.rdbuff.start_read();
        rig.pod.dap.no_response = true;
        rig.device.regs.dpidr.forget();
        rig.device.regs.dpidr.get();
    });
    EXPECT_EQ(code, rc::dp_invalid_ack);
    EXPECT_EQ(rig.record.param[0], 7u);
}

TEST(ArmDebugPort, JtagDpReadIsRepeatedWhenItsRequestWasIgnored)
{
    arm_rig rig(false);
    ASSERT_EQ(rig.run([&] { rig.device.regs.select.set(0xF0); }), 0u);
    // The port is still busy with an earlier transfer: the next two scans
    // answer WAIT and carry a stale result.
    rig.pod.dap.busy = 2;
    rig.pod.dap.read_result = 0xBAD0BAD0;
    uint32_t select = 0;
    ASSERT_EQ(rig.run([&] {
                  rig.device.regs.select.forget();
                  select = rig.device.regs.select.get();
              }),
              0u);
    EXPECT_EQ(select, 0xF0u);
    EXPECT_EQ(rig.pod.dap.waits_answered, 2u);
}

TEST(ArmDebugPort, JtagStickyErrorIsClearedThroughCtrlStat)
{
    arm_rig rig(false);
    rig.pod.dap.ctrl_stat = dp::ctrl_power_up | dp::stat_stickyerr | dp::stat_stickycmp;
    const uint32_t code = rig.run([&] { mst::check_sticky_errors(rig.device.regs); });
    EXPECT_EQ(code, rc::plain_deliver);
    EXPECT_EQ(rig.pod.dap.ctrl_stat & dp::sticky_jtag, 0u);
    EXPECT_TRUE(rig.pod.dap.aborts.empty());
    ASSERT_FALSE(rig.pod.dap.ctrl_writes.empty());
    EXPECT_EQ(rig.pod.dap.ctrl_writes.back() & dp::sticky_jtag, dp::stat_stickyerr | dp::stat_stickycmp);
    // No sticky flag: nothing written, nothing raised.
    const size_t writes = rig.pod.dap.ctrl_writes.size();
    EXPECT_EQ(rig.run([&] { mst::check_sticky_errors(rig.device.regs); }), 0u);
    EXPECT_EQ(rig.pod.dap.ctrl_writes.size(), writes);
}

TEST(ArmDebugPort, SwdStickyCheckClearsThroughAbortNotCtrl)
{
    arm_rig rig(true);
    rig.pod.dap.ctrl_stat = dp::stat_wdataerr;
    EXPECT_EQ(rig.run([&] { mst::check_sticky_errors(rig.device.regs); }), rc::plain_deliver);
    EXPECT_EQ(rig.pod.dap.aborts, std::vector<uint32_t>{dp::abort_clear_sticky});
    EXPECT_TRUE(rig.pod.dap.ctrl_writes.empty());
    EXPECT_EQ(rig.pod.dap.ctrl_stat & dp::sticky_swd, 0u);
}

TEST(ArmDebugPort, PowerUpWaitsForSlowAcknowledgesAndReadiesTheMemAp)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.power_ack_after = 5;
        rig.pod.dap.ap.csw = 0x23000051;  // 16-bit size, single increment
        ASSERT_EQ(rig.run([&] { mst::power_up(rig.device.regs, 0); }), 0u) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ap.csw & 0x3Fu, 0x02u) << wire_name(swd);  // 32-bit, no increment
        EXPECT_FALSE(recorded_pauses().empty());
        EXPECT_TRUE(rig.pod.dap.aborts.empty());
    }
}

TEST(ArmDebugPort, PowerUpReportsAMissingAcknowledgeAfterItsBoundedPoll)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.no_debug_power = true;
        EXPECT_EQ(rig.run([&] { mst::power_up(rig.device.regs, 0); }), rc::debug_powerup)
            << wire_name(swd);
        EXPECT_EQ(recorded_pauses().size(), dp::poll_attempts - 1) << wire_name(swd);
    }
}

TEST(ArmDebugPort, PowerUpAbortsATransferLeftInProgress)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.tr_in_prog = true;
        ASSERT_EQ(rig.run([&] { mst::power_up(rig.device.regs, 0); }), 0u) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.aborts, std::vector<uint32_t>{dp::abort_dapabort}) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ap.csw & 7u, 2u);
    }
}

TEST(ArmDebugPort, PowerUpClearsStickyFlagsLeftByAnEarlierSession)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ctrl_stat = dp::stat_stickyerr | dp::stat_stickyorun;
        ASSERT_EQ(rig.run([&] { mst::power_up(rig.device.regs, 0); }), 0u) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ctrl_stat & dp::sticky_swd, 0u) << wire_name(swd);
        // Serial Wire clears through ABORT, JTAG through CTRL/STAT.
        EXPECT_EQ(rig.pod.dap.aborts.empty(), !swd) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.faults_answered, 0u) << wire_name(swd);
    }
}

TEST(ArmDebugPort, TapResetForgetsTheCachedSelect)
{
    arm_rig rig(false);
    ASSERT_EQ(rig.run([&] {
                  mst::ap_read(rig.device.regs, dp::ap_base);
                  rig.engine.reset_tap();
                  mst::ap_read(rig.device.regs, dp::ap_base);
              }),
              0u);
    EXPECT_EQ(rig.pod.dap.select_writes, (std::vector<uint32_t>{0xF0, 0xF0}));
}
