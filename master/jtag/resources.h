// Reply waiters of the register model: a named waiter, and one that owns a
// bit chain and takes its bits from the reply.
#pragma once

#include <cstdint>

#include "master/core/reply_waiter.h"
#include "master/jtag/bitchain.h"
#include "master/jtag/chain_device.h"
#include "master/jtag/jtag.h"

namespace mst {

class wr_resource : public synchro {
public:
    explicit wr_resource(const char* resource_name) : name(resource_name) {}
    const char* name;
};

// Completion keys on the entry, not on the state: a write entry (position
// bit 31) has no data; a read entry takes the chain's bits from the reply.
// So a write and a read of the same image in one batch both land. An image
// reset while its scan was in the batch (a TAP reset) stays invalid.
class rw_resource : public wr_resource {
public:
    rw_resource(jtag& engine, chain_device* owner, const char* resource_name)
        : wr_resource(resource_name), engine_(engine), device(owner) {}
    rw_resource(const rw_resource&) = delete;
    rw_resource& operator=(const rw_resource&) = delete;

    void complete(uint32_t position) override;

    jtag& engine() { return engine_; }
    trn_prot& prot() { return engine_.prot(); }

    bitchain chain;

protected:
    // Takes the read data at the position into the chain; false when the
    // position lies outside the reply.
    bool take_from_reply(uint32_t position, bitchain& into);

    jtag& engine_;

public:
    chain_device* device;
};

// A register scan that does not fit the batch is tried once more on an empty
// batch; a second failure raises 0x0D390040. done = 0 only when a collected
// raise returned.
scan_result scan_register(jtag& engine, reg_kind kind, uint32_t mode, const bitchain& data,
                          uint32_t bits_before);

inline bool is_write_entry(uint32_t position) { return (position & write_position) != 0; }

} // namespace mst
