// The one service of the operating system the engine needs: a pause. Tests
// replace it so that polls with sleeps run without waiting.
#pragma once

#include <cstdint>

namespace mst {

using pause_fn = void (*)(uint32_t milliseconds);

// Sleeps (or calls the installed replacement).
void pause_ms(uint32_t milliseconds);
// nullptr restores the system sleep. Returns the previous replacement.
pause_fn set_pause_hook(pause_fn hook);

} // namespace mst
