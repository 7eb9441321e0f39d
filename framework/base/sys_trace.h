// Trace entries: every form hands its format and arguments to the trace sink
// of the hook table; the gated forms only while their flag is set.
#pragma once

#include <cstdarg>

void TracePrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
void TraceVPrintf(const char* format, va_list args);
// Only while the tracing flag (g_fwSettings.tracing) is set.
void TraceIfOn(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Only while the debug flag (g_fwSettings.debug) is set.
void DebugPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
// Only while the process trace flag (g_fwSettings.traceProcess) is set.
void TraceProcessPrintf(const char* format, ...) __attribute__((format(printf, 1, 2)));
