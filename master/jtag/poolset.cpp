#include "master/jtag/poolset.h"

#include "master/jtag/capture_register.h"
#include "master/jtag/tapregister.h"

namespace mst {

namespace {

constexpr uint32_t upper_bit(uint32_t pool) { return 1u << pool; }
constexpr uint32_t lower_bit(uint32_t pool) { return 0x10000u << pool; }
constexpr uint32_t pool_mask(uint32_t images) { return (images | images >> 16) & 0x1Fu; }

} // namespace

pool_from_set::pool_from_set(poolset& owner_set, uint32_t mask_bit, uint32_t bits,
                             const char* image_name)
    : name(image_name), set(owner_set), bit(mask_bit)
{
    chain.allocate(bits);
    set.valid &= ~bit;
    set.read_pending &= ~bit;
    set.write_pending &= ~bit;
    set.dirty &= ~bit;
    set.synchro::reset();
}

uint32_t pool_from_set::state() const
{
    if (set.read_pending & bit)
        return waiter_state::read_pending;
    if (!(set.valid & bit))
        return waiter_state::invalid;
    if (set.write_pending & bit)
        return waiter_state::write_pending;
    if (set.dirty & bit)
        return waiter_state::dirty;
    return waiter_state::valid;
}

void pool_from_set::mark_dirty()
{
    // A lower image marks its upper one as well.
    set.dirty |= bit | (bit >> 16);
}

void pool_from_set::fill(uint32_t v)
{
    chain.set_field(0, 0, v);
    mark_dirty();
    set.valid |= bit;
}

void pool_from_set::start_read()
{
    set.request(bit, scan_mode::read);
}

void pool_from_set::write_image()
{
    set.request(bit, scan_mode::write);
}

trn_prot& pool_from_set::owner_prot()
{
    return set.prot();
}

poolset::poolset(jtag& engine, chain_device* owner, tapregister& pool_select,
                 const char* set_name)
    : rw_resource(engine, owner, set_name),
      pool_select_(pool_select),
      pu1_(*this, upper_bit(0), pool_bits[0], "Pu1"),
      pu2_(*this, upper_bit(1), pool_bits[1], "Pu2"),
      pu3_(*this, upper_bit(2), pool_bits[2], "Pu3"),
      pu4_(*this, upper_bit(3), pool_bits[3], "Pu4"),
      pu5_(*this, upper_bit(4), pool_bits[4], "Pu5"),
      pm1_(*this, lower_bit(0), pool_bits[0], "Pm1"),
      pm2_(*this, lower_bit(1), pool_bits[1], "Pm2"),
      pm3_(*this, lower_bit(2), pool_bits[2], "Pm3"),
      pm4_(*this, lower_bit(3), pool_bits[3], "Pm4"),
      pm5_(*this, lower_bit(4), pool_bits[4], "Pm5")
{
    images_ = {&pu1_, &pu2_, &pu3_, &pu4_, &pu5_, &pm1_, &pm2_, &pm3_, &pm4_, &pm5_};
    chain.allocate(total_bits);
}

pool_from_set* poolset::image_of(uint32_t pool, uint32_t images) const
{
    if (images & upper_bit(pool))
        return images_[pool];
    if (images & lower_bit(pool))
        return images_[pool_count + pool];
    return nullptr;
}

void poolset::request(uint32_t mask, uint32_t mode)
{
    if (state == waiter_state::read_pending || state == waiter_state::write_pending)
        prot().end_batch();

    if (mode == scan_mode::read) {
        const uint32_t wanted = (read_pending | mask) & all_images;
        if (wanted == 0)
            return;
        read_pending = wanted;
        pool_select_.set(pool_mask(wanted));
        uint32_t bits = 16;
        for (uint32_t p = 0; p < pool_count; ++p)
            if (pool_mask(wanted) & (1u << p))
                bits += pool_bits[p];
        chain.count = bits;
        for (uint32_t i = 0; i < bitchain::words_for(bits); ++i)
            chain.words[i] = 0;
        scan_pools(scan_mode::read, wanted);
        return;
    }

    // Upper and lower images are never written together.
    const uint32_t images = (mask & 0x1Fu) != 0 ? mask & 0x1Fu : mask & 0x1F0000u;
    const uint32_t to_write = dirty & images & valid;
    if (to_write == 0)
        return;
    write_pending = to_write;
    dirty &= ~to_write;
    pool_select_.set(pool_mask(to_write));
    chain.count = 0;
    chain.append_value(0, header_bits);
    for (uint32_t p = pool_count; p-- > 0;) {
        const pool_from_set* img = image_of(p, to_write);
        if (img != nullptr)
            chain.append_chain(img->chain);
        if (p != 0)
            chain.append_value(0, 1);
    }
    scan_pools(scan_mode::write, to_write);
}

void poolset::scan_pools(uint32_t mode, uint32_t selected)
{
    (void)selected;
    device->instruction_register().set(select_ir);
    const scan_result r = scan_register(engine_, reg_kind::dr, mode, chain, device->dr_bits_before);
    if (r.done == 0)
        return;
    if (mode == scan_mode::write)
        prot().log().queue_write(*this, this);
    else
        prot().log().queue_read(*this, r.position, this);
}

void poolset::read(uint32_t mask)
{
    request(mask, scan_mode::read);
    prot().end_batch();
}

void poolset::write(uint32_t mask)
{
    request(mask, scan_mode::write);
    prot().end_batch();
}

void poolset::read_missing(uint32_t mask)
{
    read(mask & ~valid & all_images);
}

void poolset::complete(uint32_t position)
{
    if (state == waiter_state::invalid)
        return;
    if (is_write_entry(position)) {
        valid |= write_pending;
        write_pending = 0;
        state = waiter_state::valid;
        return;
    }
    // The reply in the scan's layout: 12 bits, pool 5, 1 bit, pool 4, 1 bit,
    // pool 3, 1 bit, pool 2, 1 bit, pool 1; pools not requested take no room.
    uint32_t at = position + header_bits;
    bool ok = true;
    for (uint32_t p = pool_count; p-- > 0;) {
        if (pool_mask(read_pending) & (1u << p)) {
            if (read_pending & upper_bit(p))
                ok = take_from_reply(at, images_[p]->chain) && ok;
            if (read_pending & lower_bit(p))
                ok = take_from_reply(at, images_[pool_count + p]->chain) && ok;
            at += pool_bits[p];
        }
        if (p != 0)
            at += 1;
    }
    if (ok)
        valid |= read_pending;
    read_pending = 0;
    state = ok ? waiter_state::valid : waiter_state::invalid;
}

void poolset::reset()
{
    // A dropped batch: its reads never arrived, and what it was writing may
    // not have reached the pools, so it goes out again with the next write.
    // Images that earlier batches read or wrote stand.
    valid &= ~read_pending;
    dirty |= write_pending;
    read_pending = write_pending = 0;
    synchro::reset();
}

void poolset::forget()
{
    valid = read_pending = write_pending = dirty = 0;
    synchro::reset();
}

} // namespace mst
