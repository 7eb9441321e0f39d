// The firmware check and update of the connect sequence, against the
// simulated board (boot loader, flash, signature, restarts) with small
// firmware files generated in PodWare beside this program.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "ccsdriver/board_commands.h"
#include "ccsdriver/firmware_file.h"
#include "ccsdriver/real_usb_device.h"
#include "ccsdriver/usb_trace.h"
#include "framework/base/datetime.h"
#include "sim/host/seam/device_seam.h"
#include "sim/usb/sim_usb_device.h"
#include "support/usb_capture.h"

namespace {

using Bytes = std::vector<uint8_t>;

// The board with its three flash notices recorded.
class NotingBoard : public RealUSBDevice {
public:
    std::vector<std::string> notices;
    void FlashBegin() override { notices.push_back("begin"); }
    void FlashProgress(uint32_t done, uint32_t total) override
    {
        notices.push_back("progress " + std::to_string(done) + "/" + std::to_string(total));
    }
    void FlashEnd(uint32_t result) override { notices.push_back("end " + std::to_string(result)); }
    std::string Last() const { return notices.empty() ? "" : notices.back(); }
};

std::string PodWarePath(const std::string& name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder(path);
    folder = folder.substr(0, folder.find_last_of('\\') + 1) + "PodWare";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder + "\\" + name;
}

void WriteFile(const std::string& path, const std::string& bytes)
{
    FILE* f = fopen(path.c_str(), "wb");
    ASSERT_NE(nullptr, f) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

// One HEX line with its checksum (`bad` spoils it).
std::string HexLine(uint8_t type, uint16_t address, const Bytes& data, bool bad = false)
{
    Bytes record = {static_cast<uint8_t>(data.size()), static_cast<uint8_t>(address >> 8),
                    static_cast<uint8_t>(address), type};
    record.insert(record.end(), data.begin(), data.end());
    uint8_t sum = 0;
    for (uint8_t b : record) sum = static_cast<uint8_t>(sum + b);
    record.push_back(static_cast<uint8_t>(-sum + (bad ? 1 : 0)));
    std::string line = ":";
    char hex[3];
    for (uint8_t b : record) {
        snprintf(hex, sizeof hex, "%02X", b);
        line += hex;
    }
    return line + "\r\n";
}

Bytes Series(uint8_t first, size_t count)
{
    Bytes b(count);
    for (size_t i = 0; i < count; ++i) b[i] = static_cast<uint8_t>(first + i);
    return b;
}

void PutLe32(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>(v >> (8 * i)));
}

struct ImageRecordLayout {
    uint32_t address;
    uint32_t length;
    uint32_t headerSize = 12;
};

// A binary image: tag, header size 36, signature, then the records, each
// with its data padded to 8 bytes plus 512 bytes (filled with the record's
// index).
std::string Image(uint32_t signature, const std::vector<ImageRecordLayout>& records)
{
    std::string s("Korvan\0\0", 8);
    PutLe32(s, 36);
    PutLe32(s, signature);
    s.resize(36, 0);
    char fill = 'a';
    for (const ImageRecordLayout& r : records) {
        PutLe32(s, r.headerSize);
        PutLe32(s, r.length ^ kImageLengthKey);
        PutLe32(s, r.address ^ kImageAddressKey);
        // The data follows the first 12 bytes; a longer header moves only
        // the start of the next record.
        s.append(((r.length + 7) & ~7u) + 512, fill++);
        s.resize(s.size() + (r.headerSize - 12), 0);
    }
    return s;
}

class FirmwareUpdateTest : public ::testing::Test {
protected:
    sim::Pod pod;
    sim::usb::SimUsbDevice device{pod, sim::usb::DeviceConfig{}};
    UsbCapture capture;
    std::unique_ptr<sim::host::DeviceSeam> seam;
    std::string file;
    static constexpr uint32_t kBoardSignature = 0x5A3C7E21;

    void SetUp() override { seam = std::make_unique<sim::host::DeviceSeam>(GetModuleHandleA(nullptr), device); }
    void TearDown() override
    {
        seam.reset();
        if (!file.empty()) DeleteFileA(file.c_str());
    }
    void Install(const std::string& name, const std::string& bytes)
    {
        device.config().firmware.file_name = name;
        file = PodWarePath(name);
        WriteFile(file, bytes);
    }
    std::unique_ptr<NotingBoard> Open()
    {
        auto board = std::make_unique<NotingBoard>();
        board->SetNoRecoveryDump(true);
        return board;
    }
    std::vector<const sim::usb::PacketRecord*> Packets(uint32_t code) const
    {
        std::vector<const sim::usb::PacketRecord*> found;
        for (const auto& p : device.log().packets)
            if (p.board && p.code == code) found.push_back(&p);
        return found;
    }
    static uint32_t Le32(const Bytes& b, size_t at)
    {
        return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
    }
    uint32_t LocalDosTimeOf(const std::string& path)
    {
        PDateTime written(path.c_str());
        return written.LocalDos();
    }
};

TEST_F(FirmwareUpdateTest, HexFirmwareThatDiffersIsFlashedAndTheNextConnectFindsItCurrent)
{
    // Two runs of data, an end-of-file record in the middle and lower-case
    // digits in the second half.
    std::string hex = HexLine(4, 0, {0x00, 0x01}) + HexLine(0, 0x0000, Series(0x10, 16)) +
                      HexLine(0, 0x0010, Series(0x20, 16)) + HexLine(1, 0, {});
    std::string tail = HexLine(2, 0, {0x20, 0x00}) + HexLine(0, 0x0004, Series(0xA0, 8));
    for (char& c : tail)
        if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
    Install("VOQ54xx.hex", hex + "\r\n" + tail);
    const uint32_t fileSignature = LocalDosTimeOf(file);
    ASSERT_NE(kBoardSignature, fileSignature);

    auto board = Open();
    ASSERT_TRUE(board->Connect());
    EXPECT_EQ(1u, device.flash_inits());
    EXPECT_EQ(2u, device.log().restarts);  // RESET_TARGET and FLASH_INIT
    EXPECT_FALSE(device.in_boot_loader());
    // The HEX file's signature is its last write as a DOS date-time in local time.
    EXPECT_EQ(fileSignature, device.config().firmware.signature);
    EXPECT_EQ((std::vector<std::string>{"begin", "end 1"}), board->notices);
    // Adjacent records form one run; the base of type 2 moves the rest.
    const auto& flash = device.flash();
    ASSERT_EQ(2u, flash.size());
    Bytes first = Series(0x10, 16), second = Series(0x20, 16);
    first.insert(first.end(), second.begin(), second.end());
    EXPECT_EQ(first, flash.at(0x00010000));
    EXPECT_EQ(Series(0xA0, 8), flash.at(0x00020004));
    EXPECT_TRUE(UsbCapture::Saw("Writing Flash: Addr = 00010000, len = 32..."));
    EXPECT_EQ(1u, Packets(kCmdWrSignat).size());

    device.log().clear();
    board = Open();
    ASSERT_TRUE(board->Connect());
    EXPECT_TRUE(UsbCapture::Saw("File signature match\n"));
    EXPECT_EQ(0u, device.log().restarts);
    EXPECT_EQ(1u, device.flash_inits());
}

TEST_F(FirmwareUpdateTest, ImageFirmwareIsWrittenRecordByRecordWithProgress)
{
    // The second record has a header of 20 bytes: its data still starts at
    // byte 12 and the next record after the whole header.
    Install("VOQ54xx.bin", Image(0x600DF00D, {{0x1000, 5}, {0x2000, 16, 20}, {0x3000, 0}}));
    auto board = Open();
    ASSERT_TRUE(board->Connect());
    EXPECT_EQ(0x600DF00Du, device.config().firmware.signature);
    const auto loads = Packets(kCmdLoadBinary);
    ASSERT_EQ(3u, loads.size());
    // A record of data length 5 carries 8 + 512 bytes after the address and
    // the length, and the length field says 5.
    EXPECT_EQ(0x1000u, Le32(loads[0]->body, 4));
    EXPECT_EQ(5u, Le32(loads[0]->body, 8));
    EXPECT_EQ(12u + 520u, loads[0]->body.size());
    EXPECT_EQ(Bytes(528, 'b'), device.flash().at(0x2000));
    EXPECT_EQ(Bytes(512, 'c'), device.flash().at(0x3000));
    // Records of 12 + 8 + 512, 20 + 16 + 512 and 12 + 0 + 512 bytes.
    EXPECT_EQ((std::vector<std::string>{"begin", "progress 532/1604", "progress 1080/1604", "progress 1604/1604",
                                        "progress 1604/1604", "end 1"}),
              board->notices);
}

TEST_F(FirmwareUpdateTest, ImageOfOnlyItsHeaderHoldsNoRecords)
{
    Install("VOQ54xx.bin", Image(0x600DF00D, {}));
    auto board = Open();
    ASSERT_TRUE(board->Connect());
    EXPECT_EQ((std::vector<std::string>{"begin", "progress 0/0", "end 1"}), board->notices);
    EXPECT_TRUE(Packets(kCmdLoadBinary).empty());
    EXPECT_EQ(0x600DF00Du, device.config().firmware.signature);
}

TEST_F(FirmwareUpdateTest, WriteCombiningKeepsRunsWithinTheChunkLimitAndWritesInOrder)
{
    // Out-buffer 400: runs of at most 144 bytes. 10 x 16 adjacent bytes make
    // a run of 144 and one of 16; a gap starts a run; a 200-byte block goes
    // straight, after the pending run it overlaps, so its bytes land last.
    device.config().out_buffer_size = 400;
    std::string hex;
    for (uint16_t i = 0; i < 10; ++i) hex += HexLine(0, static_cast<uint16_t>(i * 16), Series(static_cast<uint8_t>(i), 16));
    hex += HexLine(0, 0x0800, Series(0x40, 16));
    hex += HexLine(0, 0x0800, Series(0x80, 200));
    Install("VOQ54xx.hex", hex);
    auto board = Open();
    ASSERT_TRUE(board->Connect());
    std::vector<std::pair<uint32_t, uint32_t>> runs;
    for (const auto* p : Packets(kCmdLoadTarget)) runs.emplace_back(Le32(p->body, 4), Le32(p->body, 8));
    EXPECT_EQ((std::vector<std::pair<uint32_t, uint32_t>>{{0, 144}, {144, 16}, {0x800, 16}, {0x800, 200}}), runs);
    EXPECT_EQ(Series(0x80, 200), device.flash().at(0x800));
}

// Every failure sends FlashEnd 0, never writes the signature and leaves the
// board for the next connect to try again.
TEST_F(FirmwareUpdateTest, FailedUpdatesNeverMarkTheBoardCurrent)
{
    const std::string good = HexLine(0, 0, Series(1, 16)) + HexLine(0, 16, Series(2, 16));
    struct Case {
        const char* name;
        std::string hex;
        uint32_t faultCode = 0;     // command whose flash status is set
        uint32_t flashStatus = 0;
        uint16_t outBuffer = 512;
        bool noReplyToFlashInit = false;
        const char* message;
        bool anyLoad;               // some data reached the flash commands
    } cases[] = {
        {"checksum", HexLine(0, 0, Series(1, 16)) + HexLine(0, 16, Series(2, 16), true), 0, 0, 512, false,
         "HEX file: CRC mismatch in line 2", false},
        {"short line", HexLine(0, 0, Series(1, 16)).substr(0, 20) + "\r\n", 0, 0, 512, false,
         "HEX file format: bad record in line 1", false},
        {"no colon", good + "0000000\r\n", 0, 0, 512, false, "HEX file format: ':' expected in line 3", false},
        {"bad digit", ":10000000" + std::string(30, '0') + "G0F0\r\n", 0, 0, 512, false, "bad record in line 1", false},
        {"record tag", good + HexLine(7, 0, {}), 0, 0, 512, false, "HEX file: Invalid record tag in line 3", false},
        {"verify error", good, kCmdLoadTarget, 4, 512, false, "FLASH_VERIFY", true},
        {"erase refused", good, kCmdFlashInit, 2, 512, false, "FLASH_WR_PROT", false},
        {"signature refused", good, kCmdWrSignat, 8, 512, false, "FLASH_SIGN_ER", true},
        {"tiny out buffer", good, 0, 0, 256, false, "out-buffer size 256 leaves no room", false},
        {"boot loader silent", good, 0, 0, 512, true, "Error occurred while reading reply to command: [07.FLASH_INIT", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.disconnect();
        device.reconnect();
        device.config().firmware.signature = kBoardSignature;
        device.config().out_buffer_size = c.outBuffer;
        device.faults().flash_status.clear();
        if (c.faultCode) device.faults().flash_status[c.faultCode] = c.flashStatus;
        device.clear_reply_faults();
        if (c.noReplyToFlashInit) device.fault_command(kCmdFlashInit, {sim::usb::ReplyFault::Kind::NoReply, 0}, 1);
        Install("VOQ54xx.hex", c.hex);
        device.log().clear();
        UsbCapture::Clear();
        auto board = Open();
        EXPECT_FALSE(board->Connect());
        EXPECT_TRUE(UsbCapture::Saw(c.message)) << [] {
            std::string all;
            for (const auto& l : UsbCapture::Errors()) all += l;
            for (const auto& l : UsbCapture::Traces()) all += l;
            return all;
        }();
        EXPECT_TRUE(UsbCapture::Saw("Firmware update from '" + file + "' failed\n"));
        EXPECT_EQ("end 0", board->Last());
        EXPECT_TRUE(Packets(kCmdWrSignat).empty() || c.faultCode == kCmdWrSignat);
        EXPECT_NE(LocalDosTimeOf(file), device.config().firmware.signature);
        EXPECT_EQ(c.anyLoad, !Packets(kCmdLoadTarget).empty());
        EXPECT_TRUE(Packets(kCmdStartTarget).empty());
    }
}

TEST_F(FirmwareUpdateTest, UpdateThatBrokeOffIsTriedAgainAtTheNextConnect)
{
    Install("VOQ54xx.hex", HexLine(0, 0, Series(1, 16)));
    device.faults().flash_status[kCmdLoadTarget] = 4;
    auto board = Open();
    EXPECT_FALSE(board->Connect());
    // Erased, in its boot loader, and still naming its file.
    EXPECT_TRUE(device.in_boot_loader());
    EXPECT_EQ(BoardSignature::kNone, device.config().firmware.signature);

    device.faults().flash_status.clear();
    board = Open();
    EXPECT_TRUE(board->Connect());
    EXPECT_EQ(LocalDosTimeOf(file), device.config().firmware.signature);
    EXPECT_FALSE(device.in_boot_loader());
}

TEST_F(FirmwareUpdateTest, BadImagesAreRefusedBeforeAnyRecordIsSent)
{
    std::string overlong = Image(0x600DF00D, {{0x1000, 16}});
    overlong.resize(overlong.size() - 1);  // the record's bytes end early
    std::string wrapped = Image(0x600DF00D, {});
    wrapped[8] = 0x40;  // header size 64 > the 36-byte file
    std::string huge = Image(0x600DF00D, {{0x1000, 16}});
    // A length near 4 GiB: padding it must not wrap to a small extent.
    uint32_t length = 0xFFFFFFFCu ^ kImageLengthKey;
    memcpy(&huge[36 + 4], &length, 4);
    std::string tinyHeader = Image(0x600DF00D, {{0x1000, 16}});
    tinyHeader[36] = 4;  // a record header smaller than its own fields
    for (const std::string& image : {overlong, wrapped, huge, tinyHeader}) {
        device.disconnect();
        device.reconnect();
        device.config().firmware.signature = kBoardSignature;
        Install("VOQ54xx.bin", image);
        device.log().clear();
        UsbCapture::Clear();
        auto board = Open();
        EXPECT_FALSE(board->Connect());
        EXPECT_TRUE(UsbCapture::Saw("Invalid '" + file + "' file format\n"));
        EXPECT_TRUE(Packets(kCmdLoadBinary).empty());
        EXPECT_TRUE(Packets(kCmdWrSignat).empty());
        EXPECT_EQ("end 0", board->Last());
    }
}

TEST_F(FirmwareUpdateTest, BootLoaderUnderAnotherPathIsFoundAgain)
{
    device.config().identity.boot_loader_path = "\\\\?\\usb#vid_1d6b&pid_0c55#boot0017#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    Install("VOQ54xx.hex", HexLine(0, 0, Series(1, 16)));
    auto board = Open();
    EXPECT_TRUE(board->Connect());
    EXPECT_TRUE(UsbCapture::Saw("Re-initialization: the board came back as \"" +
                                device.config().identity.boot_loader_path + "\"\n"));
    EXPECT_EQ(1u, device.flash_inits());
}

TEST_F(FirmwareUpdateTest, ReopenGivesUpAfter200Attempts)
{
    Install("VOQ54xx.hex", HexLine(0, 0, Series(1, 16)));
    auto board = Open();
    device.fail_opens(1000);
    device.log().clear();
    EXPECT_FALSE(board->Connect());
    EXPECT_EQ(200u, device.log().failed_opens);
    EXPECT_TRUE(UsbCapture::Saw("Re-initialization failed\n"));
    EXPECT_EQ(0u, device.flash_inits());
}

TEST_F(FirmwareUpdateTest, ErasedBoardThatNamesItsFileIsWrittenAgain)
{
    // An update that broke off after FLASH_INIT: no signature, but the board
    // still names its file and waits in its boot loader.
    device.config().starts_in_boot_loader = true;
    device.config().firmware.signature = BoardSignature::kNone;
    device.disconnect();
    device.reconnect();
    Install("VOQ54xx.hex", HexLine(0, 0, Series(1, 16)));
    auto board = Open();
    EXPECT_TRUE(board->Connect());
    EXPECT_EQ(LocalDosTimeOf(file), device.config().firmware.signature);
    EXPECT_EQ(1u, device.flash_inits());
    EXPECT_EQ(1u, device.log().restarts);  // already in the boot loader: no RESET_TARGET
    EXPECT_TRUE(Packets(kCmdResetTarget).empty());
}

TEST_F(FirmwareUpdateTest, FileNamesThatLeavePodWareAreRefused)
{
    for (const char* name : {"..\\VOQ54xx.hex", "C:VOQ54xx.hex", "sub/VOQ54xx.hex", ".."}) {
        SCOPED_TRACE(name);
        device.config().firmware.file_name = name;
        UsbCapture::Clear();
        auto board = Open();
        std::string path;
        uint32_t signature = 0;
        EXPECT_FALSE(board->CheckFirmware(path, signature));
        EXPECT_TRUE(path.empty());
        EXPECT_TRUE(UsbCapture::Saw("is not a plain file name"));
        EXPECT_TRUE(board->Connect());
        EXPECT_EQ(0u, device.flash_inits());
    }
}

TEST_F(FirmwareUpdateTest, MissingFirmwareFileKeepsTheBoard)
{
    // ".trg": silently notice 2; any other name: the error line. Either way
    // the board keeps its firmware.
    struct Case {
        const char* name;
        bool errorLine;
    } cases[] = {{"absent.TRG", false}, {"absent.hex", true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        device.config().firmware.file_name = c.name;
        UsbCapture::Clear();
        auto board = Open();
        EXPECT_TRUE(board->Connect());
        EXPECT_EQ(c.errorLine, UsbCapture::Saw("Failed to open file '" + PodWarePath(c.name) + "'"));
        EXPECT_EQ(c.errorLine ? std::vector<std::string>{} : std::vector<std::string>{"end 2"}, board->notices);
        EXPECT_EQ(0u, device.log().restarts);
    }
}

TEST_F(FirmwareUpdateTest, SignatureTraceShowsTheDateText)
{
    // 2024-03-15 10:20:30 as a DOS date-time.
    const uint32_t dos = (((2024 - 1980) << 9 | 3 << 5 | 15) << 16) | (10 << 11 | 20 << 5 | 15);
    device.config().firmware.signature = dos;
    auto board = Open();
    std::string path;
    uint32_t signature = 0;
    board->CheckFirmware(path, signature);
    char expected[128];
    snprintf(expected, sizeof expected, "Signature: %08X (%s), File Name: \"VOQ54xx.trg\", String: \"VOQ-54xx\", Status: 00\n",
             dos, "Mar 15, 2024  10:20:30");
    EXPECT_TRUE(UsbCapture::Saw(expected)) << [] {
        std::string all;
        for (const auto& l : UsbCapture::Traces()) all += l;
        return all;
    }();
}

}  // namespace
