// Appends straight into the request buffer. Each checks the room for its
// whole entry first, so an entry is either written entirely or not at all.
#include "master/core/trn_prot.h"

namespace mst {

uint32_t trn_prot::req_copy(const uint32_t* src, uint32_t n) {
    need_room(2 * uint64_t{n});
    for (uint32_t i = 0; i < n; ++i)
        put_word(src[i]);
    return 2 * n;
}

uint32_t trn_prot::req_word(uint32_t w) {
    need_room(2);
    put_word(w);
    return 2;
}

uint32_t trn_prot::req_pair(uint32_t w1, uint32_t w0) {
    need_room(4);
    put_word(w0);
    put_word(w1);
    return 4;
}

uint32_t trn_prot::req_pair16(uint32_t hi, uint32_t lo, uint32_t w0) {
    need_room(4);
    put_word(w0);
    put_word((hi << 16) | (lo & 0xFFFFu));
    return 4;
}

uint32_t trn_prot::req_triple(uint32_t w2, uint32_t hi, uint32_t lo, uint32_t w0) {
    need_room(6);
    put_word(w0);
    put_word((hi << 16) | (lo & 0xFFFFu));
    put_word(w2);
    return 6;
}

uint32_t trn_prot::req_block16(const uint16_t* src, uint32_t n, uint32_t w0) {
    // u32 w0, u16 n, n units, and one padding unit when n is even, so that
    // the entry ends on a u32 boundary.
    const uint64_t units = ((uint64_t{n} + 2) / 2 + 1) * 2;
    need_room(units);
    put_word(w0);
    put_unit(static_cast<uint16_t>(n));
    for (uint32_t i = 0; i < n; ++i)
        put_unit(src[i]);
    if (n % 2 == 0)
        put_unit(0);
    return static_cast<uint32_t>(units);
}

} // namespace mst
