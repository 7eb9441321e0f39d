// The engine's pause, replaceable by tests.
#include "master/core/platform.h"

namespace mst {

void system_pause_ms(uint32_t milliseconds);  // platform_win32.cpp / platform_posix.cpp

namespace {
pause_fn pause_hook = nullptr;
}

void pause_ms(uint32_t milliseconds) {
    if (pause_hook != nullptr) {
        pause_hook(milliseconds);
        return;
    }
    system_pause_ms(milliseconds);
}

pause_fn set_pause_hook(pause_fn hook) {
    const pause_fn previous = pause_hook;
    pause_hook = hook;
    return previous;
}

} // namespace mst
