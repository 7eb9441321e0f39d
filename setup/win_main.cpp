// Program entry of Rigger. The setup's main flow (command line, setup.ini,
// the sequence of setup pages) is called from here; until it is built the
// program ends at once with the success code.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    return 0;
}
