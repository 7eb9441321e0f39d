#include "ccsdriver/real_usb_device.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "ccsdriver/board_commands.h"
#include "ccsdriver/lcg_stream.h"
#include "ccsdriver/usb_trace.h"
#include "sim/usb/sim_usb_device.h"
#include "support/usb_capture.h"
#include "sim/host/seam/device_seam.h"

namespace {

using sim::usb::ReplyFault;

class BoardProtocolTest : public ::testing::Test {
protected:
    sim::Pod pod;
    sim::usb::SimUsbDevice device{pod, sim::usb::DeviceConfig{}};
    UsbCapture capture;
    std::unique_ptr<sim::host::DeviceSeam> seam;

    std::unique_ptr<RealUSBDevice> Open()
    {
        if (!seam) seam = std::make_unique<sim::host::DeviceSeam>(GetModuleHandleA(nullptr), device);
        auto board = std::make_unique<RealUSBDevice>();
        if (board->IsOpen()) board->SetNoRecoveryDump(false);
        return board;
    }
    std::vector<uint8_t> BoardSequences() const
    {
        std::vector<uint8_t> s;
        for (const auto& p : device.log().packets)
            if (p.board) s.push_back(p.sequence);
        return s;
    }
    void TearDown() override { seam.reset(); }
};

TEST_F(BoardProtocolTest, ConnectReadsWhatTheBoardReports)
{
    auto board = Open();
    ASSERT_TRUE(board->IsOpen());
    EXPECT_EQ(4096u, board->InBufferSize());  // the constructor's SET_EXCHANGE
    EXPECT_EQ(512u, board->OutBufferSize());
    ASSERT_TRUE(board->Connect());
    EXPECT_FALSE(board->WasError());
    const auto& fw = device.config().firmware;
    EXPECT_EQ(fw.boot_version, board->BootVersion());
    EXPECT_EQ(fw.target_version, board->TargetVersion());
    EXPECT_EQ(fw.boot_text, board->BootVersionText());
    EXPECT_EQ(fw.target_text, board->TargetVersionText());
    EXPECT_EQ(fw.text, board->SignatureText());
    EXPECT_EQ(fw.serial, board->SerialBytes());
    // The serial text comes from byte 12 of the unscrambled board information.
    EXPECT_EQ("VQ54-000017", board->SerialText());
    EXPECT_EQ(2000u, device.timeout_ms());
    // The firmware file is not installed: the board keeps its firmware.
    EXPECT_EQ(0u, device.flash_inits());
    EXPECT_EQ(0u, device.log().restarts);
}

TEST_F(BoardProtocolTest, SequenceNumbersRunModulo32AndAdvanceAfterFailures)
{
    auto board = Open();
    ASSERT_TRUE(board->IsOpen());
    device.log().clear();
    board->SetNoRecoveryDump(true);
    device.fault_command(kCmdGetStatus, {ReplyFault::Kind::Status, 0x80000099}, 1);
    for (int i = 0; i < 40; ++i) EXPECT_EQ(i != 0, board->GetStatus()) << i;
    std::vector<uint8_t> seen = BoardSequences();
    ASSERT_EQ(40u, seen.size());
    for (int i = 0; i < 40; ++i) EXPECT_EQ((i + 1) % 32, seen[i]) << i;  // the constructor used 0
    EXPECT_TRUE(UsbCapture::Saw("Target reports error 80000099 to command:"));
}

TEST_F(BoardProtocolTest, ReplyWithAnotherSequenceNumberIsAccepted)
{
    auto board = Open();
    device.fault_command(kCmdGetStatus, {ReplyFault::Kind::OtherSequence, 0}, 1);
    EXPECT_TRUE(board->GetStatus());
}

TEST_F(BoardProtocolTest, ReplyFaultsFailWithTheirMessage)
{
    struct Case {
        ReplyFault fault;
        const char* message;
    } cases[] = {
        {{ReplyFault::Kind::NoReply, 0}, "Possibly timeout while reading reply to command:"},
        {{ReplyFault::Kind::Short, 6}, "Target reply length (6) < 8 to command:"},
        {{ReplyFault::Kind::LengthField, 1025}, "Target reply length (1025) > 1024 in command:"},
        {{ReplyFault::Kind::NotSupported, 0}, "Target reports error E0000006 to command:"},
    };
    device.config().in_buffer_size = 1024;
    auto board = Open();
    ASSERT_EQ(1024u, board->InBufferSize());
    board->SetNoRecoveryDump(true);
    for (const Case& c : cases) {
        UsbCapture::Clear();
        g_usbTrace.level = 0;
        device.fault_command(kCmdGetStatus, c.fault, 1);
        EXPECT_FALSE(board->GetStatus()) << c.message;
        EXPECT_TRUE(board->WasError());
        ASSERT_EQ(1u, UsbCapture::Errors().size()) << c.message;
        EXPECT_NE(std::string::npos, UsbCapture::Errors()[0].find(c.message)) << UsbCapture::Errors()[0];
        EXPECT_NE(std::string::npos, UsbCapture::Errors()[0].find("GET_STATUS")) << "the command is named";
        EXPECT_EQ(1u, g_usbTrace.level) << "a failure switches detailed tracing on";
        // The next command clears the latch and works.
        EXPECT_TRUE(board->GetStatus());
    }
}

TEST_F(BoardProtocolTest, RecoveryDumpPrintsAtMost256DebugEntries)
{
    device.config().in_buffer_size = 16384;
    auto board = Open();
    device.pad_debug_trace(300);
    device.fault_command(kCmdGetStatus, {ReplyFault::Kind::Status, 0x1}, 1);
    EXPECT_FALSE(board->GetStatus());
    EXPECT_TRUE(UsbCapture::Saw("Sending GET_STATUS\n"));
    EXPECT_TRUE(UsbCapture::Saw("Sending RD_DEBUG_TRACE\n"));
    EXPECT_TRUE(UsbCapture::Saw("#255: "));
    EXPECT_FALSE(UsbCapture::Saw("#256: "));
    // The dump's own commands carry sequence number 0.
    const auto& packets = device.log().packets;
    ASSERT_GE(packets.size(), 2u);
    EXPECT_EQ(kCmdRdDebugTrace, packets.back().code);
    EXPECT_EQ(0, packets.back().sequence);
}

TEST_F(BoardProtocolTest, SerialOfMoreThan1024BytesFails)
{
    for (uint32_t size : {1024u, 1025u}) {
        device.config().firmware.serial.assign(size, 0x31);
        device.config().in_buffer_size = 4096;
        auto board = Open();
        EXPECT_EQ(size <= 1024, board->Connect()) << size;
        EXPECT_EQ(size <= 1024 ? size : 0u, board->SerialBytes().size());
    }
}

TEST_F(BoardProtocolTest, BoardInformationThatIsRefusedOrFailsStillConnects)
{
    device.config().board_info.supported = false;
    auto board = Open();
    EXPECT_TRUE(board->Connect());
    // No board information: the serial text is the serial bytes in hex.
    EXPECT_EQ("5651353430303137", board->SerialText());

    device.config().board_info.supported = true;
    device.config().board_info.flash_status = 4;
    board = Open();
    EXPECT_TRUE(board->Connect());
    EXPECT_TRUE(board->BoardInfo().empty());
}

TEST_F(BoardProtocolTest, BoardInformationLongerThanTheReplyIsCutToWhatArrived)
{
    auto board = Open();
    // 20 bytes: length, status, flash status, seed, the scrambled length.
    device.fault_command(kCmdBoardInfo, {ReplyFault::Kind::Short, 24}, 1);
    EXPECT_TRUE(board->Connect());
    EXPECT_EQ(4u, board->BoardInfo().size());
    EXPECT_EQ("5651353430303137", board->SerialText());
}

TEST_F(BoardProtocolTest, BufferSizesBelowTheMinimumAreRefused)
{
    // A size of 0 would make every chunked write loop or divide by zero.
    struct Case {
        uint16_t in, out;
    } cases[] = {{4096, 16}, {0, 512}, {32, 512}};
    for (const Case& c : cases) {
        UsbCapture::Clear();
        device.config().in_buffer_size = c.in;
        device.config().out_buffer_size = c.out;
        auto board = Open();
        EXPECT_TRUE(board->WasError()) << c.in << "/" << c.out;
        EXPECT_TRUE(UsbCapture::Saw("SET_EXCHANGE: buffer sizes")) << c.in << "/" << c.out;
        EXPECT_EQ(kDefaultBufferSize, board->OutBufferSize());
        EXPECT_FALSE(board->Connect());
    }
}

TEST_F(BoardProtocolTest, BoardInBootLoaderIsStarted)
{
    device.config().starts_in_boot_loader = true;
    device.disconnect();
    device.reconnect();  // a fresh board, in its boot loader
    ASSERT_TRUE(device.in_boot_loader());
    auto board = Open();
    EXPECT_TRUE(board->Connect());
    EXPECT_EQ(1u, device.target_starts());
    EXPECT_FALSE(device.in_boot_loader());

    device.faults().stay_in_boot_loader = true;
    device.disconnect();
    device.reconnect();
    board = Open();
    EXPECT_FALSE(board->Connect());
    EXPECT_TRUE(UsbCapture::Saw("Error: BOOT_BIT is on after START_TARGET\n"));
}

TEST_F(BoardProtocolTest, CommandNamesAndFlashStatusNames)
{
    g_usbTrace.level = 0;
    EXPECT_EQ("GET_STATUS", CommandName(kCmdGetStatus));
    EXPECT_EQ("8000081C", CommandName(kCmdBoardInfo));
    EXPECT_EQ("1F:RD_SIGNAT", CommandName(kCmdRdSignat, 0x1F));
    EXPECT_STREQ("FLASH_VERIFY", FlashStatusName(4));
    EXPECT_STREQ("FLASH_INVALID_AREA_NAME", FlashStatusName(12));
    EXPECT_STREQ("FLASH_STATUS Unknown", FlashStatusName(5));
}

}  // namespace
