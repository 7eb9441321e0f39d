#include "ccsdriver/trace_log.h"

#include <windows.h>

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "ccsdriver/driver_settings.h"
#include "ccsdriver/drv_hooks.h"
#include "ccsdriver/lcg_stream.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_trace.h"
#include "framework/base/text_utils.h"

namespace {

FILE* g_log = nullptr;
// The log's private generator: board information unscrambling has its own,
// so neither can shift the other's stream.
LcgStream g_logStream;
char g_line[kTraceLineSize];
char g_scrambled[kTraceLineSize];

}  // namespace

std::string TraceLogPath()
{
    std::string name = "VOQ-TMS_" + HostProgramName();
    return ModuleFilePathStr(nullptr, "jlg", name.c_str());
}

bool TraceLogIsOpen() { return g_log != nullptr; }

void TraceLogWrite(const char* format, va_list args)
{
    bool on = DrvLogOn();
    if (!g_log && on) {
        g_log = fopen(TraceLogPath().c_str(), "wb");
        g_logStream.Seed(kTraceLogSeed);
    }
    if (!g_log) return;
    if (!on) {
        fclose(g_log);
        g_log = nullptr;
        return;
    }
    int n = vsnprintf(g_line, kTraceLineSize, format ? format : "", args);
    if (n < 0) n = 0;
    if (n > static_cast<int>(kTraceLineSize) - 1) n = kTraceLineSize - 1;
    g_line[n] = 0;
    uint32_t count = static_cast<uint32_t>(n) + 1;  // the NUL is scrambled too
    memcpy(g_scrambled, g_line, count);
    g_logStream.Apply(reinterpret_cast<uint8_t*>(g_scrambled), count);
    fwrite(g_scrambled, 1, count, g_log);
    fflush(g_log);
}

void InstallTraceLog() { g_fwHooks.traceSink = TraceLogWrite; }

void CloseTraceLog()
{
    TracePrintf("\n--- DLL unloaded ---\n\n");
    if (g_log) {
        fclose(g_log);
        g_log = nullptr;
    }
    // A trace line after this point must not open (and truncate) the log again.
    g_fwHooks.traceSink = FwDefaultTraceSink;
}

void DrvTraceBlankLine(const char* text) { TracePrintf("\n%s\n", text ? text : ""); }

namespace {

bool StaysSilent(uint8_t onlyWhenDebugging) { return onlyWhenDebugging && !g_fwSettings.debug; }

char* CopyName(const char* name) { return strdup(name ? name : ""); }

}  // namespace

MicroStopwatch::MicroStopwatch(bool onlyWhenDebugging, const char* name)
    : onlyWhenDebugging_(onlyWhenDebugging ? 1 : 0)
{
    if (StaysSilent(onlyWhenDebugging_)) return;
    name_ = CopyName(name);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    start_ = static_cast<uint64_t>(now.QuadPart);
}

MicroStopwatch::~MicroStopwatch()
{
    if (!StaysSilent(onlyWhenDebugging_) && name_) {
        LARGE_INTEGER now, frequency;
        QueryPerformanceCounter(&now);
        QueryPerformanceFrequency(&frequency);
        uint64_t ticks = static_cast<uint64_t>(now.QuadPart) - start_;
        uint64_t freq = frequency.QuadPart > 0 ? static_cast<uint64_t>(frequency.QuadPart) : 1;
        uint64_t micros = ticks * 1000000u / freq;
        char number[40];
        if (micros < (uint64_t(1) << 32))
            FormatThousands(number, static_cast<uint32_t>(micros));
        else
            snprintf(number, sizeof number, "%" PRIu64, micros);
        TracePrintf("%s: %s mcs\n", name_, number);
    }
    free(name_);
}

MilliStopwatch::MilliStopwatch(bool onlyWhenDebugging, const char* name)
    : onlyWhenDebugging_(onlyWhenDebugging ? 1 : 0)
{
    if (StaysSilent(onlyWhenDebugging_)) return;
    name_ = CopyName(name);
    start_ = GetTickCount();
}

MilliStopwatch::~MilliStopwatch()
{
    if (!StaysSilent(onlyWhenDebugging_) && name_) {
        uint32_t elapsed = GetTickCount() - start_;
        char number[40];
        FormatThousands(number, elapsed);
        char line[600];
        snprintf(line, sizeof line, "%s: %s ms\n", name_, number);
        TracePrintf("%s\n", line);
    }
    free(name_);
}
