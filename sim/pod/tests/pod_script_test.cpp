#include "sim/pod/pod.h"

#include <gtest/gtest.h>

#include "sim/pod/pod_words.h"
#include "sim/pod/tests/support/pod_wire.h"
#include "sim/pod/tests/support/register16_device.h"

namespace sim {
namespace {

using namespace pod_words;
using test::exchange;
using test::RequestBuilder;
using test::Units;

// Entries of a stored list are whole u32 words: a step's pin word carries
// TMS in its low half and TDI in its high half, as the step does in a request.
constexpr std::uint32_t pins(std::uint16_t tms, std::uint16_t tdi) {
    return static_cast<std::uint32_t>(tms) | (static_cast<std::uint32_t>(tdi) << 16);
}

RequestBuilder store(const std::vector<std::uint32_t>& list) {
    RequestBuilder rq;
    rq.word(kCommandList).word(static_cast<std::uint32_t>(list.size()));
    for (std::uint32_t w : list) rq.word(w);
    return rq;
}

constexpr std::uint32_t run(std::uint32_t position) { return kRunScript | (position << 12); }
constexpr std::uint32_t patch(std::uint32_t position) { return kPatchScript | (position << 12); }

class PodScript : public ::testing::Test {
protected:
    PodScript() : dev(pod.chain().emplace<test::Register16Device>(0xBEEF)) {
        exchange(pod, RequestBuilder().step(kScanWrite, 0, 0).word(kEndOfBatch)); // Run-Test/Idle
    }
    Pod pod;
    test::Register16Device& dev;
};

// The 16-bit DR exchange of the request tests, as a script: head and data
// step, closing step, end of script.
const std::vector<std::uint32_t> kDrExchange = {
    kScanExchange, pins(0x0001, 0x91A0), // 0: TMS 1,0,0 then data bits 0..12
    kScanExchange, pins(0x000C, 0x0000), // 2: data bits 13..15, Exit1, Update
    kEndScript,                          // 4
    kRepeatStep, 3, pins(0x0000, 0xFFFF), // 5: three idle steps
    kEndScript,                          // 8
};

TEST_F(PodScript, StoringAListRunsNothing) {
    const auto reply = exchange(pod, store(kDrExchange).word(kEndOfBatch));
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200}));
    EXPECT_EQ(pod.command_list(), kDrExchange);
    EXPECT_EQ(pod.log().tck_clocks, 16u);
}

TEST_F(PodScript, RunPlaysTheStepsFromThePositionToTheEndOfScript) {
    exchange(pod, store(kDrExchange).word(kEndOfBatch));
    const auto reply = exchange(pod, RequestBuilder().word(run(0)).word(run(0)).word(kEndOfBatch));
    // The first run reads 0xBEEF and writes 0x1234; the second reads 0x1234.
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200, 0xF77F, 0xFFFD, 0x91A7, 0xFFF8}));
    EXPECT_EQ(dev.value, 0x1234);
    EXPECT_EQ(dev.updates, 2u);
}

TEST_F(PodScript, RepeatEntryClocksItsStepCountTimes) {
    exchange(pod, store(kDrExchange).word(kEndOfBatch));
    const std::uint64_t before = pod.log().tck_clocks;
    const auto reply = exchange(pod, RequestBuilder().word(run(5)).word(kEndOfBatch));
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200}));
    EXPECT_EQ(pod.log().tck_clocks - before, 48u);
    EXPECT_EQ(pod.chain().state(0), TapState::RunTestIdle);
}

TEST_F(PodScript, PatchOverwritesTheTdiOfTheStepsFromItsPosition) {
    exchange(pod, store(kDrExchange).word(kEndOfBatch));
    // 0xA5C3 at bit 3: 0xA5C3 << 3 = 0x52E18 -> units 0x2E18 and 0x0005.
    const auto reply = exchange(pod, RequestBuilder()
                                         .word(patch(0)).unit(2).unit(0x2E18).unit(0x0005).unit(0)
                                         .word(run(0))
                                         .word(kEndOfBatch));
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200, 0xF77F, 0xFFFD}));
    EXPECT_EQ(dev.value, 0xA5C3);
    EXPECT_EQ(pod.command_list()[1], pins(0x0001, 0x2E18));
    EXPECT_EQ(pod.command_list()[3], pins(0x000C, 0x0005));
}

TEST_F(PodScript, UnsimulatedEntryIsAProtocolError) {
    exchange(pod, store({0x8F000903, 300, kEndScript}).word(kEndOfBatch));
    EXPECT_EQ(exchange(pod, RequestBuilder().word(run(0)).word(kEndOfBatch)).units, (Units{0x0006, 0xE000}));
}

TEST_F(PodScript, PatchPastTheStoredStepsIsAProtocolError) {
    exchange(pod, store(kDrExchange).word(kEndOfBatch));
    const auto reply = exchange(pod, RequestBuilder()
                                         .word(patch(0)).unit(3).unit(1).unit(2).unit(3)
                                         .word(kEndOfBatch));
    EXPECT_EQ(reply.units, (Units{0x0006, 0xE000}));
}

} // namespace
} // namespace sim
