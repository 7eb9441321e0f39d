// The kernel driver's side of the simulated device: the bus listing, opens,
// the control codes in both modes, the framing of the byte stream and the
// read time-outs.
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>

#include "sim/usb/sim_emulator.h"
#include "support/usb_client.h"

namespace sim::usb {
namespace {

using test::Bytes;
using test::framed;
using test::UsbClient;

class Device : public ::testing::Test {
protected:
    SimEmulator emu;
    SimUsbDevice& dev = emu.device();
    UsbClient client{dev};
};

TEST_F(Device, ListsTheBoardAfterForeignDevicesAndNothingWhenAbsent) {
    dev.config().foreign.push_back({"\\\\?\\usb#vid_046d&pid_c077#5&1#{a5dcbf10-6530-11d2-901f-00c04fb951ed}",
                                    "HidUsb", "USB Input Device"});
    auto entries = dev.enumerate();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_FALSE(entries[0].board);
    EXPECT_EQ(entries[1].service, "KVUSBDEV");
    EXPECT_EQ(entries[1].path, dev.config().identity.path);
    EXPECT_TRUE(entries[1].board);

    EXPECT_EQ(dev.open(entries[0].path).error, error::kAccessDenied);

    dev.set_present(false);
    entries = dev.enumerate();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_FALSE(entries[0].board);
    EXPECT_EQ(dev.open(dev.config().identity.path).error, error::kFileNotFound);
    EXPECT_TRUE(dev.owns_path(dev.config().identity.path)); // still routed to the device while absent
}

TEST_F(Device, OpensByPathWithoutRegardToCaseAndClosesEachHandleOnce) {
    std::string upper = dev.config().identity.path;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const OpenResult a = dev.open(upper);
    ASSERT_NE(a.handle, 0u);
    EXPECT_EQ(dev.open("\\\\?\\usb#other").error, error::kFileNotFound);
    EXPECT_TRUE(dev.close(a.handle).ok);
    const IoResult again = dev.close(a.handle);
    EXPECT_FALSE(again.ok);
    EXPECT_EQ(again.error, error::kInvalidHandle);
    EXPECT_EQ(dev.log().opens, 1u);
    EXPECT_EQ(dev.log().failed_opens, 1u);
    EXPECT_EQ(dev.log().closes, 1u);
}

TEST_F(Device, AnswersTheControlCodesOfBothModes) {
    for (bool wdf : {true, false}) {
        SCOPED_TRACE(wdf ? "WDF" : "control-code mode");
        dev.config().wdf = wdf;
        ASSERT_TRUE(client.open());
        std::uint32_t word = 0xFFFFFFFF;
        IoResult r = dev.control(client.handle, ioctl::kHandleCheck, nullptr, 0, &word, 4);
        EXPECT_TRUE(r.ok);
        EXPECT_EQ(word, 0u);

        char text[512] = {};
        r = dev.control(client.handle, ioctl::kVersion, nullptr, 0, text, sizeof text);
        ASSERT_TRUE(r.ok);
        EXPECT_EQ(r.bytes, std::strlen(text) + 1);
        EXPECT_EQ(std::strstr(text, "WDF") != nullptr, wdf);

        const std::uint32_t ms = 1234;
        EXPECT_TRUE(dev.control(client.handle, ioctl::kSetTimeout, &ms, 4, nullptr, 0).ok);
        EXPECT_EQ(dev.timeout_ms(), 1234u);

        // Data moves only through the mode's own calls.
        std::uint8_t byte = 0;
        const IoResult wrong_write = wdf ? dev.control(client.handle, ioctl::kWrite, &byte, 1, nullptr, 0)
                                         : dev.write_file(client.handle, &byte, 1);
        const IoResult wrong_read = wdf ? dev.control(client.handle, ioctl::kRead, nullptr, 0, &byte, 1)
                                        : dev.read_file(client.handle, &byte, 1);
        EXPECT_EQ(wrong_write.error, error::kInvalidFunction);
        EXPECT_EQ(wrong_read.error, error::kInvalidFunction);

        EXPECT_EQ(dev.control(client.handle, 0x222099, nullptr, 0, &word, 4).error, error::kInvalidFunction);
        EXPECT_EQ(dev.control(client.handle, ioctl::kHandleCheck, nullptr, 0, &word, 2).error,
                  error::kInsufficientBuffer);
        EXPECT_EQ(dev.control(client.handle, ioctl::kSetTimeout, nullptr, 0, nullptr, 0).error,
                  error::kInvalidParameter);
        dev.close(client.handle);
    }
    EXPECT_EQ(dev.log().timeouts_set, (std::vector<std::uint32_t>{1234, 1234}));
    EXPECT_EQ(dev.log().ioctls.at(ioctl::kVersion), 2u);
}

TEST_F(Device, AnUnusableHandleIsReportedByTheHandleCheck) {
    dev.faults().handle_unusable = true;
    ASSERT_TRUE(client.open());
    std::uint32_t word = 0;
    ASSERT_TRUE(dev.control(client.handle, ioctl::kHandleCheck, nullptr, 0, &word, 4).ok);
    EXPECT_EQ(word, kHandleUnusable);
}

TEST_F(Device, TakesAPacketOnceItsLastByteArrivesHoweverItWasCut) {
    ASSERT_TRUE(client.open());
    const Bytes packet = framed(board::kGetStatus, {});
    for (std::size_t i = 0; i < packet.size(); ++i) {
        EXPECT_EQ(dev.log().packets.size(), 0u) << "taken before byte " << i;
        ASSERT_TRUE(client.write(&packet[i], 1).ok);
    }
    ASSERT_EQ(dev.log().packets.size(), 1u);
    EXPECT_TRUE(dev.log().packets[0].board);

    // Two packets in one write give two replies in order.
    Bytes two = framed(board::kGetStatus | (1u << 24), {});
    const Bytes second = framed(board::kGetBootVersion | (2u << 24), {});
    two.insert(two.end(), second.begin(), second.end());
    dev.log().clear();
    ASSERT_TRUE(client.send(two));
    EXPECT_EQ(dev.log().writes, 1u);
    client.receive(); // the first GET_STATUS
    EXPECT_EQ(client.receive().status, board::kGetStatus | (1u << 24));
    EXPECT_EQ(client.receive().status, board::kGetBootVersion | (2u << 24));
}

TEST_F(Device, RefusesAWriteLongerThanTheOutBufferAndDropsThePartialPacket) {
    ASSERT_TRUE(client.open());
    Bytes big(dev.config().out_buffer_size + 1u, 0);
    const Bytes head = framed(board::kGetStatus, {});
    ASSERT_TRUE(client.write(head.data(), 3).ok); // a packet begun
    const IoResult r = client.write(big.data(), static_cast<std::uint32_t>(big.size()));
    EXPECT_FALSE(r.ok);
    EXPECT_EQ(r.error, error::kInvalidParameter);
    // The next whole packet is read from its own start.
    EXPECT_EQ(client.command(board::kGetStatus).status, board::kGetStatus);
}

TEST_F(Device, AReadTakesAtMostWhatItAsksAndKeepsTheRest) {
    ASSERT_TRUE(client.open());
    ASSERT_TRUE(client.send(framed(board::kGetVersion, {})));
    const std::size_t whole = dev.pending_reply_bytes();
    std::uint8_t part[6];
    const IoResult first = client.read(part, sizeof part);
    EXPECT_EQ(first.bytes, 6u);
    EXPECT_EQ(wire::get_u32(part), whole - 4);
    EXPECT_EQ(dev.pending_reply_bytes(), whole - 6);
    Bytes rest(4096);
    EXPECT_EQ(client.read(rest.data(), 4096).bytes, whole - 6);
    EXPECT_EQ(dev.log().bytes_read, whole);
}

TEST_F(Device, ANothingToReadTimesOutAsEachModeReportsIt) {
    struct Case {
        bool wdf;
        bool non_wdf_fails;
        bool ok;
    };
    for (const Case c : {Case{true, false, false}, Case{false, false, true}, Case{false, true, false}}) {
        SCOPED_TRACE(testing::Message() << "wdf " << c.wdf << ", fails " << c.non_wdf_fails);
        dev.config().wdf = c.wdf;
        dev.faults().non_wdf_timeout_fails = c.non_wdf_fails;
        ASSERT_TRUE(client.open());
        const std::uint32_t ms = 100;
        dev.control(client.handle, ioctl::kSetTimeout, &ms, 4, nullptr, 0);
        const std::uint64_t before = dev.now_ms();
        std::uint8_t buffer[64];
        const IoResult r = client.read(buffer, sizeof buffer);
        EXPECT_EQ(r.ok, c.ok);
        EXPECT_EQ(r.bytes, 0u);
        if (!r.ok) {
            EXPECT_EQ(r.error, error::kSemTimeout);
        }
        EXPECT_EQ(dev.now_ms() - before, 100u);

        std::uint32_t status = 0;
        dev.control(client.handle, ioctl::kReadStatus, nullptr, 0, &status, 4);
        EXPECT_EQ(status, kReadTimedOut);
        // A read that brings data clears it.
        client.command(board::kGetStatus);
        dev.control(client.handle, ioctl::kReadStatus, nullptr, 0, &status, 4);
        EXPECT_EQ(status, 0u);
        dev.close(client.handle);
    }
    EXPECT_EQ(dev.log().read_timeouts, 3u);
}

TEST_F(Device, EachTransferCostsTheModelledLatencyInVirtualTime) {
    dev.config().transfer_latency_us = 125;
    ASSERT_TRUE(client.open());
    const std::uint64_t before = dev.now_us();
    client.command(board::kGetStatus); // one write, one read
    EXPECT_EQ(dev.now_us() - before, 250u);
}

TEST_F(Device, LogsEveryCallWithItsBytes) {
    ASSERT_TRUE(client.open());
    client.command(board::kGetStatus);
    const UsbLog& log = dev.log();
    ASSERT_EQ(log.io.size(), 3u); // open, write, read
    EXPECT_EQ(log.io[1].kind, IoRecord::Kind::Write);
    EXPECT_EQ(log.io[1].transferred, 8u);
    EXPECT_EQ(log.io[2].kind, IoRecord::Kind::Read);
    EXPECT_EQ(log.io[2].requested, dev.config().in_buffer_size);
    EXPECT_EQ(log.io[2].transferred, 12u);
    EXPECT_EQ(log.bytes_written, 8u);
    EXPECT_EQ(log.bytes_read, 12u);
    EXPECT_EQ(log.board_commands, 1u);
}

} // namespace
} // namespace sim::usb
