#include "driver_fixture.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "ccsdriver/board_config.h"
#include "ccsdriver/driver_settings.h"
#include "ccsdriver/gti_frame.h"
#include "ccsdriver/master_link.h"
#include "ccsdriver/usb_trace.h"
#include "framework/base/hooks.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/trace_scope.h"

namespace {

std::vector<std::string> g_lines;

void CollectTrace(const char* format, va_list args)
{
    char line[8192];
    vsnprintf(line, sizeof line, format ? format : "", args);
    g_lines.push_back(line);
}

}  // namespace

void DriverFixture::SetUp()
{
    Recorder_Reset();
    FwResetHooksAndSettings();
    g_fwHooks.traceSink = CollectTrace;
    g_mlLanguage = 0;
    PTraceScope::ResetIndent();
    ResetDriverSettings();
    ResetGtiFrame();
    ResetTargetOperations();
    DestroyBoard();
    GtiBoardConfig(BoardRecord());
    InstallTransport();
    g_usbTrace = UsbTraceState{DrvTraceMessage, DrvTraceMessage, 0, 0};
    g_fwSettings.tracing = 1;
    g_lines.clear();
}

void DriverFixture::TearDown()
{
    DestroyBoard();
    FreeBoardParams(BoardRecord());
    g_usbTrace = UsbTraceState{nullptr, nullptr, 0, 0};
    FwResetHooksAndSettings();
}

const std::vector<std::string>& DriverFixture::Trace() { return g_lines; }

std::string DriverFixture::TraceText()
{
    std::string all;
    for (const std::string& line : g_lines) all += line;
    return all;
}

void DriverFixture::ClearTrace() { g_lines.clear(); }

std::vector<std::string> DriverFixture::MasterCalls()
{
    std::vector<std::string> names;
    for (uint32_t i = 0; i < Recorder_CallCount(); ++i)
        if (strcmp(Recorder_Call(i)->name, "Master_SetIdeCode") != 0) names.push_back(Recorder_Call(i)->name);
    return names;
}

MstCall DriverFixture::LastCall(const char* name)
{
    for (uint32_t i = Recorder_CallCount(); i-- > 0;)
        if (strcmp(Recorder_Call(i)->name, name) == 0) return *Recorder_Call(i);
    ADD_FAILURE() << "no call of " << name;
    return MstCall{};
}

bool DriverFixture::AllCallsOnTms()
{
    // Each call comes right after its own Master_SetIdeCode(2).
    for (uint32_t i = 0; i < Recorder_CallCount(); ++i) {
        const MstCall* call = Recorder_Call(i);
        if (strcmp(call->name, "Master_SetIdeCode") == 0) continue;
        const MstCall* before = i ? Recorder_Call(i - 1) : nullptr;
        if (!before || strcmp(before->name, "Master_SetIdeCode") != 0 || before->args[0] != 2) return false;
    }
    return true;
}
