#include "ccsdriver/real_usb_device.h"

#include <cstdio>
#include <cstring>

#include "ccsdriver/board_commands.h"
#include "ccsdriver/lcg_stream.h"
#include "ccsdriver/usb_trace.h"
#include "framework/base/text_utils.h"

namespace {

constexpr uint32_t kDebugEntryBytes = 28;

std::string Hex(const uint8_t* bytes, uint32_t count)
{
    char line[2048] = {};
    if (!(g_usbTrace.displayFlags & kUsbNoDumps)) AppendHexDump(line, sizeof line, bytes, count);
    return line;
}

// Reads "u8 n, n characters" from the reply.
bool GetCountedText(IOBuffer& in, std::string& out)
{
    uint8_t n = 0;
    out.clear();
    if (!in.GetU8(n)) return false;
    char text[256];
    if (!in.GetBytes(text, n)) return false;
    out.assign(text, n);
    return true;
}

void BusyWait(uint32_t ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) Sleep(1);
}

}  // namespace

RealUSBDevice::RealUSBDevice()
{
    if (IsOpen() && !WasError()) SetExchange();
}

RealUSBDevice::~RealUSBDevice() = default;

IOBuffer& RealUSBDevice::Begin(uint32_t code)
{
    buffer_.Reset();
    wasError_ = 0;
    command_ = code;
    buffer_.PutU32(0);  // length, filled in when the packet goes out
    buffer_.PutU32(code);
    return buffer_;
}

void RealUSBDevice::WaitForEvent()
{
    // Nothing in this system sets the event. The wait yields while messages
    // are sent to this thread but never delivers them: a message handled in
    // the middle of a board command could re-enter the driver.
    DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs_) {
        DWORD r = MsgWaitForMultipleObjects(1, &event_, FALSE, 0, QS_SENDMESSAGE);
        if (r == WAIT_OBJECT_0) return;
        Idle();
    }
}

bool RealUSBDevice::Transact()
{
    bool ok = TransactOnce();
    postSendDelayMs_ = 0;
    acceptNotSupported_ = 0;
    SetSequenceNumber(static_cast<uint8_t>(SequenceNumber() + 1));
    return ok;
}

bool RealUSBDevice::TransactOnce()
{
    if (event_) WaitForEvent();
    lastStatus_ = 0;
    uint32_t size = buffer_.OutSize();
    buffer_.PatchU32(0, size - 4);
    buffer_.OutData()[7] |= SequenceNumber();  // bits 24-28 of the command word
    bool traceReply = false;
    if (g_usbTrace.level >= 1) {
        std::string description = Describe(false);
        if (!description.empty()) {
            UsbTrace("%s\n", description.c_str());
            traceReply = true;
        }
    }
    if (!WriteChunked(size, buffer_.OutData())) return Failure(false, "Error occurred while trying to send command:", false);
    if (postSendDelayMs_) BusyWait(postSendDelayMs_);
    if (!ReadReply()) return Failure(false, "Error occurred while reading reply to command:", false);

    uint32_t got = buffer_.InSize();
    char message[128];
    if (got == 0) return Failure(true, "Possibly timeout while reading reply to command:", false);
    if (got < 8) {
        snprintf(message, sizeof message, "Target reply length (%u) < 8 to command:", got);
        return Failure(true, message, true);
    }
    uint32_t length = 0, status = 0;
    buffer_.GetU32(length);
    if (length > inSize_) {
        snprintf(message, sizeof message, "Target reply length (%u) > %u in command:", length, inSize_);
        return Failure(true, message, true);
    }
    buffer_.GetU32(status);
    lastStatus_ = status & kStatusMask;
    if (lastStatus_ != command_ && !(lastStatus_ == kStatusNotSupported && acceptNotSupported_)) {
        snprintf(message, sizeof message, "Target reports error %08X to command:", lastStatus_);
        return Failure(true, message, false);
    }
    if (traceReply) {
        const char* form = (g_usbTrace.displayFlags & kUsbColours) ? " <MAGENTA><%02X.%s: %u><>" : " <%02X.%s: %u>";
        char line[256];
        snprintf(line, sizeof line, form, SequenceNumber(), CommandName(lastStatus_).c_str(), got);
        UsbTrace("%s%s\n", line, Hex(buffer_.InData(), got).c_str());
    }
    return true;
}

bool RealUSBDevice::ReadReply()
{
    buffer_.ClearIn();
    uint8_t* into = buffer_.Reserve(inSize_);
    bool ok = Read(inSize_, into);
    buffer_.Received(ok ? LastCount() : 0);
    return ok;
}

bool RealUSBDevice::Failure(bool kindA, const char* message, bool dump)
{
    if (dump && g_usbTrace.level >= 1) UsbTrace("\nGot: %s\n", Hex(buffer_.InData(), buffer_.InSize()).c_str());
    // A failure switches detailed tracing on until the driver is unloaded.
    if (!keepTraceLevel_) g_usbTrace.level = 1;
    if (!g_usbTrace.trace) g_usbTrace.trace = UsbFallbackTrace;
    std::string description = Describe(true);
    if (kindA)
        UsbError("\n%s%s\n", message, description.c_str());
    else
        UsbTrace("\n%s%s\n", message, description.c_str());
    Sleep(500);
    if (lastStatus_ != kStatusNotSupported && !noRecoveryDump_) RecoveryDump();
    wasError_ = 1;
    return false;
}

void RealUSBDevice::Drain()
{
    // Bounded: a device that keeps sending must not hold the host forever.
    for (uint32_t i = 0; i < kDrainReads; ++i) {
        UsbTrace("Reading data from USB...\n");
        if (!ReadReply()) {
            UsbTrace("\nFailed to read data from USB\n");
            return;
        }
        uint32_t n = buffer_.InSize();
        if (n == 0) return;
        char head[32];
        snprintf(head, sizeof head, "Bytes read: %u =", n);
        char line[2048] = {};
        AppendHexDump(line, sizeof line, buffer_.InData(), n);
        UsbTrace("%s%s\n", head, line);
    }
}

void RealUSBDevice::RecoveryDump()
{
    Drain();
    // The dump's own commands go without a sequence number.
    Begin(kCmdGetStatus);
    buffer_.PatchU32(0, buffer_.OutSize() - 4);
    UsbTrace("Sending GET_STATUS\n");
    if (!WriteChunked(buffer_.OutSize(), buffer_.OutData())) {
        UsbTrace("\nFailed to send GET_STATUS\n");
        return;
    }
    Drain();

    Begin(kCmdRdDebugTrace);
    buffer_.PatchU32(0, buffer_.OutSize() - 4);
    UsbTrace("Sending RD_DEBUG_TRACE\n");
    if (!WriteChunked(buffer_.OutSize(), buffer_.OutData())) {
        UsbTrace("\nFailed to send RD_DEBUG_TRACE\n");
        return;
    }
    if (!ReadReply()) {
        UsbTrace("\nFailed to read reply to RD_DEBUG_TRACE\n");
        return;
    }
    uint32_t got = buffer_.InSize();
    if (got == 0) {
        UsbTrace("\nPossibly timeout while reading reply to RD_DEBUG_TRACE\n");
        return;
    }
    if (got < 8) {
        UsbTrace("Target reply length (%u) < 8 to command:\n", got);
        return;
    }
    uint32_t length = 0, status = 0, byteCount = 0;
    buffer_.GetU32(length);
    buffer_.GetU32(status);
    buffer_.GetU32(byteCount);
    uint32_t entries = byteCount / kDebugEntryBytes;
    if (entries > kMaxDebugTraceEntries) entries = kMaxDebugTraceEntries;
    for (uint32_t i = 0; i < entries; ++i) {
        uint32_t w[7];
        bool ok = true;
        for (uint32_t& word : w) ok = buffer_.GetU32(word) && ok;
        if (!ok) break;  // the board announced more than it sent
        char stamp[32];
        FormatThousands(stamp, w[6]);
        UsbTrace("#%2u: %02X:%-12s(%u), %02X:%-12s(%u), %08X/%08X, T: %s\n", i, (w[0] >> 24) & 0x1F,
                 CommandName(w[0] & kStatusMask).c_str(), w[1], (w[2] >> 24) & 0x1F,
                 CommandName(w[2] & kStatusMask).c_str(), w[3], w[4], w[5], stamp);
    }
}

bool RealUSBDevice::GetStatus()
{
    Begin(kCmdGetStatus);
    if (Transact()) {
        buffer_.GetU32(boardStatus_);
        UsbTrace("Status: %08X\n", boardStatus_);
    }
    return !WasError();
}

bool RealUSBDevice::SetExchange()
{
    Begin(kCmdSetExchange).PutU32(kCommandKey);
    postSendDelayMs_ = 10;
    if (!Transact()) return false;
    uint32_t value = 0;
    uint16_t in = 0, out = 0;
    buffer_.GetU32(value);
    buffer_.GetU16(in);
    buffer_.GetU16(out);
    UsbTrace("SET_EXCHANGE: Got %08X, In buffer size: %u, Out buffer size: %u\n", value, in, out);
    // A size of 0 would stop every chunked write; a tiny one cannot hold a
    // reply header. Neither is believed.
    if (in < kMinBoardBufferSize || out < kMinBoardBufferSize) {
        UsbError("SET_EXCHANGE: buffer sizes %u/%u are below %u\n", in, out, kMinBoardBufferSize);
        wasError_ = 1;
        return false;
    }
    inSize_ = in;
    outSize_ = out;
    buffer_.ClearIn();
    buffer_.Reserve(inSize_);
    return true;
}

bool RealUSBDevice::GetBootVersion()
{
    Begin(kCmdGetBootVer);
    if (!Transact()) return false;
    buffer_.GetU32(bootVersion_);
    GetCountedText(buffer_, bootText_);
    UsbTrace("Boot version:   %u.%02u, %s\n", bootVersion_ >> 16, bootVersion_ & 0xFFFF, bootText_.c_str());
    return !WasError();
}

bool RealUSBDevice::GetVersions()
{
    Begin(kCmdGetVersion);
    if (!Transact()) return false;
    buffer_.GetU32(bootVersion_);
    GetCountedText(buffer_, bootText_);
    buffer_.GetU32(targetVersion_);
    GetCountedText(buffer_, targetText_);
    GetSerial();
    if (g_usbTrace.level > 0)
        UsbTrace("Boot version:   %u.%02u, %s\nTarget version: %u.%02u, %s\nSerial Number:  %s\n", bootVersion_ >> 16,
                 bootVersion_ & 0xFFFF, bootText_.c_str(), targetVersion_ >> 16, targetVersion_ & 0xFFFF,
                 targetText_.c_str(), serialText_.c_str());
    return !WasError();
}

bool RealUSBDevice::GetSerial()
{
    serialText_.clear();
    if (signatureRead_ && signatureText_.empty()) return true;
    Begin(kCmdGetSerial);
    if (!Transact()) return false;
    uint32_t n = 0;
    buffer_.GetU32(n);
    if (n > kMaxSerialBytes) {
        UsbError("GET_SERIAL: %u bytes announced, at most %u expected\n", n, kMaxSerialBytes);
        wasError_ = 1;
        return false;
    }
    if (n > buffer_.InRemaining()) n = buffer_.InRemaining();
    serialBytes_.assign(n, 0);
    buffer_.GetBytes(serialBytes_.data(), n);
    // The serial number text sits at byte 12 of the board information.
    if (boardInfo_.size() >= 44) {
        const char* text = reinterpret_cast<const char*>(boardInfo_.data() + 12);
        size_t length = strnlen(text, boardInfo_.size() - 12);
        if (length > 0) {
            serialText_.assign(text, length);
            return true;
        }
    }
    char hex[4];
    for (uint8_t b : serialBytes_) {
        snprintf(hex, sizeof hex, "%02X", b);
        serialText_ += hex;
    }
    return true;
}

bool RealUSBDevice::ReadBoardInfo(uint32_t parameter)
{
    Begin(kCmdBoardInfo).PutU32(parameter);
    if (!Transact()) return false;
    if (lastStatus_ != kCmdBoardInfo) return true;  // not supported, and the caller allowed it
    uint32_t flashStatus = 0;
    buffer_.GetU32(flashStatus);
    UsbTrace("Board information: %s\n", FlashStatusName(flashStatus));
    if (flashStatus != 0) {
        lastStatus_ = kStatusNotSupported;
        return false;
    }
    uint32_t seed = 0;
    uint8_t lengthBytes[4] = {};
    buffer_.GetU32(seed);
    buffer_.GetBytes(lengthBytes, 4);
    // A generator of its own: reseeding it cannot disturb the trace log.
    LcgStream stream;
    stream.Seed(seed);
    stream.Apply(lengthBytes, 4);
    uint32_t length = static_cast<uint32_t>(lengthBytes[0]) | (static_cast<uint32_t>(lengthBytes[1]) << 8) |
                      (static_cast<uint32_t>(lengthBytes[2]) << 16) | (static_cast<uint32_t>(lengthBytes[3]) << 24);
    // The length comes from the board: never more than what arrived.
    uint32_t available = buffer_.InRemaining();
    if (length > available || length > kMaxBoardInfoBytes) {
        UsbTrace("Board information: length %u, %u bytes received\n", length, available);
        length = available < kMaxBoardInfoBytes ? available : kMaxBoardInfoBytes;
    }
    boardInfo_.assign(length, 0);
    buffer_.GetBytes(boardInfo_.data(), length);
    stream.Apply(boardInfo_.data(), length);
    return true;
}

bool RealUSBDevice::SetDebug()
{
    Begin(kCmdSetDebug).PutU32(kCommandKey);
    acceptNotSupported_ = 1;
    if (!Transact()) return false;
    if (lastStatus_ == kStatusNotSupported) return true;
    uint32_t value = 0;
    buffer_.GetU32(value);
    return value == kSetDebugAnswer;
}

bool RealUSBDevice::StartTarget()
{
    Begin(kCmdStartTarget).PutU32(kCommandKey);
    if (!Transact()) return false;
    if (completion_) completion_();
    Sleep(2000);  // the board starts its target firmware
    if (!GetStatus()) return false;
    if (boardStatus_ & kBootBit) {
        if (skipFirmwareUpdate_) return true;  // the board stays in its boot loader
        UsbTrace("Error: BOOT_BIT is on after START_TARGET\n");
        return false;
    }
    return true;
}

bool RealUSBDevice::Connect()
{
    if (!GetStatus() || !SetExchange()) return false;
    std::string path;
    uint32_t fileSignature = 0;
    bool match = CheckFirmware(path, fileSignature);
    if (WasError()) return false;
    UsbTrace("Status: %08X\n", boardStatus_);

    const bool update = !match && !skipFirmwareUpdate_ && !path.empty() && FirmwareExists(path);
    if (update && !(boardStatus_ & kBootBit) && !RestartIntoBootLoader()) return false;
    if (boardStatus_ & kBootBit) {
        if (update && !UpdateFirmware(path, fileSignature)) return false;
        if (!StartTarget()) return false;
        if (boardStatus_ & kBootBit) return true;  // skip-firmware-update: left in the boot loader
    }

    if (!SetExchange()) return false;
    SetTimeout(2000);
    CheckFirmware(path, fileSignature);  // refreshes the signature data
    acceptNotSupported_ = 1;
    if (!ReadBoardInfo(1) && lastStatus_ != kStatusNotSupported) return false;
    return GetVersions();
}
