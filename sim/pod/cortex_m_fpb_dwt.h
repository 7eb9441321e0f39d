// The flash patch and breakpoint unit (FPB, 0xE0002000) and the data
// watchpoint and trace unit (DWT, 0xE0001000) of the simulated Cortex-M, as
// register blocks on the bus (arm_bus.h). The core (cortex_m_core.h) asks
// the FPB whether an instruction address hits a breakpoint and tells the DWT
// about every instruction it retires.
//
// FPB (version 1 layout):
//   FP_CTRL   ENABLE bit 0; a write takes effect only with KEY (bit 1) set.
//             NUM_CODE bits 7-4 (low) and 14-12 (high), NUM_LIT bits 11-8.
//   FP_REMAP  bits 28-5 kept on ARMv7-M; reads 0 on ARMv6-M.
//   FP_COMPn  at 0x008 + 4n: ENABLE bit 0, COMP bits 28-2, REPLACE bits 31-30.
//             REPLACE 01 breaks on the lower halfword of the word, 10 on the
//             upper one, 11 on both; 00 is a remap (no breakpoint).
// A code comparator hits an instruction fetched below 0x20000000 whose
// address bits 28-2 equal COMP and whose halfword REPLACE names, while the
// comparator and the unit are enabled. Literal comparators never break.
//
// DWT:
//   DWT_CTRL  NUMCOMP bits 31-28, NOTRCPKT 27, NOEXTTRIG 26, NOCYCCNT 25,
//             NOPRFCNT 24 (read-only); CYCCNTENA bit 0 and the other
//             control bits kept (ARMv7-M).
//   CYCCNT    counts the cycles of retired instructions while CYCCNTENA and
//             DEMCR.TRCENA are set; wraps from 0xFFFFFFFF to 0. ARMv6-M has
//             no cycle counter: NOCYCCNT reads 1 and CYCCNT reads 0.
//   PCSR      0xFFFFFFFF while the core is halted; while it runs, the address
//             of the instruction retired last.
//   COMPn, MASKn, FUNCTIONn at 0x020/0x024/0x028 + 16n: kept as written;
//             MASKn keeps only the implemented mask bits, FUNCTIONn keeps
//             CYCMATCH on comparator 0 and DATAVMATCH on the data-value
//             comparator only. No watchpoint matching is simulated.
#pragma once

#include <cstdint>
#include <vector>

#include "sim/pod/arm_bus.h"

namespace sim {

struct CortexMFpbConfig {
    unsigned code_comparators = 6; // 0..127
    unsigned literal_comparators = 2;
    bool v6m = false;
};

class CortexMFpb : public ArmBusDevice {
public:
    static constexpr std::uint32_t kBase = 0xE0002000;

    explicit CortexMFpb(const CortexMFpbConfig& config = {});

    bool read_word(std::uint32_t address, std::uint32_t& value) override;
    bool write_word(std::uint32_t address, std::uint32_t value, std::uint32_t byte_mask) override;

    bool breakpoint_at(std::uint32_t address) const;
    bool enabled() const { return enabled_; }
    std::uint32_t comparator(unsigned n) const { return n < comps_.size() ? comps_[n] : 0; }

private:
    CortexMFpbConfig config_;
    bool enabled_ = false;
    std::uint32_t remap_ = 0;
    std::vector<std::uint32_t> comps_;
};

struct CortexMDwtConfig {
    unsigned comparators = 4;       // 0..15
    std::uint32_t mask_bits = 0x1F; // implemented bits of MASKn
    int data_value_comparator = 1;  // -1: none
    bool v6m = false;
    bool has_pcsr = true;
};

class CortexMDwt : public ArmBusDevice {
public:
    static constexpr std::uint32_t kBase = 0xE0001000;

    explicit CortexMDwt(const CortexMDwtConfig& config = {});

    bool read_word(std::uint32_t address, std::uint32_t& value) override;
    bool write_word(std::uint32_t address, std::uint32_t value, std::uint32_t byte_mask) override;

    // From the core.
    void retired(std::uint32_t pc, unsigned cycles, bool trcena);
    void set_halted(bool halted) { halted_ = halted; }

    std::uint32_t cyccnt() const { return cyccnt_; }
    void set_cyccnt(std::uint32_t value) { cyccnt_ = value; }

private:
    struct Comparator {
        std::uint32_t comp = 0, mask = 0, function = 0;
    };

    CortexMDwtConfig config_;
    std::uint32_t ctrl_ = 0;
    std::uint32_t cyccnt_ = 0;
    std::uint32_t last_pc_ = 0xFFFFFFFF;
    bool halted_ = true;
    std::vector<Comparator> comps_;
};

} // namespace sim
