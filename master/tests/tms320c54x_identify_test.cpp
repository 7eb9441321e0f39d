// The TMS320C54x device on a chain of four: identification, its checks and
// the base operations it leaves to jtagdev.
#include <gtest/gtest.h>

#include "master/core/result.h"
#include "master/jtag/jtag.h"
#include "master/tests/support/c54x_sim_rig.h"

namespace {

using c54x_test::c54x_rig;
using namespace mst;

TEST(Tms320c54xIdentify, FindsTheDspBetweenDevicesOfUnequalInstructionLength)
{
    for (uint32_t status_flag : {0u, 1u}) {
        c54x_rig rig;
        ASSERT_EQ(rig.identify(status_flag), 0u) << status_flag;
        // Two one-bit bypasses and 3 + 6 IR bits lie between the DSP and TDO.
        EXPECT_EQ(rig.dev().dr_bits_before, 2u);
        EXPECT_EQ(rig.dev().ir_bits_before, 9u);
        const uint32_t word = rig.dev().status;
        EXPECT_EQ(word & 0x7u, c54x_state::identified | c54x_state::identification_done |
                                   c54x_state::running);
        EXPECT_EQ((word & c54x_state::status_by_register) != 0, status_flag == 1);
        // The power-up DSP runs in mode 2: that is the status last read.
        EXPECT_EQ(c54x_status::mode(rig.dev().last_status), 2u);
        if (status_flag == 0)
            EXPECT_EQ(rig.dsp().instruction(), c54x_ir::idle);
        else
            EXPECT_EQ(rig.dsp().instruction(), c54x_ir::status);
    }
}

TEST(Tms320c54xIdentify, RefusesAnUnknownCoreWithItsIdcodeAndRevision)
{
    struct Case {
        uint32_t idcode;
        uint16_t revision;
        uint32_t status_flag;
    };
    for (const Case c : {Case{0x1003AFDFu, 0xB6E, 0}, Case{0x1003AFDFu, 0xB6E, 1},
                         Case{0x1003AFDEu, 0xB6F, 0}, Case{0x0000AFD0u, 0xB6F, 1}}) {
        sim::C54xTargetConfig config;
        config.idcode = c.idcode;
        config.revision = c.revision;
        c54x_rig rig(config);
        EXPECT_EQ(rig.identify(c.status_flag), rc::unknown_device) << std::hex << c.idcode;
        EXPECT_EQ(the_error_record().param[0], c.idcode);
        EXPECT_EQ(the_error_record().param[1], c.revision);
        EXPECT_EQ(rig.dev().status & c54x_state::identification_done, 0u);
    }
}

TEST(Tms320c54xIdentify, EveryAttachReadsTheTargetSoADisconnectedOneIsSeen)
{
    c54x_rig rig;
    ASSERT_EQ(rig.identify(), 0u);
    uint32_t result = 0;
    for (int i = 0; i < 2; ++i) {
        const size_t exchanges = rig.pod.log().exchanges.size();
        EXPECT_EQ(rig.call([&] { result = rig.dev().attach(2); }), 0u);
        EXPECT_EQ(result, 1u);
        EXPECT_EQ(rig.pod.log().exchanges.size(), exchanges + 1);
    }

    rig.dsp().faults().disconnected = true;
    // The speed search's test: 0, no error.
    EXPECT_EQ(rig.call([&] { result = rig.dev().attach(2); }), 0u);
    EXPECT_EQ(result, 0u);
    // Before an operation: "target not connected".
    EXPECT_EQ(rig.call([&] { rig.dev().attach(1); }), rc::target_not_connected);
    rig.clear_failure();
    EXPECT_EQ(rig.call([&] { rig.dev().attach(0); }), rc::unknown_device);
    rig.clear_failure();

    rig.dsp().faults().disconnected = false;
    EXPECT_EQ(rig.call([&] { result = rig.dev().attach(1); }), 0u);
    EXPECT_EQ(result, 1u);
}

TEST(Tms320c54xIdentify, DisconnectedDuringIdentificationIsAnUnknownDevice)
{
    c54x_rig rig;
    ASSERT_EQ(rig.call([] { the_jtag().measure_chain(); }), 0u);
    rig.dsp().faults().disconnected = true;
    EXPECT_EQ(rig.call([&] { rig.dev().identify(0, 0, 0, 5, 1); }), rc::unknown_device);
    EXPECT_NE(the_error_record().param[0] & 0xFFFu, 0xFDFu);
    EXPECT_EQ(rig.dev().status & c54x_state::identification_done, 0u);
}

TEST(Tms320c54xIdentify, PositionsOutsideTheMeasuredChainAreAFailedSearch)
{
    struct Case {
        uint32_t ir_position;
        uint32_t dr_position;
    };
    // Chain: 4 devices, 22 IR bits.
    for (const Case c : {Case{15, 1}, Case{5, 4}, Case{0xFFFFFFF0u, 1}, Case{5, 0xFFFFFFFFu}}) {
        c54x_rig rig;
        const uint32_t code = rig.call([&] {
            the_jtag().measure_chain();
            rig.dev().identify(0, 0, 0, c.ir_position, c.dr_position);
        });
        EXPECT_EQ(code, rc::target_not_found) << c.ir_position << " " << c.dr_position;
        EXPECT_EQ(rig.dev().status & c54x_state::identified, 0u);
    }
    // The last places that fit are accepted.
    c54x_rig rig;
    EXPECT_EQ(rig.call([&] {
        the_jtag().measure_chain();
        rig.dev().identify(0, 0, 0, 5, 1);
    }), 0u);
}

TEST(Tms320c54xIdentify, ATapResetMakesTheDeviceReadItsRegistersAgain)
{
    c54x_rig rig;
    ASSERT_EQ(rig.identify(), 0u);
    EXPECT_EQ(rig.dev().ir.write_waiter.state, waiter_state::valid);
    const size_t before = rig.pod.log().exchanges.size();
    ASSERT_EQ(rig.call([] { the_jtag().reset_tap(); }), 0u);
    EXPECT_EQ(rig.dev().ir.write_waiter.state, waiter_state::invalid);
    EXPECT_EQ(rig.dev().idcode.state, waiter_state::invalid);
    EXPECT_EQ(rig.dev().pools.valid, 0u);
    // The status read after the reset writes the instruction register again
    // (Test-Logic-Reset left IDCODE selected in the DSP).
    ASSERT_EQ(rig.call([&] { rig.dev().read_status(); }), 0u);
    EXPECT_EQ(rig.dsp().instruction(), c54x_ir::idle);
    EXPECT_GT(rig.pod.log().exchanges.size(), before);
}

TEST(Tms320c54xIdentify, KeepsTheBaseTimeStampAndWatchpointAnswers)
{
    c54x_rig rig;
    jtagdev& dev = rig.dev();
    EXPECT_EQ(rig.call([&] { dev.clear_time_stamp(); }), no_time_stamp);
    rig.clear_failure();
    uint32_t record[9] = {};
    EXPECT_EQ(rig.call([&] { dev.get_time_stamp(record); }), no_time_stamp);
    rig.clear_failure();
    EXPECT_EQ(dev.dwt_comparator_count(), 0u);
    EXPECT_EQ(dev.dwt_parameters(), nullptr);
    EXPECT_EQ(rig.call([&] { dev.run_special(1); dev.power_up(); dev.set_ide_code(2); }), 0u);
}

TEST(Tms320c54xIdentify, EntersTheEngineDeviceListAndLeavesItWhenDestroyed)
{
    c54x_rig rig;
    EXPECT_EQ(the_jtag().devices().tail, static_cast<list_elem*>(&rig.dev()));
    {
        TMS320C54x_jtag_device second;
        EXPECT_EQ(the_jtag().devices().tail, static_cast<list_elem*>(&second));
        EXPECT_EQ(second.status, c54x_state::initial);
    }
    EXPECT_EQ(the_jtag().devices().tail, static_cast<list_elem*>(&rig.dev()));
}

} // namespace

namespace {

TEST(JtagdevBase, UnsupportedOperationsSucceedAndValuesAreZero)
{
    c54x_test::c54x_rig rig;
    mst::jtagdev forwarding(mst::the_jtag(), 4, 1, "IR", "STATUS", 0, 0, false);
    // Only the DSP is in the engine's list: a forwarding device has no
    // place in the chain.
    EXPECT_EQ(forwarding.list, nullptr);
    EXPECT_EQ(mst::the_jtag().devices().tail, static_cast<mst::list_elem*>(&rig.dev()));
    uint32_t value = 7;
    uint32_t results[6] = {};
    EXPECT_EQ(rig.call([&] {
        results[0] = forwarding.attach(2);
        forwarding.identify(1, 2, 3, 4, 5);
        forwarding.run(0);
        forwarding.stop();
        forwarding.step();
        forwarding.set_breakpoint(0x10, 1);
        forwarding.read_register(value, 0);
        results[1] = forwarding.breakpoint_flag(0x10, 1);
        results[2] = forwarding.stop_reason();
        results[3] = forwarding.read_status_forced(0);
        results[4] = forwarding.dwt_start_config();
        results[5] = forwarding.dwt_apply_config();
    }), 0u);
    EXPECT_EQ(results[0], 1u);
    for (int i = 1; i < 6; ++i)
        EXPECT_EQ(results[i], 0u) << i;
    EXPECT_EQ(value, 7u);
    EXPECT_EQ(forwarding.status, 0u);
    EXPECT_EQ(forwarding.all_ones, 0xFFFFFFFFu);
    EXPECT_EQ(forwarding.zero, 0u);
    EXPECT_EQ(&forwarding.instruction_register(), &forwarding.ir);
}

} // namespace
