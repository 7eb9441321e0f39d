// Entry point of Outrig.dll. The setup program loads it from its setup-files
// folder and calls its Execute entry once.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID)
{
    return TRUE;
}
