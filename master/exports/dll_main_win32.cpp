// Entry point of VOQ-MST.dll. The engine's process-wide objects are built by
// static initialisers; the loader notifications need nothing more.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
