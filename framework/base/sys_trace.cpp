#include "framework/base/sys_trace.h"

#include "framework/base/hooks.h"

void TraceVPrintf(const char* format, va_list args) { g_fwHooks.traceSink(format, args); }

void TracePrintf(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    TraceVPrintf(format, args);
    va_end(args);
}

void TraceIfOn(const char* format, ...)
{
    if (!g_fwSettings.tracing) return;
    va_list args;
    va_start(args, format);
    TraceVPrintf(format, args);
    va_end(args);
}

void DebugPrintf(const char* format, ...)
{
    if (!g_fwSettings.debug) return;
    va_list args;
    va_start(args, format);
    TraceVPrintf(format, args);
    va_end(args);
}

void TraceProcessPrintf(const char* format, ...)
{
    if (!g_fwSettings.traceProcess) return;
    va_list args;
    va_start(args, format);
    TraceVPrintf(format, args);
    va_end(args);
}
