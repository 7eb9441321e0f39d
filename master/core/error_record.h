// The process-wide error record: the one recorded failure, its message
// parameters, the collect mode, and the recovery run at the next call.
//
// Promises:
//  - raise(code): records and throws call_abandoned (see result.h); on the
//    first raise of a call it drops the pending-read log, sets the reply-unit
//    counter back to 2 and (for codes other than the transport codes 1..4)
//    runs the master's power check once. Collect mode: when held_code is all
//    ones, raise keeps the code in held_code and returns; the log is left
//    alone then, because the operation goes on with its batch. The next raise
//    delivers the collected code (raise(rc::plain_deliver) by convention).
//  - begin_call(): takes the recorded code away and runs its recovery steps
//    (pod re-sync, TAP unknown, chain re-detect, reconfigure, device hook,
//    stop, power check, as the message table gives them). A raise inside the
//    recovery ends it; the code stays recorded. Never throws.
//  - format_error(): the bilingual text "English|Russian" of the recorded
//    code, Russian half in code page 866; valid until the next format_error.
//  - host_kind, host_number are consecutive u32 (Master_GetCMErrorMessage
//    returns their address).
#pragma once

#include <cstdint>

#include "master/core/recovery_hooks.h"
#include "master/core/result.h"

namespace mst {

class trn_prot;

class error_record {
public:
    static constexpr uint32_t collect_armed = 0xFFFFFFFFu;
    static constexpr unsigned param_count = 5;
    static constexpr unsigned text_size = 1024;

    error_record() = default;
    error_record(const error_record&) = delete;
    error_record& operator=(const error_record&) = delete;

    void raise(uint32_t code);
    void begin_call();
    const char* format_error();

    // A frame caught something other than a raise (e.g. an allocation
    // failure): drop the batch's waiters as a raise would and record
    // rc::internal_failure, unless a code is recorded already.
    void note_foreign_failure();
    // Clears the recorded code without any recovery (Master_Kill).
    void clear_without_recovery() { code = 0; }
    bool has_error() const { return code != 0; }
    // Arms collect mode when nothing is collected yet.
    void arm_collect() {
        if (held_code == 0)
            held_code = collect_armed;
    }
    void set_param(unsigned index, uint32_t value) {
        if (held_code == 0 && index < param_count)
            param[index] = value;
    }

    uint32_t code = 0;
    uint32_t held_code = 0;
    master_hooks* master = nullptr;
    uint32_t power_check_armed = 1;
    uint32_t host_kind = 0;
    uint32_t host_number = 0;
    uint32_t param[param_count] = {};
    // Not in the record of the original layout: the layers the recovery steps
    // act on, so that core needs none of them at build time.
    trn_prot* prot = nullptr;
    chain_hooks* chain = nullptr;
    char text_en[text_size] = {};
    char text_ru[text_size] = {};

private:
    void record(uint32_t code);
    void recover(uint32_t old_code);
    void pod_resync();
    void chain_redetect();
};

// Host message kinds reported with a code.
namespace host_kind {
constexpr uint32_t table_a = 230;
constexpr uint32_t table_b = 224;
} // namespace host_kind

// The process-wide record: built on first use, before every other
// process-wide object of the engine (they call this in their constructors).
error_record& the_error_record();

} // namespace mst
