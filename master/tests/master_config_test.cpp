// The master object's device selection, Init, configuration and Kill against
// the simulated pod and TMS320C54x.
#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "master/core/transport_slots.h"

#include "master/devices/jtagdev.h"
#include "master/jtag/jtag.h"
#include "master/tests/support/master_sim_rig.h"

namespace {

using master_test::master_rig;
namespace rc = mst::rc;

constexpr uint32_t cmd_parameter = 0x80000902;
constexpr uint32_t cmd_lines = 0x80000905;
constexpr uint32_t cmd_voltages = 0x80000901;

struct control {
    uint32_t word, a, b;
    bool operator==(const control&) const = default;
};

std::vector<control> controls_since(const master_rig& rig, size_t first)
{
    std::vector<control> out;
    const auto& all = rig.pod.log().controls;
    for (size_t i = first; i < all.size(); ++i)
        out.push_back({all[i].word, all[i].a, all[i].b});
    return out;
}

// Chains built around the target, TDI end first.
struct chain_case {
    const char* name;
    std::function<void(master_rig&)> build;
    uint32_t code = 0;
    // Where the master placed the target, when it was found.
    uint32_t devices_after = 0;
    uint32_t ir_bits_after = 0;
    uint32_t dr_bits_before = 0;
    uint32_t ir_bits_before = 0;
};

void PrintTo(const chain_case& c, std::ostream* os) { *os << c.name; }

class MasterChainCheck : public ::testing::TestWithParam<chain_case> {};

TEST_P(MasterChainCheck, PlacesTheTargetOrFailsTheSearch)
{
    const chain_case& c = GetParam();
    master_rig rig;
    c.build(rig);
    EXPECT_EQ(rig.bring_up(), c.code) << rig.error_text();
    if (c.code != 0)
        return;
    EXPECT_EQ(+rig.master->config().devices_after, c.devices_after);
    EXPECT_EQ(+rig.master->config().ir_bits_after, c.ir_bits_after);
    mst::jtagdev* device = rig.master->current();
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->dr_bits_before, c.dr_bits_before);
    EXPECT_EQ(device->ir_bits_before, c.ir_bits_before);
    EXPECT_NE(device->status & mst::device_flag::found, 0u);
    EXPECT_EQ(device->status & mst::device_flag::running, 0u) << "SetConfig ends with a Reset";
    EXPECT_EQ(rig.target->cpu_mode(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Chains, MasterChainCheck,
    ::testing::Values(
        chain_case{"TargetAlone", [](master_rig& r) { r.add_target(); }, 0, 0, 0, 0, 0},
        chain_case{"TwoDevicesTowardsTdi",
                   [](master_rig& r) {
                       r.add_generic(5, 0x0A5A5001u);
                       r.add_generic(4, std::nullopt);
                       r.add_target();
                   },
                   0, 2, 9, 0, 0},
        // Count 2 with 16 IR bits passes the chain check.
        chain_case{"EightBitDeviceTowardsTdi",
                   [](master_rig& r) {
                       r.add_generic(8, 0x0B0B0001u);
                       r.add_target();
                   },
                   0, 1, 8, 0, 0},
        // Count 1 with 9 IR bits does not.
        chain_case{"OneNineBitDevice", [](master_rig& r) { r.add_generic(9, 0x09000001u); },
                   rc::target_not_found},
        // Two devices with the DSP's 8 IR bits between them.
        chain_case{"TwoDevicesWithEightIrBits",
                   [](master_rig& r) {
                       r.add_generic(5, 0x0A5A5001u);
                       r.add_generic(3, 0x0C3C3003u);
                   },
                   rc::target_not_found},
        // With the driver's record (no IR capture pattern) the target's
        // instruction register is found at either end of the chain...
        chain_case{"DeviceTowardsTdo",
                   [](master_rig& r) {
                       r.add_target();
                       r.add_generic(5, 0x0A5A5001u);
                   },
                   0, 0, 0, 1, 5},
        chain_case{"TwoDevicesTowardsTdo",
                   [](master_rig& r) {
                       r.add_target();
                       r.add_generic(5, 0x0A5A5001u);
                       r.add_generic(3, 0x0C3C3003u);
                   },
                   0, 0, 0, 2, 8},
        // ... but not between devices on both sides: their split of the
        // other instruction bits is unknown.
        chain_case{"DevicesOnBothSides",
                   [](master_rig& r) {
                       r.add_generic(4, 0x0B0B0001u);
                       r.add_target();
                       r.add_generic(5, 0x0A5A5001u);
                   },
                   rc::target_not_found},
        // A device without IDCODE towards TDO cannot be counted.
        chain_case{"BypassOnlyDeviceTowardsTdo",
                   [](master_rig& r) {
                       r.add_target();
                       r.add_generic(5, std::nullopt);
                   },
                   rc::target_not_found},
        // The chain check passes, the IDCODE search does not.
        chain_case{"NoTargetIdcode",
                   [](master_rig& r) {
                       r.add_generic(5, 0x0A5A5001u);
                       r.add_generic(6, 0x0C3C3003u);
                   },
                   rc::target_not_found}),
    [](const ::testing::TestParamInfo<chain_case>& info) { return std::string(info.param.name); });

// With the driver's record the IR capture pattern is empty and matches
// anywhere, so only a target at one end of the chain can be placed; a host
// that gives the DSP's capture (status 0x80: running in mode 2 at power-up)
// finds it in the middle of the chain too.
TEST(MasterConfig, IrCapturePatternPlacesATargetInTheMiddle)
{
    master_rig rig;
    rig.add_generic(5, 0x0A5A5001u);
    rig.add_target();
    rig.add_generic(3, 0x0C3C3003u);
    mst::MasterConfig c = master_rig::driver_record();
    c.ir_capture_mask[0] = 0xFF;
    c.ir_capture_value[0] = 0x80;
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::tms320c54x); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->set_config(sizeof c, &c); }), 0u) << rig.error_text();
    EXPECT_EQ(+rig.master->config().devices_after, 1);
    EXPECT_EQ(+rig.master->config().ir_bits_after, 5);
    EXPECT_EQ(rig.master->current()->dr_bits_before, 1u);
    EXPECT_EQ(rig.master->current()->ir_bits_before, 3u);
}

// Positions the record pushes outside the measured chain are a failed
// search; the device is never told a fill that wraps around.
TEST(MasterConfig, PositionOutsideTheChainIsAFailedSearch)
{
    struct { uint8_t devices_added; uint8_t ir_bits_added; } cases[] = {{5, 0}, {0, 200}};
    for (const auto& k : cases) {
        master_rig rig;
        rig.add_target();
        mst::MasterConfig c = master_rig::driver_record();
        c.devices_added = k.devices_added;
        c.ir_bits_added = k.ir_bits_added;
        ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::tms320c54x); }), 0u);
        ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
        EXPECT_EQ(rig.call([&] { rig.master->set_config(sizeof c, &c); }), rc::target_not_found);
        EXPECT_EQ(rig.master->current()->status & mst::device_flag::found, 0u);
    }
}

// More than the record's four identification words is a failed
// identification, not a read past the arrays.
TEST(MasterConfig, IdentificationOfMoreThanFourWordsFails)
{
    master_rig rig;
    rig.add_target();
    mst::MasterConfig c = master_rig::driver_record();
    c.ident_count = 5;
    c.ident_mask[0] = 0xFFFF;
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::tms320c54x); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    EXPECT_EQ(rig.call([&] { rig.master->set_config(sizeof c, &c); }), rc::target_not_found);
}

TEST(MasterConfig, FirstInitPowersTheInterfaceAndASecondSendsNothing)
{
    master_rig rig;
    rig.add_target();
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::tms320c54x); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    const std::vector<control> expected = {
        {cmd_parameter, 7, 0}, {cmd_lines, 2, 0}, {cmd_lines, 0, 0x20},
        {cmd_lines, 4, 0},     {cmd_voltages, 0, 0}, {cmd_lines, 0, 2},
    };
    EXPECT_EQ(controls_since(rig, 0), expected);
    EXPECT_EQ(rig.paused_ms, 200u);
    EXPECT_EQ(rig.master->current(), rig.master->tms_device());

    const size_t before = rig.requests();
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    EXPECT_EQ(rig.requests(), before);
}

TEST(MasterConfig, SpeedSearchAndGetConfig)
{
    master_rig rig;
    rig.add_target();
    mst::MasterConfig out;
    // Without a device the found clock reads as the slowest.
    ASSERT_EQ(rig.call([&] { rig.master->get_config(sizeof out, &out); }), 0u);
    EXPECT_EQ(+out.clock_found, 7);

    ASSERT_EQ(rig.bring_up(5), 0u) << rig.error_text();
    ASSERT_EQ(rig.call([&] { rig.master->get_config(sizeof out, &out); }), 0u);
    EXPECT_EQ(+out.clock_start, 5);
    EXPECT_EQ(+out.clock_found, 5) << "the first clock that answers ten times";
    EXPECT_EQ(+out.pod_voltage_0, 5000);
    EXPECT_EQ(+out.target_millivolts, 3300);
    EXPECT_EQ(+out.line_select, 1) << "the TMS320C54x overrides are kept";
    EXPECT_EQ(rig.pod.parameter(), 5u);

    // A start past the slowest clock is kept as it is.
    ASSERT_EQ(rig.bring_up(9), 0u) << rig.error_text();
    EXPECT_EQ(+rig.master->config().clock_found, 9);
    // A short record is never read.
    ASSERT_EQ(rig.call([&] { rig.master->get_config(100, &out); }), 0u);
}

TEST(MasterConfig, KillReleasesTheLinesAndKeepsTheRecord)
{
    master_rig rig;
    rig.add_target();
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    const size_t first = rig.pod.log().controls.size();
    ASSERT_EQ(rig.call([&] { rig.master->kill(); }), 0u);
    const std::vector<control> expected = {
        {cmd_lines, 2, 0},       {cmd_lines, 0, 0x20},    {cmd_lines, 4, 0},
        {cmd_lines, 0x10000, 0}, {cmd_lines, 0x20000, 0},
    };
    EXPECT_EQ(controls_since(rig, first), expected);
    EXPECT_EQ(rig.master->tms_device(), nullptr);
    EXPECT_EQ(rig.master->current(), nullptr);
    EXPECT_TRUE(rig.master->configured_once());
    EXPECT_EQ(+rig.master->config().clock_found, 3);

    // Reset without a device runs Init again.
    ASSERT_EQ(rig.call([&] { rig.master->reset(); }), 0u) << rig.error_text();
    EXPECT_NE(rig.master->tms_device(), nullptr);
}

TEST(MasterConfig, CortexMAndCombinedDevicesBeforeTheirConfiguration)
{
    master_rig rig;
    rig.add_target();
    // IDE code 1: Init creates the Cortex-M device and switches the wire to
    // Serial Wire Debug; a second Init finds it initialised.
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::cortex_m); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u) << rig.error_text();
    ASSERT_NE(rig.master->cortex_device(), nullptr);
    EXPECT_EQ(rig.master->current(), rig.master->cortex_device());
    EXPECT_EQ(rig.master->engine().wire_mode, 1u);
    EXPECT_NE(rig.master->cortex_device()->status & mst::device_flag::initialised, 0u);
    mst::jtagdev* const cortex = rig.master->cortex_device();
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    EXPECT_EQ(rig.master->cortex_device(), cortex);
    ASSERT_EQ(rig.call([&] { rig.master->kill(); }), 0u);
    EXPECT_EQ(rig.master->cortex_device(), nullptr);
    ASSERT_EQ(rig.call([&] { rig.master->engine().select_wire(0); }), 0u);

    // IDE code 3: Init only notes combined mode; the combined device has no
    // DSP to select yet, so it is no usable device.
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::combined); }), 0u);
    ASSERT_NE(rig.master->current(), nullptr) << "the master has its combined device";
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    EXPECT_TRUE(rig.master->combined_mode());
    EXPECT_EQ(rig.master->current()->status, 0u) << "nothing selected: status 0";
    EXPECT_EQ(rig.call([&] { rig.master->reset(); }), rc::not_initialised);
    const mst::MasterConfig c = master_rig::driver_record();
    EXPECT_EQ(rig.call([&] { rig.master->set_config(sizeof c, &c); }), rc::not_initialised);
    EXPECT_EQ(rig.call([&] { rig.master->stop(); }), rc::not_initialised);

    // Selecting the combined device while the wire is Serial Wire Debug.
    ASSERT_EQ(rig.call([&] { rig.master->engine().select_wire(1); }), 0u);
    EXPECT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::combined); }),
              rc::swd_one_core);
    EXPECT_EQ(rig.master->ide_code(), mst::ide::combined) << "kept though the selection failed";
    ASSERT_EQ(rig.call([&] { rig.master->engine().select_wire(0); }), 0u);
}

std::vector<std::string> progress_lines;

void record_progress(const char* format, ...)
{
    char line[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    progress_lines.emplace_back(line);
}

// Hosts other than the DSP's are told the progress of the chain check; the
// DSP's host is not.
TEST(MasterConfig, ProgressLinesOfTheChainCheck)
{
    master_rig rig;
    rig.add_target();
    progress_lines.clear();
    MessageFunc = &record_progress;
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    EXPECT_TRUE(progress_lines.empty());

    mst::MasterConfig c = master_rig::driver_record();
    c.line_select = 1;  // TRST released, as the DSP's overrides do
    c.target_devices = 1;
    c.target_ir_length = 8;
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::cortex_m); }), 0u);
    EXPECT_EQ(rig.call([&] { rig.master->set_config(sizeof c, &c); }), rc::not_initialised);
    MessageFunc = nullptr;
    const std::vector<std::string> expected = {
        "", "Debugger Setup", "JTAG interface selected.", "Test JTAG params...",
        "  JTAG devices number - 1", "  JTAG IR size        - 8 bits",
    };
    EXPECT_EQ(progress_lines, expected);
}

// A stand-in for the combined device: it forwards nothing, it only holds a
// selection the way the combined device does.
struct combined_stand_in : mst::jtagdev, mst::device_selector {
    combined_stand_in() : jtagdev(mst::the_jtag(), 4, 1, "IR", "STATUS") { remove(); }
    mst::jtagdev* selected_device() override { return selected; }
    void forget_device(mst::jtagdev* device) override
    {
        if (selected == device) {
            selected = nullptr;
            status = 0;
        }
    }
    void stop() override { ++forwarded; }
    mst::jtagdev* selected = nullptr;
    unsigned forwarded = 0;
};

// Whenever the master destroys a device the combined device lets go of it:
// with nothing selected it counts as no device, never a freed one.
TEST(MasterConfig, DestroyedDeviceIsNoLongerSelectedByTheCombinedDevice)
{
    master_rig rig;
    rig.add_target();
    combined_stand_in combined;
    rig.master->set_combined_device(&combined, &combined);
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    combined.selected = rig.master->tms_device();
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::combined); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::tms320c54x); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->kill(); }), 0u);
    EXPECT_EQ(combined.selected, nullptr);

    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::cortex_m); }), 0u);
    EXPECT_EQ(rig.master->current(), &combined);
    EXPECT_EQ(rig.call([&] { rig.master->stop(); }), rc::not_initialised);
    EXPECT_EQ(combined.forwarded, 0u);
    rig.master->set_combined_device(nullptr, nullptr);
}

// The reconfiguration of the recovery applies the kept record only once the
// host has given one.
TEST(MasterConfig, RecoveryReconfiguresOnlyAfterASetConfig)
{
    master_rig rig;
    rig.add_target();
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::tms320c54x); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    ASSERT_EQ(rig.call([] { mst::raise_error(rc::output_overflow); }), rc::output_overflow);
    size_t before = rig.requests();
    ASSERT_EQ(rig.call([] {}), 0u);
    EXPECT_EQ(rig.requests(), before) << "no record yet: nothing to apply";

    const mst::MasterConfig c = master_rig::driver_record();
    ASSERT_EQ(rig.call([&] { rig.master->set_config(sizeof c, &c); }), 0u) << rig.error_text();
    ASSERT_EQ(rig.call([] { mst::raise_error(rc::output_overflow); }), rc::output_overflow);
    before = rig.requests();
    ASSERT_EQ(rig.call([] {}), 0u) << rig.error_text();
    EXPECT_GT(rig.requests(), before + 50) << "the chain was measured and the target reset again";
    EXPECT_EQ(rig.target->cpu_mode(), 0u);
}

} // namespace
