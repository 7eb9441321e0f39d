// The exchange with the pod: batches, control commands, the echo check.
#include "master/core/trn_prot.h"

#include <cstring>

#include "master/core/transport_slots.h"

namespace mst {

namespace {

// A slot the host forgot to fill answers as a transport that found no pod.
constexpr uint32_t slot_missing = 1;

constexpr uint32_t echo_bytes = 4;
constexpr uint32_t voltage_reply_bytes = 4 + 5 * 2;
constexpr uint32_t status_reply_bytes = 4 + 4;

} // namespace

trn_prot::trn_prot(error_record& record) : record_(record), log_(*this) {
    record_.prot = this;
}

trn_prot::~trn_prot() {
    if (record_.prot == this)
        record_.prot = nullptr;
}

void trn_prot::need_room(uint64_t units) {
    if (room_for(units))
        return;
    // An exchange here could split a command from the reply position its
    // producer has already taken, so the append is refused. While a code is
    // being collected the raise only keeps the code and returns; the command
    // must still not vanish without a trace, so the call ends here with it.
    fail_now(rc::output_overflow);
}

void trn_prot::fail_now(uint32_t code) {
    record_.raise(code);
    record_.raise(rc::plain_deliver);
    throw call_abandoned{};  // not reached: the second raise delivers
}

void trn_prot::send() {
    const send_request_fn fn = SendTargetRequest;
    const uint32_t result = fn != nullptr ? fn(request_, 2 * request_length_) : slot_missing;
    // A failed send keeps the request: the re-sync recovery decides about it.
    if (result != 0)
        record_.raise(result);
    request_length_ = 0;
}

uint32_t trn_prot::receive() {
    if (output_guard_ != 0) {
        output_guard_ = 0;
        record_.raise(rc::output_overflow);
    }

    if (kept_timeout_ != reply_timeout_ms) {
        const set_timeout_fn fn = SetTargetTimeout;
        const uint32_t result = fn != nullptr ? fn(reply_timeout_ms) : slot_missing;
        if (result != 0)
            record_.raise(result);
        else
            kept_timeout_ = reply_timeout_ms;
    }

    uint32_t length = 0;
    const get_reply_fn fn = GetTargetReply;
    const uint32_t result = fn != nullptr ? fn(reply_, &length) : slot_missing;
    if (result != 0) {
        length = 0;
        record_.raise(result);
    }
    reply_length_ = length;

    // Nothing of an earlier reply may be taken for data of this one.
    if (length < reply_bytes)
        std::memset(reinterpret_cast<uint8_t*>(reply_) + length, 0, reply_bytes - length);

    if (length == 0)
        record_.raise(rc::reply_timeout);
    if (length < echo_bytes)
        fail_echo(reply_[0]);
    if (reply_[0] == cmd::unknown_command_reply)
        record_.raise(rc::invalid_command);
    if (input_guard_ != 0 || length > reply_bytes) {
        input_guard_ = 0;
        record_.raise(rc::input_overflow);
    }
    return reply_[0];
}

void trn_prot::fail_echo(uint32_t echo) {
    record_.set_param(0, echo);
    record_.raise(rc::invalid_reply);
}

void trn_prot::end_batch() {
    // A batch completed in the middle of another one's completion would
    // overwrite the reply being read.
    if (log_.completing())
        fail_now(rc::internal_failure);
    // A request that has no room left for its end word can never go out;
    // keeping it would fail every later exchange the same way.
    if (!room_for(2)) {
        request_length_ = 0;
        record_.raise(rc::output_overflow);
    }
    put_word(cmd::end_of_batch);
    // The units the batch's waiters will read: a reply that stops short of
    // them is no answer to this batch, whatever its echo says.
    const uint64_t expected_bytes = 2 * uint64_t{reply_counter_};
    const bool collecting = record_.held_code == error_record::collect_armed;
    send();
    const uint32_t echo = receive();
    if (echo != cmd::end_of_batch || reply_length_ < expected_bytes)
        fail_echo(echo);
    // The next batch counts from here: a completion may already queue
    // commands for it.
    reply_counter_ = 2;
    ++batch_count_;
    if (collecting && record_.held_code != error_record::collect_armed) {
        // The failure was only collected: nothing of this reply is used.
        log_.drop_all();
        return;
    }
    log_.complete_all();
}

bool trn_prot::reserve(uint32_t reply_units_needed, uint32_t request_words) {
    // 2 units stay free for the end-of-batch word; the reply counter may
    // reach exactly the reply area (1004 units).
    const uint64_t request_after = 2 * uint64_t{request_words} + 2;
    if (request_after + request_length_ <= request_units - 2 &&
        uint64_t{reply_units_needed} + reply_counter_ <= reply_units)
        return true;
    end_batch();
    if (request_after + request_length_ > request_units - 2)
        return false;
    return uint64_t{reply_units_needed} + reply_counter_ <= reply_units;
}

uint32_t trn_prot::exchange_control(uint32_t command, uint32_t min_reply_bytes) {
    send();
    const uint32_t echo = receive();
    if (echo != command)
        fail_echo(echo);
    if (reply_length_ < min_reply_bytes)
        fail_echo(echo);
    return echo;
}

void trn_prot::set_parameter(uint32_t value) {
    if (request_length_ != 0)
        end_batch();
    put_word(cmd::set_parameter);
    put_word(value);
    exchange_control(cmd::set_parameter, echo_bytes);
}

void trn_prot::set_lines(uint32_t a, uint32_t b) {
    if (request_length_ != 0)
        end_batch();
    put_word(cmd::set_lines);
    put_word(a);
    put_word(b);
    exchange_control(cmd::set_lines, echo_bytes);
}

void trn_prot::read_voltages(voltage_sample& out) {
    if (request_length_ != 0)
        end_batch();
    put_word(cmd::read_voltages);
    exchange_control(cmd::read_voltages, voltage_reply_bytes);
    uint16_t units[5];
    for (uint32_t i = 0; i < 5; ++i)
        units[i] = reply_unit(2 + i);
    out.value[0] = units[0];
    out.value[1] = units[1];
    out.value[2] = units[2];
    out.value[3] = units[3];
    out.value[4] = units[4];
    out.value[5] = units[1] > units[2] ? units[1] - units[2] : units[2] - units[1];
}

uint32_t trn_prot::read_status() {
    if (request_length_ != 0)
        end_batch();
    put_word(cmd::read_status);
    exchange_control(cmd::read_status, status_reply_bytes);
    return reply_[1];
}

uint32_t trn_prot::end_state_code(uint32_t mode) {
    if (mode == 0)
        return end_state::read;
    if (mode == 1)
        return end_state::write;
    return end_state::exchange;
}

void trn_prot::scan(uint32_t a, uint32_t b, uint32_t c) {
    (void)a;
    need_room(4);
    // One 16-clock step: c = the TMS word, b = the TDI word.
    put_word(current_end_state_ + cmd::scan_base);
    put_unit(static_cast<uint16_t>(c));
    put_unit(static_cast<uint16_t>(b));
    if (current_end_state_ != end_state::write)
        ++reply_counter_;
    current_end_state_ = default_end_state_;
}

void trn_prot::end_marker() {
    need_room(2);
    put_word(cmd::end_marker);
}

void trn_prot::queue_voltage_check(voltage_callback callback) {
    if (!reserve(5, 1)) {
        record_.raise(rc::output_overflow);
        return;
    }
    check = callback;
    put_word(cmd::voltage_sample);
    // Counted before it is queued: if this entry fills the log, the batch
    // goes out at once with the sample's units already in its count.
    const uint32_t position = next_reply_position();
    reply_counter_ += 5;
    log_.queue_read(*this, position, this);
}

void trn_prot::complete(uint32_t position) {
    const uint32_t first = 2 + ((position >> 4) & 0xFFFu);
    uint16_t units[5];
    for (uint32_t i = 0; i < 5; ++i)
        units[i] = reply_unit(first + i);
    take_sample(units);
    if (check != nullptr)
        check(&sample);
    synchro::complete(position);
}

void trn_prot::resync() {
    log_.drop_all();
    reply_counter_ = 2;
    // What is still in the request never reached the pod, and the operation
    // it belonged to was abandoned; sending it now would only repeat the
    // failure, and after a run of failed sends it would no longer fit.
    request_length_ = 0;
    end_marker();
    end_batch();
}

uint16_t trn_prot::reply_unit(uint32_t index) const {
    if (index >= reply_units)
        return 0;
    const uint32_t word = reply_[index / 2];
    return static_cast<uint16_t>((index % 2) != 0 ? word >> 16 : word & 0xFFFFu);
}

trn_prot& the_prot() {
    static trn_prot prot(the_error_record());
    return prot;
}

} // namespace mst
