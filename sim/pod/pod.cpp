#include "sim/pod/pod.h"

#include <algorithm>

#include "sim/pod/cortex_m_target.h"

#include "sim/pod/pod_request.h"
#include "sim/pod/pod_words.h"

namespace sim {

namespace {

using Units = std::vector<std::uint16_t>;

void push_u32(Units& units, std::uint32_t word) {
    units.push_back(static_cast<std::uint16_t>(word & 0xFFFF));
    units.push_back(static_cast<std::uint16_t>(word >> 16));
}

Units error_reply() {
    Units reply;
    push_u32(reply, pod_words::kUnknownCommand);
    return reply;
}

bool is_control(std::uint32_t word) {
    return word == pod_words::kReadVoltages || word == pod_words::kSetParameter ||
           word == pod_words::kSetLines || word == pod_words::kReadStatus;
}

// Units each control command takes in the request, its word included.
std::size_t control_units(std::uint32_t word) {
    if (word == pod_words::kSetParameter) return 4;
    if (word == pod_words::kSetLines) return 6;
    return 2;
}

} // namespace

// ---- transport side -------------------------------------------------------

std::optional<std::uint32_t> Pod::transport_fault(TransportCall call) {
    auto& table = transport_faults_[static_cast<unsigned>(call)];
    const std::uint64_t n = call == TransportCall::Send    ? log_.send_calls
                            : call == TransportCall::Reply ? log_.reply_calls
                                                           : log_.timeout_calls;
    auto it = table.find(n);
    if (it == table.end()) return std::nullopt;
    const std::uint32_t result = it->second;
    table.erase(it);
    return result;
}

void Pod::fail_transport_call(TransportCall call, std::uint32_t nth, std::uint32_t result) {
    const std::uint64_t base = call == TransportCall::Send    ? log_.send_calls
                               : call == TransportCall::Reply ? log_.reply_calls
                                                              : log_.timeout_calls;
    transport_faults_[static_cast<unsigned>(call)][base + nth] = result;
}

void Pod::fault_reply(std::uint32_t nth_request, ReplyFault fault) {
    reply_faults_[requests_seen_ + nth_request] = fault;
}

std::uint32_t Pod::set_timeout(std::uint32_t milliseconds) {
    ++log_.timeout_calls;
    if (auto fault = transport_fault(TransportCall::Timeout)) return *fault;
    timeout_ms_ = milliseconds;
    log_.timeouts_set.push_back(milliseconds);
    return 0;
}

std::uint32_t Pod::send_request(const void* data, std::uint32_t byte_count) {
    ++log_.send_calls;
    if (auto fault = transport_fault(TransportCall::Send)) return *fault;

    ++requests_seen_;
    clock_.advance_exchange();
    ExchangeRecord record;
    record.request.resize(byte_count / 2);
    // Little-endian on the wire whatever the host is.
    const auto* bytes = static_cast<const std::uint8_t*>(data);
    for (std::size_t i = 0; i < record.request.size(); ++i)
        record.request[i] = static_cast<std::uint16_t>(bytes[2 * i] | (bytes[2 * i + 1] << 8));

    if (dead_requests_ > 0) {
        --dead_requests_;
        record.delivered = false;
        pending_reply_.reset();
    } else if (byte_count % 2 != 0) {
        pending_reply_ = error_reply();
    } else {
        pending_reply_ = interpret(record.request);
    }
    if (record.delivered && arm_ != nullptr) arm_->on_exchange();
    apply_reply_fault(pending_reply_);
    if (pending_reply_) record.reply = *pending_reply_;
    log_.largest_request_units = std::max(log_.largest_request_units, record.request.size());
    if (record.request.size() > kRequestLimitUnits) ++log_.requests_over_limit;
    log_.largest_reply_units = std::max(log_.largest_reply_units, record.reply.size());
    if (record.reply.size() > kReplyLimitUnits) ++log_.replies_over_limit;
    record.time_ps = clock_.now_ps();
    for (std::size_t i = 0; i < chain_.size(); ++i) record.tap_states.push_back(chain_.state(i));
    log_.exchanges.push_back(std::move(record));
    return 0;
}

void Pod::apply_reply_fault(std::optional<Units>& reply) {
    auto it = reply_faults_.find(requests_seen_);
    if (it == reply_faults_.end()) return;
    const ReplyFault fault = it->second;
    reply_faults_.erase(it);
    switch (fault.kind) {
    case ReplyFault::Kind::NoReply: reply.reset(); return;
    case ReplyFault::Kind::UnknownCommand: reply = error_reply(); return;
    case ReplyFault::Kind::WrongEcho:
        if (!reply) reply = Units{};
        if (reply->size() < 2) reply->resize(2, 0);
        (*reply)[0] = static_cast<std::uint16_t>(fault.value & 0xFFFF);
        (*reply)[1] = static_cast<std::uint16_t>(fault.value >> 16);
        return;
    case ReplyFault::Kind::Short:
        if (reply && reply->size() * 2 > fault.value) reply->resize(fault.value / 2);
        return;
    case ReplyFault::Kind::Overlong:
        if (!reply) reply = Units{};
        reply->resize(reply->size() + (fault.value + 1) / 2, 0xA5A5);
        return;
    case ReplyFault::Kind::FlipBits:
        // A unit past the end is no change: the reply keeps its length.
        if (reply && fault.unit < reply->size())
            (*reply)[fault.unit] ^= static_cast<std::uint16_t>(fault.value & 0xFFFF);
        return;
    }
}

std::uint32_t Pod::get_reply(void* buffer, std::uint32_t* byte_count) {
    ++log_.reply_calls;
    if (auto fault = transport_fault(TransportCall::Reply)) return *fault;
    if (!pending_reply_) {
        // No answer: the transport waits out its time-out, then reports 0 bytes.
        clock_.advance_ms(timeout_ms_);
        *byte_count = 0;
        return 0;
    }
    const std::uint32_t length = static_cast<std::uint32_t>(pending_reply_->size() * 2);
    auto* out = static_cast<std::uint8_t*>(buffer);
    const std::uint32_t stored = std::min(length, kReplyAreaBytes);
    for (std::uint32_t i = 0; i < stored; ++i) {
        const std::uint16_t unit = (*pending_reply_)[i / 2];
        out[i] = static_cast<std::uint8_t>(i % 2 == 0 ? unit & 0xFF : unit >> 8);
    }
    *byte_count = length;
    pending_reply_.reset();
    return 0;
}

// ---- interpreter ----------------------------------------------------------

std::optional<Units> Pod::interpret(const Units& units) {
    Request rq{units, 0, {}};
    while (rq.pos < units.size()) {
        if (!rq.has(2)) return error_reply();
        const std::uint32_t word = rq.u32_at(rq.pos);
        if (is_control(word)) {
            // Alone in its request, or the host forgot to close a batch.
            if (rq.pos != 0 || units.size() != control_units(word)) return error_reply();
            if (!run_control(rq, word)) return error_reply();
            Units reply;
            push_u32(reply, word);
            reply.insert(reply.end(), rq.data.begin(), rq.data.end());
            return reply;
        }
        if (word == pod_words::kEndOfBatch) {
            if (rq.pos + 2 != units.size()) return error_reply();
            Units reply;
            push_u32(reply, word);
            reply.insert(reply.end(), rq.data.begin(), rq.data.end());
            return reply;
        }
        if (!run_batch_command(rq, word)) return error_reply();
    }
    return std::nullopt; // still waiting for the batch to be closed
}

bool Pod::run_batch_command(Request& rq, std::uint32_t word) {
    using namespace pod_words;
    if (word == kEndMarker) {
        rq.pos += 2;
        return true;
    }
    if (word == kVoltageSample) {
        const VoltageSample s = next_voltage_sample();
        rq.data.insert(rq.data.end(), std::begin(s.values), std::end(s.values));
        rq.pos += 2;
        return true;
    }
    if (word == kScanWrite || word == kScanRead || word == kScanExchange) {
        if (!rq.has(4)) return false;
        step(rq, word, rq.units[rq.pos + 2], rq.units[rq.pos + 3]);
        rq.pos += 4;
        return true;
    }
    if (word == kCommandList) return store_list(rq);
    if ((word & ~kPositionMask) == kRunScript) {
        rq.pos += 2;
        return run_script(rq, (word & kPositionMask) >> 12);
    }
    if ((word & ~kPositionMask) == kPatchScript) return patch_script(rq, (word & kPositionMask) >> 12);
    return false;
}

bool Pod::run_control(Request& rq, std::uint32_t word) {
    using namespace pod_words;
    ControlRecord record{word, 0, 0};
    if (word == kSetParameter) {
        record.a = rq.u32_at(2);
        log_.controls.push_back(record);
        // The clock setting is the value's low byte; past the slowest
        // setting the pod stays at the slowest.
        parameter_ = std::min<std::uint32_t>(record.a & 0xFF, VirtualClock::kSettings - 1);
        return true;
    }
    if (word == kSetLines) {
        record.a = rq.u32_at(2);
        record.b = rq.u32_at(4);
        log_.controls.push_back(record);
        apply_lines(record.a, record.b);
        return true;
    }
    log_.controls.push_back(record);
    if (word == kReadVoltages) {
        const VoltageSample s = next_voltage_sample();
        rq.data.assign(std::begin(s.values), std::end(s.values));
        return true;
    }
    // kReadStatus
    const std::uint32_t status = status_ | (faults_.status_error ? kStatusError : 0u);
    rq.data = {static_cast<std::uint16_t>(status & 0xFFFF), static_cast<std::uint16_t>(status >> 16)};
    return true;
}

void Pod::apply_lines(std::uint32_t release, std::uint32_t assert_) {
    using namespace pod_words;
    const std::uint32_t before = lines_;
    lines_ = (lines_ & ~release) | assert_;
    const std::uint32_t changed = before ^ lines_;
    if ((changed & kLineTrst) && faults_.trst_wired) chain_.set_trst((lines_ & kLineTrst) != 0);
    if (changed & kLineTargetReset) {
        chain_.set_target_reset((lines_ & kLineTargetReset) != 0);
        if (arm_ != nullptr) arm_->set_reset_line((lines_ & kLineTargetReset) != 0);
    }
    // Word A first: a command that releases and asserts the select ends in JTAG.
    if (release & kLineJtagSelect) swd_mode_ = true;
    if (assert_ & kLineJtagSelect) swd_mode_ = false;
}

void Pod::script_voltages(std::vector<VoltageSample> samples) {
    if (samples.empty()) samples.push_back(VoltageSample{});
    voltages_ = std::move(samples);
}

VoltageSample Pod::next_voltage_sample() {
    const VoltageSample s = voltages_.front();
    if (voltages_.size() > 1) voltages_.erase(voltages_.begin());
    return s;
}

// ---- the wire -------------------------------------------------------------

bool Pod::tck(bool tms, bool tdi) {
    ++log_.tck_clocks;
    clock_.advance_tck(parameter_, 1);
    if (faults_.target_disconnected) return ScanChain::kFloatingTdo;
    const bool tdo = chain_.clock(tms, tdi);
    // TMS and SWDIO share the pin: the target's SW-DP sees every TMS level.
    if (arm_ != nullptr) arm_->swd_line().clock(true, tms);
    return faults_.tdo_stuck ? *faults_.tdo_stuck : tdo;
}

bool Pod::clock_tdo() {
    if (faults_.target_disconnected) return ScanChain::kFloatingTdo;
    return faults_.tdo_stuck ? *faults_.tdo_stuck : chain_.tdo();
}

std::uint16_t Pod::swd_step(std::uint16_t mask, std::uint16_t data) {
    ++log_.swd_steps;
    log_.tck_clocks += 16;
    clock_.advance_tck(parameter_, 16);
    // Nobody on the other end: the line is what the pod drives, low elsewhere.
    if (arm_ == nullptr || faults_.target_disconnected) return static_cast<std::uint16_t>(mask & data);
    return arm_->swd_line().step(mask, data);
}

std::optional<std::uint16_t> Pod::wire_step(std::uint32_t mode_word, std::uint16_t tms, std::uint16_t tdi) {
    ++log_.scan_steps;
    if (swd_mode_) {
        const std::uint16_t line = swd_step(tms, tdi);
        if (mode_word == pod_words::kScanWrite) return std::nullopt;
        return line;
    }
    const bool loopback = mode_word == pod_words::kScanRead;
    std::uint16_t captured = 0;
    for (unsigned bit = 0; bit < 16; ++bit) {
        // In read mode the pod drives what it sees on TDO back into TDI, so
        // a read leaves the chain's contents as they were.
        const bool in = loopback ? clock_tdo() : ((tdi >> bit) & 1u) != 0;
        const bool out = tck(((tms >> bit) & 1u) != 0, in);
        if (out) captured = static_cast<std::uint16_t>(captured | (1u << bit));
    }
    if (mode_word == pod_words::kScanWrite) return std::nullopt;
    return captured;
}

void Pod::step(Request& rq, std::uint32_t mode_word, std::uint16_t tms, std::uint16_t tdi) {
    if (const auto captured = wire_step(mode_word, tms, tdi)) rq.data.push_back(*captured);
}

} // namespace sim
