// The simulated Cortex-M's fault knobs against the whole device, over Serial
// Wire Debug and over JTAG: each knob gives its result code, leaves the
// clean-up traffic the debug port needs (the DAPABORT of a stuck transfer,
// the clearing of sticky flags), never success with stale data, and the
// next call works once the fault is gone.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/tests/support/cortex_m_sim_rig.h"

namespace {

using cortex_test::cortex_rig;
namespace rc = mst::rc;

constexpr uint32_t sram = 0x20000000;
constexpr uint32_t probe = sram + 0x40;
constexpr uint32_t probe_bytes = 16;
constexpr uint32_t dapabort = 0x1;
constexpr uint32_t swd_clear_sticky = 0x1E;
constexpr uint32_t ctrl_sticky_bits = sim::ArmDp::kStickyOrun | sim::ArmDp::kStickyCmp |
                                      sim::ArmDp::kStickyErr;

enum class cleanup {
    none,         // nothing beyond the plain traffic
    dap_abort,    // a DAPABORT (ABORT scan on JTAG, ABORT register on SWD)
    sticky_clear  // SWD: ABORT 0x1E; JTAG: CTRL/STAT written with the sticky bits
};

// What the failing call is.
enum class step { read_memory, write_memory, set_config, stop, status_while_running };

struct knob_case {
    const char* name;
    bool on_swd;
    bool on_jtag;
    step op;
    std::function<void(sim::CortexMTarget&)> arm;
    std::function<void(sim::CortexMTarget&)> disarm;
    uint32_t swd_code;
    uint32_t jtag_code;
    cleanup expected_cleanup;
};

uint8_t pattern_byte(uint32_t i) { return static_cast<uint8_t>(0x3C + 11 * i); }

const std::vector<knob_case>& cases()
{
    using sim::ArmAccessClass;
    static const std::vector<knob_case> table = {
        {"ThreeWaitsOnAnApReadEndInTheRightData", true, true, step::read_memory,
         [](sim::CortexMTarget& t) { t.dp().set_wait_knob(ArmAccessClass::ApRead, {3, false, false}); },
         [](sim::CortexMTarget&) {}, 0, 0, cleanup::none},
        {"WaitsOnEveryApWriteStillWriteEveryWord", true, true, step::write_memory,
         [](sim::CortexMTarget& t) { t.dp().set_wait_knob(ArmAccessClass::ApWrite, {2, false, true}); },
         [](sim::CortexMTarget& t) { t.dp().set_wait_knob(ArmAccessClass::ApWrite, {}); }, 0, 0,
         cleanup::none},
        {"PersistentWaitOnAnApWriteIsAbortedAndReported", true, true, step::write_memory,
         [](sim::CortexMTarget& t) { t.dp().set_wait_knob(ArmAccessClass::ApWrite, {0, true, false}); },
         [](sim::CortexMTarget&) {}, rc::dp_wait_timeout, rc::dp_wait_timeout, cleanup::dap_abort},
        {"PersistentWaitOnADpWriteIsAbortedAndReported", true, true, step::set_config,
         [](sim::CortexMTarget& t) { t.dp().set_wait_knob(ArmAccessClass::DpWrite, {0, true, false}); },
         [](sim::CortexMTarget&) {}, rc::dp_wait_timeout, rc::dp_wait_timeout, cleanup::dap_abort},
        {"StuckTransferIsAbortedAndReported", true, true, step::read_memory,
         [](sim::CortexMTarget& t) { t.mem_ap().stick_transfer(2); },
         [](sim::CortexMTarget&) {}, rc::dp_wait_timeout, rc::dp_wait_timeout, cleanup::dap_abort},
        {"DebugPowerUpAcknowledgeThatNeverComes", true, true, step::set_config,
         [](sim::CortexMTarget& t) { t.dp().set_power_acks(false, true); },
         [](sim::CortexMTarget& t) { t.dp().set_power_acks(true, true); }, rc::debug_powerup,
         rc::debug_powerup, cleanup::none},
        {"SystemPowerUpAcknowledgeThatNeverComes", true, true, step::set_config,
         [](sim::CortexMTarget& t) { t.dp().set_power_acks(true, false); },
         [](sim::CortexMTarget& t) { t.dp().set_power_acks(true, true); }, rc::system_powerup,
         rc::system_powerup, cleanup::none},
        {"MemApThatNeverEnablesItsDevice", true, true, step::read_memory,
         [](sim::CortexMTarget& t) { t.mem_ap().set_device_enabled(false); },
         [](sim::CortexMTarget& t) { t.mem_ap().set_device_enabled(true); }, rc::dp_wait_timeout,
         rc::dp_wait_timeout, cleanup::none},
        {"SwdTargetThatStopsAnswering", true, false, step::read_memory,
         [](sim::CortexMTarget& t) { t.sw_dp().set_no_response(sim::ArmSwDp::kForever); },
         [](sim::CortexMTarget& t) { t.sw_dp().set_no_response(0); }, rc::dp_invalid_ack, 0,
         cleanup::none},
        // Stays set: every call reports it, none returns data.
        {"StickyErrorThatCannotBeCleared", true, true, step::read_memory,
         [](sim::CortexMTarget& t) { t.dp().inject_sticky(sim::ArmDp::kStickyErr, false); },
         nullptr, rc::swd_fault, rc::plain_deliver, cleanup::sticky_clear},
        // Left by an earlier session: cleared on the way, the read succeeds.
        {"StickyOverrunLeftSetIsClearedAndTheReadSucceeds", true, true, step::read_memory,
         [](sim::CortexMTarget& t) { t.dp().inject_sticky(sim::ArmDp::kStickyOrun, true); },
         [](sim::CortexMTarget&) {}, 0, 0, cleanup::sticky_clear},
        {"WriteDataErrorLeftSetIsClearedAndTheReadSucceeds", true, false, step::read_memory,
         [](sim::CortexMTarget& t) { t.dp().inject_sticky(sim::ArmDp::kWDataErr, true); },
         [](sim::CortexMTarget&) {}, 0, 0, cleanup::sticky_clear},
        // A reset while halted: the core runs off (no vector catch then) and
        // the next status read, the stop's, reports the reset.
        {"ResetWhileHaltedIsReportedByTheNextStop", true, true, step::stop,
         [](sim::CortexMTarget& t) { t.core().inject_reset(); },
         [](sim::CortexMTarget&) {}, rc::illegal_reset, rc::illegal_reset, cleanup::none},
        // A reset while running is one the program may cause: not an error.
        {"ResetWhileRunningIsTakenAsExpected", true, true, step::status_while_running,
         [](sim::CortexMTarget& t) { t.schedule_reset(0); },
         [](sim::CortexMTarget&) {}, 0, 0, cleanup::none},
    };
    return table;
}

struct wire_case {
    bool swd;
    knob_case knob;
};

std::vector<wire_case> wire_cases()
{
    std::vector<wire_case> all;
    for (const knob_case& c : cases()) {
        if (c.on_swd) {
            all.push_back({true, c});
        }
        if (c.on_jtag) {
            all.push_back({false, c});
        }
    }
    return all;
}

void PrintTo(const wire_case& c, std::ostream* os)
{
    *os << (c.swd ? "Swd" : "Jtag") << "/" << c.knob.name;
}

class CortexMFaults : public ::testing::TestWithParam<wire_case> {
protected:
    void SetUp() override
    {
        rig.target.bus().poke32(0x4, 0x101);
        rig.target.bus().poke16(0x100, 0xE7FE);
        for (uint32_t i = 0; i < probe_bytes; i += 4)
            rig.target.bus().poke32(probe + i, 0xC0DE0000u + i);
        record = cortex_rig::cortex_record(GetParam().swd);
        if (!GetParam().swd)
            rig.pod.chain().add(rig.target.make_jtag_dp());
        ASSERT_EQ(rig.bring_up(record), 0u) << rig.error_text();
    }

    uint32_t run_step(step op, std::vector<uint8_t>& buffer)
    {
        switch (op) {
        case step::read_memory:
            return rig.call([&] { rig.master->read_memory(0, probe, probe_bytes, buffer.data()); });
        case step::write_memory: {
            std::vector<uint8_t> data(probe_bytes);
            for (uint32_t i = 0; i < probe_bytes; ++i)
                data[i] = pattern_byte(i);
            return rig.call([&] { rig.master->write_memory(0, probe, probe_bytes, data.data()); });
        }
        case step::set_config:
            return rig.call([&] { rig.master->set_config(mst::master_config_size, &record); });
        case step::stop:
            return rig.call([&] { rig.master->stop(); });
        case step::status_while_running: {
            uint8_t status = 0;
            return rig.call([&] { rig.master->status(status); });
        }
        }
        return 0;
    }

    cortex_rig rig;
    mst::MasterConfig record{};
};

TEST_P(CortexMFaults, KnobGivesItsCodeCleanUpAndTheNextCallRecovers)
{
    const wire_case& w = GetParam();
    const knob_case& c = w.knob;
    const uint32_t expected = w.swd ? c.swd_code : c.jtag_code;

    if (c.op == step::status_while_running) {
        ASSERT_EQ(rig.call([&] { rig.master->run(0); }), 0u) << rig.error_text();
    }
    rig.target.dp().clear_log();
    c.arm(rig.target);
    std::vector<uint8_t> buffer(probe_bytes, 0xA5);
    const uint32_t code = run_step(c.op, buffer);
    EXPECT_EQ(code, expected) << std::hex << code << " " << rig.error_text();

    if (c.op == step::read_memory) {
        // Success hands out the target's words; a failure none of them.
        for (uint32_t i = 0; i < probe_bytes; i += 4) {
            const uint32_t word = uint32_t{buffer[i]} | uint32_t{buffer[i + 1]} << 8 |
                                  uint32_t{buffer[i + 2]} << 16 | uint32_t{buffer[i + 3]} << 24;
            if (code == 0) {
                EXPECT_EQ(word, 0xC0DE0000u + i) << "word " << i / 4;
            } else {
                EXPECT_NE(word, 0xC0DE0000u + i) << "word " << i / 4;
            }
        }
    }

    if (c.op == step::write_memory && code == 0) {
        for (uint32_t i = 0; i < probe_bytes; i += 4) {
            uint32_t word = 0;
            rig.target.bus().peek32(probe + i, word);
            EXPECT_EQ(word, uint32_t{pattern_byte(i)} | uint32_t{pattern_byte(i + 1)} << 8 |
                                uint32_t{pattern_byte(i + 2)} << 16 |
                                uint32_t{pattern_byte(i + 3)} << 24)
                << "word " << i / 4;
        }
    }

    const auto& aborts = rig.target.dp().log().abort_writes;
    const auto& ctrls = rig.target.dp().log().ctrl_writes;
    const bool dap_abort_seen = std::find(aborts.begin(), aborts.end(), dapabort) != aborts.end();
    switch (c.expected_cleanup) {
    case cleanup::none:
        EXPECT_FALSE(dap_abort_seen) << "no transfer to cancel";
        break;
    case cleanup::dap_abort:
        EXPECT_TRUE(dap_abort_seen) << "the stuck transfer is cancelled";
        break;
    case cleanup::sticky_clear:
        if (w.swd) {
            EXPECT_NE(std::find(aborts.begin(), aborts.end(), swd_clear_sticky), aborts.end());
        } else {
            EXPECT_TRUE(std::any_of(ctrls.begin(), ctrls.end(),
                                    [](uint32_t v) { return (v & ctrl_sticky_bits) != 0; }))
                << "JTAG clears the sticky flags through CTRL/STAT";
        }
        break;
    }

    if (!c.disarm) {
        // A fault that stays is reported again, never turned into data.
        std::vector<uint8_t> again(probe_bytes, 0xA5);
        EXPECT_EQ(run_step(step::read_memory, again), expected);
        for (uint32_t i = 0; i < probe_bytes; i += 4)
            EXPECT_NE(again[i + 3] << 8 | again[i + 2], 0xC0DE) << "no target word handed out";
        return;
    }

    // The fault gone, the next calls work: memory written and read exactly.
    c.disarm(rig.target);
    if (c.op == step::set_config) {
        ASSERT_EQ(rig.call([&] { rig.master->set_config(mst::master_config_size, &record); }), 0u)
            << rig.error_text();
    }
    if (c.op == step::status_while_running || code == rc::illegal_reset) {
        ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
        EXPECT_TRUE(rig.target.core().halted());
    }
    std::vector<uint8_t> data(probe_bytes);
    for (uint32_t i = 0; i < probe_bytes; ++i)
        data[i] = static_cast<uint8_t>(0x81 + i);
    ASSERT_EQ(rig.call([&] { rig.master->write_memory(0, probe, probe_bytes, data.data()); }), 0u)
        << rig.error_text();
    std::vector<uint8_t> back(probe_bytes);
    ASSERT_EQ(rig.call([&] { rig.master->read_memory(0, probe, probe_bytes, back.data()); }), 0u)
        << rig.error_text();
    EXPECT_EQ(back, data);
    EXPECT_EQ(rig.target.dp().ctrl_stat() & sim::ArmDp::kStickyMask, 0u);
    std::string violations;
    for (const sim::ArmViolation& v : rig.target.violations())
        violations += std::string(sim::arm_violation_name(v.kind)) + ": " + v.detail + "\n";
    EXPECT_EQ(violations, "");
}

INSTANTIATE_TEST_SUITE_P(Knobs, CortexMFaults, ::testing::ValuesIn(wire_cases()),
                         [](const ::testing::TestParamInfo<wire_case>& info) {
                             return std::string(info.param.swd ? "Swd_" : "Jtag_") +
                                    info.param.knob.name;
                         });

} // namespace
