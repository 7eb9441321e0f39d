// A register whose written value and captured value are two images under two
// names: a device's instruction register (its capture is the device status)
// or a breakpoint register pair.
//
// The written image is cached: set() with the value already written, while
// the write waiter is not invalid, queues nothing; a reset forgets it.
#pragma once

#include <cstdint>

#include "master/jtag/resources.h"

namespace mst {

class capture_register {
public:
    capture_register(jtag& engine, chain_device* owner, uint32_t idle_flag,
                     uint32_t write_before_capture, uint32_t dr_flag, uint32_t initial,
                     uint32_t width, uint32_t ir_code, const char* written_name,
                     const char* captured_name);
    capture_register(const capture_register&) = delete;
    capture_register& operator=(const capture_register&) = delete;

    // mode: read counts as exchange.
    void scan(uint32_t mode);
    uint32_t get_captured();
    uint32_t get_written();
    void set(uint32_t v);
    void force_set(uint32_t v);
    void refresh();
    // Both waiters forget their values (TAP reset).
    void reset();

    uint32_t captured;
    uint32_t written;
    uint32_t initial;
    uint32_t mask;
    uint32_t ir_code;
    uint32_t dr_flag;
    uint32_t write_before_capture;
    uint32_t known = 0;
    uint32_t idle_flag;
    wr_resource write_waiter;
    rw_resource capture;

private:
    void write_now();
    trn_prot& prot() { return capture.prot(); }
};

} // namespace mst
