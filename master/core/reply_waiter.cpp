// The pending-read log: waiters in registration order, completed or dropped
// as a whole.
#include "master/core/reply_waiter.h"

#include <algorithm>

#include "master/core/trn_prot.h"

namespace mst {

void voltage_checker::take_sample(const uint16_t* five_units) {
    for (unsigned i = 0; i < 5; ++i)
        sample.value[i] = five_units[i];
    const uint16_t a = sample.value[1];
    const uint16_t b = sample.value[2];
    sample.value[5] = static_cast<uint16_t>(a > b ? a - b : b - a);
}

void pending_log::append(synchro* object, uint32_t position) {
    // Unreachable while the full log is exchanged at once; kept so that no
    // path can write past the entries.
    if (write_ >= capacity) {
        owner_.record().raise(rc::output_overflow);
        return;
    }
    entries_[write_] = {object, position};
    ++write_;
    entries_[write_].object = nullptr;
    if (write_ == capacity && !completing_)
        owner_.end_batch();
}

void pending_log::reserve_entries(unsigned n) {
    if (write_ + n > capacity && !completing_)
        owner_.end_batch();
}

void pending_log::queue_read(synchro& waiter, uint32_t position, synchro* object) {
    waiter.state = waiter_state::read_pending;
    append(object, position);
}

void pending_log::queue_write(synchro& waiter, synchro* object) {
    waiter.state = waiter_state::write_pending;
    append(object, write_position);
}

void pending_log::take_over(synchro& waiter, const synchro* object, bool write) {
    waiter.state = write ? waiter_state::write_pending : waiter_state::read_pending;
    for (unsigned i = write_; i > read_; --i) {
        entry& e = entries_[i - 1];
        const bool is_write = (e.position & write_position) != 0;
        if (e.object == object && is_write == write) {
            e.object = &waiter;
            return;
        }
    }
}

void pending_log::take_over_read(synchro& waiter, const synchro* object) {
    take_over(waiter, object, false);
}

void pending_log::take_over_write(synchro& waiter, const synchro* object) {
    take_over(waiter, object, true);
}

void pending_log::complete_all() {
    chain_hooks* chain = owner_.chain();
    if (chain != nullptr)
        chain->attach_reply();
    const unsigned count = write_;
    std::copy(entries_.begin(), entries_.begin() + count + 1, batch_.begin());
    clear();
    completing_ = true;
    done_ = 0;
    // A raise inside a completion drops the rest from the raising entry on;
    // a completion left by anything else must not leave them queued either.
    struct end_of_completion {
        pending_log& log;
        ~end_of_completion() { log.drop_completing(); }
    } guard{*this};
    for (; done_ < count && batch_[done_].object != nullptr; ++done_) {
        synchro* object = batch_[done_].object;
        object->complete(batch_[done_].position);
        batch_[done_].object = nullptr;
    }
    if (chain != nullptr)
        chain->complete_batch();
}

void pending_log::drop_completing() {
    if (!completing_)
        return;
    completing_ = false;
    for (; batch_[done_].object != nullptr; ++done_) {
        synchro* object = batch_[done_].object;
        batch_[done_].object = nullptr;
        object->reset();
    }
    done_ = 0;
}

void pending_log::drop_all() {
    drop_completing();
    for (unsigned i = read_; i < write_ && entries_[i].object != nullptr; ++i) {
        synchro* object = entries_[i].object;
        entries_[i].object = nullptr;
        read_ = i + 1;
        object->reset();
    }
    clear();
}

void pending_log::clear() {
    read_ = 0;
    write_ = 0;
    entries_[0].object = nullptr;
}

} // namespace mst
