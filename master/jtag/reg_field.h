// A named bit field inside an isolated pool or a pool image.
//
// Within one 32-bit word of the image the field is addressed by that word
// and position mod 32; across a word boundary by the byte of its first bit
// and position mod 8, as an unaligned 32-bit little-endian word. Loads and
// stores never pass the image's last byte.
#pragma once

#include <cstdint>

#include "master/jtag/field_owner.h"

namespace mst {

class reg_field {
public:
    // mask_32_all_ones: a width of 32 gives all ones (isolated pools).
    reg_field(field_owner& owner, uint32_t width, uint32_t position, const char* field_name,
              bool mask_32_all_ones = true);

    uint32_t get();
    void set(uint32_t v);
    void set_later(uint32_t v);

    uint32_t byte_offset() const { return byte_offset_; }
    uint32_t shift() const { return shift_; }

    uint32_t width;
    uint32_t mask;
    const char* name;
    field_owner& owner;

private:
    uint32_t load() const;
    void store(uint32_t field_value);
    // An image that is not known is read first, so that writing it back
    // does not put stale bits into the other fields.
    void make_known();

    uint32_t byte_offset_;
    uint32_t shift_;
};

} // namespace mst
