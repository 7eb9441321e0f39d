#include "sim/pod/scan_chain.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/pod/generic_device.h"

namespace sim {
namespace {

using Config = GenericDeviceConfig;

// Shifts `in` (bit 0 first) through the current Shift state, leaving it on
// the last bit (TMS 1 with the last bit); returns what came out on TDO.
Bits shift(ScanChain& chain, const Bits& in) {
    Bits out;
    for (std::size_t i = 0; i < in.size(); ++i) out.push_back(chain.clock(i + 1 == in.size(), in[i]));
    return out;
}

void clock_tms(ScanChain& chain, const char* tms) {
    for (const char* c = tms; *c; ++c) chain.clock(*c == '1', false);
}

// Fills the selected register path with ones, then counts the clocks until a
// single 0 shifted in reaches TDO: the path's length in bits.
unsigned measure(ScanChain& chain) {
    for (int i = 0; i < 200; ++i) chain.clock(false, true);
    chain.clock(false, false);
    for (unsigned n = 1; n < 200; ++n)
        if (!chain.clock(false, true)) return n;
    return 0;
}

class CountingDevice : public GenericDevice {
public:
    using GenericDevice::GenericDevice;
    void on_idle_clock() override { ++idle_clocks; }
    void on_target_reset_line(bool asserted) override { target_reset = asserted; }
    unsigned idle_clocks = 0;
    bool target_reset = false;
};

TEST(ScanChain, IdcodeIsSelectedAfterTestLogicReset) {
    ScanChain chain;
    chain.emplace<GenericDevice>(Config{4, 0x4BA00477u});
    clock_tms(chain, "0100"); // TLR -> Shift-DR
    const Bits out = shift(chain, Bits(32, false));
    EXPECT_EQ(bits_to_u64(out), 0x4BA00477u);
    EXPECT_EQ(chain.state(0), TapState::Exit1Dr);
}

TEST(ScanChain, BypassIsOneBitThatCapturesZero) {
    ScanChain chain;
    chain.emplace<GenericDevice>(Config{4, std::nullopt});
    clock_tms(chain, "0100");
    const Bits out = shift(chain, Bits{true, false, true, true});
    EXPECT_EQ(out, (Bits{false, true, false, true}));
}

struct ChainCase {
    const char* name;
    std::vector<Config> devices; // TDI end first
    unsigned ir_length;
    unsigned dr_after_reset;
    unsigned dr_bypass;
};

class ChainLengths : public ::testing::TestWithParam<ChainCase> {};

TEST_P(ChainLengths, MeasureAsTheirDevicesAddUp) {
    const ChainCase& c = GetParam();
    ScanChain chain;
    for (const Config& d : c.devices) chain.emplace<GenericDevice>(d);

    clock_tms(chain, "0100"); // TLR -> Shift-DR with IDCODE or BYPASS selected
    EXPECT_EQ(measure(chain), c.dr_after_reset);
    clock_tms(chain, "1111100"); // -> TLR -> Run-Test/Idle ... Shift-IR below
    clock_tms(chain, "1100");
    EXPECT_EQ(measure(chain), c.ir_length); // the IR path is full of ones: BYPASS
    clock_tms(chain, "11100");               // Update-IR, Shift-DR
    EXPECT_EQ(measure(chain), c.dr_bypass);
}

INSTANTIATE_TEST_SUITE_P(
    Chains, ChainLengths,
    ::testing::Values(
        ChainCase{"one", {Config{8, 0x0B8F0FDFu}}, 8, 32, 1},
        ChainCase{"three_unequal",
                  {Config{3, 0x10000001u}, Config{5, std::nullopt}, Config{7, 0x20000003u}},
                  15, 65, 3},
        ChainCase{"four_no_idcode",
                  {Config{2, std::nullopt}, Config{4, std::nullopt}, Config{6, std::nullopt},
                   Config{9, std::nullopt}},
                  21, 4, 4}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScanChain, IrCaptureComesOutDeviceNearestTdoFirst) {
    ScanChain chain;
    chain.emplace<GenericDevice>(Config{3, std::nullopt, 1, 0x5}); // captures 101
    chain.emplace<GenericDevice>(Config{5, std::nullopt, 1, 0x1D}); // captures 11101
    clock_tms(chain, "01100"); // TLR -> Shift-IR
    const Bits out = shift(chain, Bits(8, true));
    // 5 bits of the last device (bit 0 first), then the first device's 3.
    EXPECT_EQ(out, (Bits{true, false, true, true, true, true, false, true}));
}

TEST(ScanChain, UpdateIrGivesEachDeviceItsOwnBits) {
    ScanChain chain;
    auto& first = chain.emplace<GenericDevice>(Config{3, std::nullopt});
    auto& last = chain.emplace<GenericDevice>(Config{5, std::nullopt});
    clock_tms(chain, "01100");
    // The bits shifted in first travel farthest: the last device's come first.
    Bits in = bits_from_u64(0x16, 5);
    const Bits for_first = bits_from_u64(0x3, 3);
    in.insert(in.end(), for_first.begin(), for_first.end());
    shift(chain, in);
    clock_tms(chain, "10"); // Update-IR, Run-Test/Idle
    EXPECT_EQ(last.instruction(), 0x16u);
    EXPECT_EQ(first.instruction(), 0x3u);
    EXPECT_EQ(first.update_ir_count(), 1u);
    EXPECT_EQ(chain.state(1), TapState::RunTestIdle);
}

TEST(ScanChain, ResetThroughTmsReselectsIdcode) {
    ScanChain chain;
    auto& dev = chain.emplace<GenericDevice>(Config{4, 0x00000001u, 0xE});
    const unsigned resets_before = dev.reset_count();
    clock_tms(chain, "01100");
    shift(chain, bits_from_u64(0xF, 4));
    clock_tms(chain, "10");
    EXPECT_FALSE(dev.idcode_selected());
    clock_tms(chain, "111");
    EXPECT_EQ(chain.state(0), TapState::TestLogicReset);
    EXPECT_TRUE(dev.idcode_selected());
    EXPECT_EQ(dev.reset_count(), resets_before + 1);
}

TEST(ScanChain, TrstHoldsEveryTapInTestLogicReset) {
    ScanChain chain;
    chain.emplace<GenericDevice>(Config{4, std::nullopt});
    clock_tms(chain, "0100");
    chain.set_trst(true);
    EXPECT_EQ(chain.state(0), TapState::TestLogicReset);
    clock_tms(chain, "0100");
    EXPECT_EQ(chain.state(0), TapState::TestLogicReset);
    chain.set_trst(false);
    clock_tms(chain, "0");
    EXPECT_EQ(chain.state(0), TapState::RunTestIdle);
}

TEST(ScanChain, DevicesCountIdleClocksAndSeeTheTargetResetLine) {
    ScanChain chain;
    auto& dev = chain.emplace<CountingDevice>(Config{4, std::nullopt});
    clock_tms(chain, "0000"); // the first clock leaves Test-Logic-Reset
    EXPECT_EQ(dev.idle_clocks, 3u);
    // The edge that samples TMS 1 in Run-Test/Idle is still spent there;
    // Select-DR-Scan and Capture-DR are not.
    clock_tms(chain, "100");
    EXPECT_EQ(dev.idle_clocks, 4u);
    chain.set_target_reset(true);
    EXPECT_TRUE(dev.target_reset);
}

TEST(ScanChain, InsertPutsADeviceBetweenOthers) {
    ScanChain chain;
    chain.emplace<GenericDevice>(Config{3, std::nullopt});
    chain.emplace<GenericDevice>(Config{5, std::nullopt});
    chain.insert(1, std::make_unique<GenericDevice>(Config{7, std::nullopt}));
    ASSERT_EQ(chain.size(), 3u);
    EXPECT_EQ(chain.device(0).ir_length(), 3u);
    EXPECT_EQ(chain.device(1).ir_length(), 7u);
    EXPECT_EQ(chain.device(2).ir_length(), 5u);
}

TEST(GenericDevice, RejectsWhatNoRealDeviceCanBe) {
    EXPECT_THROW(GenericDevice(Config{1, std::nullopt}), std::invalid_argument);
    EXPECT_THROW(GenericDevice(Config{4, 0x12345678u}), std::invalid_argument);
}

} // namespace
} // namespace sim
