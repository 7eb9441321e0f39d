#include "ccsdriver/master_link.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "ccsdriver/driver_settings.h"
#include "ccsdriver/gti_api.h"
#include "ccsdriver/gti_frame.h"
#include "ccsdriver/real_usb_device.h"
#include "sim/pod/tms320c54x_target.h"
#include "sim/usb/sim_usb_device.h"
#include "support/driver_fixture.h"
#include "sim/host/seam/device_seam.h"

namespace {

using sim::usb::ReplyFault;
using sim::usb::Traffic;

class MasterLink : public DriverFixture {
protected:
    sim::Pod pod;
    std::unique_ptr<sim::usb::SimUsbDevice> device;
    std::unique_ptr<sim::host::DeviceSeam> seam;

    void SetUp() override
    {
        DriverFixture::SetUp();
        pod.chain().emplace<sim::Tms320c54xTarget>();
        device = std::make_unique<sim::usb::SimUsbDevice>(pod, sim::usb::DeviceConfig{});
        seam = std::make_unique<sim::host::DeviceSeam>(GetModuleHandleA(nullptr), *device);
    }
    void TearDown() override
    {
        DriverFixture::TearDown();  // closes the board while the seam is in place
        seam.reset();
    }
    const sim::usb::PacketRecord* LastMasterPacket() const
    {
        const auto& packets = device->log().packets;
        for (auto it = packets.rbegin(); it != packets.rend(); ++it)
            if (!it->board) return &*it;
        return nullptr;
    }
};

TEST_F(MasterLink, WithoutABoardEveryTransportCallSaysDeviceNotFound)
{
    uint8_t reply[16];
    uint32_t length = 0;
    EXPECT_EQ(1u, UsbSendTargetRequest("abcdef", 6));
    EXPECT_EQ(1u, UsbGetTargetReply(reply, &length));
    EXPECT_EQ(1u, UsbSetTargetTimeout(1000));
}

TEST_F(MasterLink, InitOpensTheBoardAndStartsTheMaster)
{
    DrvSetJtagSpeed(5);
    EXPECT_EQ(0, GTI_INIT_EX(0, "C:\\host", 0, "board.dat", 0, 0, 0, 0, 0));
    EXPECT_TRUE(BoardIsOpen());
    EXPECT_STREQ("VOQ-54xx", BoardSignatureText());
    EXPECT_EQ(device->config().firmware.target_version, KeptBoardVersions().target);
    EXPECT_EQ((std::vector<std::string>{"Master_Init", "Master_SetConfig", "Master_Stop"}), MasterCalls());
    EXPECT_TRUE(AllCallsOnTms());
    EXPECT_EQ(1u, LastCall("Master_Init").args[0]) << "a signature text gives pod mode 1";
    uint32_t size = 0;
    const uint8_t* record = Recorder_LastConfig(&size);
    ASSERT_EQ(158u, size);
    uint8_t expected[158] = {};
    expected[3] = 5;
    expected[20] = 1;
    expected[60] = 0x20;
    expected[64] = 0xDF;
    expected[65] = 0x0F;
    expected[80] = 0xFF;
    expected[81] = 0x0F;
    EXPECT_EQ(0, memcmp(expected, record, 158));
    EXPECT_TRUE(Traced("Setting config:\n JTAGSpeed = 5\n"));
}

TEST_F(MasterLink, EmptySignatureTextGivesPodMode2)
{
    device->config().firmware.text = "";
    EXPECT_EQ(0, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    EXPECT_EQ(2u, LastCall("Master_Init").args[0]);
}

TEST_F(MasterLink, InitFailuresReturnMinusOne)
{
    // No board: the pair stays as it was and the host is told why.
    device->set_present(false);
    g_gtiError = {0, 0};
    EXPECT_EQ(-1, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    EXPECT_TRUE(MasterCalls().empty());
    uint32_t origin, flag, z1, z2;
    EXPECT_STREQ("Cannot detect the emulator board", GTI_GETERRSTR_EX2(nullptr, &origin, &flag, &z1, &z2));

    // A board whose firmware does not start is not connected, though no
    // transfer failed.
    device->set_present(true);
    device->config().starts_in_boot_loader = true;
    device->faults().stay_in_boot_loader = true;
    device->disconnect();
    device->reconnect();
    EXPECT_EQ(-1, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    EXPECT_FALSE(BoardIsOpen());
    EXPECT_TRUE(MasterCalls().empty());

    // A master failure stops the sequence with the code in the pair.
    device->faults().stay_in_boot_loader = false;
    Recorder_SetResult("Master_Init", 0x0D390001);
    EXPECT_EQ(-1, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    // (the failure's trace line asks for its text)
    EXPECT_EQ((std::vector<std::string>{"Master_Init", "Master_GetErrorString"}), MasterCalls());
    EXPECT_EQ(0x0D390001u, g_gtiError.code);
}

TEST_F(MasterLink, RequestIsFramedWithItsLength)
{
    ASSERT_EQ(0, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    const uint8_t request[6] = {1, 2, 3, 4, 5, 6};
    EXPECT_EQ(0u, UsbSendTargetRequest(request, 6));
    const sim::usb::PacketRecord* packet = LastMasterPacket();
    ASSERT_NE(nullptr, packet);
    EXPECT_EQ(std::vector<uint8_t>(request, request + 6), packet->body);
    EXPECT_EQ(0u, UsbSetTargetTimeout(1000));
    EXPECT_EQ(1000u, device->timeout_ms());
}

// Sends one real master request (a status read of the pod) and reads the reply.
class MasterReply : public MasterLink {
protected:
    uint8_t area[2008 + 64];
    uint32_t length = 0;

    uint32_t Exchange(const ReplyFault* fault = nullptr)
    {
        if (fault) device->fault_reply(1, *fault, Traffic::Master);
        memset(area, 0xCC, sizeof area);
        length = 0;
        // A master request the pod answers: the command word alone.
        const uint32_t words[2] = {0x00000903u, 0};
        uint32_t sent = UsbSendTargetRequest(words, 4);
        if (sent) return sent;
        return UsbGetTargetReply(area, &length);
    }
    void SetUp() override
    {
        MasterLink::SetUp();
        ASSERT_EQ(0, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    }
};

TEST_F(MasterReply, ReplyLengthAndBytesComeFromTheTransfer)
{
    ASSERT_EQ(0u, Exchange());
    const sim::usb::PacketRecord* packet = LastMasterPacket();
    ASSERT_NE(nullptr, packet);
    EXPECT_EQ(packet->reply_bytes - 4, length);
    EXPECT_EQ(0xCC, area[length]) << "nothing past the reply";
}

TEST_F(MasterReply, OverlongReplyIsCappedAtTheReplyAreaButReportedWhole)
{
    ReplyFault overlong{ReplyFault::Kind::Overlong, 3000};
    ASSERT_EQ(0u, Exchange(&overlong));
    EXPECT_GT(length, 2008u);
    for (uint32_t i = 2008; i < sizeof area; ++i) ASSERT_EQ(0xCC, area[i]) << i;
}

TEST_F(MasterReply, ReplyLongerThanTheInBufferIsReadWholeAndTheNextOneStaysInStep)
{
    device->config().in_buffer_size = 256;
    ASSERT_EQ(0, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    ASSERT_EQ(256u, Board()->InBufferSize());
    ReplyFault overlong{ReplyFault::Kind::Overlong, 700};
    ASSERT_EQ(0u, Exchange(&overlong));
    EXPECT_EQ(LastMasterPacket()->reply_bytes - 4, length);
    EXPECT_GT(length, 700u);
    EXPECT_EQ(0u, device->pending_reply_bytes());
    ASSERT_EQ(0u, Exchange());
    EXPECT_EQ(LastMasterPacket()->reply_bytes - 4, length);
}

TEST_F(MasterReply, ShortOrMissingReplyNeverReportsTheOldLength)
{
    ASSERT_EQ(0u, Exchange());
    ASSERT_GT(length, 0u);
    ReplyFault shortReply{ReplyFault::Kind::Short, 2};
    EXPECT_EQ(0u, Exchange(&shortReply));
    EXPECT_EQ(0u, length);
    ReplyFault none{ReplyFault::Kind::NoReply, 0};
    EXPECT_EQ(0u, Exchange(&none));
    EXPECT_EQ(0u, length);
    // A length field beyond the bytes that came is cut to them.
    ReplyFault field{ReplyFault::Kind::LengthField, 500};
    EXPECT_EQ(0u, Exchange(&field));
    EXPECT_LT(length, 500u);
}

TEST_F(MasterReply, OneFailedTransferDoesNotBlockTheNextRequest)
{
    device->fault_write(1, {sim::usb::WriteFault::Kind::Fail, 0});
    EXPECT_EQ(3u, Exchange());
    EXPECT_TRUE(Board()->WasError());
    EXPECT_EQ(0u, Exchange());
    EXPECT_GT(length, 0u);
}

TEST_F(MasterReply, BoardPulledDuringARead)
{
    device->disconnect_on_read(1);
    EXPECT_EQ(4u, Exchange());
    device->reconnect();
    // The old handle is gone with the board; a new GTI_INIT_EX finds it again.
    EXPECT_EQ(0, GTI_INIT_EX(0, "", 0, "", 0, 0, 0, 0, 0));
    EXPECT_EQ(0u, Exchange());
}

}  // namespace
