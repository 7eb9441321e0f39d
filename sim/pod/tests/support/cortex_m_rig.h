// A Cortex-M target with a small program, driven by a test the way the
// MEM-AP would drive it: word accesses on the bus, counted as debugger
// accesses.
//
// Program (Thumb): vector table SP 0x20001000, reset 0x00000101;
// 0x0F0-0x11E NOPs, 0x120 B 0x100 (a loop of seventeen instructions from
// 0x100), 0x200 BKPT, 0x300 a 32-bit BL, 0x304 NOP, 0x306 B 0x306.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "sim/pod/cortex_m_target.h"

namespace sim::test {

inline CortexMTargetConfig part_config(CortexMPart part) {
    CortexMTargetConfig c;
    c.part = part;
    return c;
}

struct CortexMRig {
    explicit CortexMRig(const CortexMTargetConfig& config = {}) : t(config) {
        ArmBus& bus = t.bus();
        bus.poke32(0x0, 0x20001000);
        bus.poke32(0x4, 0x00000101);
        for (std::uint32_t a = 0xF0; a < 0x120; a += 2) bus.poke16(a, 0xBF00);
        bus.poke16(0x120, 0xE7EE);
        bus.poke16(0x200, 0xBE00);
        bus.poke16(0x300, 0xF000);
        bus.poke16(0x302, 0xF800);
        bus.poke16(0x304, 0xBF00);
        bus.poke16(0x306, 0xE7FE);
        t.core().power_on_reset();
        t.core().clear_logs();
    }

    std::uint32_t rd(std::uint32_t address) {
        std::uint32_t v = 0;
        EXPECT_TRUE(t.bus().read(address, 4, v)) << std::hex << address;
        return v;
    }
    void wr(std::uint32_t address, std::uint32_t value) {
        EXPECT_TRUE(t.bus().write(address, 4, value)) << std::hex << address;
    }
    void halt() { wr(CortexMCore::kDhcsr, 0xA05F0003); }
    void run() { wr(CortexMCore::kDhcsr, 0xA05F0001); }
    void step() { wr(CortexMCore::kDhcsr, 0xA05F0005); }
    // Halted core, register transfer through DCRSR/DCRDR.
    void write_reg(unsigned selector, std::uint32_t value) {
        wr(CortexMCore::kDcrdr, value);
        wr(CortexMCore::kDcrsr, 0x10000 | selector);
    }
    std::uint32_t read_reg(unsigned selector) {
        wr(CortexMCore::kDcrsr, selector);
        return rd(CortexMCore::kDcrdr);
    }

    CortexMTarget t;
};

} // namespace sim::test
