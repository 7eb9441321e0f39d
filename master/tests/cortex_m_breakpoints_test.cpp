// The flash patch unit's breakpoints as the simulated target's comparators
// see them: shared words, clearing one halfword, the comparator count, and
// changes made while the core runs.
#include <gtest/gtest.h>

#include <functional>

#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/tests/support/cortex_m_sim_rig.h"

namespace {

using cortex_test::cortex_rig;
namespace rc = mst::rc;

constexpr uint32_t enable = 1;
constexpr uint32_t lower = 0x40000000;
constexpr uint32_t upper = 0x80000000;

struct breakpoint_rig {
    explicit breakpoint_rig(unsigned comparators = 6)
        : rig([&] {
              sim::CortexMTargetConfig config;
              config.fpb_code_comparators = comparators;
              return config;
          }())
    {
        rig.target.bus().poke32(0x4, 0x201);
        rig.target.bus().poke16(0x200, 0xE7FE);
        EXPECT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
    }
    uint32_t call(const std::function<void()>& op) { return rig.call(op); }
    uint32_t comparator(unsigned n) { return rig.target.fpb().comparator(n); }
    mst::fpb_unit& fpb() { return static_cast<mst::Cortex_jtag_device&>(*rig.master->current()).fpb; }
    cortex_rig rig;
};

TEST(CortexMBreakpoints, TwoHalfwordsOfAWordShareAComparator)
{
    breakpoint_rig b;
    ASSERT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, 0x100); }), 0u);
    ASSERT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, 0x102); }), 0u);
    EXPECT_EQ(b.fpb().used, 1u);
    EXPECT_EQ(b.fpb().comparators[0], 0x100u | lower | upper);
    // Written when the core is about to run, enabled.
    EXPECT_EQ(b.comparator(0), 0u);
    ASSERT_EQ(b.call([&] { b.rig.master->run(0); }), 0u);
    EXPECT_EQ(b.comparator(0), 0x100u | lower | upper | enable);

    // While running a change is written at once.
    ASSERT_EQ(b.call([&] { b.rig.master->clear_breakpoint(1, 0x100); }), 0u);
    EXPECT_EQ(b.comparator(0), 0x100u | upper | enable);
    ASSERT_EQ(b.call([&] { b.rig.master->clear_breakpoint(1, 0x102); }), 0u);
    EXPECT_EQ(b.comparator(0), 0x100u) << "freed and disabled";
    EXPECT_EQ(b.fpb().used, 0u);
    ASSERT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, 0x3FFE); }), 0u);
    EXPECT_EQ(b.comparator(0), 0x3FFCu | upper | enable) << "the freed comparator is taken again";

    // Halting writes every comparator disabled; the next run enables the
    // used ones again.
    ASSERT_EQ(b.call([&] { b.rig.master->stop(); }), 0u);
    EXPECT_EQ(b.comparator(0) & enable, 0u);
    ASSERT_EQ(b.call([&] { b.rig.master->clear_all_breakpoints(1); }), 0u);
    ASSERT_EQ(b.call([&] { b.rig.master->run(0); }), 0u);
    EXPECT_EQ(b.comparator(0) & enable, 0u);
    EXPECT_EQ(b.rig.target.violations().size(), 0u);
}

// NUM_CODE of 10 gives the unit's image its 8 comparators; the ninth word
// is refused with the count.
TEST(CortexMBreakpoints, AtMostEightComparatorsAreUsed)
{
    breakpoint_rig b(10);
    EXPECT_EQ(b.fpb().count, 8u);
    EXPECT_EQ(b.fpb().all, 0xFFu);
    for (uint32_t i = 0; i < 8; ++i)
        ASSERT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, 0x1000 + 8 * i); }), 0u);
    EXPECT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, 0x2000); }), rc::breakpoint_count);
    EXPECT_EQ(b.rig.record.param[0], 8u);
    // A breakpoint already set is no new one.
    EXPECT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, 0x1000); }), 0u);
}

TEST(CortexMBreakpoints, AddressOutsideTheCodeRegionOrOddIsRefused)
{
    breakpoint_rig b;
    for (uint32_t address : {0x20000000u, 0xFFFFFFFEu, 0x101u, 0x1FFFFFFFu}) {
        EXPECT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, address); }),
                  rc::hw_breakpoint_address);
        EXPECT_EQ(b.rig.record.param[0], address);
        EXPECT_EQ(b.call([&] { b.rig.master->clear_breakpoint(1, address); }),
                  rc::hw_breakpoint_address);
    }
    EXPECT_EQ(b.call([&] { b.rig.master->set_breakpoint(1, 0x1FFFFFFEu); }), 0u);
}

} // namespace
