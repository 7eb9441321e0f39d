// Program entry of Rigger. The setup's main flow (command line, setup.ini,
// the sequence of setup pages) is called from here; until it is built the
// program ends at once with the success code. The framework's process-wide
// state (tooltip container, process history) lives for the whole run.
#include <windows.h>

#include "framework/ui/framework_state.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    FrameworkState state;
    return 0;
}
