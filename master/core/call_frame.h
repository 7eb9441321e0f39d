// Call frames: where a raise comes back to. Every export that reaches the pod
// or the target runs its operation inside one of these; nothing thrown by the
// engine leaves them.
#pragma once

#include <cstdint>

#include "master/core/error_record.h"

namespace mst {

// Runs op, catching whatever leaves it; returns true when op returned.
template <class Op>
bool run_caught(error_record& record, Op&& op) {
    try {
        op();
        return true;
    } catch (const call_abandoned&) {
    } catch (...) {
        record.note_foreign_failure();
    }
    return false;
}

// Full frame: begin_call (recovery of the recorded code), then the operation
// unless the recovery recorded a code; returns the recorded code.
template <class Op>
uint32_t framed_call(error_record& record, Op&& op) {
    record.begin_call();
    if (record.has_error())
        return record.code;
    run_caught(record, op);
    return record.code;
}

// Full frame of a value-returning export: the value, or fallback when a code
// is recorded (the code stays for Master_GetErrorString).
template <class T, class Op>
T framed_value(error_record& record, T fallback, Op&& op) {
    T result = fallback;
    framed_call(record, [&] { result = op(); });
    return record.has_error() ? fallback : result;
}

// Kill frame: clears the recorded code without recovery.
template <class Op>
uint32_t kill_frame(error_record& record, Op&& op) {
    record.clear_without_recovery();
    run_caught(record, op);
    return record.code;
}

// Catch-only guard of a frameless export that still reaches device code: no
// begin_call, no recovery; a raise inside is recorded and gives fallback.
template <class T, class Op>
T guarded_value(error_record& record, T fallback, Op&& op) {
    T result = fallback;
    if (!run_caught(record, [&] { result = op(); }))
        return fallback;
    return result;
}

} // namespace mst
