#include "fuzz/support/spoiled_transport.h"

#include <algorithm>
#include <cstring>

#include "master/core/transport_slots.h"
#include "sim/pod/transport.h"

namespace fuzz_support {

namespace {

constexpr uint32_t reply_area = 2008;

struct state {
    std::vector<exchange_spoil> spoils;
    call_report report;
    uint32_t sends = 0;
};
state current;

const exchange_spoil* spoil_for(uint32_t exchange, spoil kind)
{
    for (const exchange_spoil& s : current.spoils)
        if (s.exchange == exchange && s.kind == kind)
            return &s;
    return nullptr;
}

uint32_t transport_code(uint16_t a) { return 1u + a % 4u; }

uint32_t VOQ_STDCALL send(const void* data, uint32_t byte_count)
{
    ++current.sends;
    current.report.exchanges = current.sends;
    if (const exchange_spoil* s = spoil_for(current.sends, spoil::send_fails)) {
        current.report.data_withheld = true;
        return transport_code(s->a);
    }
    return sim::SendTargetRequest(data, byte_count);
}

uint32_t VOQ_STDCALL reply(void* buffer, uint32_t* byte_count)
{
    const uint32_t n = current.sends;
    const uint32_t result = sim::GetTargetReply(buffer, byte_count);
    if (const exchange_spoil* s = spoil_for(n, spoil::reply_fails)) {
        current.report.data_withheld = true;
        return transport_code(s->a);
    }
    if (result != 0)
        return result;
    const uint32_t length = *byte_count;
    const uint32_t stored = std::min(length, reply_area);
    auto* bytes = static_cast<uint8_t*>(buffer);
    if (spoil_for(n, spoil::no_reply) != nullptr) {
        if (length != 0)
            current.report.data_withheld = true;
        *byte_count = 0;
        return 0;
    }
    if (const exchange_spoil* s = spoil_for(n, spoil::flip_bits)) {
        const uint8_t mask = static_cast<uint8_t>(s->b);
        if (stored != 0 && mask != 0) {
            bytes[s->a % stored] ^= mask;
            current.report.data_changed = true;
        }
    }
    if (const exchange_spoil* s = spoil_for(n, spoil::cut)) {
        const uint32_t to = length == 0 ? 0 : s->a % length;
        if (to < length) {
            // The bytes after the cut never arrived.
            std::memset(bytes + to, 0, stored - std::min(stored, to));
            *byte_count = to;
            current.report.data_withheld = true;
        }
    }
    if (const exchange_spoil* s = spoil_for(n, spoil::claim_shorter)) {
        const uint32_t to = *byte_count == 0 ? 0 : s->a % *byte_count;
        if (to < *byte_count) {
            *byte_count = to;
            current.report.data_withheld = true;
        }
    }
    if (const exchange_spoil* s = spoil_for(n, spoil::claim_longer)) {
        // Up to far past the reply area; the bytes past the true length
        // hold whatever the buffer held.
        *byte_count += 1u + (uint32_t{s->a} << 4 | (s->b & 0xFu));
        current.report.data_changed = true;
    }
    return 0;
}

uint32_t VOQ_STDCALL timeout(uint32_t milliseconds) { return sim::SetTargetTimeout(milliseconds); }

} // namespace

std::vector<exchange_spoil> parse_spoils(const uint8_t* data, size_t size, size_t max_spoils)
{
    std::vector<exchange_spoil> spoils;
    for (size_t at = 0; at + 6 <= size && spoils.size() < max_spoils; at += 6) {
        exchange_spoil s;
        s.exchange = 1u + data[at] % 64u;
        s.kind = static_cast<spoil>(data[at + 1] % static_cast<uint8_t>(spoil::kinds));
        s.a = static_cast<uint16_t>(data[at + 2] | data[at + 3] << 8);
        s.b = static_cast<uint16_t>(data[at + 4] | data[at + 5] << 8);
        spoils.push_back(s);
    }
    return spoils;
}

spoiled_transport::spoiled_transport()
{
    SendTargetRequest = send;
    GetTargetReply = reply;
    SetTargetTimeout = timeout;
    begin({});
}

spoiled_transport::~spoiled_transport()
{
    SendTargetRequest = sim::SendTargetRequest;
    GetTargetReply = sim::GetTargetReply;
    SetTargetTimeout = sim::SetTargetTimeout;
    current = {};
}

void spoiled_transport::begin(std::vector<exchange_spoil> spoils)
{
    current = {};
    current.spoils = std::move(spoils);
}

const call_report& spoiled_transport::report() const { return current.report; }

} // namespace fuzz_support
