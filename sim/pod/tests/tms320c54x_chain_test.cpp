// The TMS320C54x target clocked through a scan chain, with a BYPASS-only
// device between it and TDO, so that every scan of the target has a bit
// after it.
#include <gtest/gtest.h>

#include "sim/pod/generic_device.h"
#include "sim/pod/scan_chain.h"
#include "sim/pod/tms320c54x_target.h"

namespace sim {
namespace {

class Chain : public ::testing::Test {
protected:
    Chain() {
        target = &chain.emplace<Tms320c54xTarget>();
        GenericDeviceConfig after;
        after.ir_length = 3;
        chain.emplace<GenericDevice>(after);
        tms("111110");  // Test-Logic-Reset, Run-Test/Idle
    }

    void tms(const char* bits) {
        for (const char* c = bits; *c; ++c) chain.clock(*c == '1', false);
    }
    // From Run-Test/Idle through Shift, back to Run-Test/Idle via Update.
    std::uint64_t scan(const char* to_shift, std::uint64_t in, unsigned length) {
        tms(to_shift);
        std::uint64_t out = 0;
        for (unsigned i = 0; i < length; ++i) {
            const bool tdo = chain.clock(i + 1 == length, ((in >> i) & 1u) != 0);
            if (tdo) out |= std::uint64_t{1} << i;
        }
        tms("10");
        return out;
    }
    // The target's instruction is shifted in after the other device's 3 ones.
    std::uint8_t ir(std::uint8_t instruction) {
        return static_cast<std::uint8_t>(scan("1100", 0x7 | (std::uint64_t{instruction} << 3), 11) >> 3);
    }
    // The other device's BYPASS bit comes first on TDO.
    std::uint64_t dr(std::uint64_t in, unsigned target_bits) {
        return scan("100", in << 1, target_bits + 1) >> 1;
    }
    // Length of the DR path in bits, target plus BYPASS.
    unsigned dr_path_length() {
        tms("100");
        for (int i = 0; i < 1200; ++i) chain.clock(false, true);
        chain.clock(false, false);
        unsigned n = 1;
        while (n < 1200 && chain.clock(false, true)) ++n;
        tms("110");
        return n;
    }

    ScanChain chain;
    Tms320c54xTarget* target = nullptr;
};

TEST_F(Chain, IdcodeAndStatusCaptureThroughTheChain) {
    EXPECT_EQ(dr(0, 32) & 0xFFF, 0xFDFu);
    EXPECT_EQ(ir(0x29), 0x80);  // status: running after power-up
    EXPECT_EQ(dr(0, 12), 0xB6Fu);
    EXPECT_EQ(ir(0x28), 0x6F);
    EXPECT_EQ(ir(0x22), 0x0B);
}

TEST_F(Chain, PoolPathLengthFollowsMpsdctlWrittenThroughTheChain) {
    const struct {
        std::uint16_t select;
        unsigned length;
    } cases[] = {{0x0000, 16}, {0x0005, 193}, {0x001F, 1112}};
    for (const auto& c : cases) {
        ir(c54x_ir::kMpsdctl);
        dr(c.select, 16);
        ir(c54x_ir::kPoolSet);
        EXPECT_EQ(dr_path_length(), c.length + 1) << "MPSDCTL 0x" << std::hex << c.select;
    }
}

TEST_F(Chain, RunTestIdleClocksRunTheProgram) {
    ir(c54x_ir::kEcr);
    dr(0x08, 17);
    ir(c54x_ir::kModeChange);  // halt
    target->cpu().pc = 0x0100;  // zeros: one-word instructions
    tms("0000");
    EXPECT_EQ(target->cpu().pc, 0x0100);
    ir(c54x_ir::kEcr);
    dr(0x50, 17);
    const std::uint16_t before = target->cpu().pc;
    ir(c54x_ir::kModeChange);  // run, ending on entry to Run-Test/Idle
    tms("00000000");
    EXPECT_EQ(target->cpu().pc - before, 8);
}

} // namespace
} // namespace sim
