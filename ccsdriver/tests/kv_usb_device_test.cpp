#include "ccsdriver/kv_usb_device.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "ccsdriver/usb_device_list.h"
#include "ccsdriver/usb_trace.h"
#include "sim/usb/sim_usb_device.h"
#include "support/usb_capture.h"
#include "sim/host/seam/device_seam.h"

namespace {

using sim::usb::IoRecord;

class KvUsbDeviceTest : public ::testing::Test {
protected:
    sim::Pod pod;
    sim::usb::SimUsbDevice device{pod};
    UsbCapture capture;
    std::unique_ptr<sim::host::DeviceSeam> seam;

    // Leads this program's device calls (the driver's code is linked in) to the board.
    void Plug() { seam = std::make_unique<sim::host::DeviceSeam>(GetModuleHandleA(nullptr), device); }
    void TearDown() override { seam.reset(); }

    // A master-traffic packet of `total` bytes: its length word and zeros.
    static std::vector<uint8_t> Packet(uint32_t total)
    {
        std::vector<uint8_t> bytes(total, 0);
        uint32_t body = total - 4;
        for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(body >> (8 * i));
        return bytes;
    }
    std::vector<uint32_t> WriteSizes() const
    {
        std::vector<uint32_t> sizes;
        for (const IoRecord& r : device.log().io)
            if (r.kind == IoRecord::Kind::Write) sizes.push_back(r.requested);
        return sizes;
    }
};

TEST(KvUsbDeviceNoBoard, PlainWineFindsNoDevice)
{
    UsbCapture capture;
    KvUSBDevice board;
    EXPECT_FALSE(board.IsOpen());
    EXPECT_TRUE(UsbCapture::Saw("Device list is empty\n"));
    // Without a handle nothing reaches the platform and everything fails.
    uint8_t byte = 0;
    EXPECT_FALSE(board.SetTimeout(10));
    EXPECT_FALSE(board.Control(kIoctlReadStatus, nullptr, 0, &byte, 1));
}

TEST_F(KvUsbDeviceTest, AbsentOrUnusableBoardIsNotOpened)
{
    Plug();
    device.set_present(false);
    EXPECT_FALSE(KvUSBDevice().IsOpen());
    device.set_present(true);
    device.faults().handle_unusable = true;
    EXPECT_FALSE(KvUSBDevice().IsOpen());
    EXPECT_TRUE(UsbCapture::Saw("Error opening the device\n"));
    EXPECT_EQ(0u, device.open_handles());  // the unusable handle was closed
}

TEST_F(KvUsbDeviceTest, ServiceFilterIgnoresLetterCase)
{
    device.config().identity.service = "KvUsbDev";
    Plug();
    KvUSBDevice board;
    EXPECT_TRUE(board.IsOpen());
    EXPECT_EQ(device.config().identity.path, board.Path());
    EXPECT_EQ(kOpenTimeoutMs, device.timeout_ms());  // Init set 5000 ms after the flush
}

TEST_F(KvUsbDeviceTest, VersionTextSelectsTheTransferCalls)
{
    for (bool wdf : {true, false}) {
        device.config().wdf = wdf;
        device.config().out_buffer_size = 1024;
        Plug();
        KvUSBDevice board;
        ASSERT_TRUE(board.IsOpen());
        EXPECT_EQ(wdf, board.IsWdf());
        device.log().clear();
        std::vector<uint8_t> packet = Packet(16);
        EXPECT_TRUE(board.WriteChunked(16, packet.data()));
        uint8_t reply[1024];
        EXPECT_TRUE(board.Read(sizeof reply, reply));
        EXPECT_EQ(wdf ? 0u : 1u, device.log().ioctls.count(kIoctlWrite)) << wdf;
        EXPECT_EQ(wdf ? 0u : 1u, device.log().ioctls.count(kIoctlRead)) << wdf;
        EXPECT_EQ(1u, device.log().writes);
        EXPECT_EQ(1u, device.log().reads);
        seam.reset();
    }
}

TEST_F(KvUsbDeviceTest, ChunkedWritesCutAtTheOutSizeWithoutEmptyChunk)
{
    device.config().out_buffer_size = 1024;
    Plug();
    KvUSBDevice board;
    ASSERT_TRUE(board.IsOpen());
    struct Case {
        uint32_t bytes;
        std::vector<uint32_t> chunks;
    } cases[] = {{0, {}}, {2048, {1024, 1024}}, {2500, {1024, 1024, 452}}, {100, {100}}};
    for (const Case& c : cases) {
        device.log().clear();
        std::vector<uint8_t> packet = c.bytes ? Packet(c.bytes) : std::vector<uint8_t>();
        EXPECT_TRUE(board.WriteChunked(c.bytes, packet.data())) << c.bytes;
        EXPECT_EQ(c.chunks, WriteSizes()) << c.bytes;
    }
}

TEST_F(KvUsbDeviceTest, FailedOrShortWriteLatchesAndLaterCallsSkipThePlatform)
{
    device.config().out_buffer_size = 1024;
    Plug();
    for (auto kind : {sim::usb::WriteFault::Kind::Fail, sim::usb::WriteFault::Kind::Short}) {
        KvUSBDevice board;
        ASSERT_TRUE(board.IsOpen());
        device.fault_write(2, {kind, 10});
        std::vector<uint8_t> packet = Packet(2048);
        EXPECT_FALSE(board.WriteChunked(2048, packet.data()));
        EXPECT_TRUE(board.WasError());
        EXPECT_TRUE(UsbCapture::Saw("\nSending data to driver failed\n"));

        device.log().clear();
        uint8_t reply[64];
        EXPECT_FALSE(board.Read(sizeof reply, reply));
        EXPECT_EQ(0u, board.LastCount());
        EXPECT_FALSE(board.WriteChunked(4, packet.data()));
        EXPECT_TRUE(device.log().io.empty());
        EXPECT_TRUE(UsbCapture::Saw("Read 64 bytes: Skipped because of WasError\n"));
        EXPECT_TRUE(UsbCapture::Saw("Write 4 bytes: Skipped because of WasError\n"));
        // The flush clears the latch.
        board.Flush();
        EXPECT_FALSE(board.WasError());
    }
}

TEST_F(KvUsbDeviceTest, ReadTimeOutIsAnEmptySuccessInBothModes)
{
    for (bool wdf : {true, false}) {
        device.config().wdf = wdf;
        Plug();
        KvUSBDevice board;
        ASSERT_TRUE(board.IsOpen());
        uint8_t reply[64];
        EXPECT_TRUE(board.Read(sizeof reply, reply)) << wdf;
        EXPECT_EQ(0u, board.LastCount());
        EXPECT_FALSE(board.WasError());
        seam.reset();
    }
}

TEST_F(KvUsbDeviceTest, ReinitGivesUpAfter200OpensAndNeverClosesTwice)
{
    Plug();
    auto board = std::make_unique<KvUSBDevice>();
    ASSERT_TRUE(board->IsOpen());
    device.fail_opens(200);
    uint64_t closes = device.log().closes;
    EXPECT_FALSE(board->Reinit());
    EXPECT_FALSE(board->IsOpen());
    EXPECT_TRUE(UsbCapture::Saw("Re-initialization failed\n"));
    EXPECT_EQ(closes + 1, device.log().closes);
    board.reset();  // the destructor has nothing left to close
    EXPECT_EQ(closes + 1, device.log().closes);
}

TEST_F(KvUsbDeviceTest, ReinitReopensTheKeptPath)
{
    Plug();
    KvUSBDevice board;
    ASSERT_TRUE(board.IsOpen());
    device.fail_opens(3);
    EXPECT_TRUE(board.Reinit());
    EXPECT_TRUE(board.IsOpen());
    EXPECT_EQ(1u, device.open_handles());
}

TEST_F(KvUsbDeviceTest, FailedEnumerationAndTheElementDump)
{
    Plug();
    device.faults().enumeration_fails = true;
    EXPECT_FALSE(KvUSBDevice().IsOpen());
    EXPECT_TRUE(UsbCapture::Saw(
        "No devices with GUID { A5DCBF10, 6530, 11D2, 90, 1F, 00, C0, 4F, B9, 51, ED }\n"));

    device.faults().enumeration_fails = false;
    KvUSBDeviceList list;
    list.Build(true, kKvUsbService, kUsbDeviceInterfaceGuid);
    ASSERT_EQ(1u, list.Elements().size());
    UsbCapture::Clear();
    list.Dump(*list.Elements()[0]);
    std::string all;
    for (const std::string& line : UsbCapture::Traces()) all += line;
    for (const std::string& line :
         {"Device Path:        \"" + device.config().identity.path + "\"\n",
          std::string("Description:        \"VOQ JTAG Emulator\"\nIn Use:             No\n"),
          std::string("Service:            \"KVUSBDEV\"\n"), std::string("Manufacturer:       \"Korvan\"\n"),
          std::string("Location Info:      \"Port_#0002.Hub_#0001\"\n")})
        EXPECT_NE(std::string::npos, all.find(line)) << line << all;
}

}  // namespace
