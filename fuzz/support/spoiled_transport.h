// The simulated pod's transport with one call's replies spoiled as a fuzz
// input says: the transport functions sit in the engine's slots in front of
// the pod bound by the rig, count the exchanges of each call and change the
// replies of the exchanges the input names (payload bits, cut length,
// claimed length, transport result, no reply).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace fuzz_support {

enum class spoil : uint8_t {
    flip_bits,      // one byte of the reply XOR a mask; length kept
    cut,            // the reply cut short (the length says so)
    claim_shorter,  // all bytes stored, a shorter length reported
    claim_longer,   // a longer length reported (also past the reply area)
    send_fails,     // the send returns a transport code 1..4
    reply_fails,    // the reply returns a transport code 1..4
    no_reply,       // the request is executed, nothing comes back
    kinds
};

struct exchange_spoil {
    uint32_t exchange = 0;  // 1 = the call's first exchange
    spoil kind = spoil::flip_bits;
    uint16_t a = 0;
    uint16_t b = 0;
};

// Reads up to max_spoils spoils of 6 bytes each from data.
std::vector<exchange_spoil> parse_spoils(const uint8_t* data, size_t size, size_t max_spoils);

// What happened in the call since begin().
struct call_report {
    uint32_t exchanges = 0;
    // Some reply lost bytes it had (cut, shorter claim, no reply) or a
    // transport call failed: the call must not report success.
    bool data_withheld = false;
    // Some reply carried changed bytes under its right length.
    bool data_changed = false;
};

// Installs the spoiling transport in the engine's slots for its lifetime
// (the rig's pod stays bound behind it); the slots hold the plain pod
// transport again afterwards.
class spoiled_transport {
public:
    spoiled_transport();
    ~spoiled_transport();
    spoiled_transport(const spoiled_transport&) = delete;
    spoiled_transport& operator=(const spoiled_transport&) = delete;

    // Starts a call with these spoils (none: a truthful call).
    void begin(std::vector<exchange_spoil> spoils);
    const call_report& report() const;
};

} // namespace fuzz_support
