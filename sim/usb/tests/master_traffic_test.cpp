// Master traffic through the simulated device: a packet that is not a board
// command goes to the pod unchanged and the pod's reply comes back framed.
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

class MasterTraffic : public ::testing::Test {
protected:
    MasterTraffic() { EXPECT_TRUE(client.open()); }

    // A request as the master library builds it: 16-bit units, little-endian.
    static Bytes request(std::initializer_list<std::uint32_t> words) {
        Bytes out;
        for (std::uint32_t w : words) wire::put_u32(out, w);
        return out;
    }
    bool send_request(const Bytes& req) {
        Bytes packet;
        wire::put_u32(packet, static_cast<std::uint32_t>(req.size()));
        packet.insert(packet.end(), req.begin(), req.end());
        return client.send(packet);
    }

    SimEmulator emu;
    SimUsbDevice& dev = emu.device();
    UsbClient client{dev};
};

TEST_F(MasterTraffic, TheTargetSharesTheChainWithOtherDevicesAsLaidOut) {
    ScanChain& chain = emu.pod().chain();
    ASSERT_EQ(chain.size(), 2u);
    EXPECT_EQ(chain.device(0).ir_length(), 4u);
    EXPECT_EQ(&chain.device(1), static_cast<TapDevice*>(&emu.target()));

    EmulatorLayout both;
    both.device_after_target = true;
    const DeviceConfig config;
    SimEmulator three(config, both);
    ASSERT_EQ(three.pod().chain().size(), 3u);
    EXPECT_EQ(&three.pod().chain().device(1), static_cast<TapDevice*>(&three.target()));
    EXPECT_EQ(three.pod().chain().device(2).ir_length(), 5u);
}

TEST_F(MasterTraffic, AControlCommandReachesThePodAndItsReplyComesBackFramed) {
    emu.pod().set_status_word(0x00C0FFEE);
    ASSERT_TRUE(send_request(request({pod_words::kReadStatus})));
    const BoardReply r = client.receive();
    EXPECT_EQ(r.length, 8u);
    EXPECT_EQ(r.status, pod_words::kReadStatus) << "the echo";
    EXPECT_EQ(r.u32(0), 0x00C0FFEEu);

    ASSERT_EQ(emu.pod().log().exchanges.size(), 1u);
    EXPECT_EQ(emu.pod().log().exchanges[0].request.size(), 2u);
    const PacketRecord& p = dev.log().packets.back();
    EXPECT_FALSE(p.board);
    EXPECT_EQ(p.reply_word, pod_words::kReadStatus);
    EXPECT_EQ(dev.log().master_exchanges, 1u);
    EXPECT_EQ(dev.log().board_commands, 0u);
}

TEST_F(MasterTraffic, ABatchLongerThanOneChunkClocksTheChainAndAnswersItsData) {
    // 120 exchange steps (8 bytes each) and the end of batch: 968 bytes, two
    // chunks of the 512-byte out-buffer.
    Bytes req;
    for (int i = 0; i < 120; ++i) {
        wire::put_u32(req, pod_words::kScanExchange);
        wire::put_u16(req, 0x0000); // TMS: stay where the TAPs are
        wire::put_u16(req, 0xFFFF);
    }
    wire::put_u32(req, pod_words::kEndOfBatch);
    ASSERT_TRUE(send_request(req));
    EXPECT_EQ(dev.log().writes, 2u);
    const BoardReply r = client.receive();
    EXPECT_EQ(r.status, pod_words::kEndOfBatch);
    EXPECT_EQ(r.length, 4u + 120u * 2u);
    EXPECT_EQ(emu.pod().log().scan_steps, 120u);
    EXPECT_EQ(emu.pod().log().tck_clocks, 120u * 16u);
}

TEST_F(MasterTraffic, APodThatDoesNotAnswerLeavesTheReadToTimeOut) {
    emu.pod().go_dead_for(1);
    ASSERT_TRUE(send_request(request({pod_words::kReadStatus})));
    EXPECT_FALSE(client.receive().read_ok);
    ASSERT_TRUE(send_request(request({pod_words::kReadStatus})));
    EXPECT_EQ(client.receive().status, pod_words::kReadStatus);
}

TEST_F(MasterTraffic, ThePodsOverlongReplyKeepsItsTrueLength) {
    emu.pod().fault_reply(1, sim::ReplyFault{sim::ReplyFault::Kind::Overlong, 2100});
    ASSERT_TRUE(send_request(request({pod_words::kReadStatus})));
    const BoardReply r = client.receive();
    EXPECT_EQ(r.length, 8u + 2100u);
    EXPECT_EQ(r.bytes, 4u + 8u + 2100u);
}

TEST_F(MasterTraffic, TheBootLoaderRefusesMasterTraffic) {
    client.command(board::kResetTarget, {board::kKey});
    dev.close(client.handle);
    ASSERT_TRUE(client.open());
    ASSERT_TRUE(send_request(request({pod_words::kReadStatus})));
    EXPECT_EQ(client.receive().status, board::kNotSupported);
    EXPECT_TRUE(emu.pod().log().exchanges.empty());
}

} // namespace
} // namespace sim::usb
