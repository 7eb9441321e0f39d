// Registers and the three memory spaces of the halted DSP, and the promise
// that matters most: halting, accessing and resuming leave the CPU as it was.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "master/core/result.h"
#include "master/jtag/jtag.h"
#include "master/tests/support/c54x_sim_rig.h"

namespace {

using c54x_test::c54x_rig;
using c54x_test::cpu_snapshot;
using namespace mst;

std::vector<uint16_t> pattern(size_t n, uint16_t seed)
{
    std::vector<uint16_t> v(n);
    for (size_t i = 0; i < n; ++i)
        v[i] = static_cast<uint16_t>(seed + i * 0x9E37u + (i >> 7));
    return v;
}

sim::C54xSpace sim_space(uint32_t space)
{
    return space == 1 ? sim::C54xSpace::Data : space == 2 ? sim::C54xSpace::Io
                                                         : sim::C54xSpace::Program;
}

TEST(Tms320c54xMemory, RoundTripsEverySpaceThroughTheDevice)
{
    struct Case {
        uint32_t space;
        uint32_t address;
        uint32_t count;
    };
    for (const Case c : {Case{0, 0x1000, 1}, Case{0, 0x2000, 64}, Case{3, 0x3000, 300},
                         Case{1, 0x0100, 64}, Case{1, 0x8000, 1000}, Case{2, 0x0040, 64}, Case{1, 0xFFF0, 0x60},
                         Case{2, 0xFFF0, 32}}) {
        for (uint32_t status_flag : {0u, 1u}) {
            c54x_rig rig;
            rig.bring_up(status_flag);
            const std::vector<uint16_t> words = pattern(c.count, static_cast<uint16_t>(c.address));
            ASSERT_EQ(rig.call([&] {
                rig.dev().write_memory(words.data(), c.count, c.address, c.space);
            }), 0u) << c.space << " " << c.address;
            const auto& mem = rig.cpu().memory(sim_space(c.space));
            for (uint32_t i = 0; i < c.count; ++i) {
                const uint16_t a = static_cast<uint16_t>(c.address + i);
                // Data 6, 7 and 0x3F go into the saved context while halted.
                if (c.space != 1 || (a != 6 && a != 7 && a != 0x3F)) {
                    ASSERT_EQ(mem[a], words[i]) << i;
                }
            }
            std::vector<uint16_t> back(c.count, 0xDEAD);
            ASSERT_EQ(rig.call([&] {
                rig.dev().read_memory(back.data(), c.count, c.address, c.space);
            }), 0u);
            EXPECT_EQ(back, words) << c.space << " " << c.address << " " << status_flag;
        }
    }
}

TEST(Tms320c54xMemory, BlocksBeyondTheRepeatCountAreSplitIntoChunks)
{
    c54x_rig rig({}, nullptr, true);
    rig.bring_up();
    // Two words more than the repeat operand counts, from 0x8000: the
    // space is passed once and wraps onto its first words, as the DSP's
    // 16-bit addresses do.
    const uint32_t count = 0x10002;
    auto& program = rig.cpu().memory(sim::C54xSpace::Program);
    const std::vector<uint16_t> image = pattern(0x10000, 7);
    std::copy(image.begin(), image.end(), program.begin());
    std::vector<uint16_t> back(count);
    ASSERT_EQ(rig.call([&] { rig.dev().read_memory(back.data(), count, 0x8000, 0); }), 0u);
    for (uint32_t i = 0; i < count; ++i)
        ASSERT_EQ(back[i], image[(0x8000 + i) & 0xFFFF]) << i;

    const std::vector<uint16_t> words = pattern(count, 99);
    ASSERT_EQ(rig.call([&] { rig.dev().write_memory(words.data(), count, 0x4000, 1); }), 0u);
    const auto& data = rig.cpu().memory(sim::C54xSpace::Data);
    // The two words past the end wrapped onto 0x4000 and 0x4001.
    EXPECT_EQ(data[0x4000], words[0x10000]);
    EXPECT_EQ(data[0x4001], words[0x10001]);
    for (uint32_t i = 2; i < 0x10000; ++i) {
        const uint16_t a = static_cast<uint16_t>(0x4000 + i);
        if (a != 6 && a != 7 && a != 0x3F) {
            ASSERT_EQ(data[a], words[i]) << i;
        }
    }
}

TEST(Tms320c54xMemory, DataReadsShowTheSavedContextAndWritesGoIntoIt)
{
    c54x_rig rig;
    rig.bring_up();
    rig.load_program(0x0100, {0xF073, 0x0100});
    ASSERT_EQ(rig.call([&] {
        rig.dev().write_register(0x0100, 0);
        rig.dev().run(4);
    }), 0u);
    // The program's own DP, CPL, BRAF and transfer register at the halt.
    rig.cpu().dp = 0x155;
    rig.cpu().cpl = true;
    rig.cpu().braf = true;
    rig.cpu().etdr = 0x4321;
    ASSERT_EQ(rig.call([&] { rig.dev().stop(); }), 0u);
    std::vector<uint16_t> low(0x40);
    ASSERT_EQ(rig.call([&] { rig.dev().read_memory(low.data(), 0x40, 0, 1); }), 0u);
    // The emulation works with DP 0 and CPL 0 while the DSP is halted ...
    EXPECT_EQ(rig.cpu().dp, 0u);
    EXPECT_FALSE(rig.cpu().cpl);
    // ... and the reads show the program's values.
    EXPECT_EQ(low[6] & 0x1FFu, 0x155u);
    EXPECT_EQ(low[7] & 0xC000u, 0xC000u);
    EXPECT_EQ(low[0x3F], 0x4321u);

    // A write that holds addresses 6, 7 and 0x3F goes into the saved context;
    // the caller's words stay as they were.
    std::vector<uint16_t> words = {0x1E0A, 0x4123};  // ST0, ST1: DP 0x00A, CPL 1
    const std::vector<uint16_t> given = words;
    ASSERT_EQ(rig.call([&] { rig.dev().write_memory(words.data(), 2, 6, 1); }), 0u);
    EXPECT_EQ(words, given);
    uint32_t st0 = 0, st1 = 0;
    ASSERT_EQ(rig.call([&] {
        rig.dev().read_register(st0, 1);
        rig.dev().read_register(st1, 2);
    }), 0u);
    EXPECT_EQ(st0, 0x1E0Au);
    EXPECT_EQ(st1, 0x4123u);
    // Resumed, the CPU has them.
    ASSERT_EQ(rig.call([&] { rig.dev().run(4); }), 0u);
    EXPECT_EQ(rig.cpu().dp, 0x00Au);
    EXPECT_TRUE(rig.cpu().cpl);
    EXPECT_FALSE(rig.cpu().braf);
}

TEST(Tms320c54xMemory, HaltAccessAndResumeLeaveTheCpuBitIdentical)
{
    for (uint32_t status_flag : {0u, 1u}) {
        c54x_rig rig;
        rig.bring_up(status_flag);
        // A program that changes nothing: B 0x0100 at 0x0100.
        rig.load_program(0x0100, {0xF073, 0x0100});
        ASSERT_EQ(rig.call([&] {
            rig.dev().write_register(0x0100, 0);
            rig.dev().run(4);
        }), 0u);
        // State of the program that the emulation disturbs while halted.
        rig.cpu().dp = 0x0AB;
        rig.cpu().cpl = true;
        rig.cpu().braf = true;
        rig.cpu().etdr = 0x5A5A;
        auto& data = rig.cpu().memory(sim::C54xSpace::Data);
        for (uint32_t a = 0x60; a < 0x90; ++a)
            data[a] = static_cast<uint16_t>(a * 3);
        rig.dsp().advance(10);

        ASSERT_EQ(rig.call([&] { rig.dev().stop(); }), 0u);
        ASSERT_EQ(rig.dev().status & c54x_state::running, 0u);
        EXPECT_EQ(rig.dev().pc, 0x0100u);
        // The halt itself, with the pipeline the DSP left in pools 3-5.
        const cpu_snapshot halted = cpu_snapshot::of(rig.dsp());
        EXPECT_EQ(halted.dp, 0x0ABu);
        EXPECT_TRUE(halted.cpl && halted.braf);
        EXPECT_EQ(halted.etdr, 0x5A5Au);

        std::vector<uint16_t> buffer(0x100);
        uint32_t value = 0;
        ASSERT_EQ(rig.call([&] {
            rig.dev().read_memory(buffer.data(), 0x100, 0, 1);
            rig.dev().read_memory(buffer.data(), 0x100, 0x0100, 0);
            rig.dev().read_memory(buffer.data(), 8, 0, 2);
            rig.dev().read_register(value, 3);
            // Data words written back as read (the saved context among them).
            rig.dev().read_memory(buffer.data(), 0x90, 0, 1);
            rig.dev().write_memory(buffer.data(), 0x90, 0, 1);
        }), 0u);
        EXPECT_EQ(buffer[0x3F], 0x5A5Au);
        EXPECT_EQ(buffer[0x60], 0x60u * 3);

        ASSERT_EQ(rig.call([&] { rig.dev().run(4); }), 0u);
        EXPECT_TRUE(rig.dsp().running());
        EXPECT_EQ(rig.dsp().context_errors(), 0u);
        rig.dsp().advance(10);
        const cpu_snapshot resumed = cpu_snapshot::of(rig.dsp());
        EXPECT_EQ(resumed.pc, halted.pc);
        EXPECT_EQ(resumed.dp, halted.dp);
        EXPECT_EQ(resumed.cpl, halted.cpl);
        EXPECT_EQ(resumed.braf, halted.braf);
        EXPECT_EQ(resumed.etdr, halted.etdr);
        EXPECT_EQ(resumed.mode, 3u);
        for (unsigned p = 0; p < halted.pools.size(); ++p)
            EXPECT_TRUE(resumed.pools[p] == halted.pools[p]) << "pool " << p + 1;
        EXPECT_TRUE(resumed.program == halted.program);
        EXPECT_TRUE(resumed.data == halted.data);
        EXPECT_TRUE(resumed.io == halted.io);
        EXPECT_EQ(resumed.pending_repeat, halted.pending_repeat);
    }
}

TEST(Tms320c54xMemory, ProgramCounterWrittenWhileHaltedIsWhereTheDspResumes)
{
    c54x_rig rig;
    rig.bring_up();
    uint32_t pc = 0;
    ASSERT_EQ(rig.call([&] { rig.dev().read_register(pc, 0); }), 0u);
    EXPECT_EQ(pc, 0xFF80u);
    rig.load_program(0x2345, {0xF495, 0xF495, 0xF4F0});
    ASSERT_EQ(rig.call([&] {
        rig.dev().write_register(0x2345, 0);
        rig.dev().run(4);
    }), 0u);
    rig.dsp().advance(10);
    ASSERT_EQ(rig.call([&] { rig.dev().poll_run_state(); }), 0u);
    EXPECT_EQ(rig.dev().status & c54x_state::running, 0u);
    // ESTOP at 0x2347 halted it; the reported PC is the ESTOP's.
    EXPECT_EQ(rig.dev().pc, 0x2347u);
    EXPECT_EQ(rig.dev().stop_reason(), 2u);
}

// The microcontroller of a combined target, as the DSP's program path.
struct recorded_path : c54x_program_path {
    void write_program(const uint16_t* words, uint32_t count, uint32_t address) override
    {
        calls.push_back({address, std::vector<uint16_t>(words, words + count)});
    }
    struct call {
        uint32_t address;
        std::vector<uint16_t> words;
    };
    std::vector<call> calls;
};

TEST(Tms320c54xMemory, ProgramWritesTakeThePathChosenAtIdentification)
{
    c54x_rig rig;
    recorded_path path;
    rig.dev().microcontroller = &path;
    ASSERT_EQ(rig.call([&] {
        the_jtag().measure_chain();
        rig.dev().identify(1, 0, 0, rig.ir_position, rig.dr_position);
    }), 0u);
    ASSERT_EQ(rig.reset(), 0u);
    const std::vector<uint16_t> words = {1, 2, 3};
    ASSERT_EQ(rig.call([&] {
        rig.dev().write_memory(words.data(), 3, 0x0400, 0);
        rig.dev().set_breakpoint(0x0401, 0);
        rig.dev().write_memory(words.data(), 3, 0x0500, 1);
    }), 0u);
    ASSERT_EQ(path.calls.size(), 2u);
    EXPECT_EQ(path.calls[0].address, 0x0400u);
    EXPECT_EQ(path.calls[0].words, words);
    EXPECT_EQ(path.calls[1].address, 0x0401u);
    EXPECT_EQ(path.calls[1].words, std::vector<uint16_t>{c54x_break::opcode});
    // Program memory is not written through the DSP; data memory is.
    EXPECT_EQ(rig.cpu().memory(sim::C54xSpace::Program)[0x0400], 0u);
    EXPECT_EQ(rig.cpu().memory(sim::C54xSpace::Data)[0x0501], 2u);

    // Identified without the memory flag, the same device writes directly.
    ASSERT_EQ(rig.identify(), 0u);
    ASSERT_EQ(rig.reset(), 0u);
    ASSERT_EQ(rig.call([&] { rig.dev().write_memory(words.data(), 3, 0x0400, 0); }), 0u);
    EXPECT_EQ(path.calls.size(), 2u);
    EXPECT_EQ(rig.cpu().memory(sim::C54xSpace::Program)[0x0402], 3u);
}

TEST(Tms320c54xMemory, RefusesBadSpacesAndAccessWhileRunning)
{
    c54x_rig rig;
    rig.bring_up();
    uint16_t word = 0;
    EXPECT_EQ(rig.call([&] { rig.dev().read_memory(&word, 1, 0, 4); }), rc::memory_type);
    EXPECT_EQ(the_error_record().param[0], 4u);
    rig.clear_failure();
    ASSERT_EQ(rig.call([&] { rig.dev().run(4); }), 0u);
    EXPECT_EQ(rig.call([&] { rig.dev().read_memory(&word, 1, 0, 1); }), rc::access_in_run);
    rig.clear_failure();
    EXPECT_EQ(rig.call([&] { rig.dev().write_register(1, 2); }), rc::access_in_run);
    rig.clear_failure();
    uint32_t value = 0;
    EXPECT_EQ(rig.call([&] { rig.dev().read_register(value, 0); }), rc::access_in_run);
}

} // namespace

// Every batch of a block read whose reply comes back cut after its echo
// fails the read: read as zeros, the missing units would be returned as
// the words.
TEST(Tms320c54xMemory, ReadWhoseReplyIsCutAfterTheEchoFailsInsteadOfReturningZeros)
{
    const std::vector<uint16_t> words{0x1111, 0x2222, 0x3333, 0x4444};
    auto written = [&](c54x_rig& rig) {
        rig.bring_up();
        EXPECT_EQ(rig.call([&] { rig.dev().write_memory(words.data(), 4, 0x1000, 1); }), 0u);
        rig.pod.log().clear();
    };
    std::vector<size_t> with_data;
    {
        c54x_rig rig;
        written(rig);
        std::vector<uint16_t> back(4);
        ASSERT_EQ(rig.call([&] { rig.dev().read_memory(back.data(), 4, 0x1000, 1); }), 0u);
        ASSERT_EQ(back, words);
        const auto& exchanges = rig.pod.log().exchanges;
        for (size_t i = 0; i < exchanges.size(); ++i) {
            if (exchanges[i].reply.size() > 2)
                with_data.push_back(i + 1);
        }
    }
    ASSERT_FALSE(with_data.empty());
    for (const size_t nth : with_data) {
        c54x_rig rig;
        written(rig);
        rig.pod.fault_reply(static_cast<uint32_t>(nth), {sim::ReplyFault::Kind::Short, 4});
        std::vector<uint16_t> back(4, 0xDEAD);
        EXPECT_EQ(rig.call([&] { rig.dev().read_memory(back.data(), 4, 0x1000, 1); }), rc::invalid_reply)
            << "reply " << nth;
        EXPECT_NE(back, std::vector<uint16_t>(4, 0)) << "reply " << nth;
    }
}
