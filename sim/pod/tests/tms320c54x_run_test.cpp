// The run executor: small programs, hardware comparators, ESTOP, target
// reset and virtual time through Run-Test/Idle clocks.
#include <gtest/gtest.h>

#include <initializer_list>

#include "sim/pod/tms320c54x_scan_helpers.h"
#include "sim/pod/tms320c54x_target.h"

namespace sim {
namespace {

constexpr std::uint16_t kOrigin = 0x0100;
constexpr unsigned kBudget = 1000;

class Run : public ::testing::Test {
protected:
    Run() : probe(t) { probe.halt(); }

    void load(std::initializer_list<std::uint16_t> words) {
        auto& prog = t.cpu().memory(C54xSpace::Program);
        std::uint16_t a = kOrigin;
        for (std::uint16_t w : words) prog[a++] = w;
        t.cpu().pc = kOrigin;
    }
    std::uint16_t& data(std::uint16_t a) { return t.cpu().memory(C54xSpace::Data)[a]; }

    // Comparator `index` (0 JDS1 .. 9 JPA4) at `address`, scanned into PBR.
    void set_comparator(unsigned index, std::uint16_t address) {
        Bits pbr = t.comparators().pbr_image();
        for (unsigned i = 0; i < 16; ++i) pbr[16 * index + i] = (address >> i) & 1u;
        c54x_scan::ir(t, c54x_ir::kPbr);
        c54x_scan::dr(t, &pbr);
    }
    void set_control(std::uint16_t jbpc) { c54x_scan::write(t, c54x_ir::kJbp, jbpc); }
    std::uint16_t jbpf() { return static_cast<std::uint16_t>(c54x_scan::read(t, c54x_ir::kJbp)); }

    Tms320c54xTarget t;
    c54x_scan::Probe probe;
};

// Sums data 0x200..0x203 into data 0x300 with a BANZ loop, then stops.
TEST_F(Run, LoopProgramRunsToEstop) {
    load({
        0x7711, 3,        // STM #3, AR1
        0x7712, 0x0200,   // STM #0x200, AR2
        0x7713, 0x0300,   // STM #0x300, AR3
        0xE800,           // LD #0, A
        0x0092,           // 0x107: ADD *AR2+, A
        0x6C89, 0x0107,   // BANZ 0x107, *AR1-
        0x8083,           // STL A, *AR3
        0xF4F0,           // ESTOP at 0x10B
        0xF495,
    });
    data(0x200) = 1;
    data(0x201) = 2;
    data(0x202) = 3;
    data(0x203) = 0xFFFC;  // -4 with SXM set at reset
    probe.run();
    EXPECT_EQ(t.advance(kBudget), 14u);
    EXPECT_EQ(data(0x300), 2);
    EXPECT_EQ(t.cpu().pc, 0x010C);
    EXPECT_FALSE(t.running());
    // Halted by itself: still mode 2 in the status, with the ESTOP bit.
    EXPECT_EQ(probe.status(), 0x80 | c54x_status::kEstop);
    EXPECT_EQ(t.advance(kBudget), 0u);
}

TEST_F(Run, InstructionsBehaveAsEncoded) {
    struct Case {
        const char* name;
        std::initializer_list<std::uint16_t> program;
        std::uint16_t address;
        std::uint16_t expected;
    };
    const Case cases[] = {
        {"ST #lk, direct with DP 0", {0x7640, 0xABCD, 0xF4F0}, 0x0040, 0xABCD},
        {"LD #K then STL", {0xE87F, 0x8041, 0xF4F0}, 0x0041, 0x007F},
        {"LD #K, B then STL B", {0xE905, 0x8141, 0xF4F0}, 0x0041, 0x0005},
        {"ADD #lk, 4 shifts", {0xE801, 0xF004, 0x0010, 0x8042, 0xF4F0}, 0x0042, 0x0101},
        {"SUB Smem", {0xE803, 0x7650, 0x0001, 0x0850, 0x8043, 0xF4F0}, 0x0043, 0x0002},
        {"STH stores bits 31-16", {0xE801, 0xF00F, 0x0003, 0x8444, 0xF4F0}, 0x0044, 0x0001},
        {"B skips a store", {0xF073, 0x0104, 0x7645, 0xDEAD, 0xF4F0}, 0x0045, 0x0000},
        {"RPT #K repeats MVDK", {0x7712, 0x0200, 0xEC02, 0x7192, 0x0500, 0xF4F0}, 0x0502, 0x0033},
        {"RPT #lku repeats MVKD into *AR2+", {0x7712, 0x0600, 0xF070, 1, 0x7092, 0x0210, 0xF4F0}, 0x0601, 0x0044},
        {"MVDP then MVPD", {0x7712, 0x0200, 0x7D82, 0x9000, 0x7712, 0x0700, 0x7C82, 0x9000, 0xF4F0}, 0x0700, 0x0011},
        {"PORTW then PORTR", {0x7712, 0x0201, 0x7582, 0x0040, 0x7712, 0x0701, 0x7482, 0x0040, 0xF4F0}, 0x0701, 0x0022},
    };
    for (const Case& c : cases) {
        Tms320c54xTarget target;
        auto& prog = target.cpu().memory(C54xSpace::Program);
        auto& mem = target.cpu().memory(C54xSpace::Data);
        std::uint16_t a = kOrigin;
        for (std::uint16_t w : c.program) prog[a++] = w;
        mem[0x200] = 0x11;
        mem[0x201] = 0x22;
        mem[0x202] = 0x33;
        mem[0x211] = 0x44;
        target.cpu().pc = kOrigin;
        target.advance(kBudget);
        EXPECT_EQ(target.status() & 0x1F, c54x_status::kEstop) << c.name;
        EXPECT_EQ(mem[c.address], c.expected) << c.name;
    }
}

TEST_F(Run, EnabledProgramAddressComparatorHaltsBeforeTheInstruction) {
    load({0xF495, 0xF495, 0x7640, 0x0001, 0xF495, 0xF4F0});
    for (unsigned k = 0; k < 4; ++k) {
        t.cpu().pc = kOrigin;
        data(0x40) = 0;
        set_comparator(6 + k, kOrigin + 2);
        set_control(static_cast<std::uint16_t>(0x1000u << k));
        probe.run();
        t.advance(kBudget);
        EXPECT_EQ(t.cpu().pc, kOrigin + 2) << "JPA" << k + 1;
        EXPECT_EQ(data(0x40), 0) << "the instruction at the comparator did not run";
        EXPECT_EQ(probe.status(), 0x80 | c54x_status::kComparator);
        EXPECT_EQ(jbpf(), 0x1000u << k);
        set_comparator(6 + k, 0);
        probe.halt();
    }
}

TEST_F(Run, DisabledComparatorDoesNotHalt) {
    load({0xF495, 0xF495, 0xF4F0});
    set_comparator(6, kOrigin + 1);
    set_control(0x2000);  // JPA2 enabled, JPA1 holds the address
    probe.run();
    t.advance(kBudget);
    EXPECT_EQ(t.cpu().pc, kOrigin + 3);
    EXPECT_EQ(probe.status(), 0x80 | c54x_status::kEstop);
    EXPECT_EQ(jbpf(), 0);
}

TEST_F(Run, AccessComparatorsHaltAfterTheMatchingAccess) {
    struct Case {
        const char* name;
        unsigned comparator;
        std::uint16_t control;
        std::uint16_t flags;
        bool halts;
    };
    // The program reads data 0x50, writes data 0x51, writes program 0x9000
    // and reads port 0x60.
    const Case cases[] = {
        {"data read JDS1", 0, 0x0001, 0x0001, true},
        {"data write JDS2", 1, 0x0008, 0x0008, true},
        {"data read only, address written", 1, 0x0004, 0, false},
        {"code write JPS1", 2, 0x0020, 0x0020, true},
        {"I/O read JIS2", 5, 0x0400, 0x0400, true},
    };
    const std::uint16_t addresses[] = {0x50, 0x51, 0x9000, 0x9000, 0x60, 0x60};
    for (const Case& c : cases) {
        Tms320c54xTarget target;
        c54x_scan::Probe p(target);
        p.halt();
        auto& prog = target.cpu().memory(C54xSpace::Program);
        const std::uint16_t program[] = {0x1050, 0x8051, 0x7712, 0x0050, 0x7D82, 0x9000,
                                         0x7712, 0x0052, 0x7482, 0x0060, 0xF4F0};
        std::uint16_t a = kOrigin;
        for (std::uint16_t w : program) prog[a++] = w;
        target.cpu().pc = kOrigin;
        target.comparators().set_address(c.comparator, addresses[c.comparator]);
        c54x_scan::write(target, c54x_ir::kJbp, c.control);
        p.run();
        target.advance(kBudget);
        EXPECT_EQ((target.status() & c54x_status::kComparator) != 0, c.halts) << c.name;
        EXPECT_EQ(target.comparators().flags(), c.flags) << c.name;
        if (c.halts) {
            EXPECT_NE(target.cpu().pc, kOrigin + 11) << c.name << ": stopped before the ESTOP";
        }
    }
}

TEST_F(Run, SelfHaltedCpuStaysHaltedUntilStartedAgain) {
    load({0xF4F0, 0xF495, 0xF495, 0xF4F0});
    probe.run();
    t.advance(kBudget);
    EXPECT_EQ(t.cpu().pc, kOrigin + 1);
    // The mode change to 3 after an ESTOP in mode 2 must not resume it.
    probe.mode_change(0x78, false);
    EXPECT_EQ(t.advance(kBudget), 0u);
    EXPECT_EQ(probe.status(), 0xC0 | c54x_status::kEstop);
    probe.halt();
    EXPECT_EQ(probe.status(), c54x_status::kEstop);  // the cause stays readable
    probe.run();
    EXPECT_EQ(probe.status(), 0x80);
    t.advance(kBudget);
    EXPECT_EQ(t.cpu().pc, kOrigin + 4);
    // A step starts clean: the poll after it must not see the old ESTOP.
    probe.halt();
    probe.place(0, 0, 0);
    probe.execute();
    EXPECT_EQ(probe.status(), 0x40);
}

TEST_F(Run, UndefinedInstructionHaltsOnIt) {
    load({0xF495, 0xFFFF, 0xF4F0});
    probe.run();
    t.advance(kBudget);
    EXPECT_EQ(t.cpu().pc, kOrigin + 1);
    EXPECT_EQ(probe.status(), 0x80 | c54x_status::kUndefined);
}

TEST_F(Run, IdleClocksDriveTheExecutorOnlyWhileRunning) {
    C54xTargetConfig config;
    config.instructions_per_idle_clock = 2;
    Tms320c54xTarget target(config);
    c54x_scan::Probe p(target);
    p.halt();
    target.cpu().pc = kOrigin;  // zeros: ADD Smem, A, one word each
    for (int i = 0; i < 3; ++i) target.on_idle_clock();
    EXPECT_EQ(target.cpu().pc, kOrigin);
    p.run();
    for (int i = 0; i < 3; ++i) target.on_idle_clock();
    EXPECT_EQ(target.cpu().pc, kOrigin + 6);
}

TEST_F(Run, TargetResetThroughIrResetsTheCoreAndKeepsMemory) {
    struct Case {
        bool stuck;
        std::uint8_t status_after_release;
    };
    const Case cases[] = {{false, 0x00}, {true, c54x_status::kReset}};
    for (const Case& c : cases) {
        Tms320c54xTarget target;
        c54x_scan::Probe p(target);
        p.halt();
        target.faults().reset_stuck = c.stuck;
        target.cpu().pc = 0x1234;
        target.cpu().dp = 0x55;
        target.cpu().cpl = true;
        target.cpu().memory(C54xSpace::Data)[0x800] = 0x9999;
        target.cpu().memory(C54xSpace::Data)[7] = 0x0000;
        c54x_scan::ir(target, c54x_ir::kResetAssert);
        // The status read keeps the reset instruction, as a debugger's does.
        EXPECT_EQ(c54x_scan::ir(target, c54x_ir::kResetAssert), c54x_status::kReset);
        EXPECT_EQ(c54x_scan::read(target, c54x_ir::kStatus), c54x_status::kReset);
        c54x_scan::ir(target, c54x_ir::kResetRelease);
        EXPECT_EQ(c54x_scan::ir(target, c54x_ir::kResetRelease), c.status_after_release);
        EXPECT_EQ(target.cpu().pc, 0xFF80);
        EXPECT_EQ(target.cpu().read(C54xSpace::Data, 6), 0x1800);
        EXPECT_EQ(target.cpu().read(C54xSpace::Data, 7), 0x2900);
        EXPECT_EQ(target.cpu().memory(C54xSpace::Data)[0x800], 0x9999);
        EXPECT_EQ(target.cpu_mode(), 0u);
    }
}

TEST_F(Run, ResetWhileRunningRunsOnFromTheResetVector) {
    auto& prog = t.cpu().memory(C54xSpace::Program);
    prog[0xFF80] = 0x7640;  // ST #0x0077, data 0x40
    prog[0xFF81] = 0x0077;
    prog[0xFF82] = 0xF4F0;
    load({0xF495, 0xF495, 0xF073, kOrigin});
    probe.run();
    t.advance(5);
    c54x_scan::ir(t, c54x_ir::kResetAssert);
    EXPECT_EQ(t.advance(kBudget), 0u);
    c54x_scan::ir(t, c54x_ir::kResetRelease);
    t.advance(kBudget);
    EXPECT_EQ(data(0x40), 0x0077);
    EXPECT_EQ(t.cpu().pc, 0xFF83);
}

// The run continues from wherever the pools put PC: a debugger that skips
// writing PC back resumes at the halt address.
TEST_F(Run, PoolOneSetsWhereTheRunResumes) {
    load({0xF4F0, 0x7640, 0x0001, 0xF4F0});
    probe.run();
    t.advance(kBudget);
    ASSERT_EQ(t.cpu().pc, kOrigin + 1);
    probe.halt();
    probe.edit_pools(0x01, [](C54xPoolSet& p) {
        p.set_field(c54x_field::kPar, kOrigin + 3);
        p.set_field(c54x_field::kPc, kOrigin + 3);
    });
    probe.run();
    t.advance(kBudget);
    EXPECT_EQ(t.cpu().pc, kOrigin + 4);
    EXPECT_EQ(data(0x40), 0);
}

} // namespace
} // namespace sim
