// The master against the simulated pod and TMS320C54x with one call's pod
// replies spoiled. Input: an operation byte, a parameter byte, then spoils
// of 6 bytes (exchange, kind, two 16-bit values).
//
// Oracles: the sanitizers; a bounded number of exchanges per call; no
// success when a reply withheld data it had; a read that succeeds with
// unchanged replies hands out the target's words; the next truthful call
// works; after a truthful run the program finds its state as it left it
// (after a recovery that resets the DSP: ETDR and the memories), unless the
// call succeeded with changed bits.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/spoiled_transport.h"
#include "master/tests/support/master_sim_rig.h"

namespace {

using fuzz_support::check;
using fuzz_support::check_call;
using master_test::master_rig;

constexpr uint32_t space_program = 0;
constexpr uint32_t space_data = 1;
constexpr uint16_t loop_address = 0x100;

struct program_state {
    uint16_t pc, dp, etdr;
    bool cpl, braf;
    std::vector<uint16_t> data, program;
    bool operator==(const program_state&) const = default;
};

program_state state_of(sim::Tms320c54xTarget& target)
{
    sim::C54xCpu& cpu = target.cpu();
    return {cpu.pc, cpu.dp, cpu.etdr, cpu.cpl, cpu.braf, cpu.memory(sim::C54xSpace::Data),
            cpu.memory(sim::C54xSpace::Program)};
}

// The DSP halted in B 0x0100 with the program's own ETDR, DP, CPL, BRAF and
// a data pattern.
bool halted_in_loop(master_rig& rig)
{
    rig.add_target();
    if (rig.bring_up() != 0)
        return false;
    const uint16_t loop[2] = {0xF073, loop_address};
    if (rig.call([&] { rig.master->write_memory(space_program, loop_address, 2, loop); }) != 0 ||
        rig.call([&] { rig.master->write_register(0, loop_address); }) != 0 ||
        rig.call([&] { rig.master->run(4); }) != 0)
        return false;
    sim::C54xCpu& cpu = rig.target->cpu();
    cpu.etdr = 0x5A5A;
    cpu.dp = 0x0AB;
    cpu.cpl = true;
    cpu.braf = true;
    auto& data = cpu.memory(sim::C54xSpace::Data);
    for (uint32_t a = 0x60; a < 0x100; ++a)
        data[a] = static_cast<uint16_t>(a * 0x0101u ^ 0x3C3Cu);
    rig.target->advance(10);
    return rig.call([&] { rig.master->stop(); }) == 0;
}

enum op : uint8_t { read_register, read_data, read_program, status, step, run, stop, ops };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const op chosen = static_cast<op>(data[0] % ops);
    const uint8_t param = data[1];
    master_rig rig;
    if (!halted_in_loop(rig))
        check(false, "bring-up failed with truthful replies");
    fuzz_support::spoiled_transport transport;
    if (chosen == stop)
        check_call(rig.call([&] { rig.master->run(4); }), "truthful run");
    const program_state before = state_of(*rig.target);

    // The spoiled call.
    transport.begin(fuzz_support::parse_spoils(data + 2, size - 2, 4));
    std::vector<uint16_t> words(64, 0xEEEE);
    uint32_t value = 0xEEEEEEEEu;
    // Registers from id 3 (data word 8): ST0 and ST1 (ids 1, 2) read as the
    // program sees them, not as the DSP holds them while halted.
    const uint32_t id = 3u + param % 22u;
    const uint32_t address = 0x60u + param % 0x60u;
    const uint32_t count = 1u + (param >> 2) % 32u;
    const uint32_t code = rig.call([&] {
        switch (chosen) {
        case read_register: rig.master->read_register(id, value); break;
        case read_data: rig.master->read_memory(space_data, address, count, words.data()); break;
        case read_program: rig.master->read_memory(space_program, loop_address, 2, words.data()); break;
        case status: {
            uint8_t s = 0;
            rig.master->status(s);
            break;
        }
        case step: rig.master->step(); break;
        case run: rig.master->run(4); break;
        default: rig.master->stop(); break;
        }
    });
    const fuzz_support::call_report report = transport.report();
    fuzz_support::check_exchanges(report);
    fuzz_support::check_withheld(report, code);
    if (code == 0 && !report.data_changed) {
        const auto& memory = rig.target->cpu().memory(sim::C54xSpace::Data);
        if (chosen == read_register)
            check(value == memory[id + 5], "register read handed out another word");
        if (chosen == read_data) {
            for (uint32_t i = 0; i < count; ++i)
                check(words[i] == memory[address + i], "data read handed out another word");
        }
        if (chosen == read_program)
            check(words[0] == 0xF073 && words[1] == loop_address, "program read handed out another word");
    }

    // The next truthful calls: halted again, the data read right, the
    // program resumed with its own state.
    transport.begin({});
    const uint32_t stopped = rig.call([&] { rig.master->stop(); });
    fuzz_support::check_call(stopped, "truthful stop after the spoiled call failed");
    std::vector<uint16_t> back(16, 0);
    const uint32_t read = rig.call([&] { rig.master->read_memory(space_data, 0x60, 16, back.data()); });
    fuzz_support::check_call(read, "truthful read after the spoiled call failed");
    const auto& memory = rig.target->cpu().memory(sim::C54xSpace::Data);
    for (uint32_t i = 0; i < 16; ++i)
        check(back[i] == memory[0x60 + i], "truthful read handed out another word");
    check_call(rig.call([&] { rig.master->run(4); }), "truthful run after the spoiled call failed");
    rig.target->advance(10);
    check(rig.target->context_errors() == 0, "the DSP saw a context error");
    const program_state after = state_of(*rig.target);
    if (code == 0 && report.data_changed)
        return 0;  // changed bits the call took as the target's may have gone back
    if (fuzz_support::recovery_resets(code)) {
        // Reset: the CPU registers start again; ETDR and the memories stay.
        check(after.etdr == before.etdr, "ETDR changed across the recovery");
        check(after.program == before.program, "program memory changed");
        check(std::equal(after.data.begin() + 0x60, after.data.end(), before.data.begin() + 0x60),
              "data memory changed");
    } else {
        check(after == before, "the program's state changed");
    }
    return 0;
}
