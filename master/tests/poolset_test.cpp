#include "master/jtag/poolset.h"

#include <gtest/gtest.h>

#include "master/jtag/isolated_pool.h"
#include "master/jtag/reg_field.h"
#include "master/jtag/tapregister.h"
#include "master/tests/support/jtag_sim_rig.h"

using jtag_test::chain_rig;
using jtag_test::in_frame;
using mst::poolset;
namespace scan_mode = mst::scan_mode;

namespace {

constexpr uint32_t select_opcode = 34;

// The target with a pool register under IR 32 whose length follows the pool
// select register: 12 bits, pool 5, 1 bit, pool 4, 1 bit, pool 3, 1 bit,
// pool 2, 1 bit, pool 1, unselected pools left out.
class pool_chip : public jtag_test::target_chip {
public:
    pool_chip() : target_chip(8, chain_rig::target_ir_capture, chain_rig::target_idcode, chain_rig::idcode_opcode)
    {
        add_register(select_opcode, jtag_test::bits_of(0, 16));
        for (uint32_t p = 0; p < poolset::pool_count; ++p) {
            pools[p].resize(poolset::pool_bits[p]);
            for (uint32_t i = 0; i < pools[p].size(); ++i)
                pools[p][i] = ((i * 7 + p * 3) % 5) < 2;
        }
    }

    uint32_t selected() { return static_cast<uint32_t>(sim::bits_to_u64(reg(select_opcode))) & 0x1F; }

    sim::Bits capture_dr() override
    {
        if (instruction() != poolset::select_ir)
            return target_chip::capture_dr();
        sim::Bits out(poolset::header_bits, false);
        for (uint32_t p = poolset::pool_count; p-- > 0;) {
            if (selected() & (1u << p))
                out.insert(out.end(), pools[p].begin(), pools[p].end());
            if (p != 0)
                out.push_back(false);
        }
        return out;
    }

    void update_dr(const sim::Bits& r) override
    {
        if (instruction() != poolset::select_ir) {
            target_chip::update_dr(r);
            return;
        }
        size_t at = poolset::header_bits;
        for (uint32_t p = poolset::pool_count; p-- > 0;) {
            if (selected() & (1u << p)) {
                pools[p].assign(r.begin() + at, r.begin() + at + pools[p].size());
                at += pools[p].size();
            }
            if (p != 0)
                ++at;
        }
    }

    sim::Bits pools[poolset::pool_count];
};

class selecting_rig : public chain_rig {
public:
    selecting_rig()
        : chain_rig(true, std::make_unique<pool_chip>()),
          chip_pools(static_cast<pool_chip&>(*chip)),
          pool_select(engine, device.get(), 1, 16, select_opcode, "MPSDCTL"),
          set(engine, device.get(), pool_select, "PoolSet")
    {
        EXPECT_EQ(in_frame(record, [&] { engine.measure_chain(); }), 0u);
        device->dr_bits_before = 1;
        device->ir_bits_before = 3;
    }

    template <class Op>
    uint32_t run(Op&& op)
    {
        return in_frame(record, [&] {
            op();
            engine.enter_idle();
            prot.end_batch();
        });
    }

    bool image_equals(const mst::pool_from_set& img, uint32_t pool)
    {
        for (uint32_t i = 0; i < img.chain.count; ++i)
            if (img.chain.bit(i) != chip_pools.pools[pool][i])
                return false;
        return true;
    }

    pool_chip& chip_pools;
    mst::tapregister pool_select;
    poolset set;
};

} // namespace

TEST(PoolSet, ReadRequestScansTheSelectedPoolsOnly)
{
    const struct { uint32_t mask; uint32_t bits; } cases[] = {
        {0x00005, 16 + 102 + 75}, {0x10000, 16 + 102}, {0x1F001F, 1112}, {0x40004, 16 + 75}, {0, 0}};
    for (const auto& c : cases) {
        selecting_rig rig;
        ASSERT_EQ(in_frame(rig.record, [&] { rig.set.request(c.mask, scan_mode::read); }), 0u);
        if (c.mask == 0) {
            EXPECT_EQ(rig.set.read_pending, 0u);
            EXPECT_EQ(rig.prot.request_length(), 0u);
            continue;
        }
        EXPECT_EQ(rig.set.chain.count, c.bits) << std::hex << c.mask;
        EXPECT_EQ(rig.set.read_pending, c.mask);
    }
}

TEST(PoolSet, ReadBringsTheChipPoolsIntoBothImages)
{
    selecting_rig rig;
    ASSERT_EQ(rig.run([&] { rig.set.read(0x150015); }), 0u);
    for (uint32_t p : {0u, 2u, 4u}) {
        EXPECT_TRUE(rig.image_equals(rig.set.upper(p), p)) << p;
        EXPECT_TRUE(rig.image_equals(rig.set.lower(p), p)) << p;
    }
    EXPECT_EQ(rig.set.valid, 0x150015u);
    EXPECT_EQ(rig.set.read_pending, 0u);
    EXPECT_EQ(rig.set.upper(0).state(), mst::waiter_state::valid);
    EXPECT_EQ(rig.set.upper(1).state(), mst::waiter_state::invalid);
}

TEST(PoolSet, WriteWithBothImagesWritesOnlyTheUpperOne)
{
    selecting_rig rig;
    rig.set.upper(0).fill(0xAAAAAAAAu);
    rig.set.lower(0).fill(0x55555555u);
    ASSERT_EQ(in_frame(rig.record, [&] { rig.set.request(0x10001, scan_mode::write); }), 0u);
    EXPECT_EQ(rig.set.write_pending, 0x1u);
    EXPECT_EQ(rig.set.chain.count, 16u + 102u);
    EXPECT_EQ(rig.set.dirty & 0x1u, 0u);
    EXPECT_NE(rig.set.dirty & 0x10000u, 0u);
    ASSERT_EQ(rig.run([] {}), 0u);
    EXPECT_TRUE(rig.image_equals(rig.set.upper(0), 0));
    EXPECT_EQ(rig.set.valid & 0x1u, 0x1u);
    EXPECT_EQ(rig.set.write_pending, 0u);
}

TEST(PoolSet, RequestsThatWouldShareABatchAllLand)
{
    // Two reads, and a read after a write, each need their own scan in
    // the reply: the second request sends the batch first.
    selecting_rig rig;
    ASSERT_EQ(rig.run([&] {
                  rig.set.request(0x1, scan_mode::read);
                  rig.set.request(0x4, scan_mode::read);
              }),
              0u);
    EXPECT_TRUE(rig.image_equals(rig.set.upper(0), 0));
    EXPECT_TRUE(rig.image_equals(rig.set.upper(2), 2));
    EXPECT_EQ(rig.set.valid, 0x5u);

    rig.set.upper(0).fill(0x0F0F0F0Fu);
    ASSERT_EQ(rig.run([&] {
                  rig.set.request(0x1, scan_mode::write);
                  rig.engine.enter_idle();
                  rig.set.request(0x1, scan_mode::read);
              }),
              0u);
    EXPECT_TRUE(rig.image_equals(rig.set.upper(0), 0));
    EXPECT_EQ(rig.set.upper(0).chain.bits_at(0, 32), 0x0F0F0F0Fu);
    EXPECT_EQ(rig.set.valid, 0x5u);
    EXPECT_EQ(rig.set.upper(0).state(), mst::waiter_state::valid);

    // A write request while a read is pending: the read lands, then the write.
    rig.chip_pools.pools[0].assign(poolset::pool_bits[0], true);
    rig.set.upper(2).fill(0x33333333u);
    ASSERT_EQ(rig.run([&] {
                  rig.set.request(0x1, scan_mode::read);
                  rig.set.request(0x4, scan_mode::write);
              }),
              0u);
    EXPECT_TRUE(rig.image_equals(rig.set.upper(0), 0));
    EXPECT_EQ(rig.set.upper(0).chain.bits_at(0, 32), 0xFFFFFFFFu);
    EXPECT_TRUE(rig.image_equals(rig.set.upper(2), 2));
    EXPECT_EQ(rig.set.upper(2).chain.bits_at(0, 32), 0x33333333u);
    EXPECT_EQ(rig.set.read_pending | rig.set.write_pending, 0u);
    EXPECT_EQ(rig.set.upper(0).state(), mst::waiter_state::valid);
    EXPECT_EQ(rig.set.upper(2).state(), mst::waiter_state::valid);
}

TEST(RegField, AddressesFieldsByWordOrByTheByteOfTheirFirstBit)
{
    selecting_rig rig;
    const struct { uint32_t pool, width, position, byte_offset, shift; } cases[] = {
        {0, 16, 17, 2, 1},   // crosses a word: byte of bit 16, shift 1
        {0, 16, 0, 0, 0},
        {0, 1, 101, 12, 5},  // inside word 3
        {1, 9, 306, 36, 18},
        {3, 4, 159, 19, 7},  // crosses at bit 160
        {4, 16, 356, 44, 4}, // inside word 11
    };
    for (const auto& c : cases) {
        mst::reg_field f(rig.set.upper(c.pool), c.width, c.position, "F");
        EXPECT_EQ(f.byte_offset(), c.byte_offset) << c.position;
        EXPECT_EQ(f.shift(), c.shift) << c.position;
        // Set later, read back through the image, never past its last byte.
        rig.set.upper(c.pool).fill(0);
        f.set_later(0xFFFFFFFFu);
        for (uint32_t i = 0; i < rig.set.upper(c.pool).chain.count; ++i)
            EXPECT_EQ(rig.set.upper(c.pool).chain.bit(i), i >= c.position && i < c.position + c.width)
                << c.position << " bit " << i;
    }
}

TEST(RegField, GetReadsTheOwnerAndSetWritesItBack)
{
    selecting_rig rig;
    mst::reg_field pc(rig.set.upper(0), 16, 17, "PC");
    uint32_t expect = 0;
    for (uint32_t i = 0; i < 16; ++i)
        expect |= uint32_t{rig.chip_pools.pools[0][17 + i]} << i;
    uint32_t got = 0;
    ASSERT_EQ(rig.run([&] { got = pc.get(); }), 0u);
    EXPECT_EQ(got, expect);
    ASSERT_EQ(rig.run([&] { pc.set(0xC0DE); }), 0u);
    uint32_t on_chip = 0;
    for (uint32_t i = 0; i < 16; ++i)
        on_chip |= uint32_t{rig.chip_pools.pools[0][17 + i]} << i;
    EXPECT_EQ(on_chip, 0xC0DEu);
}

TEST(RegField, SetOnAnImageNeverReadReadsItFirst)
{
    // The write request takes only valid images: a field set on an image
    // never read must read it first, or the write is lost (and a write of the
    // whole image would clobber the bits around the field).
    selecting_rig rig;
    const sim::Bits before = rig.chip_pools.pools[0];
    mst::reg_field pc(rig.set.upper(0), 16, 17, "PC");
    ASSERT_EQ(rig.run([&] { pc.set(0xC0DE); }), 0u);
    for (uint32_t i = 0; i < poolset::pool_bits[0]; ++i) {
        const bool want = (i >= 17 && i < 33) ? ((0xC0DEu >> (i - 17)) & 1u) != 0 : before[i];
        EXPECT_EQ(rig.chip_pools.pools[0][i], want) << i;
    }
}

TEST(IsolatedPool, FieldsReadAndWriteTheWholeRegister)
{
    chain_rig rig;
    ASSERT_EQ(in_frame(rig.record, [&] { rig.engine.measure_chain(); }), 0u);
    rig.device->dr_bits_before = 1;
    rig.device->ir_bits_before = 3;
    sim::Bits pbr(160, false);
    for (unsigned i = 0; i < 160; ++i)
        pbr[i] = (i % 3) == 0;
    rig.chip->add_register(42, pbr);
    mst::isolated_pool pool(rig.engine, rig.device.get(), 160, 42, "PBR");
    mst::reg_field jpa4(pool, 16, 144, "JPA4");
    uint32_t got = 0;
    ASSERT_EQ(in_frame(rig.record, [&] { got = jpa4.get(); }), 0u);
    uint32_t expect = 0;
    for (uint32_t i = 0; i < 16; ++i)
        expect |= uint32_t{pbr[144 + i]} << i;
    EXPECT_EQ(got, expect);
    ASSERT_EQ(in_frame(rig.record, [&] {
                  jpa4.set(0x1234);
                  rig.engine.enter_idle();
                  rig.prot.end_batch();
              }),
              0u);
    const sim::Bits& now = rig.chip->reg(42);
    for (uint32_t i = 0; i < 160; ++i) {
        const bool want = (i >= 144) ? ((0x1234u >> (i - 144)) & 1u) != 0 : pbr[i];
        EXPECT_EQ(now[i], want) << i;
    }
}
