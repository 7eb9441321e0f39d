// A scripted transport for the core's unit tests: it records every request
// and answers from a queue of scripted replies, or, when the queue is empty,
// echoes the request's closing command word followed by a number of data
// units whose values are their unit index (unit 2 holds 2, unit 3 holds 3 ...);
// by default the whole reply area, so every batch finds the units it counted.
#pragma once

#include <cstdint>
#include <deque>
#include <vector>

#include "master/core/trn_prot.h"

namespace core_test {

struct scripted_reply {
    uint32_t result = 0;              // GetTargetReply result
    std::vector<uint8_t> bytes;       // stored (at most 2008 bytes)
    uint32_t claimed_length = 0;      // reported length; 0 = bytes.size()
};

struct fake_transport {
    std::vector<std::vector<uint16_t>> requests;  // every send, failed ones too
    std::vector<uint32_t> timeouts;               // every SetTargetTimeout value
    std::deque<uint32_t> send_results;            // front is used, then popped
    std::deque<uint32_t> timeout_results;
    std::deque<scripted_reply> replies;
    uint32_t auto_data_units = mst::trn_prot::reply_units - 2;  // data units of an echoed reply
    unsigned reply_calls = 0;

    // Installs this transport in the slots; the destructor empties them.
    fake_transport();
    ~fake_transport();
    fake_transport(const fake_transport&) = delete;
    fake_transport& operator=(const fake_transport&) = delete;

    // Units of the last request as u32 words (low unit first).
    static std::vector<uint32_t> words_of(const std::vector<uint16_t>& units);
};

// A reply of word 0 = echo followed by the given units.
scripted_reply reply_of(uint32_t echo, std::vector<uint16_t> units = {});

} // namespace core_test
