// Cortex-M recovery after one bad pod reply, over both wires: whatever
// exchange of a call the reply spoils, the call fails, and the next truthful
// call works.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/tests/support/cortex_m_sim_rig.h"

namespace {

using cortex_test::cortex_rig;
namespace rc = mst::rc;
using K = sim::ReplyFault::Kind;
using C = sim::TransportCall;

struct pod_fault {
    const char* name;
    std::function<void(sim::Pod&, uint32_t nth)> arm;
};

// One bad exchange, aimed at the n-th request of the next call.
const std::vector<pod_fault>& pod_faults()
{
    static const std::vector<pod_fault> table = {
        {"NoReply", [](sim::Pod& p, uint32_t n) { p.fault_reply(n, {K::NoReply, 0}); }},
        {"WrongEcho", [](sim::Pod& p, uint32_t n) { p.fault_reply(n, {K::WrongEcho, 0x92000904}); }},
        {"UnknownCommand", [](sim::Pod& p, uint32_t n) { p.fault_reply(n, {K::UnknownCommand, 0}); }},
        {"Overlong", [](sim::Pod& p, uint32_t n) { p.fault_reply(n, {K::Overlong, 3000}); }},
        {"SendFails", [](sim::Pod& p, uint32_t n) { p.fail_transport_call(C::Send, n, 2); }},
        {"ReplyFails", [](sim::Pod& p, uint32_t n) { p.fail_transport_call(C::Reply, n, 2); }},
    };
    return table;
}

constexpr uint32_t sram = 0x20000000;
constexpr uint32_t odd_address = sram + 0x105;

void fill_sram(sim::CortexMTarget& target)
{
    for (uint32_t i = 0; i < 0x200; i += 4)
        target.bus().poke32(sram + i, 0xC0DE0000u + i);
}

uint32_t expected_byte(uint32_t address)
{
    const uint32_t offset = (address - sram) & ~3u;
    return ((0xC0DE0000u + offset) >> (8 * (address & 3u))) & 0xFFu;
}

std::vector<uint8_t> expected_bytes(uint32_t address, uint32_t n)
{
    std::vector<uint8_t> bytes;
    for (uint32_t i = 0; i < n; ++i)
        bytes.push_back(static_cast<uint8_t>(expected_byte(address + i)));
    return bytes;
}

void bring_up(cortex_rig& rig, bool swd)
{
    fill_sram(rig.target);
    if (swd) {
        ASSERT_EQ(rig.bring_up_swd(), 0u) << rig.error_text();
    } else {
        rig.pod.chain().add(rig.target.make_jtag_dp());
        ASSERT_EQ(rig.bring_up(cortex_rig::cortex_record(false)), 0u) << rig.error_text();
    }
}

// Requests the pod receives for a truthful call of op on a fresh rig.
uint32_t requests_of(bool swd, const std::function<void(cortex_rig&)>& op)
{
    cortex_rig rig;
    bring_up(rig, swd);
    const size_t before = rig.pod.log().exchanges.size();
    EXPECT_EQ(rig.call([&] { op(rig); }), 0u) << rig.error_text();
    return static_cast<uint32_t>(rig.pod.log().exchanges.size() - before);
}

class CortexMBadReply : public ::testing::TestWithParam<bool> {};

// A memory read spoiled at any of its exchanges: the next call reads the
// right bytes at once (over Serial Wire the target may be left waiting for
// the data phase of a request; the next access starts with a line reset).
TEST_P(CortexMBadReply, NextCallAfterAnySpoiledExchangeOfAReadWorks)
{
    const bool swd = GetParam();
    const auto read4 = [](cortex_rig& rig, std::vector<uint8_t>& out) {
        out.assign(4, 0xEE);
        rig.master->read_memory(0, odd_address, 4, out.data());
    };
    std::vector<uint8_t> scratch;
    const uint32_t exchanges = requests_of(swd, [&](cortex_rig& rig) { read4(rig, scratch); });
    ASSERT_GT(exchanges, 0u);
    for (const pod_fault& f : pod_faults()) {
        for (uint32_t nth = 1; nth <= exchanges; ++nth) {
            SCOPED_TRACE(std::string(f.name) + " at exchange " + std::to_string(nth));
            cortex_rig rig;
            bring_up(rig, swd);
            f.arm(rig.pod, nth);
            std::vector<uint8_t> bytes;
            const uint32_t code = rig.call([&] { read4(rig, bytes); });
            EXPECT_NE(code, 0u) << "every one of these faults is seen";
            EXPECT_NE(bytes, expected_bytes(odd_address, 4)) << "a failed read hands out nothing";
            EXPECT_EQ(rig.call([&] { read4(rig, bytes); }), 0u) << rig.error_text();
            EXPECT_EQ(bytes, expected_bytes(odd_address, 4));
        }
    }
}

// Polls the master's status until the core is no longer marked running.
void settle(cortex_rig& rig)
{
    const auto& dev = static_cast<mst::Cortex_jtag_device&>(*rig.master->cortex_device());
    for (int i = 0; i < 10 && (dev.status & mst::cortex_flag::running) != 0; ++i) {
        uint8_t status = 0;
        ASSERT_EQ(rig.call([&] { rig.master->status(status); }), 0u) << rig.error_text();
    }
}

// The core halted at 0x102 in a run of NOPs after one step from 0x100.
void stepped_once(cortex_rig& rig, bool swd)
{
    bring_up(rig, swd);
    for (uint32_t a = 0x100; a < 0x180; a += 2)
        rig.target.bus().poke16(a, 0xBF00);
    rig.target.bus().poke16(0x180, 0xE7FE);
    ASSERT_EQ(rig.call([&] { rig.master->write_register(mst::cortex_id::pc, 0x100); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->step(); }), 0u) << rig.error_text();
    settle(rig);
}

// A step that failed at any exchange leaves the core marked as the target
// was told: the next step runs.
TEST_P(CortexMBadReply, StepAfterAFailedStepRuns)
{
    const bool swd = GetParam();
    uint32_t exchanges = 0;
    {
        cortex_rig rig;
        stepped_once(rig, swd);
        const size_t before = rig.pod.log().exchanges.size();
        ASSERT_EQ(rig.call([&] { rig.master->step(); }), 0u) << rig.error_text();
        exchanges = static_cast<uint32_t>(rig.pod.log().exchanges.size() - before);
    }
    ASSERT_GT(exchanges, 0u);
    for (const pod_fault& f : pod_faults()) {
        for (uint32_t nth = 1; nth <= exchanges; ++nth) {
            SCOPED_TRACE(std::string(f.name) + " at exchange " + std::to_string(nth));
            cortex_rig rig;
            stepped_once(rig, swd);
            f.arm(rig.pod, nth);
            const uint32_t failed = rig.call([&] { rig.master->step(); });
            EXPECT_NE(failed, 0u);
            SCOPED_TRACE("failed step: " + std::to_string(failed));
            const uint32_t code = rig.call([&] { rig.master->step(); });
            EXPECT_EQ(code, 0u) << std::hex << code << " " << rig.error_text();
            settle(rig);
            EXPECT_TRUE(rig.target.core().halted());
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Wires, CortexMBadReply, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "Swd" : "Jtag");
                         });

} // namespace
