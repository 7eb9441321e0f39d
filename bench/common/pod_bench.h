// Plumbing the engine benchmarks share: calls framed as the exports frame
// them (a failure ends the benchmark), the simulated pod's transport in the
// engine's slots, and a transport that answers at once without simulating.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "master/core/error_record.h"
#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "sim/pod/transport.h"

namespace pod_bench {

[[noreturn]] inline void fail(const char* what)
{
    std::fprintf(stderr, "%s: code %08X\n", what, mst::the_error_record().code);
    std::exit(1);
}

// Runs op in a call frame; a recorded error ends the benchmark.
template <class Op>
void framed(const char* what, Op&& op)
{
    mst::error_record& record = mst::the_error_record();
    record.begin_call();
    try {
        op();
    } catch (const mst::call_abandoned&) {
    }
    if (record.has_error())
        fail(what);
}

// The simulated pod's transport in the slots (send may be a counting
// wrapper around sim::SendTargetRequest).
inline void bind_pod_transport(send_request_fn send = sim::SendTargetRequest)
{
    SendTargetRequest = send;
    GetTargetReply = sim::GetTargetReply;
    SetTargetTimeout = sim::SetTargetTimeout;
}

inline void unbind_transport()
{
    SendTargetRequest = nullptr;
    GetTargetReply = nullptr;
    SetTargetTimeout = nullptr;
}

// A transport that answers every batch at once without simulating it: the
// echo of the closing word and one zero unit for every step that returns
// TDO. With it the iteration time is the engine's alone.
namespace echo {

inline std::array<uint16_t, mst::trn_prot::reply_units> reply{};
inline uint32_t reply_bytes = 0;

inline uint32_t send(const void* data, uint32_t byte_count)
{
    const auto* units = static_cast<const uint16_t*>(data);
    const uint32_t n = byte_count / 2;
    uint32_t count = 2;
    for (uint32_t i = 0; i + 1 < n;) {
        const uint32_t word = units[i] | (uint32_t{units[i + 1]} << 16);
        if (word == mst::cmd::end_of_batch)
            break;
        if ((word & 0xF9FFFFFFu) == 0x88000903u) {
            if ((word & 0x06000000u) != 0)
                ++count;
            i += 4;
        } else {
            i += 2;
        }
    }
    reply.fill(0);
    reply[0] = static_cast<uint16_t>(mst::cmd::end_of_batch & 0xFFFF);
    reply[1] = static_cast<uint16_t>(mst::cmd::end_of_batch >> 16);
    reply_bytes = 2 * count;
    return 0;
}

inline uint32_t get_reply(void* buffer, uint32_t* byte_count)
{
    std::memcpy(buffer, reply.data(), reply_bytes);
    *byte_count = reply_bytes;
    return 0;
}

inline uint32_t set_timeout(uint32_t) { return 0; }

inline void bind()
{
    SendTargetRequest = send;
    GetTargetReply = get_reply;
    SetTargetTimeout = set_timeout;
}

} // namespace echo

} // namespace pod_bench
