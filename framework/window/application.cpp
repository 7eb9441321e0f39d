#include "framework/window/application.h"

#include "framework/window/dialog.h"
#include "framework/window/window.h"

namespace {

#if defined(FW_FLAVOUR_OUTRIG)
// The plug-in has no window of its own: its running dialog stands for it.
Window* RunningDialog() { return Dialog::Running(); }
constexpr MainWindowHook kDefaultHook = &RunningDialog;
#else
constexpr MainWindowHook kDefaultHook = nullptr;
#endif

MainWindowHook g_mainWindowHook = kDefaultHook;

}  // namespace

void SetMainWindowHook(MainWindowHook hook) { g_mainWindowHook = hook ? hook : kDefaultHook; }
Window* GetMainWindowObject() { return g_mainWindowHook ? g_mainWindowHook() : nullptr; }
HWND GetMainWindowHandle()
{
    Window* main = GetMainWindowObject();
    return main ? main->GetHandle() : nullptr;
}
