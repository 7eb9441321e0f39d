// What the simulated pod saw and answered, for tests to assert on.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/pod/tap_state.h"

namespace sim {

struct ExchangeRecord {
    std::vector<std::uint16_t> request;  // units as received
    std::vector<std::uint16_t> reply;    // units as answered (empty: no answer)
    bool delivered = true;               // false when the pod was dead
    std::uint64_t time_ps = 0;           // virtual time when the reply was ready
    std::vector<TapState> tap_states;    // each device's TAP after the request, TDI end first
};

struct ControlRecord {
    std::uint32_t word = 0;
    std::uint32_t a = 0; // first operand (parameter value or line word A)
    std::uint32_t b = 0; // line word B
};

struct PodLog {
    std::vector<ExchangeRecord> exchanges;
    std::vector<ControlRecord> controls;
    std::vector<std::uint32_t> timeouts_set;
    std::uint64_t tck_clocks = 0;      // every clock the pod drove
    std::uint64_t scan_steps = 0;      // 16-clock steps, also those run from scripts
    std::uint64_t swd_steps = 0;       // of those, the steps on the SWD line
    std::uint64_t script_runs = 0;
    std::uint64_t block_failures = 0;  // failure paths (0x93000903 entries) scripts took
    // Batch sizes against the host's limits (Pod::kRequestLimitUnits and
    // kReplyLimitUnits): the largest seen and the batches past them.
    std::size_t largest_request_units = 0;
    std::size_t largest_reply_units = 0;
    std::uint64_t requests_over_limit = 0;
    std::uint64_t replies_over_limit = 0;
    std::uint64_t send_calls = 0;      // transport calls, faulted ones included
    std::uint64_t reply_calls = 0;
    std::uint64_t timeout_calls = 0;

    void clear() { *this = PodLog{}; }
};

} // namespace sim
