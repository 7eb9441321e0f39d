// The TMS320C54x target's scan registers as the chain sees them: lengths,
// captured values, the IR capture and the pool set's scan geometry.
#include <gtest/gtest.h>

#include "sim/pod/tms320c54x_scan_helpers.h"
#include "sim/pod/tms320c54x_target.h"

namespace sim {
namespace {

using c54x_scan::bits;
using c54x_scan::value;

C54xTargetConfig halted_config() {
    C54xTargetConfig c;
    c.power_up_halted = true;
    return c;
}

TEST(Tms320c54xScan, DataRegistersHaveTheirLengthsAndPowerUpValues) {
    struct Case {
        std::uint8_t ir;
        std::size_t bits;
        std::uint64_t captured;
    };
    const Case cases[] = {
        {0x07, 32, 0x1003AFDF},  // IDCODE
        {0x29, 12, 0xB6F},       // REV
        {0x77, 8, 0x00},         // STATUS: mode 0, nothing pending
        {0x10, 16, 0},           // ETDR
        {0x22, 16, 0},           // MPSDCTL
        {0x24, 17, 0},           // ECR
        {0x2B, 16, 0},           // JBPF
        {0x2A, 160, 0},          // PBR
        {0x20, 16, 0},           // pool set with no pool selected
        {0xFF, 1, 0},            // BYPASS
        {0x11, 1, 0},
        {0x28, 1, 0},
        {0x00, 1, 0},
    };
    for (const Case& c : cases) {
        Tms320c54xTarget t(halted_config());
        c54x_scan::ir(t, c.ir);
        const Bits captured = t.capture_dr();
        EXPECT_EQ(captured.size(), c.bits) << "IR 0x" << std::hex << int(c.ir);
        EXPECT_EQ(value(captured), c.captured) << "IR 0x" << std::hex << int(c.ir);
    }
}

TEST(Tms320c54xScan, IdcodeEndsInFdfAndIsSelectedByTestLogicReset) {
    Tms320c54xTarget t;
    c54x_scan::ir(t, 0xFF);
    t.reset();
    EXPECT_EQ(t.instruction(), c54x_ir::kIdcode);
    const std::uint64_t idcode = value(c54x_scan::dr(t));
    EXPECT_EQ(idcode & 0xFFF, 0xFDFu);
    EXPECT_EQ(idcode & 1, 1u);
}

TEST(Tms320c54xScan, IrCaptureIsTheStatusExceptForTheRevisionHalves) {
    Tms320c54xTarget t;  // powers up running: mode 2
    struct Step {
        std::uint8_t instruction;
        std::uint8_t next_capture;
    };
    const Step steps[] = {
        {0x28, 0x0B},  // high byte of 0xB6F
        {0x29, 0x6F},  // low byte
        {0x22, 0x80},  // back to the status: mode 2
        {0x28, 0x0B},
        {0x07, 0x80},
    };
    EXPECT_EQ(c54x_scan::ir(t, 0x22), 0x80);
    for (const Step& s : steps) {
        c54x_scan::ir(t, s.instruction);
        EXPECT_EQ(c54x_scan::ir(t, s.instruction), s.next_capture) << "after 0x" << std::hex << int(s.instruction);
    }
}

TEST(Tms320c54xScan, RevisionComesFromConfiguration) {
    C54xTargetConfig c;
    c.revision = 0xB6E;
    Tms320c54xTarget t(c);
    EXPECT_EQ(c54x_scan::read(t, 0x29), 0xB6Eu);
    c54x_scan::ir(t, 0x29);
    EXPECT_EQ(c54x_scan::ir(t, 0x28), 0x6E);
    EXPECT_EQ(c54x_scan::ir(t, 0x22), 0x0B);
}

TEST(Tms320c54xScan, WritableRegistersKeepWhatIsWrittenWithinTheirWidth) {
    struct Case {
        std::uint8_t ir;
        std::uint64_t written;
        std::uint64_t read_back;
    };
    const Case cases[] = {
        {0x24, 0x3FFFF, 0x1FFFF},  // ECR: 17 bits
        {0x24, 0x00208, 0x00208},
        {0x22, 0x1FFFF, 0xFFFF},   // MPSDCTL: 16 bits
        {0x10, 0xA55A, 0xA55A},    // ETDR
        {0x2B, 0xF00F, 0x0000},    // JBPC written, JBPF captured: no hit yet
        {0x07, 0x12345678, 0x1003AFDF},  // read-only
        {0x77, 0xFF, 0x00},
    };
    for (const Case& c : cases) {
        Tms320c54xTarget t(halted_config());
        c54x_scan::write(t, c.ir, c.written);
        EXPECT_EQ(c54x_scan::read(t, c.ir), c.read_back) << "IR 0x" << std::hex << int(c.ir);
    }
}

TEST(Tms320c54xScan, JbpcAndPbrLoadTheComparators) {
    Tms320c54xTarget t(halted_config());
    c54x_scan::write(t, 0x2B, 0xF00F);
    Bits pbr(160, false);
    // JDS2 (bits 16-31) = 0x8001, JPA4 (bits 144-159) = 0x1234.
    pbr[16] = pbr[31] = true;
    for (unsigned i = 0; i < 16; ++i) pbr[144 + i] = (0x1234 >> i) & 1u;
    c54x_scan::ir(t, 0x2A);
    c54x_scan::dr(t, &pbr);
    EXPECT_EQ(t.comparators().control(), 0xF00F);
    EXPECT_EQ(t.comparators().address(1), 0x8001);
    EXPECT_EQ(t.comparators().address(9), 0x1234);
    EXPECT_EQ(c54x_scan::dr(t), pbr);
}

TEST(Tms320c54xScan, PoolScanLengthFollowsMpsdctl) {
    struct Case {
        std::uint16_t select;
        std::size_t length;
    };
    const Case cases[] = {
        {0x0000, 16},   {0x0001, 118},  {0x0002, 334}, {0x0004, 91},
        {0x0008, 245},  {0x0010, 388},  {0x0005, 193}, {0x001F, 1112},
        {0xFFE0, 16},   // bits above pool 5 select nothing
        {0xFFFF, 1112},
    };
    for (const Case& c : cases) {
        Tms320c54xTarget t(halted_config());
        c54x_scan::write(t, 0x22, c.select);
        c54x_scan::ir(t, 0x20);
        EXPECT_EQ(t.capture_dr().size(), c.length) << "MPSDCTL 0x" << std::hex << c.select;
    }
}

// Pools 1 and 3 selected: 12 bits, separator, separator, pool 3 at 14,
// separator, separator, pool 1 at 91; 193 bits in all.
TEST(Tms320c54xScan, PoolFieldsSitAtTheirOffsetsInTheScan) {
    Tms320c54xTarget t(halted_config());
    t.cpu().pc = 0x1234;
    t.cpu().braf = true;
    c54x_scan::write(t, 0x22, 0x0005);
    c54x_scan::ir(t, 0x20);
    Bits scan = t.capture_dr();
    ASSERT_EQ(scan.size(), 193u);
    auto field = [&](unsigned at, unsigned width) {
        std::uint32_t v = 0;
        for (unsigned i = 0; i < width; ++i) v |= std::uint32_t{scan[at + i]} << i;
        return v;
    };
    EXPECT_EQ(field(91 + 0, 16), 0x1234u);   // PAR
    EXPECT_EQ(field(91 + 17, 16), 0x1234u);  // PC
    EXPECT_EQ(field(91 + 101, 1), 1u);       // BRAF, the last bit of the scan

    // Write cmd1 (pool 3 bit 59), CCOM (bit 22) and a new PC; set the
    // separators too, which must change nothing.
    for (unsigned i = 0; i < 16; ++i) {
        scan[14 + 59 + i] = (0x7D3F >> i) & 1u;
        scan[91 + 17 + i] = (0x0200 >> i) & 1u;
    }
    scan[14 + 22] = true;
    scan[12] = scan[13] = scan[89] = scan[90] = true;
    t.update_dr(scan);
    EXPECT_EQ(t.cpu().pc, 0x0200);
    EXPECT_EQ(t.pools().field(c54x_field::kCmd1), 0x7D3Fu);
    EXPECT_EQ(t.pools().field(c54x_field::kCcom), 1u);
    const Bits again = t.capture_dr();
    EXPECT_FALSE(again[12] || again[13] || again[89] || again[90]);
    EXPECT_EQ(again[91 + 17 + 9], true);  // PC 0x0200 read back
}

TEST(Tms320c54xScan, DpAndCplTravelInPoolTwo) {
    Tms320c54xTarget t(halted_config());
    c54x_scan::write(t, 0x22, 0x0002);
    c54x_scan::ir(t, 0x20);
    Bits scan = t.capture_dr();
    ASSERT_EQ(scan.size(), 334u);
    // Pool 2 alone starts after 12 bits and three separators.
    const unsigned base = 15;
    for (unsigned i = 0; i < 9; ++i) scan[base + 306 + i] = (0x155 >> i) & 1u;
    scan[base + 65] = true;
    t.update_dr(scan);
    EXPECT_EQ(t.cpu().dp, 0x155);
    EXPECT_TRUE(t.cpu().cpl);
    // ST0 and ST1 show them to the core.
    EXPECT_EQ(t.cpu().read(C54xSpace::Data, 6) & 0x1FF, 0x155);
    EXPECT_EQ(t.cpu().read(C54xSpace::Data, 7) & 0x4000, 0x4000);
}

TEST(Tms320c54xScan, UnselectedPoolsKeepTheCpuAsItIs) {
    Tms320c54xTarget t(halted_config());
    t.cpu().pc = 0x4444;
    t.cpu().dp = 7;
    c54x_scan::write(t, 0x22, 0x001C);  // pools 3-5 only
    c54x_scan::ir(t, 0x20);
    const Bits zeros(t.capture_dr().size(), false);
    t.update_dr(zeros);
    EXPECT_EQ(t.cpu().pc, 0x4444);
    EXPECT_EQ(t.cpu().dp, 7);
}

TEST(Tms320c54xScan, DisconnectedTargetCapturesOnesAndIgnoresWrites) {
    Tms320c54xTarget t(halted_config());
    t.faults().disconnected = true;
    EXPECT_TRUE(t.disconnected());
    EXPECT_EQ(c54x_scan::ir(t, 0x24), 0xFF);
    EXPECT_EQ(t.instruction(), c54x_ir::kIdcode);  // the update did not arrive
    EXPECT_EQ(value(c54x_scan::dr(t)), 0xFFFFFFFFu);
    t.faults().disconnected = false;
    c54x_scan::ir(t, 0x24);
    t.faults().disconnected = true;
    t.update_dr(bits(0x50, 17));
    t.faults().disconnected = false;
    EXPECT_EQ(c54x_scan::read(t, 0x24), 0u);
}

} // namespace
} // namespace sim
