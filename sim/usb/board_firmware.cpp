// The board's firmware side of the simulated device: its command protocol in
// the boot loader and in the target firmware, and the master traffic it
// passes to the pod.
#include <algorithm>

#include "sim/pod/transport.h"
#include "sim/usb/sim_usb_device.h"
#include "sim/usb/wire_bytes.h"

namespace sim::usb {

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes refusal() {
    Bytes b;
    wire::put_u32(b, board::kNotSupported);
    return b;
}

Bytes default_board_info() {
    Bytes info(48, 0);
    wire::set_u32(info.data(), 0x00000C54);     // board kind
    wire::set_u32(info.data() + 4, 0x00000002); // hardware revision
    wire::set_u32(info.data() + 8, 0x20260317); // date of manufacture
    const char serial[] = "VQ54-000017";
    std::copy(serial, serial + sizeof serial, info.begin() + 12);
    return info;
}

} // namespace

std::optional<std::vector<std::uint8_t>> SimUsbDevice::board_command(PacketRecord& record, const Bytes& body) {
    wire::Reader params(body, 4);
    const FirmwareState& fw = config_.firmware;
    auto key_given = [&] {
        std::uint32_t key = 0;
        return params.u32(key) && key == board::kKey;
    };
    auto flash_status = [&](std::uint32_t code) {
        auto it = faults_.flash_status.find(code);
        return it == faults_.flash_status.end() ? flash::kOk : it->second;
    };

    Bytes out;
    wire::put_u32(out, record.command_word); // success: the command word as received
    switch (record.code) {
    case board::kGetBootVersion:
        wire::put_u32(out, fw.boot_version);
        wire::put_counted_text(out, fw.boot_text);
        return out;
    case board::kGetStatus:
        wire::put_u32(out, (boot_loader_ ? board::kBootBit : 0) | (config_.status_bits & ~board::kBootBit));
        return out;
    case board::kSetExchange:
        if (!key_given()) return refusal();
        wire::put_u32(out, config_.exchange_value);
        wire::put_u16(out, config_.in_buffer_size);
        wire::put_u16(out, config_.out_buffer_size);
        return out;
    case board::kResetTarget:
        if (!key_given()) return refusal();
        restart_pending_ = true;
        return out;
    case board::kGetVersion:
        wire::put_u32(out, fw.boot_version);
        wire::put_counted_text(out, fw.boot_text);
        wire::put_u32(out, fw.target_version);
        wire::put_counted_text(out, fw.target_text);
        return out;
    case board::kGetSerial:
        wire::put_u32(out, static_cast<std::uint32_t>(fw.serial.size()));
        wire::put_bytes(out, fw.serial.data(), fw.serial.size());
        return out;
    case board::kSetDebug:
        if (!key_given()) return refusal();
        wire::put_u32(out, board::kSetDebugAnswer);
        return out;
    case board::kReadDebugTrace: {
        const Bytes trace = debug_trace_reply();
        wire::put_bytes(out, trace.data(), trace.size());
        return out;
    }
    case board::kReadSignature:
        wire::put_u32(out, fw.signature);
        wire::put_counted_text(out, fw.file_name);
        wire::put_counted_text(out, fw.text);
        wire::put_u8(out, static_cast<std::uint8_t>(std::min<std::size_t>(fw.status_bytes.size(), 255)));
        wire::put_bytes(out, fw.status_bytes.data(), std::min<std::size_t>(fw.status_bytes.size(), 255));
        return out;
    case board::kWriteSignature: {
        std::uint32_t signature = 0;
        if (!boot_loader_ || !params.u32(signature)) return refusal();
        const std::uint32_t status = flash_status(record.code);
        if (status == flash::kOk) config_.firmware.signature = signature;
        wire::put_u32(out, status);
        return out;
    }
    case board::kLoadTarget:
    case board::kLoadImageRecord: {
        std::uint32_t address = 0, length = 0;
        if (!boot_loader_ || !params.u32(address) || !params.u32(length)) return refusal();
        // A binary image record carries its data padded to 8 bytes plus 512.
        const std::uint64_t carried =
            record.code == board::kLoadTarget ? length : ((std::uint64_t{length} + 7) & ~std::uint64_t{7}) + 512;
        const std::uint8_t* data = params.take(static_cast<std::size_t>(carried));
        if (!data) return refusal();
        const std::uint32_t status = flash_status(record.code);
        if (status == flash::kOk) flash_[address] = Bytes(data, data + carried);
        wire::put_u32(out, status);
        return out;
    }
    case board::kStartTarget:
        if (!key_given()) return refusal();
        ++target_starts_;
        if (!faults_.stay_in_boot_loader) boot_loader_ = false;
        wire::put_u32(out, 0);
        return out;
    case board::kFlashInit: {
        if (!boot_loader_ || !key_given()) return refusal();
        const std::uint32_t status = flash_status(record.code);
        if (status == flash::kOk) {
            ++flash_inits_;
            flash_.clear();
            config_.firmware.signature = kNoSignature;
        }
        restart_pending_ = true; // the board reconnects after erasing
        wire::put_u32(out, status);
        return out;
    }
    case board::kBoardInfo: {
        std::uint32_t param = 0;
        if (boot_loader_ || !config_.board_info.supported || !params.u32(param)) return refusal();
        const Bytes info = board_info_reply();
        wire::put_bytes(out, info.data(), info.size());
        return out;
    }
    default:
        return refusal();
    }
}

std::vector<std::uint8_t> SimUsbDevice::board_info_reply() const {
    const BoardInfoConfig& cfg = config_.board_info;
    Bytes out;
    wire::put_u32(out, cfg.flash_status);
    if (cfg.flash_status != 0) return out;
    const Bytes info = cfg.bytes.empty() ? default_board_info() : cfg.bytes;
    wire::put_u32(out, cfg.seed);
    BoardScrambler scrambler(cfg.seed);
    // The length and then the bytes, on one continuing generator.
    const std::size_t at = out.size();
    wire::put_u32(out, static_cast<std::uint32_t>(info.size()));
    wire::put_bytes(out, info.data(), info.size());
    scrambler.apply(out.data() + at, out.size() - at);
    return out;
}

std::vector<std::uint8_t> SimUsbDevice::debug_trace_reply() const {
    // The newest entries that fit the in-buffer with the length, status and
    // byte count in front of them.
    const std::size_t room = config_.in_buffer_size > 12 ? (config_.in_buffer_size - 12) / 28 : 0;
    std::vector<DebugEntry> all;
    for (std::uint32_t i = 0; i < debug_padding_; ++i)
        all.push_back(DebugEntry{board::kGetStatus | ((i & 0x1F) << board::kSequenceShift), 0,
                                 board::kGetStatus | ((i & 0x1F) << board::kSequenceShift), 0, 8, 12, i * 1000});
    all.insert(all.end(), debug_trace_.begin(), debug_trace_.end());
    const std::size_t first = all.size() > room ? all.size() - room : 0;
    Bytes out;
    wire::put_u32(out, static_cast<std::uint32_t>((all.size() - first) * 28));
    for (std::size_t i = first; i < all.size(); ++i) {
        const DebugEntry& e = all[i];
        for (std::uint32_t v : {e.command_word, e.command_value, e.reply_word, e.reply_value, e.a, e.b, e.time_us})
            wire::put_u32(out, v);
    }
    return out;
}

std::optional<std::vector<std::uint8_t>> SimUsbDevice::master_exchange(PacketRecord&, const Bytes& body) {
    // The boot loader has no pod firmware to answer the master library.
    if (boot_loader_) return refusal();
    TransportBinding binding(pod_);
    if (SendTargetRequest(body.data(), static_cast<std::uint32_t>(body.size())) != 0) return std::nullopt;
    Bytes area(Pod::kReplyAreaBytes, 0);
    std::uint32_t length = 0;
    if (GetTargetReply(area.data(), &length) != 0 || length == 0) return std::nullopt;
    // The pod's transport keeps at most the reply area; a longer reply (a
    // pod fault) goes out at its true length with the rest zero.
    area.resize(std::max<std::size_t>(length, Pod::kReplyAreaBytes));
    area.resize(length);
    return area;
}

} // namespace sim::usb
