// The hardware breakpoint unit of the simulated TMS320C54x: ten 16-bit
// comparator addresses (scan register "PBR"), the control word that enables
// them (written through "JBPC") and the hit flags (captured as "JBPF").
//
// "PBR" holds, 16 bits each from bit 0: JDS1, JDS2 (data space), JPS1, JPS2
// (program space accessed as data), JIS1, JIS2 (I/O space), JPA1..JPA4
// (program addresses). The control word gives each of the first six two
// access bits (1 read, 2 write) at 2 x index, and JPA1..JPA4 one enable bit
// each at bits 12-15. A flag is set in the same layout when its comparator
// fires: the access bit that matched, or the JPA enable bit.
#pragma once

#include <array>
#include <cstdint>

#include "sim/pod/tap_device.h"
#include "sim/pod/tms320c54x_cpu.h"

namespace sim {

class C54xComparators : public C54xAccessObserver {
public:
    static constexpr unsigned kPbrBits = 160;
    static constexpr unsigned kComparators = 10;
    static constexpr unsigned kFirstProgramAddress = 6;  // JPA1

    Bits pbr_image() const;
    void load_pbr(const Bits& image);

    std::uint16_t control() const { return control_; }
    void set_control(std::uint16_t value) { control_ = value; }
    std::uint16_t flags() const { return flags_; }
    void clear_flags() { flags_ = 0; }

    std::uint16_t address(unsigned index) const { return address_.at(index); }
    void set_address(unsigned index, std::uint16_t value) { address_.at(index) = value; }

    // Before an instruction is fetched at `pc`: true when an enabled program
    // address comparator holds it (its flag is then set).
    bool check_fetch(std::uint16_t pc);

    // Data, program-as-data and I/O accesses of a running program.
    void on_access(const C54xAccess& access) override;
    // True when an access since the last call fired a comparator.
    bool take_access_hit();

private:
    std::array<std::uint16_t, kComparators> address_{};
    std::uint16_t control_ = 0;
    std::uint16_t flags_ = 0;
    bool access_hit_ = false;
};

} // namespace sim
