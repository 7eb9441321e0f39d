// The pod command list: runs of u32 words collected apart from the request
// and moved into it as one command-list command (0x97000903, count, words).
//
// Every append checks room first: one that would pass 256 words is refused
// with 0x01210011 and writes nothing. The list does not clear itself; its
// user sets count to 0 when it starts a new list.
#pragma once

#include <cstdint>
#include <span>

#include "master/core/error_record.h"

namespace mst {

class trn_prot;

class cmd_list {
public:
    static constexpr uint32_t capacity = 256;

    explicit cmd_list(error_record& record) : record_(record) {}
    cmd_list(const cmd_list&) = delete;
    cmd_list& operator=(const cmd_list&) = delete;

    // Each returns the index of the first word written (the count before).
    uint32_t list_copy(const uint32_t* src, uint32_t n);
    uint32_t list_word(uint32_t w);
    uint32_t list_pair(uint32_t w1, uint32_t w0);
    uint32_t list_pair16(uint32_t hi, uint32_t lo, uint32_t w0);
    uint32_t list_triple(uint32_t w2, uint32_t hi, uint32_t lo, uint32_t w0);
    // n = 0 writes w0 and a count of 0.
    uint32_t list_block(const uint32_t* src, uint32_t n, uint32_t w0);

    // Moves the list into the request as one command (not sent here). The
    // whole command is checked for room before anything is appended.
    void flush_list(trn_prot& prot);

    uint32_t count = 0;
    uint32_t words[capacity] = {};

private:
    bool need_room(uint64_t n);

    error_record& record_;
};

// One u16 pair of a split value: the lo-derived unit, then the hi-derived one.
struct split_pair {
    uint16_t lo = 0;
    uint16_t hi = 0;
};

// Spreads lo/hi over u16 pairs for a transfer that starts at bit bitOffset
// within 16-bit units; pairs before the first are cleared. Stops when the
// remaining hi is 0 (lo bits beyond hi's extent are dropped: hi is the mask
// stream). Returns false, writing nothing, when out cannot hold every pair
// (bitOffset / 16 + 3 always suffice for 32-bit inputs).
bool split16(std::span<split_pair> out, uint32_t& outCount, uint32_t lo, uint32_t hi,
             uint32_t bitOffset);

// The process-wide command list, bound to the_error_record().
cmd_list& the_cmd_list();

} // namespace mst
