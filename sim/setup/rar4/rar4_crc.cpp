#include "sim/setup/rar4/rar4_format.h"

namespace rar4 {

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc)
{
    static const auto table = [] {
        struct Table {
            uint32_t v[256];
        } t{};
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
            t.v[i] = c;
        }
        return t;
    }();
    crc = ~crc;
    for (size_t i = 0; i < size; ++i) crc = table.v[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return ~crc;
}

}  // namespace rar4
