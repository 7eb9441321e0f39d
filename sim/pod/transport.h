// The three transport functions the master library calls through its
// transport slots, bound to one simulated pod. A test binds its pod, stores
// the functions in the slots and the library talks to the simulator exactly
// as it would to the USB transport.
#pragma once

#include <cstdint>

#include "sim/pod/pod.h"

#if defined(_WIN32) && defined(__i386__)
#define SIM_STDCALL __attribute__((stdcall))
#else
#define SIM_STDCALL
#endif

namespace sim {

using SendTargetRequestFn = std::uint32_t(SIM_STDCALL*)(const void* data, std::uint32_t byte_count);
using GetTargetReplyFn = std::uint32_t(SIM_STDCALL*)(void* buffer, std::uint32_t* byte_count);
using SetTargetTimeoutFn = std::uint32_t(SIM_STDCALL*)(std::uint32_t milliseconds);

std::uint32_t SIM_STDCALL SendTargetRequest(const void* data, std::uint32_t byte_count);
std::uint32_t SIM_STDCALL GetTargetReply(void* buffer, std::uint32_t* byte_count);
std::uint32_t SIM_STDCALL SetTargetTimeout(std::uint32_t milliseconds);

// The pod the three functions talk to; null unbinds. With no pod bound the
// functions return 2 (a general transport failure) and touch nothing.
void bind_transport(Pod* pod);
Pod* bound_pod();

// Binds a pod for the lifetime of the scope.
class TransportBinding {
public:
    explicit TransportBinding(Pod& pod) : previous_(bound_pod()) { bind_transport(&pod); }
    ~TransportBinding() { bind_transport(previous_); }
    TransportBinding(const TransportBinding&) = delete;
    TransportBinding& operator=(const TransportBinding&) = delete;

private:
    Pod* previous_;
};

} // namespace sim
