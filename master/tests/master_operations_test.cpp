// The operations the master forwards to the current device, its status byte,
// power checks and pod information, against the simulated pod and
// TMS320C54x.
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "master/devices/jtagdev.h"
#include "master/tests/support/master_sim_rig.h"

namespace {

using master_test::master_rig;
namespace rc = mst::rc;

constexpr uint32_t cmd_lines = 0x80000905;
constexpr uint32_t space_program = 0;
constexpr uint32_t space_data = 1;
constexpr uint32_t kind_program_address = 1;

sim::VoltageSample supply(uint16_t vtrg, uint16_t behind_fuse)
{
    sim::VoltageSample s;
    s.values[1] = vtrg;
    s.values[2] = behind_fuse;
    return s;
}

uint8_t status_of(master_rig& rig, uint32_t* code = nullptr)
{
    uint8_t status = 0x30;
    const uint32_t c = rig.call([&] { rig.master->status(status); });
    if (code != nullptr)
        *code = c;
    return status;
}

TEST(MasterOperations, WithoutADeviceEveryForwardedOperationReportsNotInitialised)
{
    master_rig rig;
    rig.add_target();
    mst::master& m = *rig.master;
    uint32_t value = 0;
    uint16_t words[4] = {};
    const std::vector<std::pair<const char*, std::function<void()>>> ops = {
        {"run", [&] { m.run(0); }},
        {"run_special", [&] { m.run_special(0); }},
        {"stop", [&] { m.stop(); }},
        {"step", [&] { m.step(); }},
        {"read_register", [&] { m.read_register(0, value); }},
        {"write_register", [&] { m.write_register(0, 1); }},
        {"read_memory", [&] { m.read_memory(space_data, 0, 1, words); }},
        {"write_memory", [&] { m.write_memory(space_data, 0, 1, words); }},
        {"set_breakpoint", [&] { m.set_breakpoint(1, 0x100); }},
        {"clear_breakpoint", [&] { m.clear_breakpoint(1, 0x100); }},
        {"clear_all_breakpoints", [&] { m.clear_all_breakpoints(1); }},
        {"breakpoint_flag", [&] { m.breakpoint_flag(1, 0x100); }},
        {"clear_time_stamp", [&] { m.clear_time_stamp(); }},
        {"get_time_stamp", [&] { m.get_time_stamp(words); }},
        {"dwt_start_config", [&] { m.dwt_start_config(); }},
        {"dwt_end_config", [&] { m.dwt_end_config(); }},
    };
    for (const auto& [name, op] : ops)
        EXPECT_EQ(rig.call(op), rc::not_initialised) << name;

    // What answers without a device (after the recovery of the last code).
    ASSERT_EQ(rig.call([] {}), 0u);
    EXPECT_EQ(m.dwt_comparator_count(), 0u);
    EXPECT_EQ(m.dwt_parameters(), nullptr);
    EXPECT_EQ(m.dwt_apply_config(), 0u);
    const size_t before = rig.requests();
    EXPECT_EQ(rig.call([&] { m.read_register(0xB1, value); }), 0u);
    EXPECT_EQ(value, 0xFCu);
    EXPECT_EQ(rig.call([&] { m.read_memory(space_data, 0, 0, words); }), 0u);
    EXPECT_EQ(rig.call([&] { m.write_memory(space_data, 0, 0, words); }), 0u);
    EXPECT_EQ(rig.requests(), before) << "no pod exchange";
}

// The count is in the device's units, the clearing in bytes: a failed read
// of 4 words has cleared only the first 2.
TEST(MasterOperations, ReadMemoryClearsCountBytesFirst)
{
    master_rig rig;
    rig.add_target();
    uint16_t words[4] = {0xAAAA, 0xAAAA, 0xAAAA, 0xAAAA};
    EXPECT_EQ(rig.call([&] { rig.master->read_memory(space_data, 0, 4, words); }),
              rc::not_initialised);
    EXPECT_EQ(words[0], 0);
    EXPECT_EQ(words[1], 0);
    EXPECT_EQ(words[2], 0xAAAA);
}

TEST(MasterOperations, StatusByteFollowsTheDevice)
{
    master_rig rig;
    rig.add_target();
    EXPECT_EQ(status_of(rig), 0x33) << "power good, answered, no device";
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::tms320c54x); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    EXPECT_EQ(status_of(rig), 0x3B) << "a device that was not found counts as initialised";

    const mst::MasterConfig c = master_rig::driver_record();
    ASSERT_EQ(rig.call([&] { rig.master->set_config(sizeof c, &c); }), 0u) << rig.error_text();
    EXPECT_EQ(status_of(rig), 0x0F) << "found, initialised, halted";

    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u) << rig.error_text();
    EXPECT_EQ(rig.pod.lines() & mst::line::run, mst::line::run);
    EXPECT_EQ(status_of(rig), 0x2F) << "running";
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
    EXPECT_EQ(rig.pod.lines() & mst::line::run, 0u);
    EXPECT_EQ(status_of(rig), 0x0F);

    uint32_t info[3] = {};
    rig.master->pod_info(info);
    EXPECT_EQ(info[0], 131u);
    EXPECT_EQ(info[1], 252u) << "the DSP has no type code the pod information knows";
    EXPECT_EQ(info[2], 255u);

    rig.pod.script_voltages({supply(1000, 1000)});
    uint32_t code = 0;
    EXPECT_EQ(status_of(rig, &code), 0x30) << "untouched when the power check fails";
    EXPECT_EQ(code, rc::no_power);
}

// A program stopped by a hardware breakpoint: the status reports the halt and
// its reason, and the line that followed the run is released.
TEST(MasterOperations, RunToAHardwareBreakpoint)
{
    master_rig rig;
    rig.add_generic(5, 0x0A5A5001u);
    rig.add_target();
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    mst::master& m = *rig.master;
    const std::vector<uint16_t> program = {0xF495, 0xF495, 0xE812, 0x8060, 0xF495, 0xF073, 0x1005};
    ASSERT_EQ(rig.call([&] {
        m.write_memory(space_program, 0x1000, static_cast<uint32_t>(program.size()),
                       program.data());
    }), 0u);
    ASSERT_EQ(rig.call([&] { m.write_register(0, 0x1000); }), 0u);
    ASSERT_EQ(rig.call([&] { m.set_breakpoint(kind_program_address, 0x1004); }), 0u);
    ASSERT_EQ(rig.call([&] { m.run(0); }), 0u) << rig.error_text();
    uint8_t status = 0;
    for (int i = 0; i < 50 && ((status = status_of(rig)) & 0x30) != 0; ++i) {
    }
    EXPECT_EQ(status, 0x4F) << "halted by a hardware breakpoint";
    EXPECT_EQ(rig.pod.lines() & mst::line::run, 0u);
    uint32_t pc = 0;
    ASSERT_EQ(rig.call([&] { m.read_register(0, pc); }), 0u);
    EXPECT_EQ(pc, 0x1004u);
    EXPECT_EQ(rig.target->cpu().memory(sim::C54xSpace::Data)[0x60], 0x12);
    uint32_t flag = 0;
    ASSERT_EQ(rig.call([&] { flag = m.breakpoint_flag(kind_program_address, 0x1004); }), 0u);
    EXPECT_EQ(flag, 1u);
}

TEST(MasterOperations, ResetHoldsTheTargetResetLine)
{
    master_rig rig;
    rig.add_target();
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    const size_t first = rig.pod.log().controls.size();
    const uint64_t paused = rig.paused_ms;
    ASSERT_EQ(rig.call([&] { rig.master->reset(); }), 0u) << rig.error_text();
    std::vector<std::pair<uint32_t, uint32_t>> lines;
    for (size_t i = first; i < rig.pod.log().controls.size(); ++i) {
        const sim::ControlRecord& r = rig.pod.log().controls[i];
        if (r.word == cmd_lines)
            lines.emplace_back(r.a, r.b);
    }
    const std::vector<std::pair<uint32_t, uint32_t>> expected = {
        {0, 0x10000}, {0x10000, 0}, {0x20000, 0}};
    EXPECT_EQ(lines, expected);
    EXPECT_GE(rig.paused_ms - paused, 50u);
    EXPECT_EQ(rig.target->cpu_mode(), 0u);
    EXPECT_EQ(rig.target->cpu().pc, 0xFF80) << "the reset vector";
}

struct power_case {
    const char* name;
    uint16_t vtrg;
    uint16_t behind_fuse;
    uint32_t code;
    uint32_t volts;
    uint32_t hundredths;
};

// The in-batch sample of a run-control operation (and the power check of its
// first raise) reports a bad supply with the voltage as parameters; the next
// call checks the power first and runs nothing while it is still bad.
TEST(MasterOperations, BadSupplyStopsTheOperationUntilItIsBack)
{
    const power_case cases[] = {
        {"no power", 1000, 1000, rc::no_power, 1, 0},
        {"too high", 6500, 6500, rc::power_too_high, 6, 50},
        {"fuse", 3300, 2500, rc::fuse_blown, 0, 80},
    };
    for (const power_case& k : cases) {
        SCOPED_TRACE(k.name);
        master_rig rig;
        rig.add_target();
        ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
        rig.pod.script_voltages({supply(k.vtrg, k.behind_fuse)});
        EXPECT_EQ(rig.call([&] { rig.master->stop(); }), k.code);
        EXPECT_EQ(rig.record.param[0], k.volts);
        EXPECT_EQ(rig.record.param[1], k.hundredths);

        const uint32_t steps = rig.target->single_steps();
        EXPECT_EQ(rig.call([&] { rig.master->step(); }), k.code) << "still bad: nothing runs";
        EXPECT_EQ(rig.target->single_steps(), steps);

        rig.pod.script_voltages({sim::VoltageSample{}});
        EXPECT_EQ(rig.call([&] { rig.master->step(); }), 0u) << rig.error_text();
        EXPECT_EQ(rig.target->single_steps(), steps + 1);
    }
}

// The sample taken inside the batch of a run-control operation is judged on
// its own: a supply that dips only for that sample still stops the
// operation, with the sample's voltage.
TEST(MasterOperations, InBatchSampleReportsADip)
{
    master_rig rig;
    rig.add_target();
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    const size_t first = rig.pod.log().controls.size();
    rig.pod.script_voltages({supply(1200, 1200), sim::VoltageSample{}});
    EXPECT_EQ(rig.call([&] { rig.master->stop(); }), rc::no_power);
    EXPECT_EQ(rig.record.param[0], 1u);
    EXPECT_EQ(rig.record.param[1], 20u);
    size_t voltage_reads = 0;
    for (size_t i = first; i < rig.pod.log().controls.size(); ++i)
        voltage_reads += rig.pod.log().controls[i].word == 0x80000901 ? 1 : 0;
    EXPECT_EQ(voltage_reads, 1u) << "the power check of the raise found the supply good";
    EXPECT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
}

TEST(MasterOperations, SpecialFunctionsServeOnlyTheCortexHost)
{
    master_rig rig;
    rig.add_target();
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    const size_t before = rig.requests();
    uint32_t result = 7;
    EXPECT_EQ(rig.call([&] { rig.master->special_function(2, result); }), 0u);
    EXPECT_EQ(result, 7u);
    EXPECT_EQ(rig.requests(), before);
}

} // namespace
