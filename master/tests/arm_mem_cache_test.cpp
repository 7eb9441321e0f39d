#include "master/arm/mem_cache.h"

#include <gtest/gtest.h>

#include <cstring>

#include "master/tests/support/arm_rig.h"

using arm_test::arm_rig;
using mst::mem_cache;
namespace rc = mst::rc;

namespace {

constexpr bool wires[] = {false, true};
const char* wire_name(bool swd) { return swd ? "SWD" : "JTAG"; }

// A rig with its scripts downloaded and a memory whose every word holds its
// own address.
struct cache_rig : arm_rig {
    explicit cache_rig(bool swd) : arm_rig(swd)
    {
        EXPECT_EQ(run([&] {
                      device.ap.record_scripts();
                      device.list.flush_list(prot);
                      prot.end_batch();
                  }),
                  0u);
        for (uint32_t a = 0x20000000; a < 0x20002000; a += 4)
            pod.dap.ap.memory[a] = a;
    }

    uint32_t cached_read(void* buffer, uint32_t count, uint32_t address, uint32_t& served)
    {
        return run([&] { served = cache.read(buffer, count, address, device.ap); });
    }

    unsigned reads_of(uint32_t address) { return pod.dap.ap.reads[address]; }

    mem_cache cache;
};

} // namespace

TEST(ArmMemCache, ReadAcrossTwoBlocksLoadsBothThenServesWithoutTraffic)
{
    for (bool swd : wires) {
        cache_rig rig(swd);
        uint8_t bytes[10] = {};
        uint32_t served = 0;
        ASSERT_EQ(rig.cached_read(bytes, 10, 0x200003FC, served), 0u) << wire_name(swd);
        EXPECT_EQ(served, 1u);
        uint8_t expected[12];
        for (uint32_t i = 0; i < 3; ++i) {
            const uint32_t w = 0x200003FC + 4 * i;
            std::memcpy(expected + 4 * i, &w, 4);
        }
        EXPECT_EQ(std::memcmp(bytes, expected, 10), 0) << wire_name(swd);
        // Both blocks were read whole, once.
        EXPECT_EQ(rig.reads_of(0x20000000), 1u);
        EXPECT_EQ(rig.reads_of(0x200007FC), 1u);
        EXPECT_EQ(rig.reads_of(0x20000800), 0u);

        const unsigned exchanges = rig.pod.exchanges;
        uint32_t word = 0;
        ASSERT_EQ(rig.cached_read(&word, 4, 0x20000500, served), 0u);
        EXPECT_EQ(served, 1u);
        EXPECT_EQ(word, 0x20000500u);
        EXPECT_EQ(rig.pod.exchanges, exchanges) << "served from the cache";
    }
}

TEST(ArmMemCache, DeclinesWhatItDoesNotServe)
{
    cache_rig rig(true);
    uint8_t bytes[0x900] = {};
    const struct { uint32_t count; uint32_t address; } cases[] = {
        {0, 0x20000000},            // nothing asked
        {4, 0x40000000},            // peripherals
        {8, 0x3FFFFFFC},            // reaches into them
        {0x801, 0x20000000},        // three blocks
    };
    for (const auto& c : cases) {
        uint32_t served = 7;
        ASSERT_EQ(rig.cached_read(bytes, c.count, c.address, served), 0u);
        EXPECT_EQ(served, 0u) << std::hex << c.address;
    }
    EXPECT_TRUE(rig.pod.dap.ap.tar_writes.empty());
}

TEST(ArmMemCache, BlockWithABusErrorIsDeclinedUntilInvalidated)
{
    for (bool swd : wires) {
        cache_rig rig(swd);
        rig.pod.dap.ap.bus_error_from = 0x20000200;
        rig.pod.dap.ap.bus_error_to = 0x20000400;
        uint32_t word = 0, served = 7;
        // Declined with no error left: the device then reads the word alone.
        ASSERT_EQ(rig.cached_read(&word, 4, 0x20000010, served), 0u) << wire_name(swd);
        EXPECT_EQ(served, 0u) << wire_name(swd);
        ASSERT_EQ(rig.run([&] { word = rig.device.ap.read_word(0x20000010); }), 0u) << wire_name(swd);
        EXPECT_EQ(word, 0x20000010u);

        // The failed block is not loaded again.
        const size_t tars = rig.pod.dap.ap.tar_writes.size();
        ASSERT_EQ(rig.cached_read(&word, 4, 0x20000020, served), 0u);
        EXPECT_EQ(served, 0u);
        EXPECT_EQ(rig.pod.dap.ap.tar_writes.size(), tars) << wire_name(swd);

        rig.pod.dap.ap.bus_error_to = 0;
        rig.cache.invalidate();
        ASSERT_EQ(rig.cached_read(&word, 4, 0x20000020, served), 0u);
        EXPECT_EQ(served, 1u) << wire_name(swd);
        EXPECT_EQ(word, 0x20000020u);
    }
}

TEST(ArmMemCache, LeastRecentlyUsedBlockMakesRoom)
{
    cache_rig rig(false);
    uint32_t word = 0, served = 0;
    for (uint32_t base : {0x20000000u, 0x20000400u, 0x20000800u, 0x20000C00u})
        ASSERT_EQ(rig.cached_read(&word, 4, base, served), 0u);
    // Use the first again, then load a fifth: the second goes.
    ASSERT_EQ(rig.cached_read(&word, 4, 0x20000000, served), 0u);
    ASSERT_EQ(rig.cached_read(&word, 4, 0x20001000, served), 0u);
    EXPECT_EQ(rig.reads_of(0x20000400), 1u);
    ASSERT_EQ(rig.cached_read(&word, 4, 0x20000000, served), 0u);
    EXPECT_EQ(rig.reads_of(0x20000000), 1u) << "still cached";
    ASSERT_EQ(rig.cached_read(&word, 4, 0x20000400, served), 0u);
    EXPECT_EQ(rig.reads_of(0x20000400), 2u) << "evicted and loaded again";
    EXPECT_EQ(word, 0x20000400u);
}
