#include "sim/pod/pod.h"

#include <gtest/gtest.h>

#include <functional>

#include "sim/pod/generic_device.h"
#include "sim/pod/pod_words.h"
#include "sim/pod/tests/support/pod_wire.h"

namespace sim {
namespace {

using namespace pod_words;
using test::exchange;
using test::RequestBuilder;
using test::Units;

// A batch whose honest reply is the echo and one IDCODE unit from any state:
// five TMS-high clocks reset the TAP, the rest idle; then TMS 1,0,0 reach
// Shift-DR and IDCODE bits 0..12 (0x477) come out from clock 3 on.
RequestBuilder idcode_batch() {
    return RequestBuilder().step(kScanWrite, 0x001F, 0).step(kScanExchange, 0x0001, 0).word(kEndOfBatch);
}
const Units kHonest = {0x0903, 0x9200, 0x23BF};

Pod pod_with_device() {
    Pod pod;
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, 0x4BA00477u});
    return pod;
}

struct ReplyFaultCase {
    const char* name;
    ReplyFault fault;
    std::uint32_t length;  // bytes reported
    Units stored_prefix;   // first units stored
};

class ReplyFaults : public ::testing::TestWithParam<ReplyFaultCase> {};

TEST_P(ReplyFaults, ChangeOnlyTheRequestTheyAreAimedAt) {
    const ReplyFaultCase& c = GetParam();
    Pod pod = pod_with_device();
    pod.fault_reply(2, c.fault);
    EXPECT_EQ(exchange(pod, idcode_batch()).units, kHonest);

    const auto reply = exchange(pod, idcode_batch());
    EXPECT_EQ(reply.length, c.length);
    ASSERT_GE(reply.units.size(), c.stored_prefix.size());
    EXPECT_EQ(Units(reply.units.begin(), reply.units.begin() + static_cast<long>(c.stored_prefix.size())),
              c.stored_prefix);

    // The fault was one-shot: the next batch is answered honestly again.
    EXPECT_EQ(exchange(pod, idcode_batch()).units, kHonest);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ReplyFaults,
    ::testing::Values(
        ReplyFaultCase{"no_reply", {ReplyFault::Kind::NoReply, 0}, 0, {}},
        ReplyFaultCase{"unknown_command", {ReplyFault::Kind::UnknownCommand, 0}, 4, {0x0006, 0xE000}},
        ReplyFaultCase{"wrong_echo", {ReplyFault::Kind::WrongEcho, 0x92000904}, 6, {0x0904, 0x9200, 0x23BF}},
        ReplyFaultCase{"short", {ReplyFault::Kind::Short, 4}, 4, {0x0903, 0x9200}},
        ReplyFaultCase{"overlong", {ReplyFault::Kind::Overlong, 2100}, 2106, {0x0903, 0x9200, 0x23BF}},
        ReplyFaultCase{"flipped_bits", {ReplyFault::Kind::FlipBits, 0x8001, 2}, 6, {0x0903, 0x9200, 0xA3BE}},
        ReplyFaultCase{"flip_past_the_end", {ReplyFault::Kind::FlipBits, 0xFFFF, 3}, 6, {0x0903, 0x9200, 0x23BF}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ReplyFaults, OverlongReplyIsReportedButNeverStoredPastTheReplyArea) {
    Pod pod = pod_with_device();
    // By hand, with guard bytes behind the host's reply area.
    pod.fault_reply(1, {ReplyFault::Kind::Overlong, 4000});
    const Units request = idcode_batch().units();
    ASSERT_EQ(pod.send_request(request.data(), static_cast<std::uint32_t>(request.size() * 2)), 0u);
    std::vector<std::uint8_t> area(Pod::kReplyAreaBytes + 64, 0xCC);
    std::uint32_t length = 0;
    ASSERT_EQ(pod.get_reply(area.data(), &length), 0u);
    EXPECT_EQ(length, 6u + 4000u);
    for (std::size_t i = Pod::kReplyAreaBytes; i < area.size(); ++i) ASSERT_EQ(area[i], 0xCC) << i;
}

struct TransportFaultCase {
    TransportCall call;
    std::uint32_t result;
};

class TransportFaults : public ::testing::TestWithParam<TransportFaultCase> {};

TEST_P(TransportFaults, TheKthCallReturnsTheResultAndTheOthersDoNot) {
    const auto [call, result] = GetParam();
    Pod pod = pod_with_device();
    pod.fail_transport_call(call, 2, result);
    const auto call_once = [&] {
        if (call == TransportCall::Timeout) return pod.set_timeout(1000);
        const auto reply = exchange(pod, idcode_batch());
        return call == TransportCall::Send ? reply.send_result : reply.get_result;
    };
    EXPECT_EQ(call_once(), 0u);
    EXPECT_EQ(call_once(), result);
    EXPECT_EQ(call_once(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Calls, TransportFaults,
    ::testing::Values(TransportFaultCase{TransportCall::Send, 1}, TransportFaultCase{TransportCall::Send, 3},
                      TransportFaultCase{TransportCall::Reply, 2}, TransportFaultCase{TransportCall::Reply, 4},
                      TransportFaultCase{TransportCall::Timeout, 3}));

TEST(TransportFaults, FailedSendDeliversNothing) {
    Pod pod = pod_with_device();
    pod.fail_transport_call(TransportCall::Send, 1, 3);
    const auto reply = exchange(pod, idcode_batch());
    EXPECT_EQ(reply.send_result, 3u);
    EXPECT_EQ(reply.length, 0u);
    EXPECT_EQ(pod.log().tck_clocks, 0u);
    EXPECT_TRUE(pod.log().exchanges.empty());
}

TEST(PodDead, IgnoresNRequestsThenAnswersAgain) {
    Pod pod = pod_with_device();
    pod.go_dead_for(2);
    EXPECT_EQ(exchange(pod, idcode_batch()).length, 0u);
    EXPECT_EQ(exchange(pod, idcode_batch()).length, 0u);
    EXPECT_EQ(pod.log().tck_clocks, 0u);
    EXPECT_EQ(exchange(pod, idcode_batch()).units, kHonest);
    ASSERT_EQ(pod.log().exchanges.size(), 3u);
    EXPECT_FALSE(pod.log().exchanges[0].delivered);
    EXPECT_TRUE(pod.log().exchanges[2].delivered);
}

struct LineFaultCase {
    const char* name;
    std::function<void(PodFaults&)> apply;
    std::uint16_t idcode_unit; // the unit an honest chain answers 0x23BF with
    bool chain_clocked;
};

class LineFaults : public ::testing::TestWithParam<LineFaultCase> {};

TEST_P(LineFaults, ShowOnTdoAsTheWireWould) {
    const LineFaultCase& c = GetParam();
    Pod pod = pod_with_device();
    c.apply(pod.faults());
    EXPECT_EQ(exchange(pod, idcode_batch()).units, (Units{0x0903, 0x9200, c.idcode_unit}));
    EXPECT_EQ(pod.chain().clocks() > 0, c.chain_clocked);
    EXPECT_EQ(pod.log().tck_clocks, 32u); // the pod clocks TCK either way
}

INSTANTIATE_TEST_SUITE_P(
    Faults, LineFaults,
    ::testing::Values(
        LineFaultCase{"none", [](PodFaults&) {}, 0x23BF, true},
        LineFaultCase{"tdo_stuck_low", [](PodFaults& f) { f.tdo_stuck = false; }, 0x0000, true},
        LineFaultCase{"tdo_stuck_high", [](PodFaults& f) { f.tdo_stuck = true; }, 0xFFFF, true},
        LineFaultCase{"target_disconnected", [](PodFaults& f) { f.target_disconnected = true; }, 0xFFFF, false}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(LineFaults, ReadModeLoopsTheStuckValueIntoTheChain) {
    // A broken TDO also breaks a read: the pod feeds what it sees back in.
    Pod pod;
    auto& dev = pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, std::nullopt, 0x1});
    pod.faults().tdo_stuck = false;
    // TLR -> Shift-IR (0,1,1,0,0), five bits shifted (the last with TMS 1),
    // Update-IR, Run-Test/Idle. Were the TDI word driven, the IR would be 0xF.
    exchange(pod, RequestBuilder().step(kScanRead, 0b0000'0110'0000'0110, 0xFFFF).word(kEndOfBatch));
    EXPECT_EQ(dev.instruction(), 0x0u);
}

TEST(VoltageFaults, ScriptedSamplesShowNoPowerAndFuseDrop) {
    Pod pod;
    pod.script_voltages({VoltageSample{{5000, 0, 0, 0, 0}}, VoltageSample{{5000, 3300, 2500, 0, 0}}});
    EXPECT_EQ(exchange(pod, RequestBuilder().word(kReadVoltages)).units,
              (Units{0x0901, 0x8000, 5000, 0, 0, 0, 0}));
    EXPECT_EQ(exchange(pod, RequestBuilder().word(kReadVoltages)).units,
              (Units{0x0901, 0x8000, 5000, 3300, 2500, 0, 0}));
}

TEST(StatusFaults, ErrorBitIsRaisedOnTopOfTheStatusWord) {
    Pod pod;
    pod.set_status_word(0x00000100);
    pod.faults().status_error = true;
    EXPECT_EQ(exchange(pod, RequestBuilder().word(kReadStatus)).units,
              (Units{0x0906, 0x8000, 0x0100 | kStatusError, 0x0000}));
}

} // namespace
} // namespace sim
