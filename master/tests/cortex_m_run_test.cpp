// The Cortex-M device's identification, run control, reset and breakpoints
// against the simulated Cortex-M target, through the master object, over
// Serial Wire Debug and over JTAG.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "master/core/transport_slots.h"
#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/tests/support/cortex_m_sim_rig.h"
#include "sim/pod/generic_device.h"

namespace {

using cortex_test::cortex_rig;
namespace rc = mst::rc;

constexpr uint16_t nop = 0xBF00;
constexpr uint16_t branch_to_self = 0xE7FE;
constexpr uint32_t code_start = 0x100;
constexpr uint32_t code_halfwords = 64;
constexpr uint32_t loop_address = code_start + 2 * code_halfwords;

// A vector table (SP, reset at code_start), a run of NOPs and a loop.
void load_program(sim::CortexMTarget& target)
{
    target.bus().poke32(0x0, 0x20001000);
    target.bus().poke32(0x4, code_start | 1);
    for (uint32_t i = 0; i < code_halfwords; ++i)
        target.bus().poke16(code_start + 2 * i, nop);
    target.bus().poke16(loop_address, branch_to_self);
}

mst::Cortex_jtag_device& cortex(cortex_rig& rig)
{
    return static_cast<mst::Cortex_jtag_device&>(*rig.master->cortex_device());
}

uint32_t read_reg(cortex_rig& rig, uint32_t id)
{
    uint32_t value = 0;
    EXPECT_EQ(rig.call([&] { rig.master->read_register(id, value); }), 0u) << rig.error_text();
    return value;
}

// Polls the master's status until the device no longer runs.
bool wait_halted(cortex_rig& rig)
{
    for (int i = 0; i < 100; ++i) {
        uint8_t status = 0;
        if (rig.call([&] { rig.master->status(status); }) != 0)
            return false;
        if ((cortex(rig).status & mst::cortex_flag::running) == 0)
            return true;
    }
    return false;
}

size_t violations(cortex_rig& rig) { return rig.target.violations().size(); }

std::string violation_text(cortex_rig& rig)
{
    std::string text;
    for (const sim::ArmViolation& v : rig.target.violations())
        text += std::string(sim::arm_violation_name(v.kind)) + ": " + v.detail + "\n";
    return text;
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

struct part_case {
    const char* name;
    sim::CortexMPart part;
    uint32_t cpuid;
    uint32_t type;
    uint32_t wrap_mask;
    bool pc_sampling;
    const char* line;
    uint32_t pod_family;  // word 2 of the pod information
};

void PrintTo(const part_case& c, std::ostream* os) { *os << c.name; }

class CortexMParts : public ::testing::TestWithParam<part_case> {};

// Every known core is identified by its CPUID and told in its progress line;
// the first status read of the session takes the core's power-on reset as
// expected, never as an illegal one.
TEST_P(CortexMParts, IdentifiesTheCoreByCpuid)
{
    const part_case& c = GetParam();
    sim::CortexMTargetConfig config;
    config.part = c.part;
    config.cpuid = c.cpuid;
    // The ARMv6-M parts' own port ids fall outside the accepted mask.
    config.dpidr = 0x2BA01477;
    cortex_rig rig(config);
    load_program(rig.target);
    progress_lines.clear();
    MessageFunc = &record_progress;
    const uint32_t code = rig.bring_up_swd();
    MessageFunc = nullptr;
    ASSERT_EQ(code, 0u) << rig.error_text();

    mst::Cortex_jtag_device& device = cortex(rig);
    EXPECT_EQ(device.core_type, c.type);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::core_type), c.type);
    EXPECT_EQ(device.ap.wrap_mask, c.wrap_mask);
    EXPECT_EQ((device.status & mst::cortex_flag::pc_sampling) != 0, c.pc_sampling);
    EXPECT_EQ(device.status & 0x7u, 0x3u) << "initialised, found, halted";
    EXPECT_NE(std::find(progress_lines.begin(), progress_lines.end(), c.line),
              progress_lines.end());
    // The pod information knows every identified core.
    uint32_t info[3] = {};
    rig.master->pod_info(info);
    EXPECT_EQ(info[0], 131u);
    EXPECT_EQ(info[1], 0u);
    EXPECT_EQ(info[2], c.pod_family);
    // SetConfig ends with a reset that catches the core at its reset vector.
    EXPECT_TRUE(rig.target.core().halted());
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), code_start);
    EXPECT_EQ(violations(rig), 0u) << violation_text(rig);
}

INSTANTIATE_TEST_SUITE_P(
    Cores, CortexMParts,
    ::testing::Values(
        part_case{"M3r2p1", sim::CortexMPart::M3, 0x412FC231, mst::cortex_type::m3, 0xFFF, true,
                  "  CPUID=0x412FC231 - Cortex-M3 r2p1 core found.", 3},
        part_case{"M3r0p0", sim::CortexMPart::M3, 0x410FC230, mst::cortex_type::m3, 0xFFF, false,
                  "  CPUID=0x410FC230 - Cortex-M3 r0p0 core found.", 3},
        part_case{"M4", sim::CortexMPart::M4, 0x410FC241, mst::cortex_type::m4, 0xFFF, true,
                  "  CPUID=0x410FC241 - Cortex-M4 r0p1 core found.", 4},
        // ARMv6-M: reset through SYSRESETREQ, since VECTRESET does nothing.
        part_case{"M0", sim::CortexMPart::M0, 0x410CC200, mst::cortex_type::m0, 0x3FF, true,
                  "  CPUID=0x410CC200 - Cortex-M0 r0p0 core found.", 0},
        part_case{"M1", sim::CortexMPart::M1, 0x410CC210, mst::cortex_type::m1, 0x3FF, true,
                  "  CPUID=0x410CC210 - Cortex-M1 r0p0 core found.", 1}),
    [](const ::testing::TestParamInfo<part_case>& info) { return std::string(info.param.name); });

TEST(CortexMIdentify, CpuidOfAnotherFamilyOrUnknownPartIsRejected)
{
    // Expected an M4, found an M3: the family message with both numbers.
    {
        cortex_rig rig;
        mst::MasterConfig c = cortex_rig::cortex_record(true);
        c.set_selector = 0x410FC240;
        EXPECT_EQ(rig.bring_up(c), rc::cpuid_family);
        EXPECT_EQ(rig.record.param[0], 4u);
        EXPECT_EQ(rig.record.param[1], 0x412FC231u);
        EXPECT_EQ(rig.record.param[2], 3u);
        EXPECT_EQ(rig.record.param[3], 2u);
        EXPECT_EQ(rig.record.param[4], 1u);
    }
    // Another implementer than ARM when any ARM core is wanted.
    {
        sim::CortexMTargetConfig config;
        config.cpuid = 0x510FC230;
        cortex_rig rig(config);
        EXPECT_EQ(rig.bring_up_swd(), rc::cpuid_wrong);
        EXPECT_EQ(rig.record.param[0], 0x510FC230u);
    }
}

// The debug port's id rule rejects the ARMv6-M parts' own port ids (a known
// limitation of the rule); the message's revision is 0, not a stale value.
TEST(CortexMIdentify, PortIdOutsideTheRuleIsAnUnknownDevice)
{
    sim::CortexMTargetConfig config;
    config.part = sim::CortexMPart::M0;
    cortex_rig rig(config);
    rig.record.param[1] = 0x1234;
    EXPECT_EQ(rig.bring_up_swd(), rc::unknown_device);
    EXPECT_EQ(rig.record.param[0], 0x0BB11477u);
    EXPECT_EQ(rig.record.param[1], 0u);
}

// JTAG: the debug port between devices of other IR lengths on both sides.
TEST(CortexMIdentify, JtagBringUpBetweenDevicesOfUnequalIrLength)
{
    cortex_rig rig;
    load_program(rig.target);
    sim::GenericDeviceConfig before;
    before.ir_length = 5;
    before.idcode = 0x0A5A5001u;
    sim::GenericDeviceConfig after;
    after.ir_length = 7;
    after.idcode = 0x0C3C3003u;
    rig.pod.chain().emplace<sim::GenericDevice>(before);
    rig.pod.chain().add(rig.target.make_jtag_dp());
    rig.pod.chain().emplace<sim::GenericDevice>(after);
    ASSERT_EQ(rig.bring_up(cortex_rig::cortex_record(false, 1, 5)), 0u) << rig.error_text();
    EXPECT_EQ(cortex(rig).dr_bits_before, 1u);
    EXPECT_EQ(cortex(rig).ir_bits_before, 7u);
    EXPECT_EQ(cortex(rig).core_type, mst::cortex_type::m3);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), code_start);

    ASSERT_EQ(rig.call([&] { rig.master->step(); }), 0u) << rig.error_text();
    ASSERT_TRUE(wait_halted(rig));
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), code_start + 2);
    EXPECT_EQ(violations(rig), 0u) << violation_text(rig);
}

// Run control over either wire (true: Serial Wire Debug).
class CortexMRun : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        load_program(rig.target);
        if (GetParam()) {
            ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
        } else {
            rig.pod.chain().add(rig.target.make_jtag_dp());
            ASSERT_EQ(rig.bring_up(cortex_rig::cortex_record(false)), 0u) << rig.error_text();
        }
    }
    cortex_rig rig;
};

TEST_P(CortexMRun, StepRunAndStop)
{
    ASSERT_EQ(rig.call([&] { rig.master->step(); }), 0u) << rig.error_text();
    ASSERT_TRUE(wait_halted(rig));
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), code_start + 2);

    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u) << rig.error_text();
    EXPECT_FALSE(rig.target.core().halted());
    // While running, PC comes from the PC sampler; other registers cannot
    // be read.
    uint32_t pc = 0;
    EXPECT_EQ(rig.call([&] { rig.master->read_register(mst::cortex_id::pc, pc); }), 0u);
    EXPECT_GE(pc, code_start);
    EXPECT_LE(pc, loop_address);
    uint32_t r0 = 0;
    EXPECT_EQ(rig.call([&] { rig.master->read_register(0, r0); }), rc::plain_deliver);
    EXPECT_EQ(rig.call([&] { rig.master->step(); }), rc::step_in_run);

    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
    EXPECT_TRUE(rig.target.core().halted());
    EXPECT_EQ(cortex(rig).status & mst::cortex_flag::running, 0u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), loop_address) << "the loop holds it";
    EXPECT_EQ(violations(rig), 0u) << violation_text(rig);
}

// Running with interrupts masked and stepping without: C_MASKINTS changes
// only in a write made with C_HALT set before and in it.
TEST_P(CortexMRun, InterruptMaskChangesOnlyWhileHalted)
{
    rig.target.core().clear_logs();
    ASSERT_EQ(rig.call([&] { rig.master->run(8); }), 0u) << rig.error_text();
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
    ASSERT_EQ(rig.call([&] { rig.master->write_register(mst::cortex_id::pc, code_start); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u) << rig.error_text();
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
    // Each stop of a core that retired instructions also writes the
    // C_SNAPSTALL form once it has halted (harmless on a halted core).
    const std::vector<uint32_t> expected = {
        0xA05F000B,  // the mask set while halted
        0xA05F0009,  // run masked
        0xA05F000B,  // halt, mask kept
        0xA05F002B,  // C_SNAPSTALL, mask kept
        0xA05F0003,  // the mask cleared while halted
        0xA05F0001,  // run
        0xA05F0003,  // halt
        0xA05F0023,
    };
    EXPECT_EQ(rig.target.core().dhcsr_writes(), expected);
    EXPECT_EQ(violations(rig), 0u) << violation_text(rig);
}

// The hit is fixed at the halt: a PC written afterwards, or the breakpoint
// cleared before the question, does not change the answer.
TEST_P(CortexMRun, BreakpointHitStaysWithTheHaltAddress)
{
    const uint32_t at = code_start + 0x10;
    const uint32_t other = code_start + 0x20;
    ASSERT_EQ(rig.call([&] {
                  rig.master->set_breakpoint(1, at);
                  rig.master->set_breakpoint(1, other);
                  rig.master->run(0);
              }),
              0u)
        << rig.error_text();
    ASSERT_TRUE(wait_halted(rig));
    uint32_t flag_at = 0, flag_other = 7, flag_cleared = 0;
    ASSERT_EQ(rig.call([&] {
                  rig.master->write_register(mst::cortex_id::pc, other);
                  flag_at = rig.master->breakpoint_flag(1, at);
                  flag_other = rig.master->breakpoint_flag(1, other);
                  rig.master->clear_breakpoint(1, at);
                  flag_cleared = rig.master->breakpoint_flag(1, at);
              }),
              0u)
        << rig.error_text();
    EXPECT_EQ(flag_at, 1u);
    EXPECT_EQ(flag_other, 0u);
    EXPECT_EQ(flag_cleared, 1u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), other);
}

// The hit of a halt is taken against the address the core halted at.
TEST_P(CortexMRun, BreakpointHaltsAndIsReportedAtItsAddress)
{
    const uint32_t at = code_start + 0x10;
    ASSERT_EQ(rig.call([&] { rig.master->set_breakpoint(1, at); }), 0u) << rig.error_text();
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u) << rig.error_text();
    ASSERT_TRUE(wait_halted(rig));
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), at);
    uint32_t flag_at = 0, flag_other = 0, flag_zero = 7;
    ASSERT_EQ(rig.call([&] {
                  flag_at = rig.master->breakpoint_flag(1, at);
                  flag_other = rig.master->breakpoint_flag(1, at + 2);
                  flag_zero = rig.master->breakpoint_flag(1, 0);
              }),
              0u);
    EXPECT_EQ(flag_at, 1u);
    EXPECT_EQ(flag_other, 0u);
    EXPECT_EQ(flag_zero, 0u);
    // While halted the comparators are off.
    EXPECT_EQ(rig.target.fpb().comparator(0) & 1u, 0u);

    // Running from the breakpoint steps over it first, then runs on into
    // the loop.
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u) << rig.error_text();
    EXPECT_EQ(rig.target.fpb().comparator(0), (at & 0x1FFFFFFCu) | 0x40000001u);
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), loop_address);

    // Cleared: the next run passes it.
    ASSERT_EQ(rig.call([&] { rig.master->write_register(mst::cortex_id::pc, code_start); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->clear_breakpoint(1, at); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), loop_address);
    EXPECT_EQ(violations(rig), 0u) << violation_text(rig);
}

TEST_P(CortexMRun, ResetCatchesTheCoreAtItsResetVector)
{
    ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->reset(); }), 0u) << rig.error_text();
    EXPECT_TRUE(rig.target.core().halted());
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), code_start);
    EXPECT_EQ(read_reg(rig, mst::cortex_id::sp), 0x20001000u);
    EXPECT_EQ(rig.target.core().demcr() & 1u, 0u) << "the vector catch is off again";
}

// ARMv6-M has no VECTRESET: the core is reset through SYSRESETREQ, and the
// reset really happens.
TEST(CortexMReset, Armv6MCoreIsResetThroughSysResetReq)
{
    sim::CortexMTargetConfig config;
    config.part = sim::CortexMPart::M0;
    config.dpidr = 0x2BA01477;
    cortex_rig rig(config);
    load_program(rig.target);
    ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(rig.call([&] { rig.master->step(); }), 0u) << rig.error_text();
        ASSERT_TRUE(wait_halted(rig));
    }
    ASSERT_EQ(read_reg(rig, mst::cortex_id::pc), code_start + 6);

    rig.target.core().clear_logs();
    ASSERT_EQ(rig.call([&] { rig.master->reset(); }), 0u) << rig.error_text();
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), code_start);
    const auto& resets = rig.target.core().resets();
    EXPECT_NE(std::find(resets.begin(), resets.end(), sim::CortexMResetKind::System), resets.end());

    // Without the pod's reset line: the device's own reset alone.
    ASSERT_EQ(rig.call([&] { rig.master->step(); }), 0u);
    ASSERT_TRUE(wait_halted(rig));
    ASSERT_EQ(read_reg(rig, mst::cortex_id::pc), code_start + 2);
    ASSERT_EQ(rig.call([&] { cortex(rig).reset_full(); }), 0u) << rig.error_text();
    EXPECT_TRUE(rig.target.core().halted());
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), code_start);
    EXPECT_EQ(violations(rig), 0u) << violation_text(rig);
}

// A reset the device did not cause is reported, and the next call goes on.
TEST_P(CortexMRun, UnexpectedResetIsReported)
{
    rig.target.core().inject_reset();
    uint8_t status = 0;
    EXPECT_EQ(rig.call([&] { cortex(rig).read_status_forced(1); }), rc::illegal_reset);
    EXPECT_EQ(rig.call([&] { rig.master->status(status); }), 0u) << rig.error_text();
}

TEST_P(CortexMRun, RunSpecialRunsARoutineToItsBreakpoint)
{
    // A routine in RAM that ends in BKPT.
    rig.target.bus().poke16(0x20000100, nop);
    rig.target.bus().poke16(0x20000102, 0xBE00);
    ASSERT_EQ(rig.call([&] { rig.master->run_special(0x20000100); }), 0u) << rig.error_text();
    EXPECT_TRUE(rig.target.core().halted());
    EXPECT_EQ(read_reg(rig, mst::cortex_id::pc), 0x20000102u);
    EXPECT_NE(read_reg(rig, mst::cortex_id::xpsr) & 0x01000000u, 0u);

    // One that never ends: the flash timeout after 1000 polls.
    rig.target.bus().poke16(0x20000200, branch_to_self);
    EXPECT_EQ(rig.call([&] { rig.master->run_special(0x20000200); }), rc::flash_timeout);
    EXPECT_GE(rig.paused_ms, 1000u * 10u);
}

TEST_P(CortexMRun, DwtReportsNoComparator)
{
    EXPECT_EQ(rig.master->dwt_comparator_count(), 0u);
    EXPECT_NE(rig.master->dwt_parameters(), nullptr);
    uint32_t start = 1, apply = 1;
    ASSERT_EQ(rig.call([&] {
                  start = rig.master->dwt_start_config();
                  apply = rig.master->dwt_apply_config();
                  rig.master->dwt_end_config();
              }),
              0u);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(apply, 0u);

    mst::cmd_list list(rig.record);
    mst::Cortex_jtag_device fresh(rig.master->engine(), list);
    EXPECT_EQ(fresh.dwt_parameters(), nullptr) << "not identified";
}

INSTANTIATE_TEST_SUITE_P(Wires, CortexMRun, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Swd" : "Jtag");
                         });

} // namespace
