// CPU modes, fed instructions and the direct addressing they rely on.
#include <gtest/gtest.h>

#include <vector>

#include "sim/pod/tms320c54x_scan_helpers.h"
#include "sim/pod/tms320c54x_target.h"

namespace sim {
namespace {

class Emulation : public ::testing::Test {
protected:
    Emulation() : probe(t) {
        probe.halt();
        probe.set_dp_cpl(0, false);
    }

    std::uint16_t data(std::uint16_t a) { return t.cpu().memory(C54xSpace::Data)[a]; }

    // The block moves as a debugger builds them: a repeat of n - 1, the
    // move instruction with the address, then one execute per word.
    void write_block(std::uint16_t move, std::uint16_t address, const std::vector<std::uint16_t>& words) {
        probe.feed(C54xCpu::kOpRptLong, static_cast<std::uint16_t>(words.size() - 1));
        probe.feed(move, address);
        for (std::uint16_t w : words) {
            probe.set_etdr(w);
            probe.execute();
        }
    }
    std::vector<std::uint16_t> read_block(std::uint16_t move, std::uint16_t address, std::size_t n) {
        probe.feed(C54xCpu::kOpRptLong, static_cast<std::uint16_t>(n - 1));
        probe.feed(move, address);
        std::vector<std::uint16_t> out;
        for (std::size_t i = 0; i < n; ++i) {
            probe.execute();
            out.push_back(probe.etdr());
        }
        return out;
    }

    Tms320c54xTarget t;
    c54x_scan::Probe probe;
};

TEST_F(Emulation, ModeFollowsEcrWhenModeInstructionsPassUpdateIr) {
    struct Case {
        std::uint32_t ecr;
        bool execute;
        unsigned mode;
    };
    const Case cases[] = {
        {0x008, false, 0}, {0x008, true, 1},  {0x050, false, 2}, {0x078, false, 3},
        {0x208, false, 0}, {0x278, false, 3},  // the emulation bit changes nothing
        {0x050, true, 0},  {0x078, true, 0},   // 0x11 only halts into mode 1
        {0x000, false, 0}, {0x018, false, 0},
    };
    for (const Case& c : cases) {
        probe.halt();
        probe.mode_change(c.ecr, c.execute);
        EXPECT_EQ(t.cpu_mode(), c.mode) << "ECR 0x" << std::hex << c.ecr << " execute " << c.execute;
        EXPECT_EQ(probe.status() >> 6, c.mode);
        EXPECT_EQ(c54x_scan::read(t, c54x_ir::kStatus) >> 6, c.mode);
    }
}

TEST_F(Emulation, ModeChangesOnEveryUpdateIrNotOnTheEcrWrite) {
    probe.set_ecr(0x50);
    EXPECT_EQ(t.cpu_mode(), 0u);
    c54x_scan::ir(t, c54x_ir::kModeChange);
    EXPECT_EQ(t.cpu_mode(), 2u);
    probe.set_ecr(0x08);
    EXPECT_EQ(t.cpu_mode(), 2u);
    // Selecting ETDR is itself a mode change.
    probe.etdr();
    EXPECT_EQ(t.cpu_mode(), 0u);
    // The same execute instruction passing Update-IR twice runs twice.
    probe.place(0x0000, 0);  // ADD Smem, A: harmless
    const unsigned before = t.fed_executions();
    c54x_scan::ir(t, c54x_ir::kExecute);
    c54x_scan::ir(t, c54x_ir::kExecute);
    EXPECT_EQ(t.fed_executions(), before + 2);
}

TEST_F(Emulation, StuckModeChangeNeverReachesTheMode) {
    t.faults().mode_change_stuck = true;
    probe.run();
    EXPECT_EQ(probe.status() >> 6, 0);
    probe.feed(0x7600 | 0x20, 0x1111);  // ST #lk, 0x20
    EXPECT_EQ(data(0x20), 0);
}

TEST_F(Emulation, StatusErrorKnobSetsBitZero) {
    EXPECT_EQ(probe.status() & 1, 0);
    t.faults().status_error = true;
    EXPECT_EQ(probe.status() & 1, 1);
    EXPECT_EQ(c54x_scan::read(t, c54x_ir::kStatus) & 1, 1u);
}

TEST_F(Emulation, BlockMovesWriteAndReadBackEachSpace) {
    struct Case {
        C54xSpace space;
        std::uint16_t write_move;
        std::uint16_t read_move;
        std::uint16_t address;
    };
    const Case cases[] = {
        {C54xSpace::Data, 0x713F, 0x703F, 0x0100},
        {C54xSpace::Program, 0x7D3F, 0x7C3F, 0x8000},
        {C54xSpace::Program, 0x7D3F, 0x7C3F, 0xFFFE},  // wraps to 0
    };
    const std::vector<std::uint16_t> words{0x1111, 0x2222, 0x3333, 0x4444};
    for (const Case& c : cases) {
        write_block(c.write_move, c.address, words);
        const auto& mem = t.cpu().memory(c.space);
        for (std::size_t i = 0; i < words.size(); ++i)
            EXPECT_EQ(mem[static_cast<std::uint16_t>(c.address + i)], words[i]) << "word " << i;
        EXPECT_EQ(mem[static_cast<std::uint16_t>(c.address + 4)], 0) << "one word too many";
        EXPECT_EQ(mem[static_cast<std::uint16_t>(c.address - 1)], 0);
        EXPECT_EQ(read_block(c.read_move, c.address, words.size()), words);
    }
    EXPECT_EQ(t.cpu().pc, C54xCpu::kResetVector);  // fed instructions leave PC alone
}

TEST_F(Emulation, SingleWordReadMovesWithoutRepeat) {
    t.cpu().memory(C54xSpace::Data)[0x1234] = 0xCAFE;
    probe.feed(0x703F, 0x1234);
    EXPECT_EQ(probe.etdr(), 0xCAFE);
}

TEST_F(Emulation, IoWordsMovePerFedInstruction) {
    t.cpu().memory(C54xSpace::Io)[0x0050] = 0x0BAD;
    probe.feed(0x743F, 0x0050);
    EXPECT_EQ(probe.etdr(), 0x0BAD);
    probe.set_etdr(0x600D);
    probe.feed(0x753F, 0x0051);
    EXPECT_EQ(t.cpu().memory(C54xSpace::Io)[0x0051], 0x600D);
}

// A halted CPU and the right control bits are all needed; else the placed
// instruction does not run.
TEST_F(Emulation, FedInstructionsRunOnlyWhenHaltedWithCcomOne) {
    struct Case {
        const char* name;
        bool running;
        std::uint32_t ecr;
        std::uint32_t ccom;
        bool in_reset;
        bool stored;
    };
    const Case cases[] = {
        {"halted, ECR 0x08, CCOM 1", false, 0x08, 1, false, true},
        {"running", true, 0x08, 1, false, false},
        {"ECR asks to run", false, 0x50, 1, false, false},
        {"CCOM 0 steps the program", false, 0x08, 0, false, false},
        {"CCOM 2", false, 0x08, 2, false, false},
        {"in reset", false, 0x08, 1, true, false},
    };
    for (const Case& c : cases) {
        Tms320c54xTarget target;
        c54x_scan::Probe p(target);
        p.halt();
        p.set_dp_cpl(0, false);
        if (c.running) p.run();
        p.place(0x7600 | 0x20, 0x5A5A, c.ccom);  // ST #0x5A5A, data 0x20
        if (c.in_reset) c54x_scan::ir(target, c54x_ir::kResetAssert);
        p.mode_change(c.ecr, true);
        EXPECT_EQ(target.cpu().memory(C54xSpace::Data)[0x20] == 0x5A5A, c.stored) << c.name;
    }
}

TEST_F(Emulation, CcomZeroSingleStepsTheProgram) {
    auto& prog = t.cpu().memory(C54xSpace::Program);
    prog[0xFF80] = 0x7600 | 0x21;  // ST #0x0042, data 0x21
    prog[0xFF81] = 0x0042;
    probe.place(0, 0, 0);
    probe.execute();
    EXPECT_EQ(data(0x21), 0x0042);
    EXPECT_EQ(t.cpu().pc, 0xFF82);
    EXPECT_EQ(t.single_steps(), 1u);
    EXPECT_EQ(t.cpu_mode(), 1u);
}

// Direct addressing takes its page from the pooled DP, or SP when CPL is
// set: a debugger that leaves either in place moves the wrong words.
TEST_F(Emulation, FedMovesAddressThroughDpAndCpl) {
    struct Case {
        std::uint16_t dp;
        bool cpl;
        std::uint16_t sp;
        std::uint16_t operand_address;
    };
    const Case cases[] = {
        {0, false, 0x3000, 0x003F},  // ETDR
        {5, false, 0x3000, 0x02BF},
        {0x1FF, false, 0x3000, 0xFFBF},
        {0, true, 0x3000, 0x303F},
    };
    for (const Case& c : cases) {
        Tms320c54xTarget target;
        c54x_scan::Probe p(target);
        auto& mem = target.cpu().memory(C54xSpace::Data);
        mem[c54x_addr::kSp] = c.sp;
        if (c.operand_address != c54x_addr::kEtdr) mem[c.operand_address] = 0xBEEF;
        p.halt();
        p.set_dp_cpl(c.dp, c.cpl);
        p.set_etdr(0x1234);
        // Write one word to data 0x0400 through the operand.
        p.feed(0x713F, 0x0400);
        const std::uint16_t expected = c.operand_address == c54x_addr::kEtdr ? 0x1234 : 0xBEEF;
        EXPECT_EQ(mem[0x0400], expected) << "DP " << c.dp << " CPL " << c.cpl;
        // Read data 0x0500 back the same way: it lands on the operand.
        mem[0x0500] = 0x7777;
        p.feed(0x703F, 0x0500);
        EXPECT_EQ(target.cpu().read(C54xSpace::Data, c.operand_address), 0x7777);
        EXPECT_EQ(p.etdr() == 0x7777, c.operand_address == c54x_addr::kEtdr);
    }
}

TEST_F(Emulation, StatusRegistersShowThePooledFields) {
    t.cpu().memory(C54xSpace::Data)[6] = 0xFE00;
    t.cpu().memory(C54xSpace::Data)[7] = 0x3FFF;
    probe.edit_pools(0x03, [](C54xPoolSet& p) {
        p.set_field(c54x_field::kDp, 0);
        p.set_field(c54x_field::kCpl, 0);
        p.set_field(c54x_field::kBraf, 1);
    });
    // ST0's DP bits and ST1's CPL and BRAF come from the pools, the rest
    // from the words themselves.
    probe.feed(0x703F, 6);
    EXPECT_EQ(probe.etdr(), 0xFE00);
    probe.feed(0x703F, 7);
    EXPECT_EQ(probe.etdr(), 0xBFFF);
    // A fed write of ST0 changes DP, visible in pool 2.
    probe.set_etdr(0x0003);
    probe.feed(0x713F, 6);
    EXPECT_EQ(t.pools().field(c54x_field::kDp), 3u);
}

TEST_F(Emulation, UndefinedFedInstructionSetsTheErrorBitUntilReset) {
    probe.feed(0xFFFF, 0);
    EXPECT_EQ(probe.status() & 1, 1);
    probe.halt();
    EXPECT_EQ(probe.status() & 1, 1);
    c54x_scan::ir(t, c54x_ir::kResetAssert);
    c54x_scan::ir(t, c54x_ir::kResetRelease);
    EXPECT_EQ(probe.status() & 1, 0);
}

} // namespace
} // namespace sim
