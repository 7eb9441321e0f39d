// Target memory in bytes: reads served by the block cache while halted, or
// read directly word by word and in blocks; writes merged into whole words.
// Target words are little-endian: byte i of a word is bits 8i..8i+7.
#include <algorithm>
#include <vector>

#include "master/devices/cortex_m/cortex_m_device.h"

namespace mst {

namespace {

uint32_t load_le(const uint8_t* p)
{
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

void store_le(uint32_t word, uint8_t* p)
{
    for (int i = 0; i < 4; ++i)
        p[i] = static_cast<uint8_t>(word >> (8 * i));
}

// Bytes [offset, offset + n) of word into out.
void take_bytes(uint32_t word, uint32_t offset, uint32_t n, uint8_t* out)
{
    for (uint32_t i = 0; i < n; ++i)
        out[i] = static_cast<uint8_t>(word >> (8 * (offset + i)));
}

// word with bytes [offset, offset + n) replaced from in.
uint32_t merge_bytes(uint32_t word, uint32_t offset, uint32_t n, const uint8_t* in)
{
    for (uint32_t i = 0; i < n; ++i) {
        const uint32_t shift = 8 * (offset + i);
        word = (word & ~(0xFFu << shift)) | (uint32_t{in[i]} << shift);
    }
    return word;
}

} // namespace

void Cortex_jtag_device::direct_read(uint8_t* bytes, uint32_t count, uint32_t address)
{
    uint32_t offset = address & 3u;
    if (offset != 0) {
        // A leading part word; the whole request may end inside it.
        const uint32_t n = std::min(count, 4 - offset);
        take_bytes(ap.read_word(address & ~3u), offset, n, bytes);
        bytes += n;
        count -= n;
        address = (address & ~3u) + 4;
    }
    // Words are staged on the host, so that a read of any size needs no
    // buffer of its whole size.
    uint32_t words = count / 4;
    std::vector<uint32_t> block(std::min(words, stage_words));
    while (words > stage_words) {
        // Whole stages in blocks; only the very last word goes alone.
        ap.read_block(block.data(), stage_words, address);
        for (uint32_t i = 0; i < stage_words; ++i)
            store_le(block[i], bytes + 4 * i);
        bytes += 4 * stage_words;
        address += 4 * stage_words;
        words -= stage_words;
    }
    if (words != 0) {
        if (words > 1)
            ap.read_block(block.data(), words - 1, address);
        block[words - 1] = ap.read_word(address + 4 * (words - 1));
        for (uint32_t i = 0; i < words; ++i)
            store_le(block[i], bytes + 4 * i);
        bytes += 4 * words;
        address += 4 * words;
    }
    count &= 3u;
    if (count != 0)
        take_bytes(ap.read_word(address), 0, count, bytes);
}

void Cortex_jtag_device::read_memory(void* buffer, uint32_t count, uint32_t address, uint32_t)
{
    if (recorded_error() || count == 0)
        return;
    if (!is_running() && cache.read(buffer, count, address, ap) != 0)
        return;
    direct_read(static_cast<uint8_t*>(buffer), count, address);
    read_status_forced(1);
}

// Writing is allowed while the core runs.
void Cortex_jtag_device::write_memory(const void* buffer, uint32_t count, uint32_t address,
                                      uint32_t)
{
    cache.invalidate();
    registers_valid = 0;
    if (count == 0)
        return;
    const uint8_t* bytes = static_cast<const uint8_t*>(buffer);
    const uint32_t offset = address & 3u;
    if (offset + count <= 4) {
        const uint32_t at = address & ~3u;
        ap.write_word(merge_bytes(ap.read_word(at), offset, count, bytes), at);
        return;
    }
    if (offset != 0) {
        const uint32_t at = address & ~3u;
        const uint32_t n = 4 - offset;
        ap.write_word(merge_bytes(ap.read_word(at), offset, n, bytes), at);
        bytes += n;
        count -= n;
        address = at + 4;
    }
    uint32_t words = count / 4;
    std::vector<uint32_t> block(std::min(words, stage_words));
    while (words > stage_words) {
        for (uint32_t i = 0; i < stage_words; ++i)
            block[i] = load_le(bytes + 4 * i);
        ap.write_block(block.data(), stage_words, address);
        bytes += 4 * stage_words;
        address += 4 * stage_words;
        words -= stage_words;
    }
    if (words != 0) {
        for (uint32_t i = 0; i < words; ++i)
            block[i] = load_le(bytes + 4 * i);
        if (words > 1)
            ap.write_block(block.data(), words - 1, address);
        ap.write_word(block[words - 1], address + 4 * (words - 1));
        bytes += 4 * words;
        address += 4 * words;
    }
    count &= 3u;
    if (count != 0)
        ap.write_word(merge_bytes(ap.read_word(address), 0, count, bytes), address);
}

} // namespace mst
