// Each fault knob of the simulated device does what it promises, and the
// device works again once the fault has passed.
#include <gtest/gtest.h>

#include "sim/pod/pod_words.h"
#include "sim/usb/sim_emulator.h"
#include "support/usb_client.h"

namespace sim::usb {
namespace {

using test::BoardReply;
using test::Bytes;
using test::framed;
using test::UsbClient;

class Faults : public ::testing::Test {
protected:
    Faults() { EXPECT_TRUE(client.open()); }

    SimEmulator emu;
    SimUsbDevice& dev = emu.device();
    UsbClient client{dev};
};

TEST_F(Faults, ReplyFaultsShapeTheNthReplyOnly) {
    struct Case {
        const char* name;
        ReplyFault fault;
        std::uint32_t bytes;  // delivered
        std::uint32_t length; // length field
        std::uint32_t status;
    };
    const std::uint32_t seq = 1u << 24; // the second command carries sequence 1
    const Case cases[] = {
        {"not supported", {ReplyFault::Kind::NotSupported}, 8, 4, board::kNotSupported},
        {"short", {ReplyFault::Kind::Short, 6}, 6, 8, 0},
        {"overlong", {ReplyFault::Kind::Overlong, 20}, 32, 28, board::kGetStatus | seq},
        {"length field", {ReplyFault::Kind::LengthField, 1025}, 12, 1025, board::kGetStatus | seq},
        {"other sequence", {ReplyFault::Kind::OtherSequence}, 12, 8, board::kGetStatus | (2u << 24)},
        {"status", {ReplyFault::Kind::Status, 0x80000009}, 12, 8, 0x80000009},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        client.sequence = 0;
        dev.fault_reply(2, c.fault);
        const BoardReply first = client.command(board::kGetStatus);
        EXPECT_EQ(first.status, board::kGetStatus);
        const BoardReply second = client.command(board::kGetStatus);
        EXPECT_EQ(second.bytes, c.bytes);
        EXPECT_EQ(second.length, c.length);
        EXPECT_EQ(second.status, c.status);
        const BoardReply third = client.command(board::kGetStatus);
        EXPECT_EQ(third.status, board::kGetStatus | (2u << 24));
        EXPECT_EQ(third.length, 8u);
    }
}

TEST_F(Faults, NoReplyLeavesTheReadToTimeOut) {
    dev.fault_reply(1, ReplyFault{ReplyFault::Kind::NoReply});
    const BoardReply r = client.command(board::kGetStatus);
    EXPECT_FALSE(r.read_ok);
    EXPECT_EQ(r.bytes, 0u);
    EXPECT_EQ(dev.log().read_timeouts, 1u);
    EXPECT_EQ(client.command(board::kGetStatus).length, 8u);
}

TEST_F(Faults, CommandFaultsHitEveryReplyToOneCommandOnlyAsOftenAsAsked) {
    dev.fault_command(board::kBoardInfo, ReplyFault{ReplyFault::Kind::NotSupported}, 2);
    EXPECT_EQ(client.command(board::kGetStatus).status, board::kGetStatus);
    EXPECT_EQ(client.command(board::kBoardInfo, {1}).status, board::kNotSupported);
    EXPECT_EQ(client.command(board::kBoardInfo, {1}).status, board::kNotSupported);
    EXPECT_EQ(client.command(board::kBoardInfo, {1}).status & board::kCodeMask, board::kBoardInfo);
}

TEST_F(Faults, TrafficFaultsCountOnlyTheirKindOfPacket) {
    dev.fault_reply(1, ReplyFault{ReplyFault::Kind::NotSupported}, Traffic::Master);
    EXPECT_EQ(client.command(board::kGetStatus).status, board::kGetStatus);
    ASSERT_TRUE(client.send(framed(pod_words::kReadStatus, {})));
    BoardReply r = client.receive();
    EXPECT_EQ(r.status, board::kNotSupported) << "reply word 0 of the master reply";
    ASSERT_TRUE(client.send(framed(pod_words::kReadStatus, {})));
    EXPECT_EQ(client.receive().status, pod_words::kReadStatus);
}

TEST_F(Faults, TheKthWriteChunkFailsAndTheBrokenPacketIsDropped) {
    const Bytes packet = framed(board::kLoadTarget, {0, 0});
    dev.fault_write(2, WriteFault{WriteFault::Kind::Fail});
    EXPECT_TRUE(client.write(packet.data(), 4).ok);
    const IoResult second = client.write(packet.data() + 4, 4);
    EXPECT_FALSE(second.ok);
    EXPECT_EQ(second.error, error::kGenFailure);
    EXPECT_TRUE(dev.log().packets.empty());
    // The handle still works and the next packet starts afresh.
    EXPECT_EQ(client.command(board::kGetStatus).length, 8u);
}

TEST_F(Faults, AShortWriteReportsFewerBytesThanOffered) {
    dev.fault_write(1, WriteFault{WriteFault::Kind::Short, 5});
    const Bytes packet = framed(board::kGetStatus, {});
    const IoResult r = client.write(packet.data(), static_cast<std::uint32_t>(packet.size()));
    EXPECT_TRUE(r.ok);
    EXPECT_EQ(r.bytes, 5u);
    EXPECT_EQ(dev.log().bytes_written, 5u);
}

TEST_F(Faults, ReopensFailAsManyTimesAsAsked) {
    dev.close(client.handle);
    dev.fail_opens(2);
    EXPECT_EQ(dev.open(dev.current_path()).error, error::kFileNotFound);
    EXPECT_EQ(dev.open(dev.current_path()).error, error::kFileNotFound);
    EXPECT_NE(dev.open(dev.current_path()).handle, 0u);

    // Skip lets the first open through: a re-open after a restart fails.
    dev.fail_opens(200, 1);
    ASSERT_TRUE(client.open());
    client.command(board::kResetTarget, {board::kKey});
    dev.close(client.handle);
    EXPECT_EQ(dev.open(dev.current_path()).error, error::kFileNotFound);
    EXPECT_EQ(dev.log().failed_opens, 3u);
}

TEST_F(Faults, ABoardPulledDuringAWriteOrReadTakesItsHandlesAndLeavesTheBus) {
    struct Case {
        const char* name;
        bool during_read;
    };
    for (const Case c : {Case{"write", false}, Case{"read", true}}) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(client.open());
        const Bytes packet = framed(board::kGetVersion, {});
        if (c.during_read) {
            dev.disconnect_on_read(1);
            ASSERT_TRUE(client.send(packet));
        } else {
            dev.fault_write(1, WriteFault{WriteFault::Kind::Disconnect});
            EXPECT_EQ(client.write(packet.data(), static_cast<std::uint32_t>(packet.size())).error,
                      error::kDeviceNotConnected);
        }
        std::uint8_t buffer[64];
        const IoResult read = client.read(buffer, sizeof buffer);
        EXPECT_FALSE(read.ok);
        EXPECT_EQ(read.error, error::kDeviceNotConnected);
        EXPECT_FALSE(dev.present());
        EXPECT_TRUE(dev.enumerate().empty());
        EXPECT_EQ(client.write(packet.data(), 4).error, error::kDeviceNotConnected);

        // Plugged back: the old handle stays dead, a new one works.
        dev.reconnect();
        EXPECT_EQ(client.write(packet.data(), 4).error, error::kDeviceNotConnected);
        EXPECT_TRUE(dev.close(client.handle).ok);
        ASSERT_TRUE(client.open());
        EXPECT_EQ(client.command(board::kGetStatus).length, 8u);
        dev.close(client.handle);
    }
}

TEST_F(Faults, ABoardPulledAfterAMasterRequestNeverAnswersIt) {
    const Bytes status = framed(pod_words::kReadStatus, {});
    dev.disconnect_on_master_packet(2);
    EXPECT_TRUE(client.send(framed(board::kGetStatus, {})));
    client.receive();
    ASSERT_TRUE(client.send(status));
    EXPECT_EQ(client.receive().status, pod_words::kReadStatus);
    ASSERT_TRUE(client.send(status));
    std::uint8_t buffer[64];
    EXPECT_EQ(client.read(buffer, sizeof buffer).error, error::kDeviceNotConnected);
    EXPECT_FALSE(dev.present());
    EXPECT_EQ(emu.pod().log().exchanges.size(), 1u) << "the cut request never reached the pod";
}

TEST_F(Faults, AnAbsentDeviceCannotBeOpened) {
    dev.close(client.handle);
    dev.set_present(false);
    EXPECT_TRUE(dev.enumerate().empty());
    EXPECT_EQ(dev.open(dev.config().identity.path).error, error::kFileNotFound);
    dev.set_present(true);
    EXPECT_TRUE(client.open());
}

TEST_F(Faults, AGarbageLengthDropsTheStream) {
    const Bytes garbage = {0xFF, 0xFF, 0xFF, 0x7F};
    ASSERT_TRUE(client.write(garbage.data(), 4).ok);
    EXPECT_EQ(dev.log().protocol_errors, 1u);
    EXPECT_EQ(client.command(board::kGetStatus).length, 8u);
}

} // namespace
} // namespace sim::usb
