#include "sim/pod/transport.h"

namespace sim {

namespace {

// The transport slots are plain function pointers with no context argument,
// so the one pod they reach is process-wide, as the real USB link is.
Pod* g_pod = nullptr;

constexpr std::uint32_t kNoPod = 2;

} // namespace

void bind_transport(Pod* pod) { g_pod = pod; }
Pod* bound_pod() { return g_pod; }

std::uint32_t SIM_STDCALL SendTargetRequest(const void* data, std::uint32_t byte_count) {
    if (!g_pod || (!data && byte_count != 0)) return kNoPod;
    return g_pod->send_request(data, byte_count);
}

std::uint32_t SIM_STDCALL GetTargetReply(void* buffer, std::uint32_t* byte_count) {
    if (!g_pod || !buffer || !byte_count) return kNoPod;
    return g_pod->get_reply(buffer, byte_count);
}

std::uint32_t SIM_STDCALL SetTargetTimeout(std::uint32_t milliseconds) {
    if (!g_pod) return kNoPod;
    return g_pod->set_timeout(milliseconds);
}

} // namespace sim
