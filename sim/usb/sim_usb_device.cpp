// The kernel driver's side of the simulated device: handles, control codes,
// reads and writes in both modes, the packet stream and the fault schedule.
#include "sim/usb/sim_usb_device.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "sim/usb/wire_bytes.h"

namespace sim::usb {

namespace {

constexpr std::uint32_t kMaxPacketBytes = 1u << 20;

bool same_path(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

IoResult failure(std::uint32_t error) { return IoResult{false, 0, error}; }

} // namespace

namespace board {
bool is_command(std::uint32_t masked_code) {
    switch (masked_code) {
    case kGetBootVersion: case kGetStatus: case kSetExchange: case kResetTarget: case kGetVersion:
    case kGetSerial: case kSetDebug: case kReadDebugTrace: case kReadSignature: case kWriteSignature:
    case kLoadTarget: case kStartTarget: case kFlashInit: case kLoadImageRecord: case kBoardInfo:
        return true;
    default:
        return false;
    }
}
} // namespace board

std::vector<std::uint32_t> UsbLog::board_codes() const {
    std::vector<std::uint32_t> codes;
    for (const PacketRecord& p : packets)
        if (p.board) codes.push_back(p.code);
    return codes;
}

SimUsbDevice::SimUsbDevice(Pod& pod, const DeviceConfig& config)
    : pod_(pod), config_(config), boot_loader_(config_.starts_in_boot_loader),
      timeout_ms_(config_.default_timeout_ms) {}

// ---------------------------------------------------------------- bus

std::string SimUsbDevice::current_path() const {
    if (boot_loader_ && !config_.identity.boot_loader_path.empty()) return config_.identity.boot_loader_path;
    return config_.identity.path;
}

std::vector<BusEntry> SimUsbDevice::enumerate() const {
    std::vector<BusEntry> entries;
    std::uint32_t inst = 0x00020000;
    for (const ForeignDevice& f : config_.foreign)
        entries.push_back(BusEntry{f.path, f.service, f.description, "Port_#0001.Hub_#0001", "Other maker", ++inst, false});
    if (present_) {
        const DeviceIdentity& id = config_.identity;
        entries.push_back(BusEntry{current_path(), id.service, id.description, id.location, id.manufacturer,
                                   id.dev_inst, true});
    }
    return entries;
}

bool SimUsbDevice::owns_path(std::string_view path) const {
    if (same_path(path, config_.identity.path)) return true;
    if (!config_.identity.boot_loader_path.empty() && same_path(path, config_.identity.boot_loader_path))
        return true;
    return std::any_of(config_.foreign.begin(), config_.foreign.end(),
                       [&](const ForeignDevice& f) { return same_path(path, f.path); });
}

OpenResult SimUsbDevice::open(std::string_view path) {
    IoRecord record{IoRecord::Kind::Open};
    OpenResult result;
    const bool foreign = std::any_of(config_.foreign.begin(), config_.foreign.end(),
                                     [&](const ForeignDevice& f) { return same_path(path, f.path); });
    if (foreign) {
        result.error = error::kAccessDenied;
    } else if (!present_ || !same_path(path, current_path())) {
        result.error = error::kFileNotFound;
    } else if (open_skip_ > 0) {
        --open_skip_;
    } else if (open_failures_ > 0) {
        --open_failures_;
        result.error = error::kFileNotFound;
    }
    if (result.error == 0) {
        result.handle = next_handle_++;
        handles_[result.handle] = OpenHandle{epoch_};
        ++log_.opens;
    } else {
        ++log_.failed_opens;
    }
    record.ok = result.error == 0;
    record.error = result.error;
    log_.io.push_back(record);
    return result;
}

IoResult SimUsbDevice::close(Handle handle) {
    IoRecord record{IoRecord::Kind::Close};
    if (handles_.erase(handle) == 0) return finish(record, failure(error::kInvalidHandle));
    ++log_.closes;
    return finish(record, IoResult{true, 0, 0});
}

std::size_t SimUsbDevice::open_handles() const { return handles_.size(); }

std::size_t SimUsbDevice::pending_reply_bytes() const {
    std::size_t n = 0;
    for (const QueuedReply& r : replies_) n += r.bytes.size();
    return n;
}

void SimUsbDevice::pull_board() {
    present_ = false;
    ++epoch_;
    stream_.clear();
    replies_.clear();
    restart_pending_ = false;
}

void SimUsbDevice::disconnect() { pull_board(); }

void SimUsbDevice::reconnect() {
    if (present_) return;
    present_ = true;
    boot_loader_ = config_.starts_in_boot_loader;
    timeout_ms_ = config_.default_timeout_ms;
    last_read_timed_out_ = false;
}

void SimUsbDevice::set_present(bool present) {
    if (present)
        reconnect();
    else
        pull_board();
}

void SimUsbDevice::restart_board() {
    ++epoch_;
    boot_loader_ = true;
    stream_.clear();
    replies_.clear();
    restart_pending_ = false;
    timeout_ms_ = config_.default_timeout_ms;
    last_read_timed_out_ = false;
    ++log_.restarts;
}

// ---------------------------------------------------------------- faults

void SimUsbDevice::fault_reply(std::uint32_t nth, ReplyFault fault, Traffic traffic) {
    const int t = static_cast<int>(traffic);
    reply_faults_[{t, replies_made_[t] + nth}] = fault;
}

void SimUsbDevice::fault_command(std::uint32_t code, ReplyFault fault, std::uint32_t times) {
    command_faults_[code & board::kCodeMask] = CommandFault{fault, times};
}

void SimUsbDevice::clear_reply_faults() {
    reply_faults_.clear();
    command_faults_.clear();
}

void SimUsbDevice::fault_write(std::uint32_t kth, WriteFault fault) { write_faults_[write_calls_ + kth] = fault; }

void SimUsbDevice::disconnect_on_read(std::uint32_t kth) { disconnect_read_ = read_calls_ + kth; }

void SimUsbDevice::disconnect_on_master_packet(std::uint32_t nth) { disconnect_master_ = master_packets_ + nth; }

void SimUsbDevice::fail_opens(std::uint32_t count, std::uint32_t skip) {
    open_failures_ = count;
    open_skip_ = skip;
}

std::optional<ReplyFault> SimUsbDevice::next_reply_fault(bool is_board, std::uint32_t code) {
    const int kinds[2] = {static_cast<int>(Traffic::Any),
                          static_cast<int>(is_board ? Traffic::Board : Traffic::Master)};
    std::optional<ReplyFault> found;
    for (int t : kinds) {
        const std::uint64_t n = ++replies_made_[t];
        auto it = reply_faults_.find({t, n});
        if (it != reply_faults_.end()) {
            found = it->second;
            reply_faults_.erase(it);
        }
    }
    if (found) return found;
    if (!is_board) return std::nullopt;
    auto it = command_faults_.find(code);
    if (it == command_faults_.end() || it->second.left == 0) return std::nullopt;
    --it->second.left;
    return it->second.fault;
}

// ---------------------------------------------------------------- calls

IoResult SimUsbDevice::finish(IoRecord record, IoResult result) {
    record.ok = result.ok;
    record.transferred = result.bytes;
    record.error = result.ok ? 0 : result.error;
    log_.io.push_back(record);
    return result;
}

std::optional<IoResult> SimUsbDevice::check_handle(Handle handle, IoRecord::Kind kind, std::uint32_t code,
                                                   std::uint32_t requested) {
    IoRecord record{kind, code, requested};
    auto it = handles_.find(handle);
    if (it == handles_.end()) return finish(record, failure(error::kInvalidHandle));
    if (!present_ || it->second.epoch != epoch_) return finish(record, failure(error::kDeviceNotConnected));
    return std::nullopt;
}

std::string SimUsbDevice::version_text() const {
    if (!config_.version_text.empty()) return config_.version_text;
    return config_.wdf ? "KvUsbDev 3.2.1 (WDF)" : "KvUsbDev 2.0.4";
}

IoResult SimUsbDevice::control(Handle handle, std::uint32_t code, const void* in, std::uint32_t in_len, void* out,
                               std::uint32_t out_len) {
    if (auto bad = check_handle(handle, IoRecord::Kind::Control, code, in_len)) return *bad;
    ++log_.ioctls[code];
    IoRecord record{IoRecord::Kind::Control, code, in_len};
    switch (code) {
    case ioctl::kHandleCheck: {
        if (!out || out_len < 4) return finish(record, failure(error::kInsufficientBuffer));
        wire::set_u32(static_cast<std::uint8_t*>(out), faults_.handle_unusable ? kHandleUnusable : 0);
        return finish(record, IoResult{true, 4, 0});
    }
    case ioctl::kVersion: {
        const std::string text = version_text();
        if (!out || out_len < text.size() + 1) return finish(record, failure(error::kInsufficientBuffer));
        std::memcpy(out, text.c_str(), text.size() + 1);
        return finish(record, IoResult{true, static_cast<std::uint32_t>(text.size() + 1), 0});
    }
    case ioctl::kSetTimeout: {
        if (!in || in_len < 4) return finish(record, failure(error::kInvalidParameter));
        timeout_ms_ = wire::get_u32(static_cast<const std::uint8_t*>(in));
        log_.timeouts_set.push_back(timeout_ms_);
        return finish(record, IoResult{true, 0, 0});
    }
    case ioctl::kReadStatus: {
        if (!out || out_len < 4) return finish(record, failure(error::kInsufficientBuffer));
        wire::set_u32(static_cast<std::uint8_t*>(out), last_read_timed_out_ ? kReadTimedOut : 0);
        return finish(record, IoResult{true, 4, 0});
    }
    case ioctl::kWrite:
        if (config_.wdf) return finish(record, failure(error::kInvalidFunction));
        return data_write(handle, IoRecord::Kind::Control, code, in, in_len);
    case ioctl::kRead:
        if (config_.wdf) return finish(record, failure(error::kInvalidFunction));
        return data_read(handle, IoRecord::Kind::Control, code, out, out_len);
    default:
        return finish(record, failure(error::kInvalidFunction));
    }
}

IoResult SimUsbDevice::read_file(Handle handle, void* buffer, std::uint32_t count) {
    if (auto bad = check_handle(handle, IoRecord::Kind::Read, 0, count)) return *bad;
    if (!config_.wdf) return finish(IoRecord{IoRecord::Kind::Read, 0, count}, failure(error::kInvalidFunction));
    return data_read(handle, IoRecord::Kind::Read, 0, buffer, count);
}

IoResult SimUsbDevice::write_file(Handle handle, const void* buffer, std::uint32_t count) {
    if (auto bad = check_handle(handle, IoRecord::Kind::Write, 0, count)) return *bad;
    if (!config_.wdf) return finish(IoRecord{IoRecord::Kind::Write, 0, count}, failure(error::kInvalidFunction));
    return data_write(handle, IoRecord::Kind::Write, 0, buffer, count);
}

IoResult SimUsbDevice::data_read(Handle, IoRecord::Kind kind, std::uint32_t code, void* buffer, std::uint32_t count) {
    IoRecord record{kind, code, count};
    ++read_calls_;
    ++log_.reads;
    now_us_ += config_.transfer_latency_us;
    if (disconnect_read_ && *disconnect_read_ == read_calls_) {
        disconnect_read_.reset();
        pull_board();
        return finish(record, failure(error::kDeviceNotConnected));
    }
    if (count != 0 && !buffer) return finish(record, failure(error::kInvalidParameter));
    if (replies_.empty()) {
        // Nothing to read: the kernel driver waits its time-out.
        now_us_ += static_cast<std::uint64_t>(timeout_ms_) * 1000;
        last_read_timed_out_ = true;
        ++log_.read_timeouts;
        if (config_.wdf || faults_.non_wdf_timeout_fails) return finish(record, failure(error::kSemTimeout));
        return finish(record, IoResult{true, 0, 0});
    }
    QueuedReply& front = replies_.front();
    const std::uint32_t n = std::min<std::uint32_t>(count, static_cast<std::uint32_t>(front.bytes.size()));
    if (n != 0) std::memcpy(buffer, front.bytes.data(), n);
    front.bytes.erase(front.bytes.begin(), front.bytes.begin() + n);
    last_read_timed_out_ = false;
    log_.bytes_read += n;
    if (front.bytes.empty()) {
        const bool restart = front.restart_after;
        replies_.pop_front();
        if (restart) restart_board();
    }
    return finish(record, IoResult{true, n, 0});
}

IoResult SimUsbDevice::data_write(Handle, IoRecord::Kind kind, std::uint32_t code, const void* buffer,
                                  std::uint32_t count) {
    IoRecord record{kind, code, count};
    ++write_calls_;
    ++log_.writes;
    now_us_ += config_.transfer_latency_us;
    std::optional<WriteFault> fault;
    if (auto it = write_faults_.find(write_calls_); it != write_faults_.end()) {
        fault = it->second;
        write_faults_.erase(it);
    }
    if ((count != 0 && !buffer) || count > config_.out_buffer_size) {
        stream_.clear();
        return finish(record, failure(error::kInvalidParameter));
    }
    if (fault && fault->kind == WriteFault::Kind::Fail) {
        stream_.clear();
        return finish(record, failure(error::kGenFailure));
    }
    if (fault && fault->kind == WriteFault::Kind::Disconnect) {
        pull_board();
        return finish(record, failure(error::kDeviceNotConnected));
    }
    std::uint32_t taken = count;
    if (fault && fault->kind == WriteFault::Kind::Short) taken = std::min(count, fault->value);
    log_.bytes_written += taken;
    take_bytes(static_cast<const std::uint8_t*>(buffer), taken);
    return finish(record, IoResult{true, taken, 0});
}

void SimUsbDevice::take_bytes(const std::uint8_t* data, std::uint32_t count) {
    if (count != 0) stream_.insert(stream_.end(), data, data + count);
    while (stream_.size() >= 4) {
        const std::uint32_t length = wire::get_u32(stream_.data());
        if (length > kMaxPacketBytes) {
            ++log_.protocol_errors;
            stream_.clear();
            return;
        }
        if (stream_.size() - 4 < length) return;
        Bytes body(stream_.begin() + 4, stream_.begin() + 4 + length);
        stream_.erase(stream_.begin(), stream_.begin() + 4 + length);
        dispatch(std::move(body));
    }
}

void SimUsbDevice::dispatch(Bytes body) {
    PacketRecord record;
    if (body.size() >= 4) {
        record.command_word = wire::get_u32(body.data());
        record.code = record.command_word & board::kCodeMask;
        record.sequence = static_cast<std::uint8_t>((record.command_word & board::kSequenceMask) >> board::kSequenceShift);
        record.board = board::is_command(record.code);
    }
    std::optional<Bytes> reply;
    if (record.board) {
        ++log_.board_commands;
        reply = board_command(record, body);
    } else {
        ++log_.master_exchanges;
        ++master_packets_;
        if (disconnect_master_ && *disconnect_master_ == master_packets_) {
            disconnect_master_.reset();
            record.body = std::move(body);
            log_.packets.push_back(std::move(record));
            pull_board();
            return;
        }
        reply = master_exchange(record, body);
    }
    record.body = std::move(body);
    queue_reply(record, std::move(reply));

    const Bytes& b = record.body;
    DebugEntry entry{record.command_word, b.size() >= 8 ? wire::get_u32(b.data() + 4) : 0, record.reply_word, 0,
                     static_cast<std::uint32_t>(b.size() + 4), record.reply_bytes,
                     static_cast<std::uint32_t>(now_us_)};
    if (record.answered && !replies_.empty() && replies_.back().bytes.size() >= 12)
        entry.reply_value = wire::get_u32(replies_.back().bytes.data() + 8);
    debug_trace_.push_back(entry);
    if (debug_trace_.size() > 4096) debug_trace_.erase(debug_trace_.begin());
    log_.packets.push_back(std::move(record));
}

void SimUsbDevice::queue_reply(PacketRecord& record, std::optional<Bytes> reply) {
    const std::optional<ReplyFault> fault = next_reply_fault(record.board, record.code);
    const bool restart = restart_pending_;
    restart_pending_ = false;
    if (!reply || (fault && fault->kind == ReplyFault::Kind::NoReply)) {
        if (restart) restart_board();
        return;
    }
    Bytes& body = *reply;
    if (body.size() < 4) body.resize(4, 0);
    if (fault) {
        switch (fault->kind) {
        case ReplyFault::Kind::NotSupported:
            body.assign(4, 0);
            wire::set_u32(body.data(), board::kNotSupported);
            break;
        case ReplyFault::Kind::Status:
            wire::set_u32(body.data(), fault->value);
            break;
        case ReplyFault::Kind::OtherSequence:
            if (record.board) {
                const std::uint32_t status = wire::get_u32(body.data());
                const std::uint32_t seq = ((status >> board::kSequenceShift) + 1) & 0x1F;
                wire::set_u32(body.data(), (status & ~board::kSequenceMask) | (seq << board::kSequenceShift));
            }
            break;
        default:
            break;
        }
    }
    Bytes framed;
    wire::put_u32(framed, static_cast<std::uint32_t>(body.size()));
    wire::put_bytes(framed, body.data(), body.size());
    if (fault) {
        switch (fault->kind) {
        case ReplyFault::Kind::Short:
            framed.resize(std::min<std::size_t>(framed.size(), fault->value));
            break;
        case ReplyFault::Kind::Overlong:
            framed.insert(framed.end(), fault->value, 0xA5);
            wire::set_u32(framed.data(), static_cast<std::uint32_t>(framed.size() - 4));
            break;
        case ReplyFault::Kind::LengthField:
            wire::set_u32(framed.data(), fault->value);
            break;
        default:
            break;
        }
    }
    record.answered = true;
    record.reply_word = wire::get_u32(body.data());
    record.reply_bytes = static_cast<std::uint32_t>(framed.size());
    if (framed.empty()) {
        // Cut to nothing: the read finds no data.
        if (restart) restart_board();
        return;
    }
    replies_.push_back(QueuedReply{std::move(framed), restart});
}

} // namespace sim::usb
