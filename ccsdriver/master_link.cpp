#include "ccsdriver/master_link.h"

#include <cstring>
#include <new>

#include "ccsdriver/driver_settings.h"
#include "ccsdriver/gti_frame.h"
#include "ccsdriver/real_usb_device.h"
#include "framework/base/sys_trace.h"
#include "master/exports/master_api.h"

namespace {

RealUSBDevice* g_board = nullptr;
std::string* g_signatureText = nullptr;
BoardVersions g_versions;

void PutLe32(uint8_t* at, uint32_t value)
{
    for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLe32(const uint8_t* at)
{
    return static_cast<uint32_t>(at[0]) | (static_cast<uint32_t>(at[1]) << 8) | (static_cast<uint32_t>(at[2]) << 16) |
           (static_cast<uint32_t>(at[3]) << 24);
}

}  // namespace

RealUSBDevice* Board() { return g_board; }
bool BoardIsOpen() { return g_board && g_board->IsOpen(); }

void DestroyBoard()
{
    delete g_board;
    g_board = nullptr;
    delete g_signatureText;
    g_signatureText = nullptr;
}

const char* BoardSignatureText() { return g_signatureText ? g_signatureText->c_str() : nullptr; }
const BoardVersions& KeptBoardVersions() { return g_versions; }

void DrvTraceMessage(const char* text) { TracePrintf("%s", text ? text : ""); }

uint32_t __attribute__((stdcall)) UsbSendTargetRequest(const void* data, uint32_t byteCount)
{
    if (!BoardIsOpen()) return 1;
    // Each master request starts afresh: one failed transfer must not block
    // every later request until the next GTI_INIT_EX.
    g_board->ClearError();
    if (!data && byteCount) return 3;
    if (byteCount > 0xFFFFFFFFu - 4) return 3;
    uint8_t* packet = new (std::nothrow) uint8_t[byteCount + 4];
    if (!packet) return 3;
    PutLe32(packet, byteCount);
    if (byteCount) memcpy(packet + 4, data, byteCount);
    bool ok = g_board->WriteChunked(byteCount + 4, packet);
    delete[] packet;
    return ok ? 0 : 3;
}

uint32_t __attribute__((stdcall)) UsbGetTargetReply(void* buffer, uint32_t* byteCount)
{
    if (!BoardIsOpen()) return 1;
    g_board->ClearError();
    IOBuffer& io = g_board->Buffer();
    uint32_t inSize = g_board->InBufferSize();
    io.ClearIn();
    if (!g_board->Read(inSize, io.Reserve(inSize))) return 4;
    io.Received(g_board->LastCount());
    // A reply longer than the board's in-buffer comes in several reads: the
    // rest is read here, or it would be taken for the start of the next
    // reply. Bounded: each read by the time-out, the whole by the longest
    // reply the master reports (its area and a little more), and it stops
    // at the first read that brings nothing.
    if (io.InSize() >= 4) {
        const uint64_t want = static_cast<uint64_t>(GetLe32(io.InData())) + 4;
        const uint64_t most = want < kMaxMasterReplyRead ? want : kMaxMasterReplyRead;
        while (io.InSize() < most) {
            uint32_t ask = static_cast<uint32_t>(most - io.InSize());
            if (ask > inSize) ask = inSize;
            if (!g_board->Read(ask, io.Reserve(ask))) return 4;
            if (g_board->LastCount() == 0) break;
            io.Received(g_board->LastCount());
        }
    }
    const uint8_t* in = io.InData();
    uint32_t got = io.InSize();
    // Fewer than 4 bytes carry no length: report none (the master then
    // raises its time-out) rather than the previous reply's length.
    uint32_t length = 0;
    if (got >= 4) {
        length = GetLe32(in);
        if (length > got - 4) length = got - 4;
    }
    // The reply area holds 2008 bytes; a longer reply is reported with its
    // length so the master raises its overflow code, but never copied past.
    uint32_t copy = length < kMasterReplyArea ? length : kMasterReplyArea;
    if (buffer && copy) memcpy(buffer, in + 4, copy);
    if (byteCount) *byteCount = length;
    return 0;
}

uint32_t __attribute__((stdcall)) UsbSetTargetTimeout(uint32_t ms)
{
    if (!BoardIsOpen()) return 1;
    return g_board->SetTimeout(ms) ? 0 : 3;
}

void InstallTransport()
{
    SendTargetRequest = UsbSendTargetRequest;
    GetTargetReply = UsbGetTargetReply;
    SetTargetTimeout = UsbSetTargetTimeout;
}

void RemoveTransport()
{
    SendTargetRequest = nullptr;
    GetTargetReply = nullptr;
    SetTargetTimeout = nullptr;
}

bool OpenBoard()
{
    if (!g_signatureText) g_signatureText = new (std::nothrow) std::string;
    if (g_signatureText) g_signatureText->clear();
    delete g_board;
    g_board = new (std::nothrow) RealUSBDevice;
    if (!g_board || !g_board->IsOpen()) return false;
    // Connect's own answer counts: a board whose firmware did not start is
    // not connected, even when no transfer failed. The object goes, so the
    // host is told that no board was found.
    bool connected = g_board->Connect();
    if (!connected || g_board->WasError()) {
        delete g_board;
        g_board = nullptr;
        return false;
    }
    if (g_signatureText) *g_signatureText = g_board->SignatureText();
    g_versions.boot = g_board->BootVersion();
    g_versions.target = g_board->TargetVersion();
    g_versions.bootText = g_board->BootVersionText();
    g_versions.targetText = g_board->TargetVersionText();
    return true;
}

void BuildMasterConfig(uint32_t jtagSpeed, uint8_t (&record)[kMasterConfigSize])
{
    memset(record, 0, sizeof record);
    record[3] = static_cast<uint8_t>(jtagSpeed);
    PutLe32(record + 20, 1);
    PutLe32(record + 60, 0x20);
    PutLe32(record + 64, 0xFDF);
    PutLe32(record + 80, 0xFFF);
}

uint32_t ApplyJtagSpeed()
{
    uint8_t record[kMasterConfigSize];
    uint32_t speed = DrvJtagSpeed();
    BuildMasterConfig(speed, record);
    TracePrintf("Setting config:\n JTAGSpeed = %u\n", speed);
    SelectTmsDevice();
    return Master_SetConfig(kMasterConfigSize, record);
}
