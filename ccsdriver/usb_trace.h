// Trace and error lines of the USB layer. Both go to message functions that
// the driver installs (its trace function and its error function); a line is
// dropped while its function is not set.
#pragma once

#include <cstdint>

using UsbMessageFn = void (*)(const char* text);

struct UsbTraceState {
    UsbMessageFn trace;     // "KVUSBDEV: ..." lines
    UsbMessageFn error;     // "KVUSBDEV Error: ..." lines
    uint32_t level;         // optional lines need level >= 1
    uint32_t displayFlags;  // bit 0: no hex dumps; bit 1: coloured markers
};

constexpr uint32_t kUsbNoDumps = 0x1;
constexpr uint32_t kUsbColours = 0x2;

extern constinit UsbTraceState g_usbTrace;

void UsbTrace(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void UsbError(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
// The error line followed by ": " and the system's text for `error`.
void UsbErrorSystem(uint32_t error, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// The trace function that a failure installs when none is set.
void UsbFallbackTrace(const char* text);
// Appends " %02X" for each of the first 256 bytes, "..." beyond.
void AppendHexDump(char* line, uint32_t size, const uint8_t* bytes, uint32_t count);
