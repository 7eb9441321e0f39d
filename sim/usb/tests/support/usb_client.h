// Test helper that talks to the simulated device the way a host driver would:
// packets framed with their length, written in chunks of the out-buffer size
// through the mode's data calls, replies read back and split into fields.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "sim/usb/sim_usb_device.h"
#include "sim/usb/wire_bytes.h"

namespace sim::usb::test {

using Bytes = std::vector<std::uint8_t>;

struct BoardReply {
    bool read_ok = false;
    std::uint32_t bytes = 0;   // bytes the read delivered
    std::uint32_t length = 0;  // length field
    std::uint32_t status = 0;  // status word as sent
    Bytes data;                // after the status word
    std::uint32_t u32(std::size_t at) const { return at + 4 <= data.size() ? wire::get_u32(data.data() + at) : 0; }
};

inline Bytes framed(std::uint32_t word, std::initializer_list<std::uint32_t> params, const Bytes& extra = {}) {
    Bytes out;
    wire::put_u32(out, static_cast<std::uint32_t>(4 + 4 * params.size() + extra.size()));
    wire::put_u32(out, word);
    for (std::uint32_t p : params) wire::put_u32(out, p);
    for (std::uint8_t b : extra) out.push_back(b);
    return out;
}

class UsbClient {
public:
    explicit UsbClient(SimUsbDevice& device) : device_(device) {}

    bool open() {
        handle = device_.open(device_.current_path()).handle;
        return handle != 0;
    }

    IoResult write(const void* data, std::uint32_t count) {
        return device_.config().wdf
                   ? device_.write_file(handle, data, count)
                   : device_.control(handle, ioctl::kWrite, data, count, nullptr, 0);
    }
    IoResult read(void* data, std::uint32_t count) {
        return device_.config().wdf
                   ? device_.read_file(handle, data, count)
                   : device_.control(handle, ioctl::kRead, nullptr, 0, data, count);
    }

    // Writes in chunks of `chunk` bytes (the out-buffer size by default).
    bool send(const Bytes& bytes, std::uint32_t chunk = 0) {
        if (chunk == 0) chunk = device_.config().out_buffer_size;
        for (std::size_t at = 0; at < bytes.size(); at += chunk) {
            const auto n = static_cast<std::uint32_t>(std::min<std::size_t>(chunk, bytes.size() - at));
            if (!write(bytes.data() + at, n).ok) return false;
        }
        return true;
    }

    BoardReply receive(std::uint32_t max = 0) {
        if (max == 0) max = device_.config().in_buffer_size;
        Bytes buffer(max);
        BoardReply reply;
        const IoResult r = read(buffer.data(), max);
        reply.read_ok = r.ok;
        reply.bytes = r.bytes;
        if (r.bytes >= 4) reply.length = wire::get_u32(buffer.data());
        if (r.bytes >= 8) reply.status = wire::get_u32(buffer.data() + 4);
        if (r.bytes > 8) reply.data.assign(buffer.begin() + 8, buffer.begin() + r.bytes);
        return reply;
    }

    // One board command with the next sequence number.
    BoardReply command(std::uint32_t code, std::initializer_list<std::uint32_t> params = {}, const Bytes& extra = {}) {
        const std::uint32_t word = code | (std::uint32_t{sequence} << board::kSequenceShift);
        sequence = static_cast<std::uint8_t>((sequence + 1) & 0x1F);
        if (!send(framed(word, params, extra))) return BoardReply{};
        return receive();
    }

    // A counted text (u8 n, n characters) at `at` of the reply data.
    static std::string text_at(const Bytes& data, std::size_t& at) {
        if (at >= data.size()) return {};
        const std::size_t n = data[at++];
        std::string s(data.begin() + at, data.begin() + std::min(data.size(), at + n));
        at += n;
        return s;
    }

    Handle handle = 0;
    std::uint8_t sequence = 0;

private:
    SimUsbDevice& device_;
};

} // namespace sim::usb::test
