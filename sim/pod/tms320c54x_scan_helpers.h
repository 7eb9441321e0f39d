// Scans straight into one TMS320C54x target, without a chain: each helper
// does what one pass through Capture, Shift and Update does to the device.
// For tests that pin the target's own behaviour.
#pragma once

#include <cstdint>

#include "sim/pod/tms320c54x_target.h"

namespace sim::c54x_scan {

inline Bits bits(std::uint64_t value, unsigned count) {
    Bits b(count);
    for (unsigned i = 0; i < count && i < 64; ++i) b[i] = (value >> i) & 1u;
    return b;
}

inline std::uint64_t value(const Bits& b) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < b.size() && i < 64; ++i)
        if (b[i]) v |= std::uint64_t{1} << i;
    return v;
}

// IR scan: returns the captured byte, then updates with `instruction`.
inline std::uint8_t ir(TapDevice& dev, std::uint8_t instruction) {
    const Bits captured = dev.capture_ir();
    dev.update_ir(bits(instruction, dev.ir_length()));
    return static_cast<std::uint8_t>(value(captured));
}

// DR scan of the selected register: returns the capture; writes `in` when
// given (resized to the capture's length), else the capture itself, as the
// pod's non-destructive read does.
inline Bits dr(TapDevice& dev, const Bits* in = nullptr) {
    const Bits captured = dev.capture_dr();
    Bits update = in ? *in : captured;
    update.resize(captured.size(), false);
    dev.update_dr(update);
    return captured;
}

inline std::uint64_t read(TapDevice& dev, std::uint8_t instruction) {
    ir(dev, instruction);
    return value(dr(dev));
}

inline std::uint64_t write(TapDevice& dev, std::uint8_t instruction, std::uint64_t v) {
    ir(dev, instruction);
    const Bits captured = dev.capture_dr();
    dev.update_dr(bits(v, static_cast<unsigned>(captured.size())));
    return value(captured);
}

// Drives the emulation the way a debugger does, one scan at a time: for
// tests of the target that need a halted CPU, pools and fed instructions.
class Probe {
public:
    explicit Probe(Tms320c54xTarget& target) : t_(target) {}

    std::uint8_t status() { return ir(t_, c54x_ir::kMpsdctl); }

    void set_ecr(std::uint32_t ecr) { write(t_, c54x_ir::kEcr, ecr); }
    void mode_change(std::uint32_t ecr_request, bool execute) {
        set_ecr(ecr_request);
        ir(t_, execute ? c54x_ir::kExecute : c54x_ir::kModeChange);
    }
    void halt() { mode_change(0x08, false); }
    void run() { mode_change(0x50, false); }

    // Reads the pools selected by `select` into `image`, lets `edit` change
    // it and writes it back: the target's own layout does the packing, which
    // the layout tests pin separately.
    template <class Edit>
    void edit_pools(std::uint16_t select, Edit edit) {
        write(t_, c54x_ir::kMpsdctl, select);
        ir(t_, c54x_ir::kPoolSet);
        const Bits captured = t_.capture_dr();
        C54xPoolSet image;
        image.update(select, captured);
        edit(image);
        t_.update_dr(image.capture(select));
    }

    // The selected pools as the target captures them (a read that writes
    // back what it captured), and a write of the selected pools of `image`.
    C54xPoolSet read_pools(std::uint16_t select) {
        write(t_, c54x_ir::kMpsdctl, select);
        ir(t_, c54x_ir::kPoolSet);
        C54xPoolSet image;
        image.update(select, dr(t_));
        return image;
    }
    void write_pools(std::uint16_t select, const C54xPoolSet& image) {
        write(t_, c54x_ir::kMpsdctl, select);
        ir(t_, c54x_ir::kPoolSet);
        const Bits in = image.capture(select);
        dr(t_, &in);
    }

    void set_dp_cpl(std::uint16_t dp, bool cpl) {
        edit_pools(0x02, [&](C54xPoolSet& p) {
            p.set_field(c54x_field::kDp, dp);
            p.set_field(c54x_field::kCpl, cpl);
        });
    }

    // Places an instruction in pool 3 with "CCOM" = ccom, without executing.
    void place(std::uint16_t opcode, std::uint16_t operand, std::uint32_t ccom = 1) {
        edit_pools(0x04, [&](C54xPoolSet& p) {
            p.set_field(c54x_field::kCmd1, opcode);
            p.set_field(c54x_field::kCmd2, operand);
            p.set_field(c54x_field::kCcom, ccom);
        });
    }
    void execute() { mode_change(0x08, true); }
    void feed(std::uint16_t opcode, std::uint16_t operand) {
        place(opcode, operand);
        execute();
    }

    std::uint16_t etdr() { return static_cast<std::uint16_t>(read(t_, c54x_ir::kModeChange)); }
    void set_etdr(std::uint16_t v) { write(t_, c54x_ir::kModeChange, v); }

private:
    Tms320c54xTarget& t_;
};

} // namespace sim::c54x_scan
