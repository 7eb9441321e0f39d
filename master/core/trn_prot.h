// The pod protocol object: one request buffer of 16-bit units, batched
// commands, the exchange through the transport slots, the echo check and the
// pending-read log.
//
// Wire format: little-endian 16-bit units; a command word is a u32 written as
// its low unit, then its high unit. The reply's word 0 echoes the command
// that closed the request; the batch's data begin at unit 2. A reply bit
// position is 16 x (unit index - 2) + bit.
//
// Promises to producers (chain engine, debug port, memory access):
//  - Room is checked BEFORE every append: an append that would pass the
//    2004-unit buffer is refused with 0x01210011 and writes nothing.
//  - reserve(reply_units, request_words) exchanges the batch first when the
//    command would not fit; it keeps 2 units for the end-of-batch word.
//    request_words counts u32 words: one scan step (scan header + TMS + TDI)
//    is 2 words (4 units).
//  - reply_unit_counter() is the unit index the next returned data will sit
//    at; a producer computes its position from it, adds its units
//    (add_reply_units, or scan() for its end-state code), and only then
//    queues its waiter (reply_waiter.h).
//  - A failed send leaves the request as it was; a raise never clears it.
//  - Control commands (set_parameter, set_lines, read_voltages, read_status)
//    exchange a pending batch first, then go alone.
//  - The transport time-out is set to 1000 ms before the first receive and
//    again only if that failed.
//  - Replies shorter than the echo, than a control command's data, or than
//    the units the batch's waiters were counted for are refused with
//    0x0D390047 and no waiter is completed from them; the reply area beyond
//    the received length is zeroed, so nothing reads bytes of an earlier
//    reply.
#pragma once

#include <bit>
#include <cstdint>

#include "master/core/error_record.h"
#include "master/core/recovery_hooks.h"
#include "master/core/reply_waiter.h"

namespace mst {

static_assert(std::endian::native == std::endian::little,
              "the request and reply areas are the wire bytes of a little-endian host");

// Command words.
namespace cmd {
constexpr uint32_t read_voltages = 0x80000901;
constexpr uint32_t set_parameter = 0x80000902;
constexpr uint32_t set_lines = 0x80000905;
constexpr uint32_t read_status = 0x80000906;
constexpr uint32_t end_marker = 0x80FFFFFF;
constexpr uint32_t end_of_batch = 0x92000903;
constexpr uint32_t voltage_sample = 0x98000903;
constexpr uint32_t scan_base = 0x86000903;  // + end-state code
constexpr uint32_t command_list = 0x97000903;
constexpr uint32_t unknown_command_reply = 0xE0000006;
} // namespace cmd

// End-state codes (the pod's mode slots): write returns no TDO.
namespace end_state {
constexpr uint32_t read = 0x04000000;      // mode 0: TDO returned
constexpr uint32_t write = 0x02000000;     // mode 1
constexpr uint32_t exchange = 0x06000000;  // mode 2: TDO returned
} // namespace end_state

class trn_prot : public voltage_checker {
public:
    static constexpr uint32_t request_units = 2004;
    static constexpr uint32_t reply_units = 1004;
    static constexpr uint32_t reply_bytes = 2 * reply_units;
    static constexpr uint32_t reply_timeout_ms = 1000;
    // Bits of the reply data area (units 2..1003).
    static constexpr uint32_t reply_bits = 16 * (reply_units - 2);

    // Registers itself as record.prot (for the re-sync recovery).
    explicit trn_prot(error_record& record);
    ~trn_prot();
    trn_prot(const trn_prot&) = delete;
    trn_prot& operator=(const trn_prot&) = delete;

    void set_chain(chain_hooks* chain) { chain_ = chain; }
    chain_hooks* chain() const { return chain_; }
    error_record& record() const { return record_; }

    // Exchange.
    void send();
    uint32_t receive();
    void end_batch();
    bool reserve(uint32_t reply_units_needed, uint32_t request_words);

    // Control commands, exchanged alone.
    void set_parameter(uint32_t value);
    void set_lines(uint32_t a, uint32_t b);
    void read_voltages(voltage_sample& out);
    uint32_t read_status();

    // In-batch commands.
    static uint32_t end_state_code(uint32_t mode);
    void scan(uint32_t a, uint32_t b, uint32_t c);
    void end_marker();
    void queue_voltage_check(voltage_callback callback);

    // Appends straight into the request (room checked first; each returns the
    // number of units written).
    uint32_t req_copy(const uint32_t* src, uint32_t n);
    uint32_t req_word(uint32_t w);
    uint32_t req_pair(uint32_t w1, uint32_t w0);
    uint32_t req_pair16(uint32_t hi, uint32_t lo, uint32_t w0);
    uint32_t req_triple(uint32_t w2, uint32_t hi, uint32_t lo, uint32_t w0);
    uint32_t req_block16(const uint16_t* src, uint32_t n, uint32_t w0);

    // The voltage completion of the in-batch sample.
    void complete(uint32_t position) override;

    // Mode slots and counters.
    uint32_t current_end_state() const { return current_end_state_; }
    uint32_t default_end_state() const { return default_end_state_; }
    void set_current_end_state(uint32_t code) { current_end_state_ = code; }
    void set_default_end_state(uint32_t code) { default_end_state_ = code; }
    uint32_t reply_unit_counter() const { return reply_counter_; }
    void add_reply_units(uint32_t n) { reply_counter_ += n; }
    void reset_reply_counter() { reply_counter_ = 2; }
    uint32_t request_length() const { return request_length_; }
    uint32_t batch_count() const { return batch_count_; }
    // Bit position of data that will start at the current reply counter.
    uint32_t next_reply_position() const { return 16 * (reply_counter_ - 2); }

    // Re-sync recovery: drop the log, discard what was never delivered, send
    // the end marker with the end-of-batch word.
    void resync();

    pending_log& log() { return log_; }

    // Reply area: u32 words, word 0 the echo; data from word 1 (unit 2).
    const uint32_t* reply_words() const { return reply_; }
    uint32_t* reply_data() { return reply_ + 1; }
    uint16_t reply_unit(uint32_t index) const;
    uint32_t last_reply_length() const { return reply_length_; }
    // Request units as they will go out.
    const uint16_t* request() const { return request_; }

    // True when units more fit into the request buffer.
    bool room_for(uint64_t units) const { return units <= request_units - request_length_; }

private:
    // Raises 0x01210011 when units do not fit (delivered at once when a code
    // is being collected); returns only when they fit.
    void need_room(uint64_t units);
    // Raises code and never returns: a code being collected is delivered.
    [[noreturn]] void fail_now(uint32_t code);
    void put_unit(uint16_t unit) { request_[request_length_++] = unit; }
    void put_word(uint32_t w) {
        put_unit(static_cast<uint16_t>(w & 0xFFFFu));
        put_unit(static_cast<uint16_t>(w >> 16));
    }
    uint32_t exchange_control(uint32_t command, uint32_t min_reply_bytes);
    void fail_echo(uint32_t echo);

    error_record& record_;
    chain_hooks* chain_ = nullptr;
    uint32_t current_end_state_ = end_state::write;
    uint32_t default_end_state_ = end_state::write;
    uint32_t reply_counter_ = 2;
    uint32_t request_length_ = 0;
    uint32_t batch_count_ = 0;
    uint32_t reply_length_ = 0;
    uint32_t reply_[reply_units / 2] = {};
    // Backstops: never written by the engine; a transport or a bug that
    // overruns an area shows here and is refused.
    uint32_t input_guard_ = 0;
    uint16_t request_[request_units] = {};
    uint32_t output_guard_ = 0;
    uint32_t kept_timeout_ = 0;
    pending_log log_;
};

// The process-wide protocol object, bound to the_error_record().
trn_prot& the_prot();

} // namespace mst
