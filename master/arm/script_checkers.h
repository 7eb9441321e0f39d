// The reply waiters of the pod scripts: each takes one captured transfer of
// a script run out of the reply through the APACC register's in image,
// checks its acknowledge (a WAIT that outlasted the script's retries or a
// FAULT is raised, which drops the waiters after it), and then uses the
// data.
#pragma once

#include <cstdint>

#include "master/arm/debug_port.h"

namespace mst {

class script_checker : public synchro {
public:
    explicit script_checker(dap_regset& regs) : regs_(regs) {}
    void complete(uint32_t position) override;

protected:
    // The transfer was acknowledged OK; data is its read data.
    virtual void take(uint32_t data) { (void)data; }
    // Read data must come with a good parity (Serial Wire).
    virtual bool carries_data() const { return false; }

    dap_regset& regs_;
};

// Only the acknowledge matters (writes, posted read requests).
class idle_checker : public script_checker {
public:
    using script_checker::script_checker;
};

// Stores each read word at its output pointer and advances it.
class data_checker : public script_checker {
public:
    using script_checker::script_checker;
    uint32_t* out = nullptr;

protected:
    void take(uint32_t data) override;
    bool carries_data() const override { return true; }
};

// A DHCSR read of the wait-for-register-ready script: the device's status
// word takes it, with S_RETIRE_ST and S_RESET_ST kept as sticky bits 26 and
// 27; a core that is not halted, in debug and ready, or that sleeps, locked
// up or retired since the last read, raises 0x0D390081 (param[0] DHCSR); a
// reset seen there raises 0x0D390042.
class status_checker : public script_checker {
public:
    using script_checker::script_checker;
    uint32_t* status_word = nullptr;

protected:
    void take(uint32_t dhcsr) override;
    bool carries_data() const override { return true; }
};

} // namespace mst
