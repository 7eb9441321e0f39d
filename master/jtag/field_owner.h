// What a named bit field needs of the image that holds it.
#pragma once

#include <cstdint>

#include "master/core/trn_prot.h"
#include "master/jtag/bitchain.h"

namespace mst {

class field_owner {
public:
    virtual bitchain& image() = 0;
    // Waiter state of the image (0 invalid ... 4 valid).
    virtual uint32_t image_state() = 0;
    virtual void start_read() = 0;
    virtual void write_image() = 0;
    virtual void mark_dirty() = 0;
    virtual trn_prot& owner_prot() = 0;

protected:
    ~field_owner() = default;
};

} // namespace mst
