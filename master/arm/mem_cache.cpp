#include "master/arm/mem_cache.h"

#include <algorithm>
#include <cstring>

namespace mst {

mem_cache::mem_cache()
{
    for (uint32_t i = 0; i < block_count; ++i)
        order_[i] = &storage_[i];
}

void mem_cache::invalidate()
{
    for (block& b : storage_)
        b.state = empty;
}

mem_cache::block* mem_cache::find(uint32_t base)
{
    for (uint32_t i = block_count; i-- > 0;) {
        if (order_[i]->state != empty && order_[i]->base == base)
            return order_[i];
    }
    return nullptr;
}

void mem_cache::touch(block* b)
{
    auto it = std::find(order_.begin(), order_.end(), b);
    std::rotate(it, it + 1, order_.end());
}

mem_cache::block* mem_cache::load(uint32_t base, mem_ap& ap)
{
    // The most recent empty slot, else the least recently used one.
    block* slot = order_[0];
    for (uint32_t i = block_count; i-- > 0;) {
        if (order_[i]->state == empty) {
            slot = order_[i];
            break;
        }
    }
    slot->state = empty;
    error_record& record = ap.regs.record();
    try {
        ap.read_block(slot->data, block_words, base);
    } catch (const call_abandoned&) {
        const uint32_t code = record.code;
        if (code != rc::plain_deliver && code != rc::swd_fault)
            throw;
        // A bus error in the block (its sticky flag cleared, or a Serial
        // Wire FAULT whose flags are cleared now): the words asked for may
        // still be readable on their own.
        record.clear_without_recovery();
        if (code == rc::swd_fault)
            ap.regs.abort.set(dp::abort_clear_sticky);
        slot->base = base;
        slot->state = failed;
        touch(slot);
        return nullptr;
    }
    slot->base = base;
    slot->state = valid;
    return slot;
}

uint32_t mem_cache::read(void* buffer, uint32_t count, uint32_t address, mem_ap& ap)
{
    if (count == 0 || address >= cached_limit || count > cached_limit - address)
        return 0;
    const uint32_t first = address & ~(block_bytes - 1);
    const uint32_t last = (address + count - 1) & ~(block_bytes - 1);
    if (last - first > block_bytes)
        return 0;

    // Every block first: a failed one declines before any byte is copied.
    block* blocks[2] = {};
    for (uint32_t i = 0; i < 2; ++i) {
        const uint32_t base = i == 0 ? first : last;
        if (i == 1 && last == first)
            break;
        block* b = find(base);
        if (b == nullptr)
            b = load(base, ap);
        if (b == nullptr || b->state == failed)
            return 0;
        blocks[i] = b;
    }

    auto* out = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    for (block* b : blocks) {
        if (b == nullptr)
            break;
        const uint32_t from = address + done - b->base;
        const uint32_t n = std::min(count - done, block_bytes - from);
        std::memcpy(out + done, reinterpret_cast<const uint8_t*>(b->data) + from, n);
        done += n;
        touch(b);
    }
    return 1;
}

} // namespace mst
