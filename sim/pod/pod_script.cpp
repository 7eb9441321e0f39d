// The pod's stored command list: storing it, running a script from it and
// patching the data of its scan steps.
#include "sim/pod/pod.h"
#include "sim/pod/pod_request.h"
#include "sim/pod/pod_words.h"

namespace sim {

namespace {

bool is_step(std::uint32_t word) {
    return word == pod_words::kScanWrite || word == pod_words::kScanRead || word == pod_words::kScanExchange;
}

// A script that never reaches its end entry still ends: no stored list can
// hold more entries than this.
constexpr std::size_t kMaxScriptEntries = 1u << 20;

} // namespace

bool Pod::store_list(Request& rq) {
    if (!rq.has(4)) return false;
    const std::uint32_t n = rq.u32_at(rq.pos + 2);
    if ((rq.units.size() - rq.pos - 4) / 2 < n) return false;
    command_list_.clear();
    for (std::uint32_t i = 0; i < n; ++i) command_list_.push_back(rq.u32_at(rq.pos + 4 + 2 * i));
    rq.pos += 4 + 2 * static_cast<std::size_t>(n);
    return true;
}

bool Pod::run_script(Request& rq, std::uint32_t start) {
    if (start >= command_list_.size()) return false; // no script stored there
    std::size_t at = start;
    for (std::size_t entries = 0; at < command_list_.size(); ++entries) {
        if (entries == kMaxScriptEntries) return false;
        const std::uint32_t word = command_list_[at];
        if (word == pod_words::kEndScript) return true;
        if (is_step(word)) {
            if (at + 1 >= command_list_.size()) return false;
            const std::uint32_t pins = command_list_[at + 1];
            step(rq, word, static_cast<std::uint16_t>(pins & 0xFFFF), static_cast<std::uint16_t>(pins >> 16));
            at += 2;
            continue;
        }
        if (word == pod_words::kRepeatStep) {
            if (at + 2 >= command_list_.size()) return false;
            const std::uint32_t count = command_list_[at + 1];
            const std::uint32_t pins = command_list_[at + 2];
            for (std::uint32_t i = 0; i < count; ++i)
                step(rq, pod_words::kScanWrite, static_cast<std::uint16_t>(pins & 0xFFFF),
                     static_cast<std::uint16_t>(pins >> 16));
            at += 3;
            continue;
        }
        return false; // an entry this pod does not run
    }
    return true; // the end of the list ends the script too
}

bool Pod::patch_script(Request& rq, std::uint32_t start) {
    // word, u16 n, n u16 words, one pad unit when n is even.
    if (!rq.has(3)) return false;
    const std::size_t n = rq.units[rq.pos + 2];
    const std::size_t units = 3 + n + (n % 2 == 0 ? 1 : 0);
    if (!rq.has(units)) return false;
    std::size_t at = start;
    for (std::size_t i = 0; i < n; ++i) {
        while (at < command_list_.size() && !is_step(command_list_[at])) {
            if (command_list_[at] == pod_words::kEndScript) return false;
            at += command_list_[at] == pod_words::kRepeatStep ? 3 : 1;
        }
        if (at + 1 >= command_list_.size()) return false;
        std::uint32_t& pins = command_list_[at + 1];
        pins = (pins & 0xFFFF) | (static_cast<std::uint32_t>(rq.units[rq.pos + 3 + i]) << 16);
        at += 2;
    }
    rq.pos += units;
    return true;
}

} // namespace sim
