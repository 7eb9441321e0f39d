#include "framework/base/hooks.h"

#include <windows.h>

#include "framework/base/text_utils.h"

namespace {

#if defined(FW_FLAVOUR_RIGGER)
constexpr const char* kAppName = "Setup";
#elif defined(FW_FLAVOUR_TMS)
constexpr const char* kAppName = "VOQ-TMS";
#else
constexpr const char* kAppName = "Outrig";
#endif

constexpr FwHookTable kDefaultHooks = {
    FwDefaultIdle, FwDefaultCaption, FwDefaultTraceSink, FwDefaultParse, FwDefaultFileErrorText, FwDefaultDebuggerName,
};

constexpr const char* kProjectName = "VOQ";

}  // namespace

constinit FwHookTable g_fwHooks = kDefaultHooks;
// The help context starts at -1 ("none"), not 0: 0 would be a real context.
constinit FwSettings g_fwSettings = {kAppName, 0, 0, 0, -1, 0, 0, 0, kProjectName, 0, 0, 0};

void FwDefaultIdle(uint32_t) { Sleep(0); }

const char* FwDefaultCaption() { return g_fwSettings.appName ? g_fwSettings.appName : ""; }

void FwDefaultTraceSink(const char*, va_list) {}

uint32_t FwDefaultParse(uint8_t, const char* text) { return ParseNumber(text); }

const char* FwDefaultFileErrorText(bool reading)
{
    return reading ? "Cannot open file '%s'" : "Cannot create file '%s'";
}

const char* FwDefaultDebuggerName() { return nullptr; }

void FwResetHooksAndSettings()
{
    g_fwHooks = kDefaultHooks;
    g_fwSettings = FwSettings{kAppName, 0, 0, 0, -1, 0, 0, 0, kProjectName, 0, 0, 0};
}
