#include "master/jtag/reg_field.h"

namespace mst {

reg_field::reg_field(field_owner& o, uint32_t w, uint32_t position, const char* field_name,
                     bool mask_32_all_ones)
    : width(w),
      mask(w >= 32 ? (mask_32_all_ones ? 0xFFFFFFFFu : 0u) : (1u << w) - 1u),
      name(field_name),
      owner(o)
{
    if (position % 32 + w <= 32) {
        byte_offset_ = 4 * (position / 32);
        shift_ = position % 32;
    } else {
        byte_offset_ = position / 8;
        shift_ = position % 8;
    }
}

uint32_t reg_field::load() const
{
    const bitchain& img = owner.image();
    const uint32_t size = 4 * bitchain::words_for(img.count);
    const auto* bytes = reinterpret_cast<const uint8_t*>(img.words);
    uint32_t word = 0;
    for (uint32_t b = 0; b < 4 && byte_offset_ + b < size; ++b)
        word |= uint32_t{bytes[byte_offset_ + b]} << (8 * b);
    return (word >> shift_) & mask;
}

void reg_field::store(uint32_t field_value)
{
    bitchain& img = owner.image();
    const uint32_t size = 4 * bitchain::words_for(img.count);
    auto* bytes = reinterpret_cast<uint8_t*>(img.words);
    uint32_t word = 0;
    for (uint32_t b = 0; b < 4 && byte_offset_ + b < size; ++b)
        word |= uint32_t{bytes[byte_offset_ + b]} << (8 * b);
    word = (word & ~(mask << shift_)) | ((field_value & mask) << shift_);
    for (uint32_t b = 0; b < 4 && byte_offset_ + b < size; ++b)
        bytes[byte_offset_ + b] = static_cast<uint8_t>(word >> (8 * b));
}

void reg_field::make_known()
{
    if (owner.image_state() == waiter_state::invalid)
        owner.start_read();
    if (owner.image_state() == waiter_state::read_pending)
        owner.owner_prot().end_batch();
}

uint32_t reg_field::get()
{
    if (mask == 0)
        return 0;
    make_known();
    return load();
}

void reg_field::set(uint32_t v)
{
    v &= mask;
    make_known();
    if (owner.image_state() != waiter_state::dirty && v == load())
        return;
    if (v != load()) {
        store(v);
        owner.mark_dirty();
    }
    owner.write_image();
    owner.owner_prot().end_batch();
}

void reg_field::set_later(uint32_t v)
{
    v &= mask;
    make_known();
    if (v == load())
        return;
    store(v);
    owner.mark_dirty();
}

} // namespace mst
