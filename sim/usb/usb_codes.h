// Numbers of the emulator's USB link as the simulated device speaks them:
// the kernel driver's I/O control codes, the board's command codes and
// status words, the flash status codes, and the Win32 error numbers the
// device reports. Portable: no Win32 header is needed to use them.
#pragma once

#include <cstdint>

namespace sim::usb {

// I/O control codes of the kernel driver (device type 0x22).
namespace ioctl {
inline constexpr std::uint32_t kHandleCheck = 0x22201C;  // out u32; 0xC0000008 = unusable
inline constexpr std::uint32_t kVersion = 0x22200C;      // out text (512 bytes asked)
inline constexpr std::uint32_t kSetTimeout = 0x222010;   // in u32 milliseconds
inline constexpr std::uint32_t kReadStatus = 0x222018;   // out u32; 258 = last read timed out
inline constexpr std::uint32_t kWrite = 0x222002;        // in bytes (non-WDF driver only)
inline constexpr std::uint32_t kRead = 0x222005;         // out bytes (non-WDF driver only)
} // namespace ioctl

inline constexpr std::uint32_t kHandleUnusable = 0xC0000008;
inline constexpr std::uint32_t kReadTimedOut = 258;

// Board command codes. In a packet the command word carries the code in bits
// 0-23 and 29-31 and the 5-bit sequence number in bits 24-28.
namespace board {
inline constexpr std::uint32_t kGetBootVersion = 0x80000001;
inline constexpr std::uint32_t kGetStatus = 0x80000005;
inline constexpr std::uint32_t kSetExchange = 0x80000007;
inline constexpr std::uint32_t kResetTarget = 0x80000009;
inline constexpr std::uint32_t kGetVersion = 0x8000000A;
inline constexpr std::uint32_t kGetSerial = 0x8000000B;
inline constexpr std::uint32_t kSetDebug = 0x8000000C;
inline constexpr std::uint32_t kReadDebugTrace = 0x8000000F;
inline constexpr std::uint32_t kReadSignature = 0x80000101;
inline constexpr std::uint32_t kWriteSignature = 0x80000102;
inline constexpr std::uint32_t kLoadTarget = 0x80000103;
inline constexpr std::uint32_t kStartTarget = 0x80000104;
inline constexpr std::uint32_t kFlashInit = 0x80000105;
inline constexpr std::uint32_t kLoadImageRecord = 0x80000106;
inline constexpr std::uint32_t kBoardInfo = 0x8000081C;

inline constexpr std::uint32_t kSequenceMask = 0x1F000000;
inline constexpr unsigned kSequenceShift = 24;
inline constexpr std::uint32_t kCodeMask = 0xE0FFFFFF;

inline constexpr std::uint32_t kNotSupported = 0xE0000006;
inline constexpr std::uint32_t kKey = 0xFF12FF01;         // parameter of the guarded commands
inline constexpr std::uint32_t kSetDebugAnswer = 0xFF01FF32;
inline constexpr std::uint32_t kBootBit = 0x00000001;     // GET_STATUS: boot loader runs

// True for every code above: the device takes such a packet as a board
// command and anything else as master traffic for the pod.
bool is_command(std::uint32_t masked_code);
} // namespace board

namespace flash {
inline constexpr std::uint32_t kOk = 0;
inline constexpr std::uint32_t kInvalidAddress = 1;
inline constexpr std::uint32_t kWriteProtected = 2;
inline constexpr std::uint32_t kNotBlank = 3;
inline constexpr std::uint32_t kVerify = 4;
inline constexpr std::uint32_t kInitError = 7;
inline constexpr std::uint32_t kSignError = 8;
} // namespace flash

// The signature a board reports when it holds none.
inline constexpr std::uint32_t kNoSignature = 0x7FFFFFFF;

// Win32 error numbers the device reports (GetLastError values).
namespace error {
inline constexpr std::uint32_t kInvalidFunction = 1;
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kInvalidHandle = 6;
inline constexpr std::uint32_t kGenFailure = 31;
inline constexpr std::uint32_t kInvalidParameter = 87;
inline constexpr std::uint32_t kSemTimeout = 121;
inline constexpr std::uint32_t kInsufficientBuffer = 122;
inline constexpr std::uint32_t kDeviceNotConnected = 1167;
} // namespace error

} // namespace sim::usb
