// The board's command protocol as the simulated device answers it: status
// words and sequence numbers, the connect commands, the boot loader and
// flash commands, the board information and the debug trace.
#include <gtest/gtest.h>

#include "sim/usb/sim_emulator.h"
#include "support/usb_client.h"

namespace sim::usb {
namespace {

using test::BoardReply;
using test::Bytes;
using test::framed;
using test::UsbClient;

class Board : public ::testing::Test {
protected:
    Board() { EXPECT_TRUE(client.open()); }

    // Reads a restart's reply, then opens the board again under its path.
    void reopen_after_restart() {
        std::uint32_t word = 0;
        EXPECT_EQ(dev.control(client.handle, ioctl::kHandleCheck, nullptr, 0, &word, 4).error,
                  error::kDeviceNotConnected);
        dev.close(client.handle);
        ASSERT_TRUE(client.open());
    }

    SimEmulator emu;
    SimUsbDevice& dev = emu.device();
    UsbClient client{dev};
};

TEST_F(Board, AnswersTheConnectCommandsOfABoardWhoseFirmwareIsCurrent) {
    const FirmwareState& fw = dev.config().firmware;

    BoardReply r = client.command(board::kGetStatus);
    EXPECT_EQ(r.length, 8u);
    EXPECT_EQ(r.u32(0) & board::kBootBit, 0u) << "the target firmware runs";

    r = client.command(board::kSetExchange, {board::kKey});
    ASSERT_EQ(r.data.size(), 8u);
    EXPECT_EQ(r.data[4] | (r.data[5] << 8), dev.config().in_buffer_size);
    EXPECT_EQ(r.data[6] | (r.data[7] << 8), dev.config().out_buffer_size);

    r = client.command(board::kReadSignature);
    EXPECT_EQ(r.u32(0), fw.signature);
    EXPECT_NE(r.u32(0), kNoSignature);
    std::size_t at = 4;
    EXPECT_EQ(UsbClient::text_at(r.data, at), fw.file_name);
    EXPECT_EQ(UsbClient::text_at(r.data, at), "VOQ-54xx");
    ASSERT_LT(at, r.data.size());
    EXPECT_EQ(r.data[at], fw.status_bytes.size());

    r = client.command(board::kGetVersion);
    EXPECT_EQ(r.u32(0), 0x00010007u);
    at = 4;
    EXPECT_EQ(UsbClient::text_at(r.data, at), fw.boot_text);
    EXPECT_EQ(r.u32(at), 0x00020011u);
    at += 4;
    EXPECT_EQ(UsbClient::text_at(r.data, at), fw.target_text);

    r = client.command(board::kGetSerial);
    EXPECT_EQ(r.u32(0), fw.serial.size());
    EXPECT_EQ(Bytes(r.data.begin() + 4, r.data.end()), fw.serial);

    EXPECT_EQ(client.command(board::kSetDebug, {board::kKey}).u32(0), board::kSetDebugAnswer);
    r = client.command(board::kGetBootVersion);
    EXPECT_EQ(r.u32(0), fw.boot_version);

    EXPECT_EQ(dev.log().board_codes(),
              (std::vector<std::uint32_t>{board::kGetStatus, board::kSetExchange, board::kReadSignature,
                                          board::kGetVersion, board::kGetSerial, board::kSetDebug,
                                          board::kGetBootVersion}));
}

TEST_F(Board, EchoesEachCommandsSequenceNumberInItsStatusAndWraps) {
    for (unsigned i = 0; i < 34; ++i) {
        const std::uint32_t seq = i & 0x1F;
        const BoardReply r = client.command(board::kGetStatus);
        EXPECT_EQ(r.status, board::kGetStatus | (seq << 24)) << i;
        EXPECT_EQ(r.status & board::kCodeMask, board::kGetStatus);
        EXPECT_EQ(dev.log().packets.back().sequence, seq);
    }
}

TEST_F(Board, RefusesGuardedCommandsWithoutTheirKeyAndCommandsCutShort) {
    struct Case {
        std::uint32_t code;
        std::vector<std::uint32_t> params;
    };
    const Case cases[] = {
        {board::kSetExchange, {0x12345678}}, {board::kResetTarget, {}}, {board::kStartTarget, {0}},
        {board::kSetDebug, {0xFF12FF02}},     {board::kBoardInfo, {}},   {0x80000077, {}},
    };
    for (const Case& c : cases) {
        Bytes params;
        for (std::uint32_t p : c.params) wire::put_u32(params, p);
        const BoardReply r = client.command(c.code, {}, params);
        EXPECT_EQ(r.status, board::kNotSupported) << std::hex << c.code;
        EXPECT_EQ(r.length, 4u);
    }
    EXPECT_FALSE(dev.in_boot_loader());
    EXPECT_EQ(dev.log().restarts, 0u);
}

TEST_F(Board, SendsTheBoardInformationScrambledWithTheSeedItGives) {
    const BoardReply r = client.command(board::kBoardInfo, {1});
    ASSERT_EQ(r.status, board::kBoardInfo);
    EXPECT_EQ(r.u32(0), 0u) << "flash status";
    const std::uint32_t seed = r.u32(4);
    EXPECT_EQ(seed, dev.config().board_info.seed);

    // The board's generator, written out here: state x 22695477 + 1.
    std::uint32_t state = seed;
    auto next_byte = [&state] {
        state = state * 22695477u + 1u;
        return static_cast<std::uint8_t>((state >> 16) & 0xFF);
    };
    Bytes rest(r.data.begin() + 8, r.data.end());
    for (std::uint8_t& b : rest) b ^= next_byte();
    const std::uint32_t length = wire::get_u32(rest.data());
    ASSERT_EQ(length, rest.size() - 4);
    ASSERT_GE(length, 44u);
    EXPECT_STREQ(reinterpret_cast<const char*>(rest.data() + 4 + 12), "VQ54-000017");

    // A vector worked by hand: seed 1 gives 346, 130, 10982.
    BoardScrambler scrambler(1);
    EXPECT_EQ(scrambler.next(), 346u);
    EXPECT_EQ(scrambler.next(), 130u);
    EXPECT_EQ(scrambler.next(), 10982u);
}

TEST_F(Board, ReportsABoardInformationFlashErrorAloneAndRefusesWhenUnsupported) {
    dev.config().board_info.flash_status = flash::kVerify;
    BoardReply r = client.command(board::kBoardInfo, {1});
    EXPECT_EQ(r.length, 8u);
    EXPECT_EQ(r.u32(0), flash::kVerify);
    dev.config().board_info.supported = false;
    r = client.command(board::kBoardInfo, {1});
    EXPECT_EQ(r.status, board::kNotSupported);
}

TEST_F(Board, UpdatesItsFirmwareThroughTheBootLoader) {
    // The target firmware takes no flash commands and passes master traffic.
    EXPECT_EQ(client.command(board::kFlashInit, {board::kKey}).status, board::kNotSupported);
    EXPECT_EQ(client.command(board::kLoadTarget, {0x100, 1}, {0xAA}).status, board::kNotSupported);

    // RESET_TARGET answers, then the board restarts into its boot loader.
    EXPECT_EQ(client.command(board::kResetTarget, {board::kKey}).length, 4u);
    EXPECT_TRUE(dev.in_boot_loader());
    reopen_after_restart();
    EXPECT_EQ(client.command(board::kGetStatus).u32(0) & board::kBootBit, board::kBootBit);
    EXPECT_EQ(client.command(board::kBoardInfo, {1}).status, board::kNotSupported);

    // FLASH_INIT erases the flash and the signature and restarts again.
    BoardReply r = client.command(board::kFlashInit, {board::kKey});
    EXPECT_EQ(r.u32(0), flash::kOk);
    reopen_after_restart();
    EXPECT_EQ(client.command(board::kReadSignature).u32(0), kNoSignature);

    r = client.command(board::kLoadTarget, {0x8000, 3}, {1, 2, 3});
    EXPECT_EQ(r.u32(0), flash::kOk);
    // A binary image record: length 5 carries 8 + 512 bytes.
    r = client.command(board::kLoadImageRecord, {0x9000, 5}, Bytes(520, 0x5C));
    EXPECT_EQ(r.u32(0), flash::kOk);
    EXPECT_EQ(client.command(board::kLoadImageRecord, {0x9400, 5}, Bytes(519, 0)).status, board::kNotSupported);
    ASSERT_EQ(dev.flash().size(), 2u);
    EXPECT_EQ(dev.flash().at(0x8000), (Bytes{1, 2, 3}));
    EXPECT_EQ(dev.flash().at(0x9000).size(), 520u);

    EXPECT_EQ(client.command(board::kWriteSignature, {0x11223344}).u32(0), flash::kOk);
    EXPECT_EQ(client.command(board::kReadSignature).u32(0), 0x11223344u);

    // START_TARGET leaves the boot loader on the same handle.
    const std::uint32_t start_sequence = client.sequence;
    EXPECT_EQ(client.command(board::kStartTarget, {board::kKey}).status, board::kStartTarget | start_sequence << 24);
    EXPECT_FALSE(dev.in_boot_loader());
    EXPECT_EQ(client.command(board::kGetStatus).u32(0) & board::kBootBit, 0u);
    EXPECT_EQ(dev.log().restarts, 2u);
    EXPECT_EQ(dev.flash_inits(), 1u);
    EXPECT_EQ(dev.target_starts(), 1u);
}

TEST_F(Board, FlashStatusFaultsAreReportedAndLeaveTheFlashAlone) {
    dev.config().starts_in_boot_loader = true;
    dev.disconnect();
    dev.reconnect();
    ASSERT_TRUE(client.open());
    dev.faults().flash_status[board::kLoadTarget] = flash::kWriteProtected;
    dev.faults().flash_status[board::kWriteSignature] = flash::kSignError;
    EXPECT_EQ(client.command(board::kLoadTarget, {0x100, 1}, {7}).u32(0), flash::kWriteProtected);
    EXPECT_TRUE(dev.flash().empty());
    const std::uint32_t before = dev.config().firmware.signature;
    EXPECT_EQ(client.command(board::kWriteSignature, {0x1}).u32(0), flash::kSignError);
    EXPECT_EQ(client.command(board::kReadSignature).u32(0), before);
}

TEST_F(Board, AStartThatFailsLeavesTheBoardInItsBootLoader) {
    dev.faults().stay_in_boot_loader = true;
    client.command(board::kResetTarget, {board::kKey});
    reopen_after_restart();
    client.command(board::kStartTarget, {board::kKey});
    EXPECT_EQ(client.command(board::kGetStatus).u32(0) & board::kBootBit, board::kBootBit);
}

TEST_F(Board, TheBootLoaderCanEnumerateUnderAnotherPath) {
    const std::string firmware_path = dev.config().identity.path;
    dev.config().identity.boot_loader_path = "\\\\?\\usb#vid_1d6b&pid_0b00#boot#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    client.command(board::kResetTarget, {board::kKey});
    dev.close(client.handle);
    EXPECT_EQ(dev.open(firmware_path).error, error::kFileNotFound);
    EXPECT_NE(dev.open(dev.config().identity.boot_loader_path).handle, 0u);
    EXPECT_EQ(dev.enumerate().back().path, dev.config().identity.boot_loader_path);
}

TEST_F(Board, TheDebugTraceHoldsTheNewestEntriesThatFitTheInBuffer) {
    client.command(board::kGetStatus);
    client.command(board::kSetExchange, {board::kKey});
    BoardReply r = client.command(board::kReadDebugTrace);
    ASSERT_EQ(r.u32(0), 2u * 28u);
    EXPECT_EQ(r.u32(4), board::kGetStatus);                   // command word
    EXPECT_EQ(r.u32(4 + 28), board::kSetExchange | 1u << 24);  // with its sequence number
    EXPECT_EQ(r.u32(4 + 28 + 4), board::kKey);                // its parameter
    EXPECT_EQ(r.u32(4 + 28 + 8), board::kSetExchange | 1u << 24);

    struct Case {
        std::uint16_t in_size;
        std::uint32_t entries;
    };
    for (const Case c : {Case{16384, 303}, Case{4096, (4096 - 12) / 28}}) {
        dev.config().in_buffer_size = c.in_size;
        dev.pad_debug_trace(300);
        r = client.command(board::kReadDebugTrace);
        EXPECT_EQ(r.u32(0), c.entries * 28) << c.in_size;
        EXPECT_LE(r.bytes, c.in_size);
    }
}

TEST_F(Board, SendsASerialOfAnyLengthItHolds) {
    dev.config().in_buffer_size = 2048;
    dev.config().firmware.serial.assign(1025, 'S');
    const BoardReply r = client.command(board::kGetSerial);
    EXPECT_EQ(r.u32(0), 1025u);
    EXPECT_EQ(r.data.size(), 4u + 1025u);
}

} // namespace
} // namespace sim::usb
