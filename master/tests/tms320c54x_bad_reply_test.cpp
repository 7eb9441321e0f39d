// TMS320C54x recovery after one bad pod reply: whatever exchange of a call
// the reply spoils, the next truthful call gives the target's words and the
// program resumes with its own context.
#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "master/devices/tms320c54x/tms320c54x_device.h"
#include "master/tests/support/master_sim_rig.h"

namespace {

using master_test::master_rig;
namespace rc = mst::rc;
using K = sim::ReplyFault::Kind;

constexpr uint32_t space_program = 0;
constexpr uint32_t space_data = 1;
constexpr uint16_t program_etdr = 0x5A5A;
constexpr uint32_t probe_register = 3;  // data word 8
constexpr uint16_t probe_value = 0x1234;

// The DSP halted in a loop that changes nothing (B 0x0100 at 0x0100), with
// ETDR and the probed register holding the program's values.
void halted_in_loop(master_rig& rig)
{
    rig.add_target();
    ASSERT_EQ(rig.bring_up(), 0u) << rig.error_text();
    const uint16_t loop[2] = {0xF073, 0x0100};
    ASSERT_EQ(rig.call([&] { rig.master->write_memory(space_program, 0x100, 2, loop); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->write_register(0, 0x100); }), 0u);
    ASSERT_EQ(rig.call([&] { rig.master->run(4); }), 0u) << rig.error_text();
    rig.target->cpu().etdr = program_etdr;
    rig.target->cpu().memory(sim::C54xSpace::Data)[probe_register + 5] = probe_value;
    rig.target->advance(10);
    ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
}

uint32_t read_probe(master_rig& rig, uint32_t& value)
{
    value = 0xDEAD;
    return rig.call([&] { rig.master->read_register(probe_register, value); });
}

// Requests of the register read right after the halt, on a fresh rig.
uint32_t probe_read_requests()
{
    master_rig rig;
    halted_in_loop(rig);
    const size_t before = rig.requests();
    uint32_t value = 0;
    EXPECT_EQ(read_probe(rig, value), 0u) << rig.error_text();
    EXPECT_EQ(value, probe_value);
    return static_cast<uint32_t>(rig.requests() - before);
}

struct c54x_fault {
    const char* name;
    std::function<void(sim::Pod&, uint32_t nth)> arm;
    // The reply carries changed bits under a right length: a call that
    // succeeds may hand them out (nothing tells them from the target's).
    bool changes_payload = false;
};

// Faults whose recovery reconfigures the device, and payload bits changed
// under a right length and echo (the status units among them).
std::vector<c54x_fault> c54x_faults()
{
    std::vector<c54x_fault> table = {
        {"ClaimedLengthOverTheArea", [](sim::Pod& p, uint32_t n) { p.fault_reply(n, {K::Overlong, 3000}); }},
    };
    for (uint32_t unit : {2u, 3u, 4u, 6u, 9u}) {
        table.push_back({"FlippedBits",
                         [unit](sim::Pod& p, uint32_t n) { p.fault_reply(n, {K::FlipBits, 0xFFFF, unit}); },
                         true});
    }
    return table;
}

// The program's ETDR goes back at the run whatever failed while the DSP was
// halted (also when the recovery reconfigures and so resets the DSP), and
// no value of a failed batch is kept: the next truthful read of the
// register gives the target's word.
TEST(Tms320c54xBadReply, ContextAndValuesSurviveASpoiledRegisterRead)
{
    const uint32_t exchanges = probe_read_requests();
    ASSERT_GT(exchanges, 0u);
    for (const c54x_fault& f : c54x_faults()) {
        for (uint32_t nth = 1; nth <= exchanges; ++nth) {
            master_rig rig;
            halted_in_loop(rig);
            SCOPED_TRACE(std::string(f.name) + " at exchange " + std::to_string(nth));
            f.arm(rig.pod, nth);
            uint32_t value = 0;
            const uint32_t code = read_probe(rig, value);
            if (code == 0 && f.changes_payload)
                continue;
            if (code == 0) {
                EXPECT_EQ(value, probe_value) << "success only with the target's word";
            }
            const uint32_t again = read_probe(rig, value);
            EXPECT_EQ(again, 0u) << std::hex << again << " " << rig.error_text();
            if (again != 0)
                continue;
            EXPECT_EQ(value, probe_value) << "first call " << std::hex << code;
            ASSERT_EQ(rig.call([&] { rig.master->run(4); }), 0u) << rig.error_text();
            rig.target->advance(10);
            EXPECT_EQ(rig.target->cpu().etdr, program_etdr) << "first call " << std::hex << code;
            EXPECT_EQ(rig.target->context_errors(), 0u);
        }
    }
}

// A spoiled read of the data page that holds the saved context words: the
// next truthful read still shows the program's ETDR.
TEST(Tms320c54xBadReply, SavedEtdrReadsBackAfterASpoiledBlockRead)
{
    master_rig rig;
    halted_in_loop(rig);
    uint16_t words[0x40] = {};
    ASSERT_EQ(rig.call([&] { rig.master->read_memory(space_data, 0, 0x40, words); }), 0u);
    ASSERT_EQ(words[0x3F], program_etdr);
    rig.pod.fault_reply(1, {K::Overlong, 3000});
    EXPECT_EQ(rig.call([&] { rig.master->read_memory(space_data, 0, 0x40, words); }),
              rc::input_overflow);
    ASSERT_EQ(rig.call([&] { rig.master->read_memory(space_data, 0, 0x40, words); }), 0u)
        << rig.error_text();
    EXPECT_EQ(words[0x3F], program_etdr);
}

// A register read whose fourth exchange fails (the request is not sent, or
// the reply claims a shorter length) is recovered at the next calls: the
// stop, the read and the run after it all succeed.
TEST(Tms320c54xBadReply, RunWorksAfterARegisterReadLostItsFourthExchange)
{
    const std::vector<c54x_fault> faults = {
        {"SendFails", [](sim::Pod& p, uint32_t n) { p.fail_transport_call(sim::TransportCall::Send, n, 1); }},
        {"ShorterReply", [](sim::Pod& p, uint32_t n) { p.fault_reply(n, {K::Short, 6}); }},
    };
    for (const c54x_fault& f : faults) {
        SCOPED_TRACE(f.name);
        master_rig rig;
        halted_in_loop(rig);
        f.arm(rig.pod, 4);
        uint32_t value = 0;
        EXPECT_NE(read_probe(rig, value), 0u);
        ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
        ASSERT_EQ(read_probe(rig, value), 0u) << rig.error_text();
        EXPECT_EQ(value, probe_value);
        EXPECT_EQ(rig.call([&] { rig.master->run(4); }), 0u) << rig.error_text();
        rig.target->advance(10);
        EXPECT_EQ(rig.target->cpu().etdr, program_etdr);
        EXPECT_EQ(rig.target->context_errors(), 0u);
    }
}

// Changed bits in a reply that carries the halt capture of a register
// kept in the saved context (ST1's CPL and BRAF, ETDR): whatever the spoiled
// call gives, the next truthful read gives the program's value, and the run
// puts the program's ETDR back.
TEST(Tms320c54xBadReply, ChangedContextCaptureIsNotKept)
{
    constexpr uint32_t st1 = 2;
    constexpr uint32_t etdr = 0x3A;  // data word 0x3F
    for (uint32_t id : {st1, etdr}) {
        uint32_t truth = 0;
        size_t exchanges = 0;
        {
            master_rig rig;
            halted_in_loop(rig);
            const size_t before = rig.requests();
            ASSERT_EQ(rig.call([&] { rig.master->read_register(id, truth); }), 0u);
            exchanges = rig.requests() - before;
        }
        if (id == etdr)
            ASSERT_EQ(truth, program_etdr);
        for (uint32_t nth = 1; nth <= exchanges; ++nth) {
            for (uint32_t unit = 2; unit <= 9; ++unit) {
                SCOPED_TRACE("register " + std::to_string(id) + " exchange " + std::to_string(nth) +
                             " unit " + std::to_string(unit));
                master_rig rig;
                halted_in_loop(rig);
                rig.pod.fault_reply(nth, {K::FlipBits, 0xFFFF, unit});
                uint32_t value = 0;
                rig.call([&] { rig.master->read_register(id, value); });
                ASSERT_EQ(rig.call([&] { rig.master->read_register(id, value); }), 0u)
                    << rig.error_text();
                EXPECT_EQ(value, truth);
                ASSERT_EQ(rig.call([&] { rig.master->run(4); }), 0u) << rig.error_text();
                rig.target->advance(10);
                EXPECT_EQ(rig.target->cpu().etdr, program_etdr);
                EXPECT_EQ(rig.target->context_errors(), 0u);
            }
        }
    }
}

} // namespace

// Changed bits in a reply of the stop itself (the status, the halt capture,
// the PC's images, the voltage sample): the PC read after the stop is the
// DSP's own, whether the spoiled stop failed or a second stop was needed,
// and the run resumes the program with its context. A spoiled voltage
// sample fails the stop with a power code whose recovery resets the DSP:
// then the PC read is the reset vector the DSP now holds.
TEST(Tms320c54xBadReply, ChangedStopCaptureIsNotKept)
{
    constexpr uint32_t pc_register = 0;
    auto running_in_loop = [](master_rig& rig) {
        halted_in_loop(rig);
        ASSERT_EQ(rig.call([&] { rig.master->run(4); }), 0u) << rig.error_text();
        rig.target->advance(10);
    };
    uint32_t truth = 0;
    size_t exchanges = 0;
    {
        master_rig rig;
        running_in_loop(rig);
        const size_t before = rig.requests();
        ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
        exchanges = rig.requests() - before;
        ASSERT_EQ(rig.call([&] { rig.master->read_register(pc_register, truth); }), 0u);
        ASSERT_EQ(truth, rig.target->cpu().pc);
    }
    ASSERT_GT(exchanges, 0u);
    for (uint32_t nth = 1; nth <= exchanges; ++nth) {
        for (uint32_t unit : {2u, 3u, 4u, 6u, 9u}) {
            SCOPED_TRACE("stop exchange " + std::to_string(nth) + " unit " + std::to_string(unit));
            master_rig rig;
            running_in_loop(rig);
            rig.pod.fault_reply(nth, {K::FlipBits, 0xFFFF, unit});
            if (rig.call([&] { rig.master->stop(); }) != 0)
                ASSERT_EQ(rig.call([&] { rig.master->stop(); }), 0u) << rig.error_text();
            uint32_t value = 0;
            ASSERT_EQ(rig.call([&] { rig.master->read_register(pc_register, value); }), 0u)
                << rig.error_text();
            EXPECT_EQ(value, rig.target->cpu().pc);
            const bool reset = rig.target->cpu().pc != truth;
            ASSERT_EQ(rig.call([&] { rig.master->run(4); }), 0u) << rig.error_text();
            rig.target->advance(10);
            if (!reset)
                EXPECT_EQ(rig.target->cpu().etdr, program_etdr);
            EXPECT_EQ(rig.target->context_errors(), 0u);
        }
    }
}
