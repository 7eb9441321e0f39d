// Entry point of VOQ-TMS.dll. Its process-wide objects (hooks, trace sink,
// board record, the transport functions stored into VOQ-MST) are built by
// static initialisers in priority order.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
