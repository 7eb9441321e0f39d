#include "sim/pod/arm_sw_dp.h"

#include <string>
#include <utility>

namespace sim {

namespace {

constexpr unsigned kLineResetClocks = 50;

bool bit(unsigned value, unsigned n) { return ((value >> n) & 1u) != 0; }

unsigned ack_code(ArmAck ack) {
    switch (ack) {
    case ArmAck::Ok: return 0b001;
    case ArmAck::Wait: return 0b010;
    case ArmAck::Fault: return 0b100;
    default: return 0;
    }
}

} // namespace

ArmSwDp::ArmSwDp(ArmDp& dp, const ArmSwDpConfig& config)
    : dp_(dp), phase_(config.starts_in_swd ? Phase::Idle : Phase::Jtag) {}

std::optional<bool> ArmSwDp::drive() {
    switch (phase_) {
    case Phase::Ack: return bit(ack_code(ack_), count_);
    case Phase::ReadData: return bit(word_ >> count_, 0);
    case Phase::ReadParity: return arm_parity32(word_);
    default: return std::nullopt;
    }
}

void ArmSwDp::report(ArmViolationKind kind, std::string detail) {
    detail += " at clock " + std::to_string(clock_index_);
    pending_.push_back({{kind, std::move(detail)}, clock_index_});
}

void ArmSwDp::settle(bool level) {
    if (ones_ == kLineResetClocks) {
        // Ones that grew into a line reset were not a packet after all.
        std::erase_if(pending_, [&](const Pending& p) { return p.clock >= run_start_; });
        return;
    }
    if (level || select_active_) return;
    for (Pending& p : pending_) violations_.push_back(std::move(p.violation));
    pending_.clear();
}

void ArmSwDp::lock_out() {
    phase_ = Phase::Lockout;
    lockout_start_ = clock_index_ + 1;
    lockout_traffic_logged_ = false;
}

void ArmSwDp::line_reset() {
    ++counters_.line_resets;
    if (phase_ == Phase::Jtag) return;
    phase_ = Phase::Reset;
    need_dpidr_ = true;
}

void ArmSwDp::watch_select(bool level, unsigned ones_before) {
    if (!select_active_) {
        if (level || ones_before < kLineResetClocks) return;
        select_active_ = true;
        select_bits_ = 0;
        select_word_ = 0;
    }
    if (level) select_word_ = static_cast<std::uint16_t>(select_word_ | (1u << select_bits_));
    ++select_bits_;
    const unsigned mask = (1u << select_bits_) - 1;
    const bool to_swd = (select_word_ & mask) == (kSelectSwd & mask);
    const bool to_jtag = (select_word_ & mask) == (kSelectJtag & mask);
    if (!to_swd && !to_jtag) {
        select_active_ = false; // what the bits did is logged as it settles
        return;
    }
    if (select_bits_ < 16) return;
    select_active_ = false;
    pending_.clear();
    if (to_swd) {
        ++counters_.selects_swd;
        lock_out(); // a line reset must follow before the first packet
        lockout_traffic_logged_ = false;
    } else {
        ++counters_.selects_jtag;
        phase_ = Phase::Jtag;
    }
}

void ArmSwDp::evaluate_header() {
    const bool ap = bit(header_, 1), read = bit(header_, 2);
    const auto address = static_cast<std::uint8_t>(((header_ >> 3) & 3u) << 2);
    const bool parity = bit(header_, 1) ^ bit(header_, 2) ^ bit(header_, 3) ^ bit(header_, 4);
    const std::string what = std::string(ap ? "AP" : "DP") + (read ? " read " : " write ") + std::to_string(address);
    if (parity != bit(header_, 5)) {
        report(ArmViolationKind::HeaderParity, what);
        lock_out();
        return;
    }
    if (bit(header_, 6) || !bit(header_, 7)) {
        report(ArmViolationKind::HeaderFraming, what);
        lock_out();
        return;
    }
    if (need_dpidr_ && (ap || !read || address != 0)) {
        report(ArmViolationKind::FirstPacketNotDpidr, what);
        lock_out();
        return;
    }
    if (no_response_ > 0) {
        if (no_response_ != kForever) --no_response_;
        ++counters_.no_replies;
        phase_ = Phase::NoReply;
        count_ = 0;
        return;
    }
    ++counters_.packets;
    need_dpidr_ = false;
    ack_ = dp_.swd_request(ap, read, address, word_);
    phase_ = Phase::Turn;
}

void ArmSwDp::clock(bool level, bool host_driving) {
    const unsigned ones_before = ones_;
    if (level) {
        if (ones_++ == 0) run_start_ = clock_index_;
    } else {
        if (phase_ == Phase::Lockout && ones_ > 0 && ones_ < kLineResetClocks && run_start_ >= lockout_start_ &&
            !lockout_traffic_logged_) {
            lockout_traffic_logged_ = true;
            report(ArmViolationKind::TrafficDuringLockout, "host traffic");
        }
        ones_ = 0;
    }
    watch_select(level, ones_before);

    if (ones_ == kLineResetClocks) {
        line_reset();
    } else {
        switch (phase_) {
        case Phase::Jtag:
        case Phase::Lockout: break;
        case Phase::Reset:
            if (!level) phase_ = Phase::Idle;
            break;
        case Phase::Idle:
            if (level) {
                header_ = 1;
                count_ = 1;
                phase_ = Phase::Header;
            }
            break;
        case Phase::Header:
            if (level) header_ = static_cast<std::uint8_t>(header_ | (1u << count_));
            if (++count_ == 8) evaluate_header();
            break;
        case Phase::Turn:
            if (host_driving) ++counters_.turnaround_driven;
            phase_ = Phase::Ack;
            count_ = 0;
            break;
        case Phase::Ack:
            if (++count_ < 3) break;
            count_ = 0;
            if (ack_ != ArmAck::Ok) phase_ = Phase::TurnAfter;
            else phase_ = bit(header_, 2) ? Phase::ReadData : Phase::WriteTurn;
            break;
        case Phase::ReadData:
            if (++count_ == 32) phase_ = Phase::ReadParity;
            break;
        case Phase::ReadParity: phase_ = Phase::TurnAfter; break;
        case Phase::TurnAfter:
        case Phase::WriteTurn:
            if (host_driving) ++counters_.turnaround_driven;
            if (phase_ == Phase::WriteTurn) {
                phase_ = Phase::WriteData;
                word_ = 0;
                count_ = 0;
            } else {
                phase_ = Phase::Idle;
            }
            break;
        case Phase::WriteData:
            if (level) word_ |= 1u << count_;
            if (++count_ == 32) phase_ = Phase::WriteParity;
            break;
        case Phase::WriteParity: {
            const bool ok = level == arm_parity32(word_);
            if (!ok) ++counters_.write_parity_errors;
            const auto address = static_cast<std::uint8_t>(((header_ >> 3) & 3u) << 2);
            dp_.swd_write_data(bit(header_, 1), address, word_, ok);
            phase_ = Phase::Idle;
            break;
        }
        case Phase::NoReply:
            if (++count_ == 4) phase_ = Phase::Idle;
            break;
        }
    }
    settle(level);
    ++clock_index_;
}

} // namespace sim
