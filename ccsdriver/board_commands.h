// The board's command codes and their names for traces.
#pragma once

#include <cstdint>
#include <string>

constexpr uint32_t kCmdGetBootVer = 0x80000001;
constexpr uint32_t kCmdGetStatus = 0x80000005;
constexpr uint32_t kCmdSetExchange = 0x80000007;
constexpr uint32_t kCmdResetTarget = 0x80000009;
constexpr uint32_t kCmdGetVersion = 0x8000000A;
constexpr uint32_t kCmdGetSerial = 0x8000000B;
constexpr uint32_t kCmdSetDebug = 0x8000000C;
constexpr uint32_t kCmdRdDebugTrace = 0x8000000F;
constexpr uint32_t kCmdRdSignat = 0x80000101;
constexpr uint32_t kCmdWrSignat = 0x80000102;
constexpr uint32_t kCmdLoadTarget = 0x80000103;
constexpr uint32_t kCmdStartTarget = 0x80000104;
constexpr uint32_t kCmdFlashInit = 0x80000105;
constexpr uint32_t kCmdLoadBinary = 0x80000106;
constexpr uint32_t kCmdBoardInfo = 0x8000081C;

constexpr uint32_t kStatusNotSupported = 0xE0000006;
constexpr uint32_t kStatusMask = 0xE0FFFFFF;  // removes the sequence number
constexpr uint32_t kCommandKey = 0xFF12FF01;  // parameter of the control commands
constexpr uint32_t kSetDebugAnswer = 0xFF01FF32;
constexpr uint32_t kBootBit = 0x1;

// The table's name ("*" in front when its level is above the trace level),
// or "%08X" of the code when it has none.
std::string CommandName(uint32_t code);
// "%02X:" of the sequence number, then the name.
std::string CommandName(uint32_t code, uint8_t sequence);
const char* FlashStatusName(uint32_t code);
