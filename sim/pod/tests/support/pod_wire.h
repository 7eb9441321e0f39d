// Test helpers that speak to the simulated pod the way a host does: build a
// request unit by unit, send it, read the reply back as units.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "sim/pod/pod.h"
#include "sim/pod/scan_chain.h"

namespace sim::test {

using Units = std::vector<std::uint16_t>;

class RequestBuilder {
public:
    RequestBuilder& word(std::uint32_t w) {
        units_.push_back(static_cast<std::uint16_t>(w & 0xFFFF));
        units_.push_back(static_cast<std::uint16_t>(w >> 16));
        return *this;
    }
    RequestBuilder& unit(std::uint16_t u) {
        units_.push_back(u);
        return *this;
    }
    RequestBuilder& step(std::uint32_t mode_word, std::uint16_t tms, std::uint16_t tdi) {
        return word(mode_word).unit(tms).unit(tdi);
    }
    const Units& units() const { return units_; }

private:
    Units units_;
};

struct Reply {
    std::uint32_t send_result = 0;
    std::uint32_t get_result = 0;
    std::uint32_t length = 0; // bytes, as the transport reports it
    Units units;              // what was stored, at most the reply area

    std::uint32_t word0() const {
        return units.size() < 2 ? 0 : units[0] | (static_cast<std::uint32_t>(units[1]) << 16);
    }
};

// One exchange: the request goes out as little-endian bytes, the reply comes
// back into a reply area of the host's size.
inline Reply exchange(Pod& pod, const Units& request) {
    std::vector<std::uint8_t> bytes;
    for (std::uint16_t u : request) {
        bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
        bytes.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    Reply reply;
    reply.send_result = pod.send_request(bytes.data(), static_cast<std::uint32_t>(bytes.size()));
    std::vector<std::uint8_t> area(Pod::kReplyAreaBytes, 0);
    reply.get_result = pod.get_reply(area.data(), &reply.length);
    const std::uint32_t stored = reply.length < Pod::kReplyAreaBytes ? reply.length : Pod::kReplyAreaBytes;
    for (std::uint32_t i = 0; i + 1 < stored; i += 2)
        reply.units.push_back(static_cast<std::uint16_t>(area[i] | (area[i + 1] << 8)));
    return reply;
}

inline Reply exchange(Pod& pod, const RequestBuilder& request) { return exchange(pod, request.units()); }

// Clocks a chain directly: TMS and TDI given as strings of '0'/'1' in clock
// order; returns the TDO bits sampled, in the same order.
inline std::vector<bool> drive(ScanChain& chain, const char* tms, const char* tdi = nullptr) {
    std::vector<bool> tdo;
    for (std::size_t i = 0; tms[i] != '\0'; ++i) {
        const bool in = tdi != nullptr && tdi[i] == '1';
        tdo.push_back(chain.clock(tms[i] == '1', in));
    }
    return tdo;
}

} // namespace sim::test
