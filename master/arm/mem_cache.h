// Four 1 KB blocks of target memory that serve the device's memory reads
// while the core is halted, least recently used first.
//
// Promises:
//  - read declines (0) what it does not serve: nothing asked, an address at
//    or above 0x40000000 (peripherals), a range reaching past it, or one
//    that touches more than two blocks. Served reads return 1.
//  - A block is loaded whole (256 words) with one block read. A block whose
//    load failed with a bus error is kept as failed until invalidate, and
//    every read touching it is declined, so the device reads just the bytes
//    asked for directly; no error is left recorded by the failed load.
//  - Other failures of a load are raised as they came.
#pragma once

#include <array>
#include <cstdint>

#include "master/arm/mem_ap.h"

namespace mst {

class mem_cache {
public:
    static constexpr uint32_t block_bytes = 0x400;
    static constexpr uint32_t block_words = block_bytes / 4;
    static constexpr uint32_t block_count = 4;
    static constexpr uint32_t cached_limit = 0x40000000;

    enum : uint32_t { empty = 0, valid = 1, failed = 2 };

    struct block {
        uint32_t base = 0;
        uint32_t state = empty;
        uint32_t data[block_words] = {};
    };

    mem_cache();
    mem_cache(const mem_cache&) = delete;
    mem_cache& operator=(const mem_cache&) = delete;

    void invalidate();
    // 0 declined, 1 every byte came from the cache.
    uint32_t read(void* buffer, uint32_t count, uint32_t address, mem_ap& ap);

    // Least recently used first.
    const std::array<block*, block_count>& order() const { return order_; }

private:
    block* find(uint32_t base);
    // The block at base loaded into a slot; null when the load failed with a
    // bus error (the slot is then marked failed).
    block* load(uint32_t base, mem_ap& ap);
    void touch(block* b);

    std::array<block, block_count> storage_{};
    std::array<block*, block_count> order_{};
};

} // namespace mst
