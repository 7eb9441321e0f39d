#include "ccsdriver/driver_startup.h"

#include "ccsdriver/board_config.h"
#include "ccsdriver/driver_settings.h"
#include "ccsdriver/drv_hooks.h"
#include "ccsdriver/gti_frame.h"
#include "ccsdriver/master_link.h"
#include "ccsdriver/trace_log.h"
#include "ccsdriver/usb_trace.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_box.h"
#include "framework/base/sys_trace.h"
#include <memory>

#include "framework/ui/framework_state.h"
#include "framework/ui/program_hooks.h"

namespace {

// The framework's process-wide state (tooltip container, process history)
// for the time the driver is loaded, as a program holds it for its run.
std::unique_ptr<FrameworkState> g_frameworkState;

int DrvShowHelpHook(HWND window, uint32_t command, uintptr_t data)
{
    return static_cast<int>(DrvShowHelp(window, command, data));
}

}  // namespace

void DriverStartup()
{
    // The framework's program hooks: the driver never ends its host and
    // opens help its own way.
    SetExitProgramHook(DrvExitProgram);
    SetShowHelpHook(DrvShowHelpHook);
    // No box of the framework's fault paths shows inside the host: every
    // box answers 0, as one closed without a choice. The About box, which
    // the user asks for, is the one exception (host_menu.cpp).
    SetBoxPresenter(SilentBoxPresenter);
    g_usbTrace.trace = DrvTraceMessage;
    g_usbTrace.error = DrvTraceMessage;
    InstallTraceLog();
    GtiBoardConfig(BoardRecord());
    // Reaches the log only when it is already on, which at this point it is not.
    TracePrintf("\n--- DLL loaded ---\n\n");
    g_fwSettings.tracing = 1;
    InstallTransport();
    LoadDriverSettings();
    g_fwSettings.tracing = DrvLogOn() ? 1 : 0;
    g_frameworkState = std::make_unique<FrameworkState>();
}

void DriverShutdown()
{
    g_frameworkState.reset();
    SaveDriverSettings();
    // VOQ-MST may stay loaded (another module holds it): its slots must not
    // point into this library any more. Null slots read as "no device".
    RemoveTransport();
    DestroyBoard();
    FreeBoardParams(BoardRecord());
    CloseTraceLog();
    g_usbTrace.trace = nullptr;
    g_usbTrace.error = nullptr;
    SetShowHelpHook(nullptr);
    SetExitProgramHook(nullptr);
    SetBoxPresenter(nullptr);
}
