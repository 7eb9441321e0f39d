// The driver's side of the link to VOQ-MST: the transport functions stored
// into its data slots, the board object that carries them, the connection
// step of GTI_INIT_EX and the configuration record with the JTAG clock.
#pragma once

#include <cstdint>
#include <string>

class RealUSBDevice;

// The master's reply area: a reply longer than this is never copied.
constexpr uint32_t kMasterReplyArea = 2008;
constexpr uint32_t kMasterConfigSize = 158;
// The most of one reply that is read, length field included.
constexpr uint32_t kMaxMasterReplyRead = 65536;

uint32_t __attribute__((stdcall)) UsbSendTargetRequest(const void* data, uint32_t byteCount);
uint32_t __attribute__((stdcall)) UsbGetTargetReply(void* buffer, uint32_t* byteCount);
uint32_t __attribute__((stdcall)) UsbSetTargetTimeout(uint32_t ms);
void DrvTraceMessage(const char* text);

// The board object GTI_INIT_EX made (null before), and whether it is open.
RealUSBDevice* Board();
bool BoardIsOpen();
void DestroyBoard();
// The text that came with the board's firmware signature (null before the
// first connection attempt) and the versions kept for the About box.
const char* BoardSignatureText();
struct BoardVersions {
    uint32_t boot = 0;
    uint32_t target = 0;
    std::string bootText;
    std::string targetText;
};
const BoardVersions& KeptBoardVersions();

// Opens and connects the first free board; false when there is none or the
// connection failed.
bool OpenBoard();
// The 158-byte record of Master_SetConfig for a JTAG speed index.
void BuildMasterConfig(uint32_t jtagSpeed, uint8_t (&record)[kMasterConfigSize]);
// Sends the current "JTAGSpeed" to the master engine; returns its result.
uint32_t ApplyJtagSpeed();
// Stores the transport functions into VOQ-MST's slots.
void InstallTransport();
// Clears them again.
void RemoveTransport();
