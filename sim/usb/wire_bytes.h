// Little-endian byte building and reading for the USB packets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace sim::usb::wire {

inline void put_u8(std::vector<std::uint8_t>& out, std::uint8_t v) { out.push_back(v); }

inline void put_u16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}

inline void put_u32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF));
}

inline void put_bytes(std::vector<std::uint8_t>& out, const void* data, std::size_t count) {
    const auto* p = static_cast<const std::uint8_t*>(data);
    out.insert(out.end(), p, p + count);
}

// A counted text: u8 n, then n characters (longer texts are cut at 255).
inline void put_counted_text(std::vector<std::uint8_t>& out, std::string_view text) {
    const std::size_t n = text.size() > 255 ? 255 : text.size();
    put_u8(out, static_cast<std::uint8_t>(n));
    put_bytes(out, text.data(), n);
}

inline std::uint32_t get_u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

inline void set_u32(std::uint8_t* p, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>((v >> (8 * i)) & 0xFF);
}

// Reads fields from a packet body; every get fails once the body runs out.
class Reader {
public:
    Reader(const std::vector<std::uint8_t>& bytes, std::size_t at) : bytes_(bytes), at_(at) {}
    bool u32(std::uint32_t& v) {
        if (!has(4)) return false;
        v = get_u32(bytes_.data() + at_);
        at_ += 4;
        return true;
    }
    bool has(std::size_t n) const { return at_ <= bytes_.size() && bytes_.size() - at_ >= n; }
    const std::uint8_t* take(std::size_t n) {
        if (!has(n)) return nullptr;
        const std::uint8_t* p = bytes_.data() + at_;
        at_ += n;
        return p;
    }

private:
    const std::vector<std::uint8_t>& bytes_;
    std::size_t at_;
};

} // namespace sim::usb::wire
