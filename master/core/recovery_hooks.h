// What the error record and the protocol need from the layers above them.
//
// Core depends on no other part of the engine. The JTAG chain engine and the
// master object implement these interfaces and register themselves:
//   the_error_record().chain  = &engine;   the_prot().set_chain(&engine);
//   the_error_record().master = &master;
// A hook that is not registered is skipped (recovery steps that need it do
// nothing; the power check of a first raise does not run).
//
// Every hook may raise (raise_error); it runs inside a frame.
#pragma once

#include <cstdint>

namespace mst {

// Implemented by the JTAG chain engine.
class chain_hooks {
public:
    // Attach the engine's working chain to the reply area (trn_prot::reply_data,
    // trn_prot::reply_bits) before the waiters of a batch take their data.
    virtual void attach_reply() = 0;
    // After every waiter of a batch is complete (the engine does nothing).
    virtual void complete_batch() = 0;
    // Recovery "TAP unknown": the current TAP state becomes unknown.
    virtual void forget_state() = 0;
    // Recovery "TAP unknown" on a Serial Wire: an abandoned frame may leave
    // the target waiting for its data phase, so the next debug-port access
    // begins with a line reset (nothing to do over JTAG).
    virtual void forget_line_state() = 0;
    // Recovery "chain re-detect": the chain detection (measure the chain).
    // Called between the slowest clock setting and the kept one.
    virtual void detect_chain() = 0;

protected:
    ~chain_hooks() = default;
};

// Implemented by the master object.
class master_hooks {
public:
    // Read the target voltages through the pod and raise 0x0D390048,
    // 0x0D390049 or 0x0D390050 (with the voltage in param[0], param[1]) when
    // they are out of range.
    virtual void power_check() = 0;
    // Recovery "reconfigure": when a current device exists, apply the kept
    // configuration record again. Called only while no code is recorded.
    virtual void reconfigure() = 0;
    // Recovery "device hook": the current device's read_status, if any.
    virtual void device_hook() = 0;
    // Recovery "stop": the master's Stop operation.
    virtual void stop() = 0;
    // Byte 4 of the kept configuration record: the clock setting the speed
    // search found, 0..7, or 8 when none worked.
    virtual uint8_t kept_clock_setting() = 0;

protected:
    ~master_hooks() = default;
};

} // namespace mst
