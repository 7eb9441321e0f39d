#include "sim/pod/cortex_m_target.h"

#include <gtest/gtest.h>

#include "sim/pod/generic_device.h"
#include "sim/pod/scan_chain.h"
#include "support/arm_wire.h"
#include "support/cortex_m_rig.h"

namespace sim {
namespace {

using test::concat;
using test::ones;
using test::zeros;

constexpr unsigned kOk = 1;

// The host's side of a MEM-AP word access over Serial Wire Debug.
struct SwdDebugger {
    explicit SwdDebugger(CortexMTarget& t) : host(t.swd_line()) {}

    void attach() {
        host.select_swd();
        ASSERT_EQ(host.read(false, 0x0).ack, kOk);
        ASSERT_EQ(host.write(false, 0x4, 0x50000000), kOk);
        ASSERT_EQ(host.read(false, 0x4).data >> 28, 0xFu);
        ASSERT_EQ(host.write(false, 0x8, 0), kOk);
        ASSERT_EQ(host.write(true, 0x0, 0x03000002), kOk); // CSW: word, no increment
    }
    std::uint32_t read_word(std::uint32_t address) {
        EXPECT_EQ(host.write(true, 0x4, address), kOk);
        EXPECT_EQ(host.read(true, 0xC).ack, kOk);
        const test::SwdResult r = host.read(false, 0xC); // RDBUFF
        EXPECT_TRUE(r.parity_ok);
        return r.data;
    }
    void write_word(std::uint32_t address, std::uint32_t value) {
        EXPECT_EQ(host.write(true, 0x4, address), kOk);
        EXPECT_EQ(host.write(true, 0xC, value), kOk);
    }

    test::SwdHost host;
};

TEST(CortexMTarget, HaltAndIdentifyOverSerialWireDebug) {
    for (CortexMPart part : {CortexMPart::M0, CortexMPart::M3}) {
        test::CortexMRig rig(test::part_config(part));
        SwdDebugger dbg(rig.t);
        dbg.attach();
        EXPECT_EQ(dbg.read_word(CortexMCore::kCpuid), cortex_m_default_cpuid(part));
        dbg.write_word(CortexMCore::kDhcsr, 0xA05F0003);
        EXPECT_EQ(dbg.read_word(CortexMCore::kDhcsr) & 0x00030003, 0x00030003u);
        // The posted read collected through RDBUFF touches the register once.
        EXPECT_EQ(rig.t.bus().access_count(CortexMCore::kCpuid).reads, 1u);
        EXPECT_TRUE(rig.t.violations().empty());
    }
}

TEST(CortexMTarget, ExchangesRunTheCoreBetweenSwdTransfers) {
    test::CortexMRig rig;
    SwdDebugger dbg(rig.t);
    dbg.attach();
    dbg.write_word(CortexMCore::kDemcr, 0x01000000);
    dbg.write_word(0xE0001000, 1); // CYCCNTENA
    dbg.write_word(CortexMCore::kDhcsr, 0xA05F0001);
    for (int i = 0; i < 3; ++i) rig.t.on_exchange();
    EXPECT_EQ(dbg.read_word(0xE0001004), 48u);
    EXPECT_EQ(rig.t.exchanges(), 3u);
}

TEST(CortexMTarget, CpuidOverJtagThroughAChainWithDevicesOnBothSides) {
    test::CortexMRig rig;
    ScanChain chain;
    chain.emplace<GenericDevice>(GenericDeviceConfig{6, std::nullopt, 0x1, 0x1});
    chain.add(rig.t.make_jtag_dp());
    chain.emplace<GenericDevice>(GenericDeviceConfig{2, std::nullopt, 0x1, 0x1});
    chain.emplace<GenericDevice>(GenericDeviceConfig{9, std::nullopt, 0x1, 0x1});
    test::JtagHost host(chain);
    host.reset_to_idle();

    auto ir = [&](std::uint32_t instruction) {
        host.scan_ir(concat({ones(9), ones(2), bits_from_u64(instruction, 4), ones(6)}));
    };
    // The two bypass bits after the port come out first; returns the port's 35.
    auto dr = [&](std::uint64_t request) {
        const Bits out = host.scan_dr(concat({zeros(2), bits_from_u64(request, 35), zeros(1)}));
        return bits_to_u64(Bits(out.begin() + 2, out.begin() + 37));
    };
    auto write = [](unsigned a, std::uint32_t v) { return ((a >> 2) << 1) | (std::uint64_t{v} << 3); };
    auto read = [](unsigned a) { return std::uint64_t{1} | ((a >> 2) << 1); };

    const Bits id = host.scan_dr(zeros(36));
    EXPECT_EQ(bits_to_u64(Bits(id.begin() + 2, id.begin() + 34)), 0x4BA00477u);

    ir(ArmJtagDp::kDpacc);
    dr(write(0x4, 0x50000000));
    dr(write(0x8, 0));
    ir(ArmJtagDp::kApacc);
    dr(write(0x0, 0x03000002));
    dr(write(0x4, CortexMCore::kCpuid));
    dr(read(0xC));
    ir(ArmJtagDp::kDpacc);
    EXPECT_EQ(dr(read(0xC)), 0b010 | (std::uint64_t{0x412FC231} << 3));
    EXPECT_EQ(rig.t.bus().access_count(CortexMCore::kCpuid).reads, 1u);
    EXPECT_EQ(rig.t.dp().ctrl_stat() >> 28, 0xFu);
}

TEST(CortexMTarget, JtagTapStandsAsideWhileSerialWireDebugIsSelected) {
    test::CortexMRig rig;
    ScanChain chain;
    chain.add(rig.t.make_jtag_dp());
    test::JtagHost host(chain);
    host.reset_to_idle();
    EXPECT_EQ(bits_to_u64(host.scan_dr(zeros(32))), 0x4BA00477u);

    test::SwdHost swd(rig.t.swd_line());
    swd.select_swd();
    host.reset_to_idle();
    EXPECT_EQ(bits_to_u64(host.scan_dr(concat({ones(1), zeros(31)}))), 0x2u); // one bypass bit

    for (int i = 0; i < 4; ++i) rig.t.swd_line().step(0xFFFF, 0xFFFF);
    rig.t.swd_line().step(0xE73C, 0xFFFF); // back to JTAG
    host.reset_to_idle();
    EXPECT_EQ(bits_to_u64(host.scan_dr(zeros(32))), 0x4BA00477u);
}

} // namespace
} // namespace sim
