// The master against the simulated pod and Cortex-M, over Serial Wire Debug
// or JTAG (the first byte says which), with one call's pod replies spoiled.
// Input: wire and operation byte, a parameter byte, then spoils of 6 bytes
// (exchange, kind, two 16-bit values).
//
// Oracles: the sanitizers; a bounded number of exchanges per call; no
// success when a reply withheld data it had; a read that succeeds with
// unchanged replies hands out the target's bytes; the next truthful call
// works; after a truthful run and stop the core registers and memory are as
// the program left them (unless the call succeeded with changed bits).
#include <array>
#include <cstdint>
#include <vector>

#include "fuzz/support/fuzz_check.h"
#include "fuzz/support/spoiled_transport.h"
#include "master/devices/cortex_m/cortex_m_device.h"
#include "master/tests/support/cortex_m_sim_rig.h"

namespace {

using cortex_test::cortex_rig;
using fuzz_support::check;
using fuzz_support::check_call;

constexpr uint32_t sram = 0x20000000;
constexpr uint32_t code_start = 0x100;
constexpr uint32_t loop_address = 0x140;

// r0-r12, SP, LR and the memory the operations read.
struct program_state {
    std::array<uint32_t, 15> regs{};
    std::vector<uint32_t> memory;
    bool operator==(const program_state&) const = default;
};

program_state state_of(sim::CortexMTarget& target)
{
    program_state s;
    for (unsigned r = 0; r < s.regs.size(); ++r)
        s.regs[r] = target.core().reg(r);
    for (uint32_t a = sram; a < sram + 0x200; a += 4) {
        uint32_t word = 0;
        target.bus().peek32(a, word);
        s.memory.push_back(word);
    }
    return s;
}

uint8_t byte_at(sim::CortexMTarget& target, uint32_t address)
{
    uint32_t word = 0;
    target.bus().peek32(address & ~3u, word);
    return static_cast<uint8_t>(word >> (8 * (address & 3u)));
}

// The core halted in a run of NOPs ending in a loop, registers and SRAM
// holding patterns.
bool halted_in_loop(cortex_rig& rig, bool swd)
{
    sim::CortexMTarget& t = rig.target;
    t.bus().poke32(0x0, 0x20001000);
    t.bus().poke32(0x4, code_start | 1);
    for (uint32_t a = code_start; a < loop_address; a += 2)
        t.bus().poke16(a, 0xBF00);
    t.bus().poke16(loop_address, 0xE7FE);
    for (uint32_t i = 0; i < 0x200; i += 4)
        t.bus().poke32(sram + i, 0xC0DE0000u + i * 0x01010101u);
    if (!swd)
        rig.pod.chain().add(t.make_jtag_dp());
    if (rig.bring_up(cortex_rig::cortex_record(swd)) != 0)
        return false;
    for (unsigned r = 0; r < 13; ++r)
        t.core().set_reg(r, 0x11110000u * (r + 1) + r);
    return rig.call([&] { rig.master->write_register(mst::cortex_id::pc, code_start); }) == 0;
}

enum op : uint8_t { read_memory, read_register, status, step, run, stop, ops };

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    const bool swd = (data[0] & 0x80) == 0;
    const op chosen = static_cast<op>((data[0] & 0x7F) % ops);
    const uint8_t param = data[1];
    cortex_rig rig;
    if (!halted_in_loop(rig, swd))
        check(false, "bring-up failed with truthful replies");
    fuzz_support::spoiled_transport transport;
    if (chosen == stop)
        check_call(rig.call([&] { rig.master->run(0); }), "truthful run");
    const program_state before = state_of(rig.target);

    transport.begin(fuzz_support::parse_spoils(data + 2, size - 2, 4));
    const uint32_t address = sram + (param & 0x7Fu) * 3u;
    const uint32_t count = 1u + (param >> 3) % 24u;
    const uint32_t id = param % 13u;
    std::vector<uint8_t> bytes(32, 0xEE);
    uint32_t value = 0xEEEEEEEEu;
    const uint32_t code = rig.call([&] {
        switch (chosen) {
        case read_memory: rig.master->read_memory(0, address, count, bytes.data()); break;
        case read_register: rig.master->read_register(id, value); break;
        case status: {
            uint8_t s = 0;
            rig.master->status(s);
            break;
        }
        case step: rig.master->step(); break;
        case run: rig.master->run(0); break;
        default: rig.master->stop(); break;
        }
    });
    const fuzz_support::call_report report = transport.report();
    fuzz_support::check_exchanges(report);
    fuzz_support::check_withheld(report, code);
    if (code == 0 && !report.data_changed) {
        if (chosen == read_memory) {
            for (uint32_t i = 0; i < count; ++i)
                check(bytes[i] == byte_at(rig.target, address + i), "memory read handed out another byte");
        }
        if (chosen == read_register)
            check(value == rig.target.core().reg(id), "register read handed out another value");
    }

    // The next truthful calls: halted, memory read right, run and stopped
    // with the program's registers and memory as they were.
    transport.begin({});
    check_call(rig.call([&] { rig.master->stop(); }), "truthful stop after the spoiled call failed");
    std::vector<uint8_t> back(16, 0);
    check_call(rig.call([&] { rig.master->read_memory(0, sram + 0x40, 16, back.data()); }),
          "truthful read after the spoiled call failed");
    for (uint32_t i = 0; i < 16; ++i)
        check(back[i] == byte_at(rig.target, sram + 0x40 + i), "truthful read handed out another byte");
    check_call(rig.call([&] { rig.master->run(0); }), "truthful run after the spoiled call failed");
    rig.target.core().advance(20);
    check_call(rig.call([&] { rig.master->stop(); }), "truthful stop after the run failed");
    const program_state after = state_of(rig.target);
    if (code == 0 && report.data_changed)
        return 0;  // changed bits the call took as the target's may have gone back
    if (fuzz_support::recovery_resets(code))
        check(after.memory == before.memory, "memory changed across the recovery's reset");
    else
        check(after == before, "the program's registers or memory changed");
    return 0;
}
