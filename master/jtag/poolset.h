// Five pools of a device scanned together through one instruction. Each pool
// has an upper and a lower image, told apart by mask bits (upper: bit i,
// lower: bit 16 + i, pool i + 1); the pool select register names the pools
// in a scan.
//
// At most one scan of the set is in a batch: a request that would join a
// scan already queued sends the batch first, so each completion knows which
// images its reply holds.
#pragma once

#include <array>
#include <cstdint>

#include "master/jtag/field_owner.h"
#include "master/jtag/resources.h"

namespace mst {

class poolset;
class tapregister;

class pool_from_set : public field_owner {
public:
    pool_from_set(poolset& set, uint32_t mask_bit, uint32_t bits, const char* image_name);
    ~pool_from_set() { chain.release(); }
    pool_from_set(const pool_from_set&) = delete;
    pool_from_set& operator=(const pool_from_set&) = delete;

    uint32_t state() const;
    void mark_dirty() override;
    void fill(uint32_t v);

    // field_owner
    bitchain& image() override { return chain; }
    uint32_t image_state() override { return state(); }
    void start_read() override;
    void write_image() override;
    trn_prot& owner_prot() override;

    bitchain chain;
    const char* name;
    poolset& set;
    uint32_t bit;
};

class poolset : public rw_resource {
public:
    static constexpr uint32_t pool_count = 5;
    static constexpr uint32_t pool_bits[pool_count] = {102, 318, 75, 229, 372};
    static constexpr uint32_t header_bits = 12;
    static constexpr uint32_t total_bits = 1112;
    static constexpr uint32_t all_images = 0x1F001Fu;
    static constexpr uint32_t select_ir = 32;

    // pool_select: the device's register that names the pools of a scan.
    poolset(jtag& engine, chain_device* owner, tapregister& pool_select, const char* set_name);
    ~poolset() override { chain.release(); }

    void request(uint32_t mask, uint32_t mode);
    void read(uint32_t mask);
    void write(uint32_t mask);
    void read_missing(uint32_t mask);

    void complete(uint32_t position) override;
    // What a dropped batch calls: the images of its pending scans only.
    void reset() override;
    // Every image unknown (the pools changed in the device).
    void forget();

    pool_from_set& upper(uint32_t pool) { return *images_[pool]; }
    pool_from_set& lower(uint32_t pool) { return *images_[pool_count + pool]; }

    uint32_t valid = 0;
    uint32_t read_pending = 0;
    uint32_t write_pending = 0;
    uint32_t dirty = 0;

private:
    void scan_pools(uint32_t mode, uint32_t selected);
    pool_from_set* image_of(uint32_t pool, uint32_t images) const;

    tapregister& pool_select_;
    std::array<pool_from_set*, 2 * pool_count> images_{};
    // The ten images, upper ones first.
    pool_from_set pu1_, pu2_, pu3_, pu4_, pu5_, pm1_, pm2_, pm3_, pm4_, pm5_;
};

} // namespace mst
