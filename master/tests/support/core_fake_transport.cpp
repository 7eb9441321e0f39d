#include "core_fake_transport.h"

#include <cstring>

#include "master/core/transport_slots.h"

namespace core_test {

namespace {

fake_transport* active = nullptr;
std::vector<uint16_t> last_request;

uint32_t VOQ_STDCALL fake_send(const void* data, uint32_t byte_count) {
    std::vector<uint16_t> units(byte_count / 2);
    if (!units.empty())
        std::memcpy(units.data(), data, units.size() * 2);
    active->requests.push_back(units);
    uint32_t result = 0;
    if (!active->send_results.empty()) {
        result = active->send_results.front();
        active->send_results.pop_front();
    }
    if (result == 0)
        last_request = units;
    return result;
}

uint32_t VOQ_STDCALL fake_reply(void* buffer, uint32_t* byte_count) {
    ++active->reply_calls;
    scripted_reply reply;
    if (!active->replies.empty()) {
        reply = active->replies.front();
        active->replies.pop_front();
    } else {
        // Echo the closing command word: the first word of a lone control
        // command, else the last word of the batch.
        uint32_t echo = 0;
        if (last_request.size() >= 2) {
            const uint32_t first = last_request[0] | (uint32_t{last_request[1]} << 16);
            const size_t n = last_request.size();
            const uint32_t last = last_request[n - 2] | (uint32_t{last_request[n - 1]} << 16);
            echo = (first & 0xFFFFFF00u) == 0x80000900u ? first : last;
        }
        std::vector<uint16_t> units;
        for (uint32_t i = 0; i < active->auto_data_units; ++i)
            units.push_back(static_cast<uint16_t>(2 + i));
        reply = reply_of(echo, units);
    }
    const size_t stored = reply.bytes.size() < 2008 ? reply.bytes.size() : 2008;
    if (stored != 0)
        std::memcpy(buffer, reply.bytes.data(), stored);
    *byte_count = reply.claimed_length != 0 ? reply.claimed_length
                                            : static_cast<uint32_t>(reply.bytes.size());
    return reply.result;
}

uint32_t VOQ_STDCALL fake_timeout(uint32_t ms) {
    active->timeouts.push_back(ms);
    if (active->timeout_results.empty())
        return 0;
    const uint32_t result = active->timeout_results.front();
    active->timeout_results.pop_front();
    return result;
}

} // namespace

fake_transport::fake_transport() {
    active = this;
    last_request.clear();
    SendTargetRequest = fake_send;
    GetTargetReply = fake_reply;
    SetTargetTimeout = fake_timeout;
}

fake_transport::~fake_transport() {
    SendTargetRequest = nullptr;
    GetTargetReply = nullptr;
    SetTargetTimeout = nullptr;
    active = nullptr;
}

std::vector<uint32_t> fake_transport::words_of(const std::vector<uint16_t>& units) {
    std::vector<uint32_t> words;
    for (size_t i = 0; i + 1 < units.size(); i += 2)
        words.push_back(units[i] | (uint32_t{units[i + 1]} << 16));
    return words;
}

scripted_reply reply_of(uint32_t echo, std::vector<uint16_t> units) {
    scripted_reply reply;
    for (int i = 0; i < 4; ++i)
        reply.bytes.push_back(static_cast<uint8_t>(echo >> (8 * i)));
    for (uint16_t u : units) {
        reply.bytes.push_back(static_cast<uint8_t>(u & 0xFF));
        reply.bytes.push_back(static_cast<uint8_t>(u >> 8));
    }
    return reply;
}

} // namespace core_test
