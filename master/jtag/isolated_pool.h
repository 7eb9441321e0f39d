// A data register of any width, selected by its own instruction and scanned
// alone.
#pragma once

#include <cstdint>

#include "master/jtag/field_owner.h"
#include "master/jtag/resources.h"

namespace mst {

class isolated_pool : public rw_resource, public field_owner {
public:
    isolated_pool(jtag& engine, chain_device* owner, uint32_t width, uint32_t ir_code,
                  const char* pool_name);
    ~isolated_pool() override { chain.release(); }

    void scan(uint32_t mode);

    // field_owner
    bitchain& image() override { return chain; }
    uint32_t image_state() override { return state; }
    void start_read() override { scan(scan_mode::read); }
    void write_image() override { scan(scan_mode::write); }
    void mark_dirty() override { state = waiter_state::dirty; }
    trn_prot& owner_prot() override { return prot(); }

    uint32_t ir_code;
};

} // namespace mst
