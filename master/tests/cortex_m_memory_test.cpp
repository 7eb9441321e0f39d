// The Cortex-M device's memory and time stamps against the simulated
// target: byte reads and writes at every offset and length, through the
// block cache and directly, across the MEM-AP's address-wrap boundary; bus
// errors; CYCCNT time stamps.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/tests/support/cortex_m_sim_rig.h"

namespace {

using cortex_test::cortex_rig;
namespace rc = mst::rc;

constexpr uint32_t sram = 0x20000000;
constexpr uint32_t sram_size = 64 * 1024;
constexpr uint8_t guard = 0xA5;

uint8_t pattern(uint32_t address) { return static_cast<uint8_t>((address * 7 + (address >> 8)) ^ 0x5C); }

void fill_sram(sim::CortexMTarget& target)
{
    for (uint32_t a = 0; a < sram_size; a += 4) {
        uint32_t w = 0;
        for (uint32_t i = 0; i < 4; ++i)
            w |= uint32_t{pattern(sram + a + i)} << (8 * i);
        target.bus().poke32(sram + a, w);
    }
}

uint8_t bus_byte(sim::CortexMTarget& target, uint32_t address)
{
    uint32_t w = 0;
    target.bus().peek32(address & ~3u, w);
    return static_cast<uint8_t>(w >> (8 * (address & 3u)));
}

class CortexMMemory : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        rig.target.bus().poke32(0x4, 0x101);
        rig.target.bus().poke16(0x100, 0xE7FE);
        fill_sram(rig.target);
        if (GetParam()) {
            ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
        } else {
            rig.pod.chain().add(rig.target.make_jtag_dp());
            ASSERT_EQ(rig.bring_up(cortex_rig::cortex_record(false)), 0u) << rig.error_text();
        }
    }

    // Reads count bytes at address into a buffer with guard bytes after
    // them; checks the bytes and that the guard is untouched.
    void expect_read(uint32_t address, uint32_t count)
    {
        std::vector<uint8_t> buffer(count + 8, guard);
        ASSERT_EQ(rig.call([&] { rig.master->read_memory(0, address, count, buffer.data()); }), 0u)
            << rig.error_text() << " at 0x" << std::hex << address;
        for (uint32_t i = 0; i < count; ++i)
            ASSERT_EQ(buffer[i], pattern(address + i))
                << std::hex << "byte at 0x" << address + i << " of a read at 0x" << address;
        for (uint32_t i = count; i < count + 8; ++i)
            ASSERT_EQ(buffer[i], guard) << "written past the count " << count;
    }

    cortex_rig rig;
};

// (address, bytes): every offset with lengths that end inside the first
// word, span words, cross a 1 KB cache block and the 4 KB TAR wrap, and the
// whole SRAM in one read.
TEST_P(CortexMMemory, ReadsGiveExactlyTheBytesAskedFor)
{
    const struct { uint32_t address, count; } cases[] = {
        {sram + 1, 1},     {sram + 1, 2},      {sram + 1, 3},     {sram + 2, 1},
        {sram + 3, 6},     {sram, 4},          {sram, 8},         {sram + 5, 11},
        {sram + 0x3FC, 10}, {sram + 0xFF0, 64}, {sram + 0xFFD, 9}, {sram + 0x3F01, 3000},
        {sram, sram_size},
    };
    for (const auto& c : cases)
        expect_read(c.address, c.count);
    // Running: every read goes to the target directly.
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u);
    expect_read(sram + 0x1FFE, 4100);
    expect_read(sram + 7, 1);
}

TEST_P(CortexMMemory, WritesChangeOnlyTheBytesGiven)
{
    const struct { uint32_t address, count; } cases[] = {
        {sram + 0x101, 3}, {sram + 0x202, 1}, {sram + 0x303, 9}, {sram + 0x400, 1024},
        {sram + 0xFFE, 4099}, {sram + 0x5001, 2},
    };
    uint8_t value = 0x10;
    for (const auto& c : cases) {
        std::vector<uint8_t> data(c.count);
        for (auto& b : data)
            b = value++;
        const std::vector<uint8_t> copy = data;
        ASSERT_EQ(rig.call([&] { rig.master->write_memory(0, c.address, c.count, data.data()); }),
                  0u)
            << rig.error_text();
        EXPECT_EQ(data, copy) << "the caller's buffer is left alone";
        for (uint32_t i = 0; i < c.count; ++i)
            ASSERT_EQ(bus_byte(rig.target, c.address + i), data[i]) << std::hex << c.address + i;
        // The neighbours of the range keep their bytes.
        EXPECT_EQ(bus_byte(rig.target, c.address - 1), pattern(c.address - 1));
        EXPECT_EQ(bus_byte(rig.target, c.address + c.count), pattern(c.address + c.count));
        // And a read after the write sees it (the cache was dropped).
        std::vector<uint8_t> back(c.count);
        ASSERT_EQ(rig.call([&] { rig.master->read_memory(0, c.address, c.count, back.data()); }), 0u);
        EXPECT_EQ(back, data);
    }
    EXPECT_EQ(rig.target.violations().size(), 0u);
}

// More than the host stages per block transfer, at an odd address.
TEST_P(CortexMMemory, LargeTransfersAtAnOddAddress)
{
    static_cast<mst::Cortex_jtag_device&>(*rig.master->cortex_device()).stage_words = 0x4000;
    const uint32_t address = 0x1003;
    const uint32_t count = 100001;
    std::vector<uint8_t> data(count);
    for (uint32_t i = 0; i < count; ++i)
        data[i] = static_cast<uint8_t>(i * 13 + (i >> 9));
    ASSERT_EQ(rig.call([&] { rig.master->write_memory(0, address, count, data.data()); }), 0u)
        << rig.error_text();
    std::vector<uint8_t> back(count + 4, guard);
    ASSERT_EQ(rig.call([&] { rig.master->read_memory(0, address, count, back.data()); }), 0u)
        << rig.error_text();
    EXPECT_TRUE(std::equal(data.begin(), data.end(), back.begin()));
    EXPECT_EQ(back[count], guard);
    EXPECT_EQ(bus_byte(rig.target, address + count), 0u) << "nothing past the range";
    EXPECT_EQ(bus_byte(rig.target, address - 1), 0u);
}

// A read of unmapped memory fails with the bus error; the next call works.
TEST_P(CortexMMemory, BusErrorIsReportedAndTheNextCallRecovers)
{
    uint8_t buffer[8] = {};
    const uint32_t code =
        rig.call([&] { rig.master->read_memory(0, 0x10000000, sizeof buffer, buffer); });
    EXPECT_TRUE(code == rc::plain_deliver || code == rc::swd_fault) << std::hex << code;
    expect_read(sram + 0x10, 16);
}

// A WAIT that persists is reported after the stuck transfer was aborted,
// never returned as data; the recovery configures the target again and the
// next call reads.
TEST_P(CortexMMemory, PersistentWaitIsAbortedReportedAndRecovered)
{
    rig.target.dp().clear_log();
    rig.target.dp().set_wait_knob(sim::ArmAccessClass::ApRead, {0, true, false});
    std::vector<uint8_t> buffer(16, guard);
    EXPECT_EQ(rig.call([&] { rig.master->read_memory(0, sram + 0x40, 16, buffer.data()); }),
              rc::dp_wait_timeout);
    const auto& aborts = rig.target.dp().log().abort_writes;
    EXPECT_NE(std::find(aborts.begin(), aborts.end(), 1u), aborts.end()) << "DAPABORT";
    expect_read(sram + 0x40, 16);
    EXPECT_EQ(rig.target.violations().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Wires, CortexMMemory, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Swd" : "Jtag");
                         });

struct stamp {
    uint32_t words[9] = {};
    uint64_t at(int i) const { return uint64_t{words[i]} | (uint64_t{words[i + 1]} << 32); }
};

// Cycles counted between runs (across a CYCCNT wrap) and turned into time
// units of 1/256e9 s.
TEST(CortexMTimeStamp, CyclesOfTheLastRunAndInTotal)
{
    cortex_rig rig;
    rig.target.bus().poke32(0x4, 0x101);
    rig.target.bus().poke16(0x100, 0xE7FE);
    ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
    rig.target.dwt().set_cyccnt(0xFFFFFFF8u);
    ASSERT_EQ(rig.call([&] { rig.master->clear_time_stamp(); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u);
    const uint32_t after_first = rig.target.dwt().cyccnt();
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u);
    const uint32_t after_second = rig.target.dwt().cyccnt();

    stamp s;
    s.words[0] = 256000000;  // 1 cycle = 1000 units
    ASSERT_EQ(rig.call([&] { rig.master->get_time_stamp(s.words); }), 0u) << rig.error_text();
    const uint64_t total = uint64_t{after_second - 0xFFFFFFF8u};
    ASSERT_GT(total, 8u) << "the counter wrapped";
    EXPECT_EQ(s.words[0], 256000000u);
    EXPECT_EQ(s.at(1), total);
    EXPECT_EQ(s.at(3), uint64_t{after_second - after_first});
    EXPECT_EQ(s.at(5), total * 1000);
    EXPECT_EQ(s.at(7), uint64_t{after_second - after_first} * 1000);

    s.words[0] = 0;
    ASSERT_EQ(rig.call([&] { rig.master->get_time_stamp(s.words); }), 0u);
    EXPECT_EQ(s.at(5), ~uint64_t{0});
    EXPECT_EQ(s.at(7), ~uint64_t{0});
}

TEST(CortexMTimeStamp, OnlyTheCortexM3CountsCycles)
{
    sim::CortexMTargetConfig config;
    config.part = sim::CortexMPart::M4;
    cortex_rig rig(config);
    ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
    stamp s;
    for (auto& w : s.words)
        w = 0x77777777;
    EXPECT_EQ(rig.call([&] { rig.master->get_time_stamp(s.words); }), rc::plain_deliver);
    EXPECT_EQ(s.words[0], 0x77777777u);
    for (int i = 1; i < 9; ++i)
        EXPECT_EQ(s.words[i], 0u);
}

TEST(CortexMTimeStamp, TimeSaturatesInsteadOfOverflowing)
{
    using mst::Cortex_jtag_device;
    EXPECT_EQ(Cortex_jtag_device::cycles_to_time(0, 5), 0u);
    EXPECT_EQ(Cortex_jtag_device::cycles_to_time(1, 256000000), 1000u);
    EXPECT_EQ(Cortex_jtag_device::cycles_to_time(3, 1000000000), 768u);
    EXPECT_EQ(Cortex_jtag_device::cycles_to_time(1, 0), ~uint64_t{0});
    EXPECT_EQ(Cortex_jtag_device::cycles_to_time(uint64_t{1} << 40, 1), ~uint64_t{0});
    EXPECT_EQ(Cortex_jtag_device::cycles_to_time(~uint64_t{0}, 0xFFFFFFFFu), ~uint64_t{0});
}

} // namespace
