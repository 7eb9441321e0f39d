#include "sim/pod/cortex_m_core.h"

#include <cstdio>
#include <string>

namespace sim {

namespace {

constexpr std::uint32_t kDebugEn = 1u << 0, kHalt = 1u << 1, kStep = 1u << 2, kMaskInts = 1u << 3;
constexpr std::uint32_t kDfsrHalted = 1u << 0, kDfsrBkpt = 1u << 1, kDfsrVcatch = 1u << 3;
constexpr std::uint32_t kTrcEna = 1u << 24, kVcCoreReset = 1u << 0;

std::string hex(std::uint32_t v) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(v));
    return text;
}

} // namespace

bool cortex_m_is_v6m(CortexMPart part) { return part == CortexMPart::M0 || part == CortexMPart::M1; }

std::uint32_t cortex_m_default_cpuid(CortexMPart part) {
    switch (part) {
    case CortexMPart::M0: return 0x410CC200;
    case CortexMPart::M1: return 0x410CC210;
    case CortexMPart::M3: return 0x412FC231;
    case CortexMPart::M4: return 0x410FC241;
    }
    return 0;
}

CortexMCore::CortexMCore(ArmBus& bus, CortexMFpb& fpb, CortexMDwt& dwt, const CortexMCoreConfig& config)
    : bus_(bus), fpb_(fpb), dwt_(dwt), config_(config), v6m_(cortex_m_is_v6m(config.part)),
      cpuid_(config.cpuid ? config.cpuid : cortex_m_default_cpuid(config.part)) {
    power_on_reset();
}

void CortexMCore::power_on_reset() {
    control_ = 0;
    demcr_ = 0;
    dfsr_ = 0;
    prigroup_ = 0;
    dcrdr_ = 0;
    reset(CortexMResetKind::PowerOn);
}

std::uint32_t CortexMCore::xpsr_mask() const {
    if (v6m_) return 0xF100003Fu;
    return config_.part == CortexMPart::M4 ? 0xFF0FFDFFu : 0xFF00FDFFu;
}

bool CortexMCore::selector_valid(unsigned selector) const { return selector <= kPsp || selector == kSpecial; }

std::uint32_t CortexMCore::reg(unsigned selector) const {
    if (selector <= 12) return r_[selector];
    switch (selector) {
    case kSp: return (control_reg_ & 2) ? psp_ : msp_;
    case kLr: return r_[14];
    case kPc: return pc_;
    case kXpsr: return xpsr_;
    case kMsp: return msp_;
    case kPsp: return psp_;
    case kSpecial: return (control_reg_ << 24) | (faultmask_ << 16) | (basepri_ << 8) | primask_;
    default: return 0;
    }
}

void CortexMCore::set_reg(unsigned selector, std::uint32_t value) {
    if (selector <= 12) {
        r_[selector] = value;
        return;
    }
    switch (selector) {
    case kSp: ((control_reg_ & 2) ? psp_ : msp_) = value & ~3u; return;
    case kLr: r_[14] = value; return;
    case kPc:
        if (value & 1) violations_.push_back({ArmViolationKind::OddReturnAddress, hex(value)});
        pc_ = value & ~1u;
        return;
    case kXpsr: xpsr_ = value & xpsr_mask(); return;
    case kMsp: msp_ = value & ~3u; return;
    case kPsp: psp_ = value & ~3u; return;
    case kSpecial: {
        const std::uint32_t control_bits = v6m_ ? 0x2u : (config_.part == CortexMPart::M4 ? 0x7u : 0x3u);
        control_reg_ = (value >> 24) & control_bits;
        faultmask_ = v6m_ ? 0 : (value >> 16) & 1;
        basepri_ = v6m_ ? 0 : (value >> 8) & 0xFF;
        primask_ = value & 1;
        return;
    }
    default: return;
    }
}

bool CortexMCore::regrdy() const { return halted_ && bus_.debugger_accesses() > regrdy_after_; }

void CortexMCore::halt(std::uint32_t dfsr_bit) {
    halted_ = true;
    control_ |= kHalt;
    dfsr_ |= dfsr_bit;
    dwt_.set_halted(true);
}

void CortexMCore::resume() {
    halted_ = false;
    dwt_.set_halted(false);
}

void CortexMCore::reset(CortexMResetKind kind) {
    resets_.push_back(kind);
    lockup_ = false;
    std::uint32_t sp = 0, pc = 0;
    bus_.peek32(0x0, sp);
    bus_.peek32(0x4, pc);
    msp_ = sp & ~3u;
    pc_ = pc & ~1u;
    xpsr_ = 0x01000000;
    r_[14] = 0xFFFFFFFF;
    primask_ = basepri_ = faultmask_ = control_reg_ = 0;
    reset_st_ = true;
    dcrdr_pending_ = false;
    if ((demcr_ & kVcCoreReset) && (control_ & kDebugEn)) {
        halt(kDfsrVcatch);
        return;
    }
    control_ &= ~(kHalt | kStep);
    resume();
}

bool CortexMCore::execute_one() {
    if (lockup_) return false;
    const bool debug = (control_ & kDebugEn) != 0;
    if (debug && fpb_.breakpoint_at(pc_)) {
        halt(kDfsrBkpt);
        return false;
    }
    std::uint16_t hw = 0;
    if (!bus_.peek16(pc_, hw)) {
        lockup_ = true;
        return false;
    }
    if ((hw & 0xFF00) == 0xBE00) {
        if (debug) halt(kDfsrBkpt);
        else lockup_ = true;
        return false;
    }
    const std::uint32_t at = pc_;
    if ((hw & 0xF800) == 0xE000) {
        std::int32_t offset = hw & 0x7FF;
        if (offset & 0x400) offset -= 0x800;
        pc_ = at + 4 + static_cast<std::uint32_t>(offset * 2);
    } else {
        pc_ = at + (hw >= 0xE800 ? 4 : 2);
    }
    retire_st_ = true;
    ++retired_;
    dwt_.retired(at, config_.cycles_per_instruction, (demcr_ & kTrcEna) != 0);
    return true;
}

void CortexMCore::set_reset_line(bool asserted) {
    if (asserted && !reset_line_) reset(CortexMResetKind::Pin);
    reset_line_ = asserted;
}

void CortexMCore::advance(unsigned instructions) {
    if (reset_line_) return;
    for (unsigned i = 0; i < instructions && !halted_ && !lockup_; ++i) execute_one();
}

std::uint32_t CortexMCore::read_dhcsr() {
    std::uint32_t value = control_ & 0xFFFF;
    if (regrdy()) value |= 1u << 16;
    if (halted_) value |= 1u << 17;
    if (lockup_) value |= 1u << 19;
    if (retire_st_) value |= 1u << 24;
    if (reset_st_) value |= 1u << 25;
    retire_st_ = false;
    reset_st_ = false;
    return value;
}

void CortexMCore::write_dhcsr(std::uint32_t value) {
    dhcsr_writes_.push_back(value);
    if ((value >> 16) != 0xA05F) return;
    const std::uint32_t next = value & (v6m_ ? 0x0Fu : 0x2Fu);
    if (((next ^ control_) & kMaskInts) && !((control_ & kHalt) && (next & kHalt)))
        violations_.push_back({ArmViolationKind::MaskIntsWithoutHalt, "DHCSR " + hex(value)});
    if (!(next & kDebugEn)) {
        control_ = 0;
        if (halted_) resume();
        return;
    }
    control_ = next;
    if (next & kHalt) {
        if (!halted_) halt(kDfsrHalted);
        return;
    }
    if (!halted_) return;
    resume();
    if (next & kStep) {
        if (execute_one()) halt(kDfsrHalted);
    }
}

void CortexMCore::write_dcrsr(std::uint32_t value) {
    if (!halted_) {
        violations_.push_back({ArmViolationKind::RegisterTransferWhileRunning, "DCRSR " + hex(value)});
        return;
    }
    const unsigned selector = value & (v6m_ ? 0x1Fu : 0x7Fu);
    const bool write = (value & 0x10000) != 0;
    const bool valid = selector_valid(selector);
    if (!valid) violations_.push_back({ArmViolationKind::UnknownRegisterSelector, "DCRSR " + hex(value)});
    if (write) {
        if (valid) set_reg(selector, dcrdr_);
        dcrdr_pending_ = false;
    } else {
        dcrdr_next_ = valid ? reg(selector) : 0;
        dcrdr_pending_ = true;
    }
    regrdy_after_ = bus_.debugger_accesses() + config_.regrdy_latency;
}

void CortexMCore::write_aircr(std::uint32_t value) {
    if ((value >> 16) != 0x05FA) return;
    if (!v6m_) prigroup_ = (value >> 8) & 7;
    if (value & 4) reset(CortexMResetKind::System);
    else if ((value & 1) && !v6m_) reset(CortexMResetKind::Core);
}

bool CortexMCore::read_word(std::uint32_t address, std::uint32_t& value) {
    switch (address) {
    case kCpuid: value = cpuid_; return true;
    case kAircr: value = 0xFA050000u | (prigroup_ << 8); return true;
    case kDfsr: value = dfsr_; return true;
    case kDhcsr: value = read_dhcsr(); return true;
    case kDcrdr:
        if (dcrdr_pending_ && regrdy()) {
            dcrdr_ = dcrdr_next_;
            dcrdr_pending_ = false;
        }
        value = dcrdr_;
        return true;
    case kDemcr: value = demcr_; return true;
    default: value = 0; return true;
    }
}

bool CortexMCore::write_word(std::uint32_t address, std::uint32_t value, std::uint32_t byte_mask) {
    if (byte_mask != 0xF) return true;
    switch (address) {
    case kAircr: write_aircr(value); return true;
    case kDfsr: dfsr_ &= ~value; return true;
    case kDhcsr: write_dhcsr(value); return true;
    case kDcrsr: write_dcrsr(value); return true;
    case kDcrdr:
        dcrdr_ = value;
        dcrdr_pending_ = false;
        return true;
    case kDemcr: demcr_ = value & (v6m_ ? 0x01000401u : 0x010F07F1u); return true;
    default: return true;
    }
}

} // namespace sim
