#include "ccsdriver/usb_trace.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "framework/base/sys_error.h"
#include "framework/base/sys_trace.h"

constinit UsbTraceState g_usbTrace = {nullptr, nullptr, 0, 0};

namespace {

constexpr uint32_t kTraceLine = 8192;
constexpr uint32_t kErrorLine = 1024;

void Emit(UsbMessageFn fn, uint32_t size, const char* prefix, const char* suffix, const char* format, va_list args)
{
    if (!fn) return;
    char line[kTraceLine];
    int n = snprintf(line, size, "%s", prefix);
    if (n < 0) n = 0;
    vsnprintf(line + n, size - n, format, args);
    if (suffix) {
        size_t used = strlen(line);
        snprintf(line + used, size - used, ": %s", suffix);
    }
    line[size - 1] = 0;
    fn(line);
}

}  // namespace

void UsbTrace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(g_usbTrace.trace, kTraceLine, "KVUSBDEV: ", nullptr, format, args);
    va_end(args);
}

void UsbError(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    Emit(g_usbTrace.error, kErrorLine, "KVUSBDEV Error: ", nullptr, format, args);
    va_end(args);
}

void UsbErrorSystem(uint32_t error, const char* format, ...)
{
    char system[512];
    GetLastErrorText(error, system, sizeof system);
    va_list args;
    va_start(args, format);
    Emit(g_usbTrace.error, kErrorLine, "KVUSBDEV Error: ", system, format, args);
    va_end(args);
}

void UsbFallbackTrace(const char* text) { TracePrintf("%s", text); }

void AppendHexDump(char* line, uint32_t size, const uint8_t* bytes, uint32_t count)
{
    size_t used = strlen(line);
    uint32_t shown = count < 256 ? count : 256;
    for (uint32_t i = 0; i < shown && used + 4 < size; ++i) used += snprintf(line + used, size - used, " %02X", bytes[i]);
    if (count > 256 && used + 4 < size) snprintf(line + used, size - used, "...");
}
