// The pause on POSIX hosts (the native sanitizer build).
#include <cerrno>
#include <cstdint>
#include <ctime>

namespace mst {

void system_pause_ms(uint32_t milliseconds) {
    timespec left{static_cast<time_t>(milliseconds / 1000),
                  static_cast<long>(milliseconds % 1000) * 1000000L};
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

} // namespace mst
