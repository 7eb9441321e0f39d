#include "sim/pod/pod.h"

#include <gtest/gtest.h>

#include "sim/pod/generic_device.h"
#include "sim/pod/pod_words.h"
#include "sim/pod/tests/support/pod_wire.h"
#include "sim/pod/tests/support/register16_device.h"

namespace sim {
namespace {

using namespace pod_words;
using test::exchange;
using test::RequestBuilder;
using test::Units;

const Units kUnknownReply = {0x0006, 0xE000};

struct DrScanCase {
    const char* name;
    std::uint32_t mode;
    std::uint16_t tdi_a, tdi_b;
    Units expected_reply;        // after the echo
    std::uint16_t register_after;
};

class SixteenBitDrScan : public ::testing::TestWithParam<DrScanCase> {};

// A 16-bit DR scan of the only device from Run-Test/Idle: TMS 1,0,0 reach
// Shift-DR, the 16 data bits follow (the last with TMS 1), then 1,0 for
// Update-DR and Run-Test/Idle. The data's first TDO bit is bit 3 of the
// batch's first data unit.
TEST_P(SixteenBitDrScan, ReturnsDataAtBitThreeAndUpdatesAsTheModeSays) {
    const DrScanCase& c = GetParam();
    Pod pod;
    auto& dev = pod.chain().emplace<test::Register16Device>(0xBEEF);
    exchange(pod, RequestBuilder().step(kScanWrite, 0x0000, 0x0000).word(kEndOfBatch)); // to Run-Test/Idle

    const auto reply = exchange(pod, RequestBuilder()
                                         .step(c.mode, 0x0001, c.tdi_a) // bits 0..15
                                         .step(c.mode, 0x000C, c.tdi_b) // bits 16..31: 18 exit, 19 update
                                         .word(kEndOfBatch));
    Units expected = {0x0903, 0x9200};
    expected.insert(expected.end(), c.expected_reply.begin(), c.expected_reply.end());
    EXPECT_EQ(reply.units, expected);
    EXPECT_EQ(dev.value, c.register_after);
    EXPECT_EQ(dev.updates, 1u);
    EXPECT_EQ(pod.chain().state(0), TapState::RunTestIdle);
}

// 0xBEEF << 3 = 0x5F778: unit A holds 0xF778 (its low three bits are the
// clocks before Shift-DR, floating TDO = 1), unit B 0xBEEF >> 13 = 5 and then
// what came back around.
INSTANTIATE_TEST_SUITE_P(
    Modes, SixteenBitDrScan,
    ::testing::Values(
        // Read: TDI words are ignored, TDO loops back: the register keeps its
        // value, and the bits after it on TDO are the looped-back value's.
        DrScanCase{"read", kScanRead, 0x0000, 0x0000, {0xF77F, 0xFFFD}, 0xBEEF},
        DrScanCase{"read_ignores_tdi", kScanRead, 0xFFFF, 0xFFFF, {0xF77F, 0xFFFD}, 0xBEEF},
        // Exchange of 0x1234 placed at bit 3: 0x1234 << 3 = 0x91A0, >> 13 = 0.
        DrScanCase{"exchange", kScanExchange, 0x91A0, 0x0000, {0xF77F, 0xFFFD}, 0x1234},
        // Write: the same scan, no data comes back.
        DrScanCase{"write", kScanWrite, 0x91A0, 0x0000, {}, 0x1234}),
    [](const auto& info) { return std::string(info.param.name); });

struct ControlCase {
    const char* name;
    Units request;
    Units reply;
};

class ControlCommand : public ::testing::TestWithParam<ControlCase> {};

TEST_P(ControlCommand, IsAnsweredWithItsEchoAndData) {
    Pod pod;
    pod.set_status_word(0x12345678);
    EXPECT_EQ(exchange(pod, GetParam().request).units, GetParam().reply);
}

INSTANTIATE_TEST_SUITE_P(
    Commands, ControlCommand,
    ::testing::Values(
        ControlCase{"voltages", {0x0901, 0x8000}, {0x0901, 0x8000, 5000, 3300, 3300, 0, 0}},
        ControlCase{"parameter", {0x0902, 0x8000, 3, 0}, {0x0902, 0x8000}},
        ControlCase{"lines", {0x0905, 0x8000, 2, 0, 0x20, 0}, {0x0905, 0x8000}},
        ControlCase{"status", {0x0906, 0x8000}, {0x0906, 0x8000, 0x5678, 0x1234}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PodControl, ParameterAndLinesChangeThePodState) {
    Pod pod;
    EXPECT_EQ(pod.parameter(), 7u);
    exchange(pod, RequestBuilder().word(kSetParameter).word(2));
    EXPECT_EQ(pod.parameter(), 2u);
    // The setting is the low byte, clamped to the slowest; both are
    // answered with the echo.
    const struct {
        std::uint32_t value;
        std::uint32_t setting;
    } parameters[] = {{0x02000003, 3}, {8, 7}, {0xFF, 7}, {0x00000100, 0}};
    for (const auto& c : parameters) {
        EXPECT_EQ(exchange(pod, RequestBuilder().word(kSetParameter).word(c.value)).units,
                  (Units{0x0902, 0x8000}));
        EXPECT_EQ(pod.parameter(), c.setting) << std::hex << c.value;
    }
    exchange(pod, RequestBuilder().word(kSetParameter).word(2));
    exchange(pod, RequestBuilder().word(kSetLines).word(0).word(0x22));
    exchange(pod, RequestBuilder().word(kSetLines).word(0x02).word(0x10000));
    EXPECT_EQ(pod.lines(), 0x10020u);
    ASSERT_EQ(pod.log().controls.size(), 8u);
    EXPECT_EQ(pod.log().controls[1].a, 0x02000003u) << "the log keeps the value as sent";
    EXPECT_EQ(pod.log().controls[7].word, kSetLines);
    EXPECT_EQ(pod.log().controls[7].a, 0x02u);
    EXPECT_EQ(pod.log().controls[7].b, 0x10000u);
}

TEST(PodControl, TrstLineHoldsTheChainAndTargetResetReachesDevices) {
    Pod pod;
    auto& dev = pod.chain().emplace<test::Register16Device>(0);
    exchange(pod, RequestBuilder().step(kScanWrite, 0x0000, 0).word(kEndOfBatch));
    ASSERT_EQ(pod.chain().state(0), TapState::RunTestIdle);

    exchange(pod, RequestBuilder().word(kSetLines).word(0).word(kLineTrst | kLineTargetReset));
    EXPECT_EQ(pod.chain().state(0), TapState::TestLogicReset);
    EXPECT_TRUE(dev.target_reset);
    exchange(pod, RequestBuilder().step(kScanWrite, 0x0000, 0).word(kEndOfBatch));
    EXPECT_EQ(pod.chain().state(0), TapState::TestLogicReset); // held

    exchange(pod, RequestBuilder().word(kSetLines).word(kLineTrst | kLineTargetReset).word(0));
    EXPECT_FALSE(dev.target_reset);
    exchange(pod, RequestBuilder().step(kScanWrite, 0x0000, 0).word(kEndOfBatch));
    EXPECT_EQ(pod.chain().state(0), TapState::RunTestIdle);
}

TEST(PodControl, UnwiredTrstLeavesTheChainAlone) {
    Pod pod;
    pod.chain().emplace<test::Register16Device>(0);
    pod.faults().trst_wired = false;
    exchange(pod, RequestBuilder().step(kScanWrite, 0x0000, 0).word(kEndOfBatch));
    exchange(pod, RequestBuilder().word(kSetLines).word(0).word(kLineTrst));
    EXPECT_EQ(pod.chain().state(0), TapState::RunTestIdle);
}

struct BadRequest {
    const char* name;
    Units request;
};

class ProtocolError : public ::testing::TestWithParam<BadRequest> {};

TEST_P(ProtocolError, IsAnsweredAsAnUnknownCommand) {
    Pod pod;
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, std::nullopt});
    const auto reply = exchange(pod, GetParam().request);
    EXPECT_EQ(reply.units, kUnknownReply);
    EXPECT_EQ(reply.length, 4u);
}

INSTANTIATE_TEST_SUITE_P(
    Requests, ProtocolError,
    ::testing::Values(
        BadRequest{"unknown_word", {0x5678, 0x1234, 0x0903, 0x9200}},
        BadRequest{"control_after_batch_commands", {0x0903, 0x8800, 0, 0, 0x0902, 0x8000, 1, 0}},
        BadRequest{"control_with_batch_close", {0x0902, 0x8000, 1, 0, 0x0903, 0x9200}},
        BadRequest{"units_after_batch_close", {0x0903, 0x9200, 0x0903, 0x8800, 0, 0}},
        BadRequest{"scan_step_cut_short", {0x0903, 0x8C00, 0x0001}},
        BadRequest{"half_a_command_word", {0x0903}},
        BadRequest{"lines_without_word_b", {0x0905, 0x8000, 0, 0}},
        BadRequest{"command_list_longer_than_request", {0x0903, 0x9700, 3, 0, 1, 0, 0x0903, 0x9200}},
        BadRequest{"script_run_with_none_stored", {0x0903, 0x8000, 0x0903, 0x9200}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(PodBatch, UnknownCommandStopsTheRequestAfterWhatCameBefore) {
    Pod pod;
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, std::nullopt});
    const auto reply = exchange(pod, RequestBuilder()
                                         .step(kScanWrite, 0x0000, 0)
                                         .word(0x84000903)
                                         .step(kScanWrite, 0x0000, 0)
                                         .word(kEndOfBatch));
    EXPECT_EQ(reply.units, kUnknownReply);
    EXPECT_EQ(pod.log().tck_clocks, 16u);
}

TEST(PodBatch, RequestWithoutCloseGetsNoAnswerAndCostsTheTimeout) {
    Pod pod;
    pod.set_timeout(1000);
    const std::uint64_t before = pod.clock().now_ps();
    const auto reply = exchange(pod, RequestBuilder().step(kScanExchange, 0, 0));
    EXPECT_EQ(reply.get_result, 0u);
    EXPECT_EQ(reply.length, 0u);
    EXPECT_GE(pod.clock().now_ps() - before, 1'000'000'000'000ull);
}

TEST(PodBatch, DataUnitsFollowTheCommandsInOrder) {
    Pod pod;
    pod.script_voltages({VoltageSample{{1, 2, 3, 4, 5}}, VoltageSample{{6, 7, 8, 9, 10}}});
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, 0x4BA00477u});
    // From Test-Logic-Reset: TMS 0,1,0,0 to Shift-DR, IDCODE bits from clock 4.
    const auto reply = exchange(pod, RequestBuilder()
                                         .word(kEndMarker)
                                         .step(kScanExchange, 0x0002, 0)
                                         .word(kVoltageSample)
                                         .step(kScanExchange, 0x0000, 0)
                                         .word(kEndMarker)
                                         .word(kEndOfBatch));
    // 0x4BA00477: bits 0..11 = 0x477 land at 4..15, bits 12..27 in the next unit.
    const Units expected = {0x0903, 0x9200, 0x477F, 1, 2, 3, 4, 5, 0xBA00};
    EXPECT_EQ(reply.units, expected);
    // The control read gets the next scripted sample; the last one stays.
    EXPECT_EQ(exchange(pod, RequestBuilder().word(kReadVoltages)).units,
              (Units{0x0901, 0x8000, 6, 7, 8, 9, 10}));
    EXPECT_EQ(exchange(pod, RequestBuilder().word(kReadVoltages)).units,
              (Units{0x0901, 0x8000, 6, 7, 8, 9, 10}));
}

TEST(PodBatch, LogRecordsEveryExchangeAndClock) {
    Pod pod;
    exchange(pod, RequestBuilder().step(kScanWrite, 0, 0).step(kScanRead, 0, 0).word(kEndOfBatch));
    exchange(pod, RequestBuilder().word(kReadStatus));
    const PodLog& log = pod.log();
    ASSERT_EQ(log.exchanges.size(), 2u);
    EXPECT_EQ(log.exchanges[0].request.size(), 10u);
    EXPECT_EQ(log.exchanges[0].reply, (Units{0x0903, 0x9200, 0xFFFF}));
    EXPECT_EQ(log.exchanges[1].reply.size(), 4u);
    EXPECT_EQ(log.tck_clocks, 32u);
    EXPECT_EQ(log.scan_steps, 2u);
    EXPECT_LT(log.exchanges[0].time_ps, log.exchanges[1].time_ps);
}

TEST(PodBatch, LogKeepsEachTapStateAfterEveryExchange) {
    Pod pod;
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, std::nullopt});
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{3, std::nullopt});
    // From Test-Logic-Reset: Run-Test/Idle, then into Shift-DR and stay.
    exchange(pod, RequestBuilder().step(kScanWrite, 0b0000'0000'0010'0000, 0).word(kEndOfBatch));
    exchange(pod, RequestBuilder().word(kReadStatus));
    const std::vector<TapState> shifting{TapState::ShiftDr, TapState::ShiftDr};
    ASSERT_EQ(pod.log().exchanges.size(), 2u);
    EXPECT_EQ(pod.log().exchanges[0].tap_states, shifting);
    EXPECT_EQ(pod.log().exchanges[1].tap_states, shifting);
}

} // namespace
} // namespace sim
