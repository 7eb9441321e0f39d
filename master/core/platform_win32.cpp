// The pause on Windows.
#include <windows.h>

#include <cstdint>

namespace mst {

void system_pause_ms(uint32_t milliseconds) { Sleep(milliseconds); }

} // namespace mst
