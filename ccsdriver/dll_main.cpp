// Entry point of VOQ-TMS.dll. The driver's process-wide state is set up and
// torn down here in one fixed order (driver_startup.cpp); the work done is
// file I/O only: no other library is loaded and no window is touched.
#include <windows.h>

#include "ccsdriver/driver_startup.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
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
            DriverShutdown();
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return TRUE;
}
