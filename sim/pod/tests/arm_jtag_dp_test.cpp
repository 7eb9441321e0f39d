#include "sim/pod/arm_jtag_dp.h"

#include <gtest/gtest.h>

#include "sim/pod/arm_bus.h"
#include "sim/pod/arm_dp.h"
#include "sim/pod/arm_mem_ap.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/scan_chain.h"
#include "support/arm_wire.h"

namespace sim {
namespace {

using test::concat;
using test::ones;
using test::zeros;

// TDI -> [IR 5] -> [IR 3] -> [debug port, IR 4] -> [IR 7] -> TDO: two
// devices of unequal IR length before the port, one after it.
struct JtagRig {
    JtagRig() : dp(ArmDpConfig{0x2BA01477, 0}), host(chain) {
        bus.add_memory(0x20000000, 0x1000);
        bus.add_error_region(0x40000000, 0x1000);
        dp.attach_ap(0, ap);
        chain.emplace<GenericDevice>(GenericDeviceConfig{5, std::nullopt, 0x1, 0x1});
        chain.emplace<GenericDevice>(GenericDeviceConfig{3, std::nullopt, 0x1, 0x1});
        port = &chain.emplace<ArmJtagDp>(dp);
        chain.emplace<GenericDevice>(GenericDeviceConfig{7, std::nullopt, 0x1, 0x1});
        host.reset_to_idle();
    }

    // Every other device in BYPASS (all ones), the port gets `instruction`.
    // The first bits shifted end in the device nearest TDO.
    void select(std::uint32_t instruction) {
        host.scan_ir(concat({ones(7), bits_from_u64(instruction, 4), ones(3), ones(5)}));
    }
    // One 35-bit DPACC/APACC scan through the three bypass bits; returns the
    // 35 bits the port captured.
    std::uint64_t access(std::uint64_t request) {
        const Bits out = host.scan_dr(concat({zeros(1), bits_from_u64(request, 35), zeros(2)}));
        // The one bypass bit after the port leaves TDO first.
        EXPECT_FALSE(out[0]);
        return bits_to_u64(Bits(out.begin() + 1, out.begin() + 36));
    }

    ArmBus bus;
    ArmMemAp ap{bus};
    ArmDp dp;
    ScanChain chain;
    test::JtagHost host;
    ArmJtagDp* port = nullptr;
};

// Requests: bit 0 RnW, bits 2-1 A[3:2], bits 34-3 data.
constexpr std::uint64_t read_req(unsigned address) { return 1u | ((address >> 2) << 1); }
constexpr std::uint64_t write_req(unsigned address, std::uint32_t data) {
    return ((address >> 2) << 1) | (std::uint64_t{data} << 3);
}
constexpr std::uint64_t kAckOk = 0b010, kAckWait = 0b001;
constexpr std::uint64_t ok_with(std::uint32_t data) { return kAckOk | (std::uint64_t{data} << 3); }

TEST(ArmJtagDp, IdcodeAfterResetComesThroughTheBypassBits) {
    JtagRig rig;
    // Reset selects IDCODE in the port and BYPASS in the generic devices.
    const Bits out = rig.host.scan_dr(zeros(35));
    EXPECT_FALSE(out[0]);
    EXPECT_EQ(bits_to_u64(Bits(out.begin() + 1, out.begin() + 33)), 0x4BA00477u);
    EXPECT_EQ(rig.port->instruction(), ArmJtagDp::kIdcode);
}

TEST(ArmJtagDp, InstructionCaptureAndUnknownInstructionsSelectBypass) {
    JtagRig rig;
    const Bits out = rig.host.scan_ir(concat({ones(7), bits_from_u64(0x3, 4), ones(3), ones(5)}));
    // The port's capture 0b0001 sits after the seven bits of the last device.
    EXPECT_EQ(bits_to_u64(Bits(out.begin() + 7, out.begin() + 11)), 0b0001u);
    // Four one-bit registers in a row: the 1 shifted first comes out fifth.
    const Bits dr = rig.host.scan_dr(concat({ones(1), zeros(5)}));
    EXPECT_EQ(dr, concat({zeros(4), ones(1), zeros(1)}));
}

TEST(ArmJtagDp, ReadResultBelongsToThePreviousRequest) {
    JtagRig rig;
    rig.select(ArmJtagDp::kDpacc);
    EXPECT_EQ(rig.access(write_req(0x4, 0x50000000)), ok_with(0));
    EXPECT_EQ(rig.access(read_req(0x4)), ok_with(0));           // the write's result
    EXPECT_EQ(rig.access(read_req(0xC)), ok_with(0xF0000000));  // CTRL/STAT from before
    EXPECT_EQ(rig.access(write_req(0x8, 0xF0)), ok_with(0));     // RDBUFF reads 0 on JTAG

    rig.select(ArmJtagDp::kApacc);
    EXPECT_EQ(rig.access(read_req(0xC)), ok_with(0));            // IDR requested
    EXPECT_EQ(rig.access(read_req(0x8)), ok_with(0x24770011));   // IDR arrives, BASE requested
    rig.select(ArmJtagDp::kDpacc);
    EXPECT_EQ(rig.access(read_req(0xC)), ok_with(0xE00FF003));   // RDBUFF collects BASE
    EXPECT_EQ(rig.dp.log().select_writes, std::vector<std::uint32_t>{0xF0});
}

TEST(ArmJtagDp, RequestIsIgnoredAfterACapturedWait) {
    JtagRig rig;
    rig.select(ArmJtagDp::kDpacc);
    rig.access(write_req(0x8, 0xF0));
    rig.dp.set_wait_knob(ArmAccessClass::ApRead, {2, false, false});
    rig.select(ArmJtagDp::kApacc);
    EXPECT_EQ(rig.access(read_req(0xC)), ok_with(0));
    // Both scans capture WAIT; their SELECT writes must not happen.
    rig.select(ArmJtagDp::kDpacc);
    EXPECT_EQ(rig.access(write_req(0x8, 0x01000000)), kAckWait);
    EXPECT_EQ(rig.access(write_req(0x8, 0x01000000)), kAckWait);
    EXPECT_EQ(rig.access(read_req(0xC)), ok_with(0x24770011));
    EXPECT_EQ(rig.dp.select(), 0xF0u);
    EXPECT_EQ(rig.port->ignored_requests(), 2u);
}

TEST(ArmJtagDp, PersistentWaitEndsOnlyWithTheAbortScan) {
    JtagRig rig;
    rig.dp.set_wait_knob(ArmAccessClass::DpRead, {0, true, false});
    rig.select(ArmJtagDp::kDpacc);
    rig.access(read_req(0x4));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(rig.access(read_req(0x4)), kAckWait);
    rig.select(ArmJtagDp::kAbort);
    rig.access(write_req(0x0, 0x1)); // DAPABORT
    rig.select(ArmJtagDp::kDpacc);
    EXPECT_EQ(rig.access(read_req(0x4)) & 7, kAckOk);
    EXPECT_EQ(rig.dp.log().abort_writes, std::vector<std::uint32_t>{0x1});
}

TEST(ArmJtagDp, StickyErrorDiscardsApRequestsUntilWrittenBackToCtrlStat) {
    JtagRig rig;
    rig.select(ArmJtagDp::kApacc);
    rig.access(write_req(0x0, 0x03000002)); // CSW word
    rig.access(write_req(0x4, 0x40000000)); // TAR into the error region
    rig.access(read_req(0xC));              // fails on the bus
    rig.select(ArmJtagDp::kDpacc);
    rig.access(read_req(0x4));
    const std::uint64_t stat = rig.access(read_req(0xC)) >> 3;
    EXPECT_EQ(stat & ArmDp::kStickyErr, ArmDp::kStickyErr);
    EXPECT_EQ(stat & ArmDp::kReadOk, 0u);

    rig.select(ArmJtagDp::kApacc);
    rig.access(write_req(0x4, 0x20000000)); // discarded: TAR stays
    EXPECT_EQ(rig.ap.tar(), 0x40000000u);

    rig.select(ArmJtagDp::kDpacc);
    rig.access(write_req(0x4, ArmDp::kStickyErr)); // write-1-to-clear
    EXPECT_EQ(rig.dp.ctrl_stat() & ArmDp::kStickyMask, 0u);
    rig.select(ArmJtagDp::kApacc);
    rig.access(write_req(0x4, 0x20000000));
    EXPECT_EQ(rig.ap.tar(), 0x20000000u);
}

TEST(ArmJtagDp, PowerUpAcknowledgesFollowAfterTheSetLatency) {
    ArmDp slow(ArmDpConfig{0x2BA01477, 3});
    ScanChain chain;
    chain.emplace<GenericDevice>(GenericDeviceConfig{3, std::nullopt, 0x1, 0x1});
    chain.emplace<ArmJtagDp>(slow);
    test::JtagHost host(chain);
    host.reset_to_idle();
    host.scan_ir(concat({bits_from_u64(ArmJtagDp::kDpacc, 4), ones(3)}));
    auto scan = [&](std::uint64_t request) {
        return bits_to_u64(host.scan_dr(concat({bits_from_u64(request, 35), zeros(1)}))) & ((1ull << 35) - 1);
    };
    scan(write_req(0x4, 0x50000000)); // access 1
    scan(read_req(0x4));              // access 2
    EXPECT_EQ(scan(read_req(0x4)) >> 3, 0x50000000u);  // read at access 2: ACKs not yet there
    EXPECT_EQ(scan(read_req(0x4)) >> 3, 0x50000000u);  // access 3
    EXPECT_EQ(scan(read_req(0x4)) >> 3, 0xF0000000u);  // access 4: three accesses later
}

} // namespace
} // namespace sim
