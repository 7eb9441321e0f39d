#include "sim/pod/arm_dp.h"

namespace sim {

namespace {

constexpr std::uint32_t kCtrlWritable = 0x54FFFF0Du;

ArmAccessClass class_of(bool ap, bool read) {
    if (ap) return read ? ArmAccessClass::ApRead : ArmAccessClass::ApWrite;
    return read ? ArmAccessClass::DpRead : ArmAccessClass::DpWrite;
}

} // namespace

ArmDp::ArmDp(const ArmDpConfig& config) : config_(config) {}

void ArmDp::attach_ap(std::uint8_t apsel, ArmAccessPort& port) { aps_[apsel] = &port; }

ArmAccessPort* ArmDp::selected_ap() const {
    auto it = aps_.find(static_cast<std::uint8_t>(select_ >> 24));
    return it == aps_.end() ? nullptr : it->second;
}

std::uint32_t ArmDp::ctrl_stat() const {
    std::uint32_t value = ctrl_ | sticky_ | stuck_sticky_;
    if (ctrl_ & kCdbgRstReq) value |= kCdbgRstAck;
    if ((ctrl_ & kCdbgPwrUpReq) && debug_acks_ && debug_ack_in_ == 0) value |= kCdbgPwrUpAck;
    if ((ctrl_ & kCsysPwrUpReq) && system_acks_ && system_ack_in_ == 0) value |= kCsysPwrUpAck;
    return value;
}

void ArmDp::inject_sticky(std::uint32_t bits, bool clearable) {
    if (clearable) sticky_ |= bits & kStickyMask;
    else stuck_sticky_ |= bits & kStickyMask;
}

void ArmDp::tick() {
    ++log_.accesses;
    if (debug_ack_in_ > 0) --debug_ack_in_;
    if (system_ack_in_ > 0) --system_ack_in_;
}

bool ArmDp::exempt(bool ap, bool read, std::uint8_t address) const {
    if (ap) return false;
    return read ? (address == 0x0 || address == 0x4) : address == 0x0;
}

void ArmDp::accepted(ArmAccessClass c) {
    ++log_.transactions;
    ArmWaitKnob& knob = knobs_[static_cast<unsigned>(c)];
    if (!knob.persistent && knob.waits == 0) return;
    if (knob.persistent) stuck_ = true;
    else busy_left_ = knob.waits;
    if (!knob.every) knob = ArmWaitKnob{};
}

void ArmDp::clear_sticky(std::uint32_t bits) { sticky_ &= ~(bits & kStickyMask); }

void ArmDp::abort(std::uint32_t data, bool swd) {
    log_.abort_writes.push_back(data);
    if (data & 1) {
        busy_left_ = 0;
        stuck_ = false;
        for (auto& [apsel, port] : aps_) port->abort();
    }
    if (!swd) return;
    std::uint32_t clear = 0;
    if (data & (1u << 1)) clear |= kStickyCmp;
    if (data & (1u << 2)) clear |= kStickyErr;
    if (data & (1u << 3)) clear |= kWDataErr;
    if (data & (1u << 4)) clear |= kStickyOrun;
    clear_sticky(clear);
}

std::uint32_t ArmDp::dp_read(std::uint8_t address, bool swd) {
    switch (address) {
    case 0x0: return config_.dpidr;
    case 0x4: return (swd && (select_ & 1)) ? wcr_ : ctrl_stat();
    case 0x8: return swd ? resend_ : select_; // RESEND repeats the last AP or RDBUFF result
    default:
        if (!swd) return 0;
        resend_ = rdbuff_;
        return rdbuff_;
    }
}

void ArmDp::dp_write(std::uint8_t address, std::uint32_t data, bool swd) {
    switch (address) {
    case 0x0:
        if (swd) abort(data, true);
        return;
    case 0x4: {
        if (swd && (select_ & 1)) {
            wcr_ = data;
            return;
        }
        log_.ctrl_writes.push_back(data);
        const std::uint32_t old = ctrl_;
        ctrl_ = data & kCtrlWritable;
        if ((ctrl_ & kCdbgPwrUpReq) && !(old & kCdbgPwrUpReq)) debug_ack_in_ = config_.power_ack_latency;
        if ((ctrl_ & kCsysPwrUpReq) && !(old & kCsysPwrUpReq)) system_ack_in_ = config_.power_ack_latency;
        if (!swd) clear_sticky(data & (kStickyOrun | kStickyCmp | kStickyErr));
        return;
    }
    case 0x8:
        log_.select_writes.push_back(data);
        select_ = data;
        return;
    default: return; // RDBUFF is read-only
    }
}

ArmApResult ArmDp::ap_access(bool read, std::uint8_t address, std::uint32_t data) {
    ArmAccessPort* port = selected_ap();
    if (!port) return {};
    const auto reg = static_cast<std::uint8_t>((select_ & 0xF0) | (address & 0xC));
    ArmApResult r = read ? port->read(reg) : port->write(reg, data);
    if (r.status == ArmApStatus::BusError) {
        sticky_ |= kStickyErr;
        if (read) sticky_ &= ~kReadOk;
    } else if (r.status == ArmApStatus::Busy) {
        stuck_ = true;
    } else if (read) {
        sticky_ |= kReadOk;
    }
    return r;
}

ArmDp::JtagCapture ArmDp::jtag_capture() {
    tick();
    if (busy_left_ > 0 || stuck_) {
        if (busy_left_ > 0) --busy_left_;
        ++log_.waits;
        return {true, 0};
    }
    return {false, read_result_};
}

void ArmDp::jtag_request(bool ap, bool read, std::uint8_t address, std::uint32_t data) {
    read_result_ = 0;
    if (!ap) {
        if (read) read_result_ = dp_read(address, false);
        else dp_write(address, data, false);
        accepted(class_of(ap, read));
        return;
    }
    if ((sticky_ | stuck_sticky_) & kStickyMask) return; // discarded while an error is sticky
    const ArmApResult r = ap_access(read, address, data);
    if (r.status != ArmApStatus::Ok) return;
    if (read) read_result_ = r.data;
    accepted(class_of(ap, read));
}

void ArmDp::jtag_abort(std::uint32_t data) { abort(data, false); }

ArmAck ArmDp::swd_request(bool ap, bool read, std::uint8_t address, std::uint32_t& read_data) {
    tick();
    read_data = 0;
    if (exempt(ap, read, address)) {
        if (read) {
            read_data = dp_read(address, true);
            ++log_.transactions;
        }
        return ArmAck::Ok;
    }
    ArmAccessPort* port = ap ? selected_ap() : nullptr;
    const auto reg = static_cast<std::uint8_t>((select_ & 0xF0) | (address & 0xC));
    if (busy_left_ > 0 || stuck_ || (port && port->busy(reg))) {
        if (busy_left_ > 0) --busy_left_;
        ++log_.waits;
        return ArmAck::Wait;
    }
    if ((sticky_ | stuck_sticky_) & kStickyMask) {
        ++log_.faults;
        return ArmAck::Fault;
    }
    if (!read) return ArmAck::Ok;
    if (ap) {
        const ArmApResult r = ap_access(true, address, 0);
        read_data = rdbuff_; // posted: the previous AP read's result
        resend_ = read_data;
        rdbuff_ = r.status == ArmApStatus::Ok ? r.data : 0;
    } else {
        read_data = dp_read(address, true);
    }
    accepted(class_of(ap, read));
    return ArmAck::Ok;
}

void ArmDp::swd_write_data(bool ap, std::uint8_t address, std::uint32_t data, bool parity_ok) {
    if (!parity_ok) {
        sticky_ |= kWDataErr; // the write is discarded
        return;
    }
    if (ap) {
        if (ap_access(false, address, data).status != ArmApStatus::Ok) return;
    } else {
        dp_write(address, data, true);
        if (address == 0x0) {
            ++log_.transactions; // ABORT: never held by the WAIT knobs
            return;
        }
    }
    accepted(class_of(ap, false));
}

} // namespace sim
