// Reply waiters and the pending-read log.
//
// An object that needs data from the pod appends its command to the batch
// under construction, counts the reply units it adds (trn_prot), and only
// then queues itself here with the bit position of its data in the reply.
// Ordering rule for every producer: append the whole command and count its
// reply units BEFORE queue_read/queue_write. The 280th entry exchanges the
// batch at once; queued last, the waiter is part of the batch it was counted
// in, and no command is split across two batches.
//
// Promises:
//  - complete_all() calls complete(position) of every queued waiter in the
//    order queued (the order of their data in the reply), with the chain
//    engine's working chain attached to the reply. The batch's entries leave
//    the log first: a completion that queues a command (the abort after a
//    persisting WAIT) queues it for the next batch, and never exchanges one
//    while this one is being completed (append and reserve_entries hold
//    back the exchange of a full log until the completion is over).
//  - drop_all() resets (state 0) every waiter not yet completed and empties
//    the log. It runs on every raise; reset() must not raise.
//  - take_over_read/take_over_write retarget the latest matching entry; with
//    no matching entry only the waiter's state changes (1 or 3), and the
//    waiter will not be completed: users that take over must know an entry
//    exists.
#pragma once

#include <array>
#include <cstdint>

namespace mst {

class trn_prot;

// Waiter states.
namespace waiter_state {
constexpr uint32_t invalid = 0;
constexpr uint32_t read_pending = 1;
constexpr uint32_t dirty = 2;
constexpr uint32_t write_pending = 3;
constexpr uint32_t valid = 4;
} // namespace waiter_state

// Marks an entry that writes and has no data in the reply.
constexpr uint32_t write_position = 0x80000000u;

// Base of everything that waits for reply data.
class synchro {
public:
    virtual ~synchro() = default;
    virtual void reset() { state = waiter_state::invalid; }
    // position: bit position of the data counted from the reply's first data
    // unit (unit 2), or write_position for a write entry.
    virtual void complete(uint32_t position) {
        (void)position;
        state = waiter_state::valid;
    }

    uint32_t state = waiter_state::invalid;
};

// Voltages as the pod reports them: five values and, as the sixth, the
// absolute difference of the second and third (the drop across the fuse).
struct voltage_sample {
    uint16_t value[6] = {};
};
using voltage_callback = void (*)(const voltage_sample* sample);

class voltage_checker : public synchro {
public:
    voltage_sample sample;
    voltage_callback check = nullptr;

protected:
    // Stores the five values and computes the sixth.
    void take_sample(const uint16_t* five_units);
};

class pending_log {
public:
    static constexpr unsigned capacity = 280;

    struct entry {
        synchro* object = nullptr;
        uint32_t position = 0;
    };

    explicit pending_log(trn_prot& owner) : owner_(owner) {}
    pending_log(const pending_log&) = delete;
    pending_log& operator=(const pending_log&) = delete;

    // Exchanges the batch first when n more entries would not all fit in it.
    // A producer that queues several entries for one command (a write and a
    // read of one scan) calls this before it builds the command: the 280th
    // entry exchanges the batch at once, and must never fall between them.
    void reserve_entries(unsigned n);
    void queue_read(synchro& waiter, uint32_t position, synchro* object);
    void queue_write(synchro& waiter, synchro* object);
    void take_over_read(synchro& waiter, const synchro* object);
    void take_over_write(synchro& waiter, const synchro* object);
    void complete_all();
    void drop_all();

    unsigned size() const { return write_; }
    bool empty() const { return write_ == 0; }
    // True while complete_all() runs: nothing may exchange then.
    bool completing() const { return completing_; }
    const entry& at(unsigned i) const { return entries_[i]; }

private:
    void append(synchro* object, uint32_t position);
    void take_over(synchro& waiter, const synchro* object, bool write);
    void clear();
    void drop_completing();

    trn_prot& owner_;
    unsigned read_ = 0;   // next entry to complete or drop
    unsigned write_ = 0;  // next free entry; its object is always null
    std::array<entry, capacity + 1> entries_{};
    // The batch being completed, moved out of the log so that whatever its
    // completions queue lands in the log of the next batch.
    bool completing_ = false;
    unsigned done_ = 0;   // next entry of the completing batch
    std::array<entry, capacity + 1> batch_{};
};

} // namespace mst
