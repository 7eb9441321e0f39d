#include "sim/pod/tms320c54x_target.h"

namespace sim {

namespace {

constexpr unsigned kIdcodeBits = 32;
constexpr unsigned kRevBits = 12;
constexpr unsigned kStatusBits = 8;
constexpr unsigned kEtdrBits = 16;
constexpr unsigned kMpsdctlBits = 16;
constexpr unsigned kJbpBits = 16;

// ECR low byte: what the next 0x10/0x11 asks of the CPU.
constexpr std::uint32_t kEcrHalt = 0x08;
constexpr std::uint32_t kEcrRun = 0x50;
constexpr std::uint32_t kEcrRunFree = 0x78;

constexpr C54xPoolField kHaltAddressInRacomm{2, 0, 1};  // bit 0 of "D3J_M2M5"

// The halt context the target writes into pools 3-5 (index 2-4).
constexpr C54xPoolField kHaltNumber3{2, 6, 16};
constexpr C54xPoolField kHaltPc{3, 0, 16};
constexpr C54xPoolField kHaltWord0{3, 16, 16};
constexpr C54xPoolField kHaltNumber4{3, 32, 16};
constexpr C54xPoolField kHaltWord1{4, 0, 16};
constexpr C54xPoolField kHaltNumber5{4, 16, 16};
// Where a fed instruction leaves its two words.
constexpr C54xPoolField kFedInPool4{3, 0, 32};
constexpr C54xPoolField kFedInPool5{4, 0, 32};
// The bits of pool 3 a debugger may set in an emptied pipeline, with "CCL"
// in pool 4.
constexpr C54xPoolField kPipelineStart{2, 0, 6};  // "M3bl_M5" / "D3J_M2M5"

bool in_field(const C54xPoolField& f, unsigned pool, unsigned bit) {
    return f.pool == pool && bit >= f.position && bit < f.position + f.width;
}

Bits to_bits(std::uint32_t value, unsigned count) {
    Bits bits(count);
    for (unsigned i = 0; i < count; ++i) bits[i] = (value >> i) & 1u;
    return bits;
}

std::uint32_t from_bits(const Bits& bits) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < bits.size() && i < 32; ++i)
        if (bits[i]) value |= std::uint32_t{1} << i;
    return value;
}

} // namespace

Tms320c54xTarget::Tms320c54xTarget(const C54xTargetConfig& config)
    : config_(config), mode_(config.power_up_halted ? 0 : 2) {
    keep_halt_context();  // power-up: an empty pipeline
}

std::uint8_t Tms320c54xTarget::status() const {
    std::uint8_t s = causes_;
    if (error_ || faults_.status_error) s |= c54x_status::kError;
    if (in_reset_) s |= c54x_status::kReset;
    return static_cast<std::uint8_t>(s | (mode_ << c54x_status::kModeShift));
}

bool Tms320c54xTarget::running() const { return mode_ >= 2 && !halted_ && !in_reset_; }

Bits Tms320c54xTarget::capture_ir() {
    if (faults_.disconnected) return Bits(kIrLength, true);
    if (instruction_ == c54x_ir::kRevHigh) return to_bits(config_.revision >> 8, kIrLength);
    if (instruction_ == c54x_ir::kRevLow) return to_bits(config_.revision & 0xFF, kIrLength);
    return to_bits(status(), kIrLength);
}

void Tms320c54xTarget::update_ir(const Bits& instruction) {
    if (faults_.disconnected) return;
    instruction_ = static_cast<std::uint8_t>(from_bits(instruction));
    switch (instruction_) {
    case c54x_ir::kModeChange: change_mode(false); break;
    case c54x_ir::kExecute: change_mode(true); break;
    case c54x_ir::kResetAssert: core_reset(true); break;
    case c54x_ir::kResetRelease:
        if (!faults_.reset_stuck) core_reset(false);
        break;
    default: break;
    }
}

Bits Tms320c54xTarget::capture_dr() {
    Bits image;
    switch (instruction_) {
    case c54x_ir::kIdcode: image = to_bits(config_.idcode, kIdcodeBits); break;
    case c54x_ir::kRevLow: image = to_bits(config_.revision, kRevBits); break;
    case c54x_ir::kStatus: image = to_bits(status(), kStatusBits); break;
    case c54x_ir::kModeChange: image = to_bits(cpu_.etdr, kEtdrBits); break;
    case c54x_ir::kMpsdctl: image = to_bits(mpsdctl_, kMpsdctlBits); break;
    case c54x_ir::kEcr: image = to_bits(ecr_, kEcrBits); break;
    case c54x_ir::kJbp: image = to_bits(comparators_.flags(), kJbpBits); break;
    case c54x_ir::kPbr: image = comparators_.pbr_image(); break;
    case c54x_ir::kPoolSet:
        pools_from_cpu();
        image = pools_.capture(mpsdctl_);
        break;
    default: image = Bits{false}; break;  // BYPASS
    }
    if (faults_.disconnected) image.assign(image.size(), true);
    return image;
}

void Tms320c54xTarget::update_dr(const Bits& value) {
    if (faults_.disconnected) return;
    switch (instruction_) {
    case c54x_ir::kModeChange:
        if (value.size() == kEtdrBits) cpu_.etdr = static_cast<std::uint16_t>(from_bits(value));
        break;
    case c54x_ir::kMpsdctl:
        if (value.size() == kMpsdctlBits) mpsdctl_ = static_cast<std::uint16_t>(from_bits(value));
        break;
    case c54x_ir::kEcr:
        if (value.size() == kEcrBits) ecr_ = from_bits(value);
        break;
    case c54x_ir::kJbp:
        if (value.size() == kJbpBits) comparators_.set_control(static_cast<std::uint16_t>(from_bits(value)));
        break;
    case c54x_ir::kPbr: comparators_.load_pbr(value); break;
    case c54x_ir::kPoolSet:
        if (value.size() != C54xPoolSet::scan_length(mpsdctl_)) break;
        pools_.update(mpsdctl_, value);
        cpu_from_pools(mpsdctl_);
        break;
    default: break;  // read-only registers and BYPASS
    }
}

void Tms320c54xTarget::reset() { instruction_ = c54x_ir::kIdcode; }

void Tms320c54xTarget::on_idle_clock() { advance(config_.instructions_per_idle_clock); }

const C54xPoolSet& Tms320c54xTarget::pools() {
    pools_from_cpu();
    return pools_;
}

void Tms320c54xTarget::change_mode(bool execute) {
    if (faults_.mode_change_stuck) return;
    const std::uint32_t request = ecr_ & 0xFF;
    if (request == kEcrHalt) {
        if (!execute) {
            enter_mode(0);
            return;
        }
        const bool was_halted = mode_ < 2 || halted_;
        enter_mode(1);
        if (!was_halted || in_reset_) return;
        const std::uint32_t ccom = pools_.field(c54x_field::kCcom);
        if (ccom == 1) {
            execute_fed();
        } else if (ccom == 0) {
            if (refuse_resume()) return;
            ++single_steps_;
            if (cpu_.step().outcome == C54xCpu::Outcome::Undefined) causes_ |= c54x_status::kUndefined;
            record_halt();
        }
        return;
    }
    if (execute) return;
    if (request == kEcrRun) enter_mode(2);
    if (request == kEcrRunFree) enter_mode(3);
}

void Tms320c54xTarget::enter_mode(unsigned mode) {
    if (mode >= 2) {
        // Starting from a halt clears what the last halt reported; a move
        // between the two running modes leaves a self-halted CPU halted.
        if (mode_ < 2) {
            halted_ = false;
            causes_ = 0;
            comparators_.clear_flags();
            mode_ = mode;
            // A context the CPU cannot run from leaves it halted at once.
            if (refuse_resume()) halted_ = true;
            return;
        }
        mode_ = mode;
        return;
    }
    // Halting a CPU that runs (or is held in reset while in a running
    // mode) leaves its context in the pools.
    if (mode_ >= 2 && !halted_) record_halt();
    if (mode == 1) causes_ = 0;
    halted_ = false;
    mode_ = mode;
}

void Tms320c54xTarget::execute_fed() {
    ++fed_executions_;
    const std::array<std::uint16_t, 3> words{static_cast<std::uint16_t>(pools_.field(c54x_field::kCmd1)),
                                             static_cast<std::uint16_t>(pools_.field(c54x_field::kCmd2)),
                                             static_cast<std::uint16_t>(pools_.field(c54x_field::kCmd3))};
    // The fed instruction goes through the pipeline and stays in it.
    const std::uint32_t in_pipeline = words[0] | (std::uint32_t{words[1]} << 16);
    pools_.set_field(kFedInPool4, in_pipeline);
    pools_.set_field(kFedInPool5, in_pipeline);
    C54xCpu::Effect effect;
    if (fed_repeat_armed_) {
        effect = cpu_.execute(words, fed_repeat_index_++);
        if (--fed_repeat_left_ == 0) fed_repeat_armed_ = false;
    } else if (cpu_.pending_repeat > 0) {
        fed_repeat_armed_ = true;
        fed_repeat_left_ = cpu_.pending_repeat;
        fed_repeat_index_ = 0;
        cpu_.pending_repeat = 0;
        return;
    } else {
        effect = cpu_.execute(words, 0);
    }
    if (effect.outcome == C54xCpu::Outcome::Undefined) error_ = true;
}

unsigned Tms320c54xTarget::advance(unsigned max_instructions) {
    unsigned done = 0;
    cpu_.set_observer(&comparators_);
    while (done < max_instructions && running()) {
        if (comparators_.check_fetch(cpu_.pc)) {
            halt(c54x_status::kComparator);
            break;
        }
        const C54xCpu::Effect effect = cpu_.step();
        ++done;
        if (effect.outcome == C54xCpu::Outcome::Estop) halt(c54x_status::kEstop);
        if (effect.outcome == C54xCpu::Outcome::Undefined) halt(c54x_status::kUndefined);
        if (comparators_.take_access_hit()) halt(c54x_status::kComparator);
    }
    cpu_.set_observer(nullptr);
    return done;
}

void Tms320c54xTarget::halt(std::uint8_t cause) {
    halted_ = true;
    causes_ |= cause;
    record_halt();
}

void Tms320c54xTarget::core_reset(bool asserted) {
    if (!asserted) {
        in_reset_ = false;
        return;
    }
    cpu_.reset();
    in_reset_ = true;
    halted_ = false;
    causes_ = 0;
    error_ = false;
    fed_repeat_armed_ = false;
    reset_line_at_core_reset_ = reset_line_;
    // Reset empties the pipeline: pools 3-5 read 0 but for the fields a
    // debugger writes when it starts the CPU at a new PC.
    for (unsigned pool = 2; pool < C54xPoolSet::kPools; ++pool) pools_.clear_pool(pool);
    pools_.set_field(c54x_field::kD3jM2M5, 16);
    pools_.set_field(c54x_field::kCcl, 4);
    keep_halt_context();
}

void Tms320c54xTarget::on_target_reset_line(bool asserted) {
    if (asserted && !reset_line_) ++reset_line_assertions_;
    reset_line_ = asserted;
}

void Tms320c54xTarget::record_halt() {
    ++halt_number_;
    const std::uint16_t number = static_cast<std::uint16_t>(halt_number_);
    const auto& prog = cpu_.memory(C54xSpace::Program);
    pools_.set_field(kHaltNumber3, number);
    pools_.set_field(kHaltNumber4, number);
    pools_.set_field(kHaltNumber5, number);
    pools_.set_field(kHaltPc, cpu_.pc);
    pools_.set_field(kHaltWord0, prog[cpu_.pc]);
    pools_.set_field(kHaltWord1, prog[static_cast<std::uint16_t>(cpu_.pc + 1)]);
    keep_halt_context();
}

void Tms320c54xTarget::keep_halt_context() {
    pools_from_cpu();
    for (unsigned i = 0; i < 3; ++i) halt_context_[i] = pools_.pool(2 + i);
}

bool Tms320c54xTarget::pipeline_empty() const {
    for (unsigned pool = 2; pool < C54xPoolSet::kPools; ++pool) {
        const Bits& bits = pools_.pool(pool);
        for (unsigned bit = 0; bit < bits.size(); ++bit) {
            if (!bits[bit]) continue;
            if (in_field(kPipelineStart, pool, bit) || in_field(c54x_field::kCcl, pool, bit)) continue;
            return false;
        }
    }
    return true;
}

bool Tms320c54xTarget::context_resumable() const {
    if (pipeline_empty()) return true;
    for (unsigned i = 0; i < 3; ++i)
        if (pools_.pool(2 + i) != halt_context_[i]) return false;
    return true;
}

bool Tms320c54xTarget::refuse_resume() {
    if (context_resumable()) return false;
    ++context_errors_;
    error_ = true;
    return true;
}

void Tms320c54xTarget::pools_from_cpu() {
    pools_.set_field(c54x_field::kPar, cpu_.pc);
    pools_.set_field(c54x_field::kPc, cpu_.pc);
    pools_.set_field(c54x_field::kBraf, cpu_.braf);
    pools_.set_field(c54x_field::kCpl, cpu_.cpl);
    pools_.set_field(c54x_field::kDp, cpu_.dp);
    pools_.set_field(kHaltAddressInRacomm, 0);
    pools_.set_field(c54x_field::kFixKl, 0);
}

void Tms320c54xTarget::cpu_from_pools(std::uint16_t select) {
    if (select & 0x01) {
        cpu_.pc = static_cast<std::uint16_t>(pools_.field(c54x_field::kPc));
        cpu_.braf = pools_.field(c54x_field::kBraf) != 0;
    }
    if (select & 0x02) {
        cpu_.cpl = pools_.field(c54x_field::kCpl) != 0;
        cpu_.dp = static_cast<std::uint16_t>(pools_.field(c54x_field::kDp));
    }
}

} // namespace sim
