// The Cortex-M device's register ids against the simulated core, over
// Serial Wire Debug and JTAG: the register file in one batch, the byte and
// xPSR views, and writes through DCRSR.
#include <gtest/gtest.h>

#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/tests/support/cortex_m_sim_rig.h"

namespace {

using cortex_test::cortex_rig;
namespace rc = mst::rc;

constexpr uint32_t special_selector = 20;

uint32_t read_reg(cortex_rig& rig, uint32_t id)
{
    uint32_t value = 0xDEADBEEF;
    EXPECT_EQ(rig.call([&] { rig.master->read_register(id, value); }), 0u) << rig.error_text();
    return value;
}

void write_reg(cortex_rig& rig, uint32_t id, uint32_t value)
{
    EXPECT_EQ(rig.call([&] { rig.master->write_register(id, value); }), 0u) << rig.error_text();
}

class CortexMRegisters : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        rig.target.bus().poke32(0x4, 0x101);
        rig.target.bus().poke16(0x100, 0xE7FE);
        if (GetParam()) {
            ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
        } else {
            rig.pod.chain().add(rig.target.make_jtag_dp());
            ASSERT_EQ(rig.bring_up(cortex_rig::cortex_record(false)), 0u) << rig.error_text();
        }
        core().set_reg(special_selector, 0x03018001);  // CONTROL 3, FAULTMASK 1, BASEPRI 0x80, PRIMASK 1
        for (uint32_t r = 0; r <= 12; ++r)
            core().set_reg(r, 0x1000 + r);
        core().set_reg(14, 0xFFFFFFF9);
        core().set_reg(16, 0xF100FC23);
        core().set_reg(17, 0x20000F00);
        core().set_reg(18, 0x20000E00);
    }
    sim::CortexMCore& core() { return rig.target.core(); }
    cortex_rig rig;
};

TEST_P(CortexMRegisters, IdsReadTheirRegisterOrView)
{
    for (uint32_t r = 0; r <= 12; ++r)
        EXPECT_EQ(read_reg(rig, r), 0x1000 + r) << "R" << r;
    EXPECT_EQ(read_reg(rig, mst::cortex_id::lr), 0xFFFFFFF9u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), 0x100u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::xpsr), 0xF100FC23u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::msp), 0x20000F00u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::psp), 0x20000E00u);

    const struct { uint32_t id, value; } views[] = {
        {0x20, 0x01}, {0x21, 0x80}, {0x22, 0x01}, {0x23, 0x03},
        {0x40, 0xF0000000}, {0x41, 0x023}, {0x42, 0x0100FC00},
        {0x43, 0xF0000023}, {0x44, 0xF100FC00}, {0x45, 0x0100FC23},
        // Write-only, unused and reserved ids read 0.
        {20, 0}, {19, 0}, {0x30, 0}, {0x31, 0}, {0x40000000, 0}, {0x24, 0}, {0x46, 0},
    };
    for (const auto& v : views)
        EXPECT_EQ(read_reg(rig, v.id), v.value) << std::hex << "id 0x" << v.id;
}

TEST_P(CortexMRegisters, WritesGoThroughDcrsrAndKeepWhatTheyDoNotName)
{
    write_reg(rig, 3, 0xCAFEF00D);
    EXPECT_EQ(core().reg(3), 0xCAFEF00Du);
    EXPECT_EQ(read_reg(rig, 3), 0xCAFEF00Du) << "the cache was dropped";

    // PC 0x08000101 is written as 0x08000100.
    write_reg(rig, mst::cortex_id::pc, 0x08000101);
    EXPECT_EQ(core().reg(15), 0x08000100u);

    // One byte of the special word: the other three are kept.
    write_reg(rig, 0x20, 0x00);
    EXPECT_EQ(core().reg(special_selector), 0x03018000u);
    write_reg(rig, 0x22, 0x00);
    EXPECT_EQ(core().reg(special_selector), 0x03008000u);

    // An xPSR view changes only its own bits.
    write_reg(rig, 0x40, 0x00000000);
    EXPECT_EQ(core().reg(16), 0x0100FC23u);
    write_reg(rig, 0x41, 0x11);
    EXPECT_EQ(core().reg(16), 0x0100FC11u);

    // Ids that name nothing write nothing.
    write_reg(rig, 0x30, 5);
    write_reg(rig, 0x40000000, 5);
    EXPECT_EQ(rig.target.violations().size(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Wires, CortexMRegisters, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Swd" : "Jtag");
                         });

// A register write whose S_REGRDY never shows is reported with the status,
// never taken as written.
TEST(CortexMRegisterWrite, RegisterReadyThatNeverComesIsAnError)
{
    sim::CortexMTargetConfig config;
    config.regrdy_latency = 1000000;
    cortex_rig rig(config);
    rig.target.bus().poke32(0x4, 0x101);
    ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
    write_reg(rig, 1, 0x11);  // the first finds the core ready
    EXPECT_EQ(rig.call([&] { rig.master->write_register(2, 0x22); }), rc::cpu_mode_wrong);
    EXPECT_EQ(rig.record.param[0] & mst::dhcsr::s_regrdy, 0u);
    EXPECT_NE(rig.record.param[0] & mst::dhcsr::s_halt, 0u);
    EXPECT_NE(rig.target.core().reg(2), 0x22u);
}

} // namespace
