#include "sim/pod/transport.h"

#include <gtest/gtest.h>

#include "sim/pod/generic_device.h"
#include "sim/pod/pod_words.h"
#include "sim/pod/tests/support/pod_wire.h"

namespace sim {
namespace {

using namespace pod_words;

// The slots hold plain function pointers of the transport's types.
struct Slots {
    SendTargetRequestFn send = &SendTargetRequest;
    GetTargetReplyFn get = &GetTargetReply;
    SetTargetTimeoutFn timeout = &SetTargetTimeout;
};

TEST(Transport, UnboundFunctionsFailWithoutTouchingAnything) {
    bind_transport(nullptr);
    Slots slots;
    const std::uint16_t request[2] = {0x0906, 0x8000};
    std::uint8_t area[Pod::kReplyAreaBytes] = {};
    std::uint32_t length = 0;
    EXPECT_EQ(slots.send(request, 4), 2u);
    EXPECT_EQ(slots.get(area, &length), 2u);
    EXPECT_EQ(slots.timeout(1000), 2u);
    EXPECT_EQ(length, 0u);
}

TEST(Transport, BoundPodAnswersThroughTheSlots) {
    Pod pod;
    pod.set_status_word(0xCAFE0001);
    TransportBinding binding(pod);
    Slots slots;
    EXPECT_EQ(slots.timeout(1000), 0u);
    const std::uint8_t request[4] = {0x06, 0x09, 0x00, 0x80}; // 0x80000906, little-endian
    ASSERT_EQ(slots.send(request, 4), 0u);
    std::uint8_t area[Pod::kReplyAreaBytes] = {};
    std::uint32_t length = 0;
    ASSERT_EQ(slots.get(area, &length), 0u);
    ASSERT_EQ(length, 8u);
    const std::uint8_t expected[8] = {0x06, 0x09, 0x00, 0x80, 0x01, 0x00, 0xFE, 0xCA};
    EXPECT_TRUE(std::equal(expected, expected + 8, area));
    EXPECT_EQ(pod.log().timeouts_set, std::vector<std::uint32_t>{1000});
    EXPECT_EQ(pod.timeout_ms(), 1000u);
}

TEST(Transport, BindingEndsWithItsScope) {
    Pod pod;
    {
        TransportBinding binding(pod);
        EXPECT_EQ(bound_pod(), &pod);
    }
    EXPECT_EQ(bound_pod(), nullptr);
}

TEST(VirtualTime, AdvancesPerExchangeAndPerTckClockAtTheSetRate) {
    Pod pod;
    pod.clock().set_exchange_latency_ps(1'000'000);   // 1 us
    pod.clock().set_tck_hz(3, 1'000'000);             // 1 us per clock at setting 3
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, std::nullopt});
    test::exchange(pod, test::RequestBuilder().word(kSetParameter).word(3));
    EXPECT_EQ(pod.clock().now_ps(), 1'000'000u);
    test::exchange(pod, test::RequestBuilder().step(kScanWrite, 0, 0).step(kScanWrite, 0, 0).word(kEndOfBatch));
    EXPECT_EQ(pod.clock().now_ps(), 2'000'000u + 32u * 1'000'000u);
}

} // namespace
} // namespace sim
