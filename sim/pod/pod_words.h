// Command words the pod understands, as they appear in a request: each is a
// u32 at a 16-bit unit boundary, little-endian (low unit first).
#pragma once

#include <cstdint>

namespace sim::pod_words {

// Control commands: exchanged alone, answered with their echo.
inline constexpr std::uint32_t kReadVoltages = 0x80000901;
inline constexpr std::uint32_t kSetParameter = 0x80000902;
inline constexpr std::uint32_t kSetLines = 0x80000905;
inline constexpr std::uint32_t kReadStatus = 0x80000906;

// Batch commands.
inline constexpr std::uint32_t kEndMarker = 0x80FFFFFF;
inline constexpr std::uint32_t kEndOfBatch = 0x92000903;
inline constexpr std::uint32_t kVoltageSample = 0x98000903;
inline constexpr std::uint32_t kScanWrite = 0x88000903;
inline constexpr std::uint32_t kScanRead = 0x8A000903;
inline constexpr std::uint32_t kScanExchange = 0x8C000903;
inline constexpr std::uint32_t kCommandList = 0x97000903;

// Entries of the stored command list, and the request words that use it.
// P, a word index into the stored list, sits in bits 12-23.
inline constexpr std::uint32_t kRepeatStep = 0x95000903;
inline constexpr std::uint32_t kEndScript = 0x81000903;
inline constexpr std::uint32_t kBlockOpen = 0x8F000903;   // count
inline constexpr std::uint32_t kCompare = 0x8E000903;     // n, n words (mask << 16 | value)
inline constexpr std::uint32_t kJumpIfMatched = 0x8B000903; // P
inline constexpr std::uint32_t kBlockEnd = 0x90000903;
inline constexpr std::uint32_t kBlockFailed = 0x93000903; // 0
inline constexpr std::uint32_t kRunScript = 0x80000903;   // | P << 12
inline constexpr std::uint32_t kPatchScript = 0x96000903; // | P << 12
inline constexpr std::uint32_t kPositionMask = 0x00FFF000;

// The pod's answer, as reply word 0, to a command it does not know.
inline constexpr std::uint32_t kUnknownCommand = 0xE0000006;

// Control-line bits (line word A releases, B asserts).
inline constexpr std::uint32_t kLineTrst = 0x00000004;
inline constexpr std::uint32_t kLineJtagSelect = 0x00000020;
inline constexpr std::uint32_t kLineTargetReset = 0x00010000;
inline constexpr std::uint32_t kLineRun = 0x00020000;

// Pod status bit raised by the status-error fault.
inline constexpr std::uint32_t kStatusError = 0x00000001;

} // namespace sim::pod_words
