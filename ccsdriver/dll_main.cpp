// Entry point of VOQ-TMS.dll. The driver's process-wide state is set up and
// torn down here in one fixed order (driver_startup.cpp); the work done is
// file I/O only: no other library is loaded. The only window work is at
// FreeLibrary, when the host's window must lose its hook into this module.
#include <windows.h>

#include "ccsdriver/driver_startup.h"
#include "ccsdriver/host_menu.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    // Nothing may escape into the loader: a failed step leaves the driver
    // with its defaults (no log, default settings), still loadable.
    try {
        switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);
            DriverStartup();
            break;
        case DLL_PROCESS_DETACH:
            // Unloaded by FreeLibrary: the timer, the window hook and the
            // popup would call into unmapped code. At process exit the
            // host's windows are not touched.
            if (!reserved) StopHostWindowFinder();
            DriverShutdown();
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return TRUE;
}
