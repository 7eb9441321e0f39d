// The pod command list and its move into the request.
#include "master/core/command_list.h"

#include <array>

#include "master/core/trn_prot.h"

namespace mst {

bool cmd_list::need_room(uint64_t n) {
    if (uint64_t{count} + n <= capacity)
        return true;
    record_.raise(rc::output_overflow);
    return false;
}

uint32_t cmd_list::list_copy(const uint32_t* src, uint32_t n) {
    const uint32_t first = count;
    if (!need_room(n))
        return first;
    for (uint32_t i = 0; i < n; ++i)
        words[count++] = src[i];
    return first;
}

uint32_t cmd_list::list_word(uint32_t w) { return list_copy(&w, 1); }

uint32_t cmd_list::list_pair(uint32_t w1, uint32_t w0) {
    const uint32_t run[] = {w0, w1};
    return list_copy(run, 2);
}

uint32_t cmd_list::list_pair16(uint32_t hi, uint32_t lo, uint32_t w0) {
    const uint32_t run[] = {w0, (hi << 16) | (lo & 0xFFFFu)};
    return list_copy(run, 2);
}

uint32_t cmd_list::list_triple(uint32_t w2, uint32_t hi, uint32_t lo, uint32_t w0) {
    const uint32_t run[] = {w0, (hi << 16) | (lo & 0xFFFFu), w2};
    return list_copy(run, 3);
}

uint32_t cmd_list::list_block(const uint32_t* src, uint32_t n, uint32_t w0) {
    const uint32_t first = count;
    if (!need_room(2 + uint64_t{n}))
        return first;
    words[count++] = w0;
    words[count++] = n;
    for (uint32_t i = 0; i < n; ++i)
        words[count++] = src[i];
    return first;
}

void cmd_list::flush_list(trn_prot& prot) {
    if (!prot.room_for(4 + 2 * uint64_t{count})) {
        record_.raise(rc::output_overflow);
        return;
    }
    prot.req_pair(count, cmd::command_list);
    prot.req_copy(words, count);
}

bool split16(std::span<split_pair> out, uint32_t& outCount, uint32_t lo, uint32_t hi,
             uint32_t bitOffset) {
    const uint32_t s = bitOffset & 15u;
    const uint32_t k = bitOffset >> 4;

    // A 32-bit hi spreads over at most three pairs.
    std::array<split_pair, 3> value{};
    uint32_t m = 0;
    value[m++] = {static_cast<uint16_t>((lo & 0xFFFFu) << s),
                  static_cast<uint16_t>((hi & 0xFFFFu) << s)};
    uint32_t shift = 16 - s;
    while (m < value.size()) {
        hi >>= shift;
        if (hi == 0)
            break;
        lo >>= shift;
        value[m++] = {static_cast<uint16_t>(lo), static_cast<uint16_t>(hi)};
        shift = 16;
    }

    if (uint64_t{k} + m > out.size())
        return false;
    for (uint32_t i = 0; i < k; ++i)
        out[i] = {};
    for (uint32_t i = 0; i < m; ++i)
        out[k + i] = value[i];
    outCount = k + m;
    return true;
}

cmd_list& the_cmd_list() {
    static cmd_list list(the_error_record());
    return list;
}

} // namespace mst
