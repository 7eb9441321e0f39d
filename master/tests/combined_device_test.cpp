// The combined device: selection by IDE code, forwarding, the guard when
// nothing is selected, the microcontroller set-up that releases the DSP,
// the reset steps of both cores and the DSP's program path; with recording
// stand-ins for the two devices.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "master/devices/combined/combined_device.h"
#include "master/jtag/jtag.h"
#include "master/tests/support/cortex_m_sim_rig.h"
#include "sim/pod/tms320c54x_target.h"

namespace {

namespace rc = mst::rc;

struct access {
    char kind;  // 'r' read, 'w' write
    uint32_t address;
    uint32_t value;
    bool operator==(const access&) const = default;
};

std::ostream& operator<<(std::ostream& os, const access& a)
{
    return os << a.kind << " 0x" << std::hex << a.address << " 0x" << a.value;
}

// A device that records what reaches it; its memory is a word map.
class fake_device : public mst::jtagdev {
public:
    fake_device() : jtagdev(mst::the_jtag(), 4, 1, "IR", "IR", 0, 0, false) {}

    void read_memory(void* buffer, uint32_t count, uint32_t address, uint32_t space) override
    {
        EXPECT_EQ(count, 4u);
        EXPECT_EQ(space, 0u);
        const uint32_t v = memory[address];
        std::memcpy(buffer, &v, 4);
        accesses.push_back({'r', address, v});
    }
    void write_memory(const void* buffer, uint32_t count, uint32_t address, uint32_t) override
    {
        const auto* b = static_cast<const uint8_t*>(buffer);
        for (uint32_t i = 0; i + 4 <= count; i += 4) {
            uint32_t v = uint32_t{b[i]} | uint32_t{b[i + 1]} << 8 | uint32_t{b[i + 2]} << 16 |
                         uint32_t{b[i + 3]} << 24;
            memory[address + i] = v;
            accesses.push_back({'w', address + i, v});
        }
        if (count % 4 != 0)
            bytes_written += count;
    }
    void reset_step1() override { calls.push_back("reset_step1"); }
    void reset_step3() override { calls.push_back("reset_step3"); }
    void stop() override
    {
        calls.push_back("stop");
        status = 0x33;
    }
    void identify(uint32_t a, uint32_t b, uint32_t c, uint32_t d, uint32_t e) override
    {
        identified_with = {a, b, c, d, e};
        status |= 0x3;
    }
    uint32_t attach(uint32_t how) override
    {
        calls.push_back("attach");
        return how + 10;
    }

    std::map<uint32_t, uint32_t> memory;
    std::vector<access> accesses;
    std::vector<std::string> calls;
    std::vector<uint32_t> identified_with;
    uint32_t bytes_written = 0;
};

struct slots : mst::device_slots {
    mst::jtagdev* cortex_device() override { return cortex; }
    mst::jtagdev* tms_device() override { return dsp; }
    mst::jtagdev* cortex = nullptr;
    mst::jtagdev* dsp = nullptr;
};

struct CombinedDevice : ::testing::Test {
    uint32_t call(const std::function<void()>& op)
    {
        record.clear_without_recovery();
        record.held_code = 0;
        try {
            op();
        } catch (const mst::call_abandoned&) {
        }
        const uint32_t code = record.code;
        record.clear_without_recovery();
        return code;
    }

    mst::error_record& record = mst::the_error_record();
    fake_device mcu;
    fake_device dsp;
    slots s;
    mst::Complex_jtag_device combined{mst::the_jtag(), s};
};

TEST_F(CombinedDevice, SelectsByIdeCodeAndCopiesTheStatus)
{
    // Nothing to select: the status stays 0 and operations find no device.
    combined.set_ide_code(1);
    EXPECT_EQ(combined.selected_device(), nullptr);
    EXPECT_EQ(combined.status, 0u);
    EXPECT_EQ(call([&] { combined.stop(); }), rc::not_initialised);
    EXPECT_EQ(call([&] { combined.identify(1, 2, 3, 4, 5); }), 0u) << "identify does nothing";
    EXPECT_EQ(combined.attach(2), 1u) << "the base's attach";

    s.cortex = &mcu;
    s.dsp = &dsp;
    mcu.status = 0x13;
    combined.set_ide_code(1);
    EXPECT_EQ(combined.selected_device(), &mcu);
    EXPECT_EQ(combined.status, 0x13u);
    EXPECT_EQ(combined.attach(2), 12u);
    ASSERT_EQ(call([&] { combined.stop(); }), 0u);
    EXPECT_EQ(mcu.calls.back(), "stop");
    EXPECT_EQ(combined.status, 0x33u) << "copied after the operation";

    // 3 and every other code select the DSP.
    for (uint32_t code : {3u, 2u, 7u}) {
        combined.set_ide_code(1);
        combined.set_ide_code(code);
        EXPECT_EQ(combined.selected_device(), &dsp) << code;
    }
    // A device the master destroys is let go.
    combined.forget_device(&dsp);
    EXPECT_EQ(combined.selected_device(), nullptr);
    EXPECT_EQ(combined.status, 0u);
}

TEST_F(CombinedDevice, IdentifiesTheCortexMWithTheValuesAsGiven)
{
    s.cortex = &mcu;
    combined.set_ide_code(1);
    ASSERT_EQ(call([&] { combined.identify(0, 2, 1, 7, 3); }), 0u);
    EXPECT_EQ(mcu.identified_with, (std::vector<uint32_t>{0, 2, 1, 7, 3}));
    EXPECT_TRUE(mcu.accesses.empty()) << "no DSP set-up";
    EXPECT_EQ(combined.status, mcu.status);
}

// The set-up's values and order, with the Cortex-M selected for it and the
// previous selection back afterwards.
TEST_F(CombinedDevice, DspSetUpReleasesTheDspThroughTheMicrocontroller)
{
    s.cortex = &mcu;
    s.dsp = &dsp;
    mcu.memory[0x40020030] = 0x00000011;
    mcu.memory[0x40020038] = 0x000000F5;
    combined.set_ide_code(3);
    ASSERT_EQ(call([&] { combined.dsp_setup(); }), 0u);
    const std::vector<access> expected = {
        {'r', 0x40020030, 0x00000011}, {'w', 0x40020030, 0x00000111},
        {'w', 0x300000BC, 0x0000FFFF}, {'r', 0x40020038, 0x000000F5},
        {'w', 0x40020038, 0x000000FA}, {'w', 0x3003FF00, 0xF495F495},
        {'w', 0x3003FF04, 0xFF80F073}, {'w', 0x40020038, 0x000000F0},
    };
    EXPECT_EQ(mcu.accesses, expected);
    EXPECT_EQ(combined.selected_device(), &dsp);

    s.cortex = nullptr;
    EXPECT_EQ(call([&] { combined.dsp_setup(); }), rc::not_initialised);
    EXPECT_EQ(combined.selected_device(), &dsp);
}

TEST_F(CombinedDevice, ResetStepsResetTheDspOnceItIsIdentified)
{
    s.cortex = &mcu;
    s.dsp = &dsp;
    combined.set_ide_code(1);
    ASSERT_EQ(call([&] { combined.reset_step1(); }), 0u);
    ASSERT_EQ(call([&] { combined.reset_step3(); }), 0u);
    EXPECT_TRUE(dsp.calls.empty()) << "the DSP is not identified yet";
    EXPECT_TRUE(mcu.accesses.empty());

    dsp.status |= 0x2;  // identification finished
    mcu.calls.clear();
    ASSERT_EQ(call([&] { combined.reset_step1(); }), 0u);
    EXPECT_EQ(mcu.calls, std::vector<std::string>{"reset_step1"});
    EXPECT_EQ(dsp.calls, std::vector<std::string>{"reset_step1"});
    EXPECT_EQ(combined.selected_device(), &mcu) << "selected again after the DSP's step";
    ASSERT_EQ(call([&] { combined.reset_step3(); }), 0u);
    EXPECT_EQ(mcu.accesses.size(), 8u) << "the DSP set-up ran again";
    EXPECT_EQ(dsp.calls.size(), 1u);
}

// DSP program word a lies at 0x30020000 + 2a; the words keep their order
// and byte order, and the 16-bit address wraps.
TEST_F(CombinedDevice, DspProgramWritesGoThroughTheMicrocontroller)
{
    s.cortex = &mcu;
    const uint16_t words[] = {0x1122, 0x3344, 0x5566, 0x7788};
    ASSERT_EQ(call([&] { combined.write_program(words, 4, 0x0010); }), 0u);
    EXPECT_EQ(mcu.memory[0x30020020], 0x33441122u);
    EXPECT_EQ(mcu.memory[0x30020024], 0x77885566u);

    mcu.memory.clear();
    mcu.accesses.clear();
    ASSERT_EQ(call([&] { combined.write_program(words, 4, 0xFFFE); }), 0u);
    EXPECT_EQ(mcu.memory[0x30020000 + 2 * 0xFFFE], 0x33441122u);
    EXPECT_EQ(mcu.memory[0x30020000], 0x77885566u);
}

} // namespace

namespace {

using cortex_test::cortex_rig;

// A host of the combined target, through the master: IDE code 1 configures
// the Cortex-M with the combined variant (which creates the DSP's device),
// IDE code 3 then identifies the DSP behind the microcontroller's set-up,
// and DSP program writes land in the microcontroller's memory.
TEST(CombinedDeviceEndToEnd, ConfiguresBothCoresAndWritesDspProgramThroughTheMcu)
{
    cortex_rig rig;
    rig.target.bus().poke32(0x4, 0x101);
    rig.target.bus().poke16(0x100, 0xE7FE);
    rig.target.bus().add_memory(0x30000000, 0x40000);
    rig.target.bus().add_memory(0x40020000, 0x100);
    // TDI -> the Cortex-M's debug port (IR 4) -> the DSP (IR 8) -> TDO.
    rig.pod.chain().add(rig.target.make_jtag_dp());
    rig.pod.chain().emplace<sim::Tms320c54xTarget>(sim::C54xTargetConfig{});

    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::combined); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::cortex_m); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->init(); }), 0u) << rig.error_text();
    mst::MasterConfig c = cortex_rig::cortex_record(false);
    c.target_variant = 2;
    ASSERT_EQ(rig.call([&] { rig.master->set_config(mst::master_config_size, &c); }), 0u)
        << rig.error_text();
    ASSERT_NE(rig.master->tms_device(), nullptr);
    EXPECT_TRUE(rig.target.core().halted());

    ASSERT_EQ(rig.call([&] { rig.master->select_by_ide_code(mst::ide::combined); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->set_config(mst::master_config_size, &c); }), 0u)
        << rig.error_text();
    uint32_t w = 0;
    rig.target.bus().peek32(0x3003FF00, w);
    EXPECT_EQ(w, 0xF495F495u);
    rig.target.bus().peek32(0x40020038, w);
    EXPECT_EQ(w & 0xFu, 0u);
    EXPECT_NE(rig.master->tms_device()->status & 0x2u, 0u) << "the DSP was identified";

    const uint16_t program[] = {0xABCD, 0x1234};
    ASSERT_EQ(rig.call([&] { rig.master->write_memory(0, 0x0100, 2, program); }), 0u)
        << rig.error_text();
    rig.target.bus().peek32(0x30020200, w);
    EXPECT_EQ(w, 0x1234ABCDu);
}

} // namespace
