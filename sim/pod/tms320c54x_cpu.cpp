#include "sim/pod/tms320c54x_cpu.h"

namespace sim {

namespace {

constexpr std::uint16_t kDpMask = 0x01FF;
constexpr std::uint16_t kCplBit = 0x4000;
constexpr std::uint16_t kBrafBit = 0x8000;
constexpr std::uint16_t kSxmBit = 0x0100;
// Reset values of the status registers: ST0 TC = C = 1, DP = 0; ST1 XF,
// INTM and SXM set, CPL and BRAF clear; PMST with IPTR = 0x1FF.
constexpr std::uint16_t kSt0Reset = 0x1800;
constexpr std::uint16_t kSt1Reset = 0x2900;
constexpr std::uint16_t kPmstReset = 0xFFE0;

constexpr std::int64_t kAccMask = (std::int64_t{1} << 40) - 1;

std::int64_t sign_extend_40(std::int64_t v) {
    v &= kAccMask;
    if (v & (std::int64_t{1} << 39)) v -= std::int64_t{1} << 40;
    return v;
}

} // namespace

C54xCpu::C54xCpu() : program_(kSpaceWords), data_(kSpaceWords), io_(kSpaceWords) {
    reset();
}

void C54xCpu::reset() {
    pc = kResetVector;
    dp = 0;
    cpl = false;
    braf = false;
    pending_repeat = 0;
    data_[c54x_addr::kSt0] = kSt0Reset;
    data_[c54x_addr::kSt1] = kSt1Reset;
    data_[c54x_addr::kPmst] = kPmstReset;
}

std::vector<std::uint16_t>& C54xCpu::memory(C54xSpace space) {
    if (space == C54xSpace::Program) return program_;
    if (space == C54xSpace::Io) return io_;
    return data_;
}

const std::vector<std::uint16_t>& C54xCpu::memory(C54xSpace space) const {
    if (space == C54xSpace::Program) return program_;
    if (space == C54xSpace::Io) return io_;
    return data_;
}

std::uint16_t C54xCpu::read(C54xSpace space, std::uint16_t address) const {
    if (space != C54xSpace::Data) return memory(space)[address];
    const std::uint16_t word = data_[address];
    switch (address) {
    case c54x_addr::kSt0: return static_cast<std::uint16_t>((word & ~kDpMask) | (dp & kDpMask));
    case c54x_addr::kSt1:
        return static_cast<std::uint16_t>((word & ~(kCplBit | kBrafBit)) | (cpl ? kCplBit : 0) |
                                          (braf ? kBrafBit : 0));
    case c54x_addr::kEtdr: return etdr;
    default: return word;
    }
}

void C54xCpu::write(C54xSpace space, std::uint16_t address, std::uint16_t value) {
    if (space != C54xSpace::Data) {
        memory(space)[address] = value;
        return;
    }
    switch (address) {
    case c54x_addr::kSt0: dp = value & kDpMask; break;
    case c54x_addr::kSt1:
        cpl = (value & kCplBit) != 0;
        braf = (value & kBrafBit) != 0;
        break;
    case c54x_addr::kEtdr: etdr = value; return;
    default: break;
    }
    data_[address] = value;
}

std::int64_t C54xCpu::accumulator(bool b) const {
    const std::uint16_t base = b ? c54x_addr::kBl : c54x_addr::kAl;
    const std::int64_t v = std::int64_t{data_[base]} | (std::int64_t{data_[base + 1]} << 16) |
                           (std::int64_t{data_[base + 2] & 0xFF} << 32);
    return sign_extend_40(v);
}

void C54xCpu::set_accumulator(bool b, std::int64_t value) {
    const std::uint16_t base = b ? c54x_addr::kBl : c54x_addr::kAl;
    const std::uint64_t v = static_cast<std::uint64_t>(value & kAccMask);
    data_[base] = static_cast<std::uint16_t>(v);
    data_[base + 1] = static_cast<std::uint16_t>(v >> 16);
    // AG reads back with bit 39 repeated above its 8 bits.
    const std::uint16_t guard = static_cast<std::uint16_t>((v >> 32) & 0xFF);
    data_[base + 2] = static_cast<std::uint16_t>((guard & 0x80) ? (guard | 0xFF00) : guard);
}

bool C54xCpu::sxm() const { return (data_[c54x_addr::kSt1] & kSxmBit) != 0; }

std::int64_t C54xCpu::extend(std::uint16_t value) const {
    return sxm() ? std::int64_t{static_cast<std::int16_t>(value)} : std::int64_t{value};
}

std::uint16_t C54xCpu::access_read(C54xSpace space, std::uint16_t address) {
    if (observer_) observer_->on_access({space, false, address});
    return read(space, address);
}

void C54xCpu::access_write(C54xSpace space, std::uint16_t address, std::uint16_t value) {
    if (observer_) observer_->on_access({space, true, address});
    write(space, address, value);
}

std::uint16_t C54xCpu::smem_address(std::uint8_t smem, bool* ok) {
    *ok = true;
    if ((smem & 0x80) == 0) {
        const std::uint16_t offset = smem & 0x7F;
        // Direct addressing: the page comes from DP, or the stack pointer
        // when CPL is set; this is why the debugger clears both while halted.
        if (cpl) return static_cast<std::uint16_t>(data_[c54x_addr::kSp] + offset);
        return static_cast<std::uint16_t>(((dp & kDpMask) << 7) | offset);
    }
    const unsigned mod = (smem >> 3) & 0xF;
    std::uint16_t& ar = data_[c54x_addr::kAr0 + (smem & 7)];
    switch (mod) {
    case 0: return ar;
    case 1: return ar--;
    case 2: return ar++;
    case 3: return ++ar;
    default: *ok = false; return 0;
    }
}

C54xCpu::Effect C54xCpu::execute(const std::array<std::uint16_t, 3>& words, unsigned repetition) {
    const std::uint16_t op = words[0];
    const std::uint16_t w1 = words[1];
    const auto smem = static_cast<std::uint8_t>(op & 0xFF);
    const bool acc_b = (op & 0x0100) != 0;
    const auto moved = static_cast<std::uint16_t>(w1 + repetition);
    Effect e;
    bool ok = true;

    switch (op) {
    case kOpNop: return e;
    case kOpEstop: e.outcome = Outcome::Estop; return e;
    case kOpRptLong:
        pending_repeat = std::uint32_t{w1} + 1;
        e.length = 2;
        return e;
    case 0xF073:  // B pmad
        e.length = 2;
        e.branch = w1;
        return e;
    default: break;
    }

    switch (op & 0xFF00) {
    case 0xEC00:  // RPT #K
        pending_repeat = std::uint32_t{smem} + 1;
        return e;
    case 0x6C00: {  // BANZ pmad, Sind: branch while the auxiliary register is not 0
        e.length = 2;
        if ((smem & 0x80) == 0) break;
        const bool taken = data_[c54x_addr::kAr0 + (smem & 7)] != 0;
        smem_address(smem, &ok);
        if (!ok) break;
        if (taken) e.branch = w1;
        return e;
    }
    case 0x7600: {  // ST #lk, Smem
        e.length = 2;
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        access_write(C54xSpace::Data, a, w1);
        return e;
    }
    case 0x7700:  // STM #lk, MMR: page 0 whatever DP holds
        e.length = 2;
        access_write(C54xSpace::Data, smem & 0x7F, w1);
        return e;
    case 0x7000: {  // MVKD dmad, Smem
        e.length = 2;
        const std::uint16_t v = access_read(C54xSpace::Data, moved);
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        access_write(C54xSpace::Data, a, v);
        return e;
    }
    case 0x7100: {  // MVDK Smem, dmad
        e.length = 2;
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        access_write(C54xSpace::Data, moved, access_read(C54xSpace::Data, a));
        return e;
    }
    case 0x7C00: {  // MVPD pmad, Smem
        e.length = 2;
        const std::uint16_t v = access_read(C54xSpace::Program, moved);
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        access_write(C54xSpace::Data, a, v);
        return e;
    }
    case 0x7D00: {  // MVDP Smem, pmad
        e.length = 2;
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        access_write(C54xSpace::Program, moved, access_read(C54xSpace::Data, a));
        return e;
    }
    case 0x7400: {  // PORTR PA, Smem: the port address does not advance
        e.length = 2;
        const std::uint16_t v = access_read(C54xSpace::Io, w1);
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        access_write(C54xSpace::Data, a, v);
        return e;
    }
    case 0x7500: {  // PORTW Smem, PA
        e.length = 2;
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        access_write(C54xSpace::Io, w1, access_read(C54xSpace::Data, a));
        return e;
    }
    default: break;
    }
    if (!ok) {
        e.outcome = Outcome::Undefined;
        return e;
    }

    switch (op & 0xFE00) {
    case 0x1000: {  // LD Smem, dst
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        set_accumulator(acc_b, extend(access_read(C54xSpace::Data, a)));
        return e;
    }
    case 0xE800:  // LD #K, dst
        set_accumulator(acc_b, smem);
        return e;
    case 0x0000:  // ADD Smem, src
    case 0x0800: {  // SUB Smem, src
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        const std::int64_t v = extend(access_read(C54xSpace::Data, a));
        const std::int64_t acc = accumulator(acc_b);
        set_accumulator(acc_b, (op & 0x0800) ? acc - v : acc + v);
        return e;
    }
    case 0x8000:  // STL src, Smem
    case 0x8400: {  // STH src, Smem
        const std::uint16_t a = smem_address(smem, &ok);
        if (!ok) break;
        const std::int64_t acc = accumulator(acc_b);
        const auto v = static_cast<std::uint16_t>((op & 0x0400) ? (acc >> 16) : acc);
        access_write(C54xSpace::Data, a, v);
        return e;
    }
    default: break;
    }
    if (ok && (op & 0xFCF0) == 0xF000) {  // ADD #lk, SHFT, src, dst
        e.length = 2;
        const bool src_b = (op & 0x0200) != 0;
        const std::int64_t v = extend(w1) * (std::int64_t{1} << (op & 0xF));
        set_accumulator(acc_b, accumulator(src_b) + v);
        return e;
    }
    e.outcome = Outcome::Undefined;
    return e;
}

C54xCpu::Effect C54xCpu::step() {
    const std::array<std::uint16_t, 3> words{program_[pc], program_[static_cast<std::uint16_t>(pc + 1)],
                                             program_[static_cast<std::uint16_t>(pc + 2)]};
    const std::uint32_t count = pending_repeat == 0 ? 1 : pending_repeat;
    pending_repeat = 0;
    Effect e;
    for (std::uint32_t r = 0; r < count; ++r) {
        e = execute(words, r);
        if (e.outcome != Outcome::Completed) break;
    }
    if (e.outcome == Outcome::Undefined) return e;
    pc = e.branch ? *e.branch : static_cast<std::uint16_t>(pc + e.length);
    return e;
}

} // namespace sim
