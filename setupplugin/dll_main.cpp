// Entry point of Outrig.dll. The setup program loads it from its setup-files
// folder, calls its Execute entry once and frees it. Load and unload build
// and release the plug-in's state; the only work done under the loader lock
// is reading the file list: no library is loaded and no window shown here.
#include <windows.h>

#include "setupplugin/plugin_state.h"

BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    // Nothing may escape into the loader.
    try {
        switch (reason) {
        case DLL_PROCESS_ATTACH:
            DisableThreadLibraryCalls(instance);
            InitPlugin();
            break;
        case DLL_PROCESS_DETACH:
            FreePlugin();
            break;
        default:
            break;
        }
    } catch (...) {
    }
    return TRUE;
}
