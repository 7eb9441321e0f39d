// Recording a raise, the recovery at the next call.
#include "master/core/error_record.h"

#include <cstddef>
#include <type_traits>

#include "master/core/message_table.h"
#include "master/core/trn_prot.h"

namespace mst {

// Master_GetCMErrorMessage hands out the address of host_kind as two u32.
static_assert(std::is_standard_layout_v<error_record>);
static_assert(offsetof(error_record, host_number) == offsetof(error_record, host_kind) + 4);

namespace {

// The transport functions return 1 to 4; whatever high half a raise site put
// on them, they are reported under their own origins.
bool is_transport_number(uint16_t n) { return n >= 1 && n <= 4; }

uint32_t transport_code(uint16_t n) {
    return n <= 2 ? make_code(origin::pod, n) : make_code(origin::usb, n);
}

constexpr uint32_t slowest_clock = 7;

} // namespace

void error_record::raise(uint32_t new_code) {
    if (new_code == 0 || code != 0)
        throw call_abandoned{};

    // Collecting: the routine goes on with its clean-up and its batch, so the
    // waiters of that batch must stay queued; only the code is kept.
    if (held_code == collect_armed) {
        held_code = new_code;
        return;
    }

    if (prot != nullptr) {
        prot->log().drop_all();
        prot->reset_reply_counter();
    }

    if (held_code != 0) {
        new_code = held_code;
        held_code = 0;
    }

    const uint16_t n = code_number(new_code);
    if (is_transport_number(n)) {
        new_code = transport_code(n);
    } else if (power_check_armed != 0) {
        // A failing supply explains most target errors; its own raise (nested,
        // recorded first) replaces the code being raised.
        power_check_armed = 0;
        if (master != nullptr)
            master->power_check();
    }

    record(new_code);
    throw call_abandoned{};
}

void error_record::note_foreign_failure() {
    if (code != 0)
        return;
    held_code = 0;
    if (prot != nullptr) {
        prot->log().drop_all();
        prot->reset_reply_counter();
    }
    record(rc::internal_failure);
}

void error_record::record(uint32_t new_code) {
    code = new_code;
    power_check_armed = 1;
    if (code_origin(new_code) == 0)
        return;
    const host_message host = lookup_host_message(code_number(new_code));
    host_kind = host.kind;
    host_number = host.number;
}

void error_record::begin_call() {
    const uint32_t old_code = code;
    code = 0;
    held_code = 0;
    power_check_armed = 1;
    host_number = 0;

    if (code_number(old_code) == 0 || code_origin(old_code) == 0)
        return;
    // A raise inside the recovery ends it; its code stays recorded and is
    // what the export returns.
    try {
        recover(old_code);
    } catch (const call_abandoned&) {
    } catch (...) {
        note_foreign_failure();
    }
}

void error_record::recover(uint32_t old_code) {
    const message_entry* entry = find_message(code_number(old_code));
    if (entry == nullptr)
        return;
    const uint8_t steps = entry->recovery;

    if ((steps & recovery::resync) != 0)
        pod_resync();
    if ((steps & recovery::tap_unknown) != 0 && chain != nullptr)
        chain->forget_state();
    // A batch abandoned on the way (the pod re-synced or the TAP state lost)
    // may have ended inside a Serial Wire frame.
    if ((steps & (recovery::resync | recovery::tap_unknown)) != 0 && chain != nullptr)
        chain->forget_line_state();
    if ((steps & recovery::chain_redetect) != 0)
        chain_redetect();
    if ((steps & recovery::reconfigure) != 0 && code == 0 && master != nullptr)
        master->reconfigure();
    if ((steps & recovery::device_hook) != 0 && master != nullptr)
        master->device_hook();
    if ((steps & recovery::stop) != 0 && master != nullptr)
        master->stop();
    if ((steps & recovery::power_check) != 0 && master != nullptr) {
        // The check's own raise would otherwise run the same check again.
        power_check_armed = 0;
        master->power_check();
        power_check_armed = 1;
        if (code == 0)
            master->reconfigure();
    }
}

void error_record::pod_resync() {
    if (prot != nullptr)
        prot->resync();
}

void error_record::chain_redetect() {
    if (prot == nullptr)
        return;
    prot->set_parameter(slowest_clock);
    if (chain != nullptr)
        chain->detect_chain();
    // The kept record holds the found clock setting in byte 4 only (bytes 5
    // to 7 are other fields); 8 means the search found none, and the
    // slowest clock is the safe one then.
    uint32_t clock = master != nullptr ? master->kept_clock_setting() : slowest_clock;
    if (clock > slowest_clock)
        clock = slowest_clock;
    prot->set_parameter(clock);
}

error_record& the_error_record() {
    static error_record record;
    return record;
}

} // namespace mst
