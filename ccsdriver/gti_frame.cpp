#include "ccsdriver/gti_frame.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string>

#include "ccsdriver/drv_hooks.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_trace.h"
#include "framework/ui/ml_text.h"
#include "master/exports/master_api.h"

GtiErrorPair g_gtiError = {0, 0};
const char* g_lastTracedExport = nullptr;
uint32_t g_lastReportedCode = 0xFFFFFFFF;

void ResetGtiFrame()
{
    g_gtiError = {0, 0};
    g_lastTracedExport = nullptr;
    g_lastReportedCode = 0xFFFFFFFF;
}

GtiScope::GtiScope(const char* exportName, const char* format, ...)
{
    if (!g_fwSettings.tracing) return;
    g_lastTracedExport = exportName;
    char header[1024];
    int n = snprintf(header, sizeof header, "%s: \"%s\"(", HostProgramName().c_str(), exportName);
    if (n < 0 || n >= static_cast<int>(sizeof header)) n = static_cast<int>(sizeof header) - 1;
    if (format) {
        va_list args;
        va_start(args, format);
        int m = vsnprintf(header + n, sizeof header - n, format, args);
        va_end(args);
        n += m < 0 ? 0 : m;
        if (n >= static_cast<int>(sizeof header)) n = static_cast<int>(sizeof header) - 1;
    }
    snprintf(header + n, sizeof header - n, ")");
    scope_.emplace(PTraceScope::kEnable, true, "%s", header);
    // An export's time shows from a millisecond on.
    scope_->SetThreshold(kGtiTraceThreshold);
}

void GtiTraceParam(GtiParam kind, const char* name, const void* pointer, bool isResult)
{
    char value[1024];
    const uint32_t* word = static_cast<const uint32_t*>(pointer);
    switch (kind) {
    case GtiParam::Hex:
        if (word) snprintf(value, sizeof value, "0x%08X", *word);
        else snprintf(value, sizeof value, "0xBAD");
        break;
    case GtiParam::Decimal:
        if (word) snprintf(value, sizeof value, "%d", static_cast<int32_t>(*word));
        else snprintf(value, sizeof value, "0xBAD");
        break;
    case GtiParam::Text:
        // Never hand a null text to printf.
        if (pointer) snprintf(value, sizeof value, "\"%s\"", static_cast<const char*>(pointer));
        else snprintf(value, sizeof value, "(null)");
        break;
    case GtiParam::PointerAndValue:
        snprintf(value, sizeof value, "0x%08X (0x%08X)", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(pointer)),
                 word ? *word : 0xBADu);
        break;
    }
    if (isResult)
        TracePrintf("  => %s\n", value);
    else
        TracePrintf("  %s = %s\n", name ? name : "", value);
}

void SelectTmsDevice() { Master_SetIdeCode(2); }

GtiErrorPair& SetGtiError(uint32_t code)
{
    g_gtiError.code = code;
    g_gtiError.flag = code == 0 ? 0 : 0xFFFFFFFF;
    if (g_fwSettings.tracing) TracePrintf(" *=> 0x%X: %s\n", code, GtiErrorText());
    return g_gtiError;
}

const char* GtiErrorText()
{
    SelectTmsDevice();
    if (g_gtiError.flag == 0) return "";
    const char* text = Master_GetErrorString();
    return text ? GetMLText(text) : "";
}
