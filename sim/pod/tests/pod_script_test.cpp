#include "sim/pod/pod.h"

#include <gtest/gtest.h>

#include <deque>

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

TEST_F(PodScript, PatchPastTheStoredStepsIsAProtocolError) {
    exchange(pod, store(kDrExchange).word(kEndOfBatch));
    const auto reply = exchange(pod, RequestBuilder()
                                         .word(patch(0)).unit(3).unit(1).unit(2).unit(3)
                                         .word(kEndOfBatch));
    EXPECT_EQ(reply.units, (Units{0x0006, 0xE000}));
}


// ---- retry blocks, comparisons, jumps ----------------------------------

// A device whose 16-bit DR captures the next value of a list (the last one
// stays): a status register that changes from one scan to the next.
class SequenceDevice : public TapDevice {
public:
    explicit SequenceDevice(std::deque<std::uint16_t> values) : values(std::move(values)) {}
    unsigned ir_length() const override { return 4; }
    Bits capture_ir() override { return bits_from_u64(0x1, 4); }
    void update_ir(const Bits&) override {}
    Bits capture_dr() override {
        ++captures;
        const std::uint16_t v = values.front();
        if (values.size() > 1) values.pop_front();
        return bits_from_u64(v, 16);
    }
    void update_dr(const Bits&) override {}
    void reset() override {}

    std::deque<std::uint16_t> values;
    unsigned captures = 0;
};

// Two capturing steps that read the 16-bit register from Run-Test/Idle: its
// bit k lands in bit k + 3 of the first unit (bits 13-15 in the second).
const std::uint32_t kRead[] = {kScanExchange, pins(0x0001, 0), kScanExchange, pins(0x000C, 0)};
// Compare word: register bits under a mask, placed as the first unit sees them.
constexpr std::uint32_t expect(std::uint16_t mask, std::uint16_t value) {
    return (static_cast<std::uint32_t>(mask << 3) << 16) | static_cast<std::uint16_t>(value << 3);
}
constexpr std::uint32_t kOpen = 0x8F000903, kCompare = 0x8E000903, kJump = 0x8B000903, kEnd = 0x90000903,
                        kFailed = 0x93000903;

using Words = std::vector<std::uint32_t>;
Words list(std::initializer_list<Words> parts) {
    Words out;
    for (const Words& part : parts) out.insert(out.end(), part.begin(), part.end());
    return out;
}
Words read_entries() { return {std::begin(kRead), std::end(kRead)}; }

// Retry until bit 0 reads 1, at most `passes` passes; then a second read
// past the block's failure path, whose slots stay 0 when the block fails.
//  0 open | 2 read | 6 compare | 9 jump 14 | 11 end | 12 failed | 14 end-of-script
//  15 read (reached by the jump) | 19 end-of-script
std::vector<std::uint32_t> retry_script(std::uint32_t passes) {
    return list({{kOpen, passes}, read_entries(), {kCompare, 1, expect(1, 1), kJump, 15, kEnd, kFailed, 0, kEndScript},
                 read_entries(), {kEndScript}});
}

class PodRetry : public ::testing::Test {
protected:
    explicit PodRetry(std::deque<std::uint16_t> values = {0}) : dev(pod.chain().emplace<SequenceDevice>(values)) {
        exchange(pod, RequestBuilder().step(kScanWrite, 0, 0).word(kEndOfBatch));
    }
    test::Reply run_stored(const std::vector<std::uint32_t>& script, std::uint32_t start = 0) {
        exchange(pod, store(script).word(kEndOfBatch));
        return exchange(pod, RequestBuilder().word(run(start)).step(kScanExchange, 0, 0).word(kEndOfBatch));
    }
    Pod pod;
    SequenceDevice& dev;
};

std::uint16_t unit0(std::uint16_t v) { return static_cast<std::uint16_t>((v << 3) | 0x7); }
std::uint16_t unit1(std::uint16_t v) { return static_cast<std::uint16_t>(0xFFF8 | (v >> 13)); }

TEST_F(PodRetry, BlockRetriesUntilTheComparisonMatchesAndTheRetriedCaptureOverwritesItsUnits) {
    dev.values = {0x0A, 0x0C, 0x0B, 0x0E};
    const auto reply = run_stored(retry_script(5));
    // Third pass matched (0x0B); the read after the block took 0x0E; the step
    // after the run follows the script's four units.
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200, unit0(0x0B), unit1(0x0B), unit0(0x0E), unit1(0x0E), 0xFFFF}));
    EXPECT_EQ(dev.captures, 4u);
    EXPECT_EQ(pod.log().block_failures, 0u);
}

TEST_F(PodRetry, ExhaustedBlockTakesItsFailurePathAndTheUnreachedSlotsReadZero) {
    dev.values = {0x02};
    const auto reply = run_stored(retry_script(3));
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200, unit0(0x02), unit1(0x02), 0, 0, 0xFFFF}));
    EXPECT_EQ(dev.captures, 3u);
    EXPECT_EQ(pod.log().block_failures, 1u);
    EXPECT_EQ(pod.chain().state(0), TapState::RunTestIdle);
}

TEST_F(PodRetry, FailedComparisonOutsideABlockEndsTheScriptEarlyWithItsFullReply) {
    // 0 read | 4 compare | 7 jump 10 | 9 end-of-script | 10 read | 14 end-of-script
    dev.values = {0x00, 0x01};
    const auto script = list({read_entries(), {kCompare, 1, expect(1, 1), kJump, 10, kEndScript}, read_entries(),
                              {kEndScript}});
    EXPECT_EQ(run_stored(script).units, (Units{0x0903, 0x9200, unit0(0x00), unit1(0x00), 0, 0, 0xFFFF}));
    EXPECT_EQ(run_stored(script).units,
              (Units{0x0903, 0x9200, unit0(0x01), unit1(0x01), unit0(0x01), unit1(0x01), 0xFFFF}));
}

// The register-ready shape: an outer block polls a second condition on the
// transfer that an inner block retried, and its jump leaves only the inner
// one.
//  0 open outer | 2 open inner | 4 read | 8 compare bit 0 | 11 jump 17 | 13 end inner
//  14 failed | 16 end-of-script | 17 compare bit 1 (same transfer) | 20 jump 25
//  22 end outer | 23 failed | 25 end-of-script
std::vector<std::uint32_t> nested_script() {
    return list({{kOpen, 3, kOpen, 2}, read_entries(),
                 {kCompare, 1, expect(1, 1), kJump, 17, kEnd, kFailed, 0, kEndScript},
                 {kCompare, 1, expect(2, 2), kJump, 25, kEnd, kFailed, 0, kEndScript}});
}

TEST_F(PodRetry, NestedBlocksPollTheSecondConditionOnTheInnerTransfer) {
    dev.values = {0x0, 0x1, 0x1, 0x3};
    const auto reply = run_stored(nested_script());
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200, unit0(0x3), unit1(0x3), 0xFFFF}));
    EXPECT_EQ(dev.captures, 4u);
    EXPECT_EQ(pod.log().block_failures, 0u);
}

TEST_F(PodRetry, InnerFailureEndsTheOuterLoop) {
    dev.values = {0x1, 0x0};
    const auto reply = run_stored(nested_script());
    EXPECT_EQ(reply.units, (Units{0x0903, 0x9200, unit0(0x0), unit1(0x0), 0xFFFF}));
    EXPECT_EQ(dev.captures, 3u); // outer pass 1: one read; pass 2: the inner block's two
    EXPECT_EQ(pod.log().block_failures, 1u);
}

TEST_F(PodRetry, MalformedScriptsAreProtocolErrors) {
    const std::vector<std::pair<const char*, std::vector<std::uint32_t>>> cases = {
        {"block of no passes", list({{kOpen, 0}, read_entries(), {kEnd, kEndScript}})},
        {"block without its end", list({{kOpen, 3}, read_entries(), {kEndScript}})},
        {"end with no block open", list({read_entries(), {kEnd, kEndScript}})},
        {"jump before any comparison", list({read_entries(), {kJump, 0, kEndScript}})},
        {"comparison past the captured units", list({read_entries(), {kCompare, 3, 0, 0, 0, kEndScript}})},
        {"comparison running past the list", list({read_entries(), {kCompare, 9, 0}})},
        {"jump past the list", list({read_entries(), {kCompare, 0, kJump, 99, kEndScript}})},
        {"failure mark with an operand", list({read_entries(), {kFailed, 1, kEndScript}})},
        {"unknown entry", list({read_entries(), {0x84000903, kEndScript}})},
    };
    for (const auto& [name, script] : cases) {
        exchange(pod, store(script).word(kEndOfBatch));
        EXPECT_EQ(exchange(pod, RequestBuilder().word(run(0)).word(kEndOfBatch)).units, (Units{0x0006, 0xE000}))
            << name;
    }
}

TEST_F(PodRetry, PatchSkipsTheBlockEntriesBeforeItsSteps) {
    exchange(pod, store(retry_script(2)).word(kEndOfBatch));
    exchange(pod, RequestBuilder().word(patch(0)).unit(2).unit(0x1111).unit(0x2222).unit(0).word(kEndOfBatch));
    EXPECT_EQ(pod.command_list()[3], pins(0x0001, 0x1111));
    EXPECT_EQ(pod.command_list()[5], pins(0x000C, 0x2222));
    EXPECT_EQ(pod.command_list()[8], expect(1, 1)); // the comparison word is no step
}

} // namespace
} // namespace sim
