#include "master/arm/mem_ap.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "master/tests/support/arm_rig.h"

using arm_test::arm_rig;
namespace dp = mst::dp;
namespace rc = mst::rc;

namespace {

constexpr bool wires[] = {false, true};
const char* wire_name(bool swd) { return swd ? "SWD" : "JTAG"; }

constexpr uint32_t ram = 0x20000100;
constexpr uint32_t demcr = 0xE000EDFC;

// Scripts recorded and downloaded as identification does.
void download_scripts(arm_rig& rig)
{
    ASSERT_EQ(rig.run([&] {
                  rig.device.ap.record_scripts();
                  rig.device.list.flush_list(rig.prot);
                  rig.prot.end_batch();
              }),
              0u);
    ASSERT_EQ(rig.pod.lists_stored, 1u);
}

// Single words go through the TAR and DRW scripts once the scripts are in
// the pod, and through AP transfers of their own before.
struct word_path {
    bool swd;
    bool scripts;
};
constexpr word_path word_paths[] = {{false, false}, {true, false}, {false, true}, {true, true}};

std::string path_name(const word_path& p)
{
    return std::string(wire_name(p.swd)) + (p.scripts ? " with scripts" : " without scripts");
}

} // namespace

TEST(ArmMemAp, SelectApSetsWordSizeReadsBaseAndEnablesTrace)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.csw = 0x23000051;
        ASSERT_EQ(rig.run([&] { rig.device.ap.select_ap(0); }), 0u) << wire_name(swd);
        EXPECT_EQ(rig.device.ap.rom_base, rig.pod.dap.ap.base) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ap.memory[demcr], 0x01000000u) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ap.csw & 0x3Fu, 0x02u) << wire_name(swd);
    }
}

TEST(ArmMemAp, WordsWrittenAreReadBackOnceEach)
{
    for (const word_path& path : word_paths) {
        const bool swd = path.swd;
        arm_rig rig(swd);
        if (path.scripts)
            download_scripts(rig);
        rig.pod.dap.ap.memory[ram + 4] = 0xA5A5A5A5;
        uint32_t back = 0, other = 0;
        ASSERT_EQ(rig.run([&] {
                      rig.device.ap.write_word(0xDEADBEEF, ram);
                      back = rig.device.ap.read_word(ram);
                      other = rig.device.ap.read_word(ram + 4);
                  }),
                  0u)
            << path_name(path);
        EXPECT_EQ(rig.pod.dap.ap.memory[ram], 0xDEADBEEFu) << path_name(path);
        EXPECT_EQ(back, 0xDEADBEEFu) << path_name(path);
        EXPECT_EQ(other, 0xA5A5A5A5u) << path_name(path);
        EXPECT_EQ(rig.pod.dap.ap.reads[ram], 1u) << path_name(path);
        EXPECT_EQ(rig.pod.dap.ap.reads[ram + 4], 1u) << path_name(path);
        EXPECT_EQ(rig.pod.scripts_run != 0, path.scripts) << path_name(path);

        // A word read costs the CSW read (its value decides the CSW write)
        // and the wait, which brings the word; over JTAG with the scripts,
        // TAR and the read ride with the wait's first exchange. Serial Wire
        // waits for each transfer's acknowledge before its data phase.
        const unsigned before = rig.pod.exchanges;
        ASSERT_EQ(rig.run([&] { back = rig.device.ap.read_word(ram); }), 0u) << path_name(path);
        EXPECT_EQ(back, 0xDEADBEEFu) << path_name(path);
        const unsigned cost = path.scripts ? (swd ? 7u : 2u) : (swd ? 9u : 4u);
        EXPECT_EQ(rig.pod.exchanges - before, cost) << path_name(path);
    }
}

TEST(ArmMemAp, WordsSurviveWaitsOnEveryAccess)
{
    for (const word_path& path : word_paths) {
        const bool swd = path.swd;
        arm_rig rig(swd);
        if (path.scripts)
            download_scripts(rig);
        rig.pod.dap.waits_after_ap = 3;
        uint32_t back = 0;
        ASSERT_EQ(rig.run([&] {
                      rig.device.ap.write_word(0x01020304, ram);
                      rig.device.ap.write_word(0x05060708, ram + 4);
                      back = rig.device.ap.read_word(ram);
                  }),
                  0u)
            << path_name(path);
        EXPECT_EQ(rig.pod.dap.ap.memory[ram], 0x01020304u) << path_name(path);
        EXPECT_EQ(rig.pod.dap.ap.memory[ram + 4], 0x05060708u) << path_name(path);
        EXPECT_EQ(back, 0x01020304u) << path_name(path);
    }
}

TEST(ArmMemAp, BusErrorIsReportedNotReturnedAndTheNextCallWorks)
{
    for (const word_path& path : word_paths) {
        const bool swd = path.swd;
        arm_rig rig(swd);
        if (path.scripts)
            download_scripts(rig);
        rig.pod.dap.ctrl_stat = dp::ctrl_power_up;
        rig.pod.dap.ap.bus_error_from = 0x60000000;
        rig.pod.dap.ap.bus_error_to = 0x60001000;
        rig.pod.dap.ap.memory[ram] = 0x77777777;
        uint32_t value = 0;
        EXPECT_EQ(rig.run([&] { value = rig.device.ap.read_word(0x60000010); }), rc::plain_deliver)
            << path_name(path);
        EXPECT_EQ(value, 0u);
        EXPECT_EQ(rig.pod.dap.ctrl_stat & dp::sticky_swd, 0u) << path_name(path);
        // JTAG clears through CTRL/STAT, Serial Wire through ABORT.
        EXPECT_EQ(rig.pod.dap.aborts.empty(), !swd) << path_name(path);
        EXPECT_EQ(rig.run([&] { rig.device.ap.write_word(1, 0x60000020); }), rc::plain_deliver)
            << path_name(path);
        ASSERT_EQ(rig.run([&] { value = rig.device.ap.read_word(ram); }), 0u) << path_name(path);
        EXPECT_EQ(value, 0x77777777u) << path_name(path);
    }
}

TEST(ArmMemAp, ApThatNeverReportsItselfEnabledTimesOut)
{
    arm_rig rig(false);
    rig.pod.dap.ap.device_disabled = true;
    EXPECT_EQ(rig.run([&] { rig.device.ap.read_word(ram); }), rc::dp_wait_timeout);
    // Every poll read CSW and checked the sticky flags, and nothing more.
    EXPECT_GE(rig.pod.dap.stat_reads, dp::poll_attempts);
}

namespace {

void fill(arm_rig& rig, uint32_t address, uint32_t words)
{
    for (uint32_t i = 0; i < words; ++i)
        rig.pod.dap.ap.memory[address + 4 * i] = 0xA0000000u + address + 4 * i;
}

} // namespace

TEST(ArmMemApBlocks, BlockReadReadsExactlyTheWordsAskedFor)
{
    // (address, words, wrap mask, expected TAR writes)
    const struct { uint32_t address; uint32_t words; uint32_t wrap; std::vector<uint32_t> tars; } cases[] = {
        {0x20000000, 1, 0x3FF, {0x20000000}},
        {0x20000000, 2, 0x3FF, {0x20000000}},
        {0x20000010, 7, 0x3FF, {0x20000010}},
        // Crossing a 1 KB boundary: TAR again at the boundary (Cortex-M0).
        {0x200003F8, 6, 0x3FF, {0x200003F8, 0x20000400}},
        // The same range under a 4 KB wrap (Cortex-M3): one TAR write.
        {0x200003F8, 6, 0xFFF, {0x200003F8}},
        // Ends exactly on a boundary: no read of the next block.
        {0x200003F0, 4, 0x3FF, {0x200003F0}},
        // More words than one batch can carry.
        {0x20001000, 600, 0xFFF, {0x20001000}},
    };
    for (bool swd : wires) {
        for (const auto& c : cases) {
            arm_rig rig(swd);
            rig.pod.dap.ap.wrap_mask = c.wrap;
            download_scripts(rig);
            fill(rig, c.address - 8, c.words + 4);
            rig.device.ap.wrap_mask = c.wrap;
            std::vector<uint32_t> got(c.words + 1, 0x55555555);
            ASSERT_EQ(rig.run([&] { rig.device.ap.read_block(got.data(), c.words, c.address); }), 0u)
                << wire_name(swd) << " " << std::hex << c.address << " " << std::dec << c.words;
            for (uint32_t i = 0; i < c.words; ++i) {
                const uint32_t at = c.address + 4 * i;
                ASSERT_EQ(got[i], 0xA0000000u + at) << wire_name(swd) << " word " << i;
                ASSERT_EQ(rig.pod.dap.ap.reads[at], 1u) << wire_name(swd) << " word " << i;
            }
            EXPECT_EQ(got[c.words], 0x55555555u) << "nothing written past the block";
            EXPECT_EQ(rig.pod.dap.ap.reads[c.address + 4 * c.words], 0u)
                << wire_name(swd) << ": the word after the block is not read";
            EXPECT_EQ(rig.pod.dap.ap.reads[c.address & ~c.wrap], c.address == (c.address & ~c.wrap) ? 1u : 0u)
                << wire_name(swd) << ": no read of the wrapped TAR";
            EXPECT_EQ(rig.pod.dap.ap.tar_writes, c.tars) << wire_name(swd);
            EXPECT_EQ(rig.pod.script_errors, 0u);
            EXPECT_EQ(rig.pod.header_errors, 0u);
            EXPECT_EQ(rig.pod.line_contentions, 0u);
            EXPECT_EQ(rig.pod.dap.ap.csw & 0x30u, 0u) << "increment switched off at the end";
        }
    }
}

TEST(ArmMemApBlocks, BlockReadManyWordsPerExchange)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.wrap_mask = 0xFFF;
        rig.device.ap.wrap_mask = 0xFFF;
        download_scripts(rig);
        fill(rig, 0x20000000, 256);
        std::vector<uint32_t> got(256);
        const unsigned before = rig.pod.exchanges;
        ASSERT_EQ(rig.run([&] { rig.device.ap.read_block(got.data(), 256, 0x20000000); }), 0u);
        // Far fewer exchanges than words: the scripts carry the words, and
        // TAR and the posted read ride in the same batch. What is left are
        // the AP waits and CSW changes around the run (each a reply the next
        // step needs; Serial Wire checks each acknowledge first). The last
        // word comes with the CSW read of the wait after the run; over JTAG
        // each poll of the wait reads CSW and STAT in one exchange, and CSW
        // is written by a script in the run's batch.
        EXPECT_EQ(rig.pod.exchanges - before, swd ? 13u : 4u) << wire_name(swd);
        // TAR, the posted read, then one run per word but the last; over
        // JTAG the CSW write first.
        EXPECT_EQ(rig.pod.scripts_run, swd ? 257u : 258u) << wire_name(swd);
    }
}

TEST(ArmMemApBlocks, BlockWriteWritesEveryWordAndRewritesTarAtTheWrap)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        download_scripts(rig);
        std::vector<uint32_t> words(10);
        for (uint32_t i = 0; i < words.size(); ++i)
            words[i] = 0x80000001u * (i + 1) ^ 0x5A5A5A5Au;
        const uint32_t address = 0x200003F0;
        ASSERT_EQ(rig.run([&] { rig.device.ap.write_block(words.data(), 10, address); }), 0u)
            << wire_name(swd);
        for (uint32_t i = 0; i < words.size(); ++i)
            EXPECT_EQ(rig.pod.dap.ap.memory[address + 4 * i], words[i]) << wire_name(swd) << " " << i;
        EXPECT_EQ(rig.pod.dap.ap.tar_writes, (std::vector<uint32_t>{address, 0x20000400}))
            << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.ap.memory.count(0x20000000), 0u) << "nothing written at the wrapped TAR";
        EXPECT_EQ(rig.pod.dap.ap.csw & 0x30u, 0u);
        EXPECT_EQ(rig.pod.script_errors, 0u);
    }
}

TEST(ArmMemApBlocks, LongBlockWriteSpansBatchesWithoutLosingAWord)
{
    // 400 words: more waiters than the pending log holds in one batch.
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.wrap_mask = 0xFFF;
        rig.device.ap.wrap_mask = 0xFFF;
        download_scripts(rig);
        std::vector<uint32_t> words(400);
        for (uint32_t i = 0; i < words.size(); ++i)
            words[i] = 0x01010101u * (i % 251) + i;
        const uint32_t address = 0x20002000;
        ASSERT_EQ(rig.run([&] { rig.device.ap.write_block(words.data(), 400, address); }), 0u)
            << wire_name(swd);
        for (uint32_t i = 0; i < words.size(); ++i)
            ASSERT_EQ(rig.pod.dap.ap.memory[address + 4 * i], words[i]) << wire_name(swd) << " " << i;
        // TAR, then one run per word; over JTAG the CSW write first.
        EXPECT_EQ(rig.pod.scripts_run, swd ? 401u : 402u) << wire_name(swd);
    }
}

TEST(ArmMemApBlocks, BlocksSurviveWaitsInsideTheScripts)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        download_scripts(rig);
        rig.pod.dap.waits_after_ap = 4;
        std::vector<uint32_t> words{1, 2, 3, 4, 5, 6, 7, 8};
        std::vector<uint32_t> got(8);
        ASSERT_EQ(rig.run([&] {
                      rig.device.ap.write_block(words.data(), 8, ram);
                      rig.device.ap.read_block(got.data(), 8, ram);
                  }),
                  0u)
            << wire_name(swd);
        EXPECT_EQ(got, words) << wire_name(swd);
    }
}

TEST(ArmMemApBlocks, WaitThatOutlastsAScriptIsReportedAndTheNextCallRecovers)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        download_scripts(rig);
        fill(rig, ram, 8);
        // CSW read of wait_idle, CSW write, TAR, the first posted DRW read:
        // then the port sticks inside the scripts.
        rig.pod.dap.stick_after = 4;
        std::vector<uint32_t> got(8, 0);
        EXPECT_EQ(rig.run([&] { rig.device.ap.read_block(got.data(), 6, ram); }), rc::dp_wait_timeout)
            << wire_name(swd);
        EXPECT_TRUE(rig.pod.dap.stuck);
        EXPECT_EQ(rig.pod.script_errors, 0u);

        // The abort queued then goes out first in the next call, which works.
        ASSERT_EQ(rig.run([&] { rig.device.ap.read_block(got.data(), 8, ram); }), 0u) << wire_name(swd);
        EXPECT_EQ(rig.pod.dap.aborts, std::vector<uint32_t>{dp::abort_dapabort}) << wire_name(swd);
        for (uint32_t i = 0; i < 8; ++i)
            EXPECT_EQ(got[i], 0xA0000000u + ram + 4 * i) << wire_name(swd) << " " << i;
    }
}

// A script that ends early (every pass of its retry block WAITed) still
// answers its whole footprint, and its checker reports the WAIT; a pod that
// cut that reply short would be refused as a whole, never read as data.
// (A JTAG read captures only inside its retry block, so an early end leaves
// nothing out there; the Serial Wire one skips its data phase.)
TEST(ArmMemApBlocks, ScriptThatEndsEarlyAnswersItsWholeFootprint)
{
    for (bool swd : wires) {
        for (bool cut : {false, true}) {
            arm_rig rig(swd);
            download_scripts(rig);
            fill(rig, ram, 8);
            rig.pod.dap.stick_after = 4;
            rig.pod.cut_early_script_reply = cut;
            std::vector<uint32_t> got(8, 0);
            EXPECT_EQ(rig.run([&] { rig.device.ap.read_block(got.data(), 6, ram); }),
                      cut && swd ? rc::invalid_reply : rc::dp_wait_timeout)
                << wire_name(swd) << " " << cut;
            EXPECT_EQ(got, std::vector<uint32_t>(8, 0)) << wire_name(swd) << " " << cut;
        }
    }
}

// However full the log is when the script's WAIT shows, the abort the
// checker queues from inside the batch's completion waits for the next
// batch: the code stays the WAIT time-out and the abort reaches the port.
TEST(ArmMemApBlocks, WaitInsideAScriptOfAFullLogAbortsInTheNextBatch)
{
    for (unsigned queued = 0; queued < mst::pending_log::capacity - 1; ++queued) {
        SCOPED_TRACE(queued);
        arm_rig rig(false);
        download_scripts(rig);
        fill(rig, ram, 8);
        rig.pod.dap.stick_after = 4;
        std::vector<mst::synchro> earlier(queued);
        std::vector<uint32_t> got(8, 0);
        ASSERT_EQ(rig.run([&] {
                      for (mst::synchro& w : earlier)
                          rig.prot.log().queue_write(w, &w);
                      rig.device.ap.read_block(got.data(), 6, ram);
                  }),
                  rc::dp_wait_timeout)
            << "param " << rig.record.param[0] << " aborts " << rig.pod.dap.aborts.size();
        ASSERT_EQ(rig.run([&] { rig.device.ap.read_block(got.data(), 8, ram); }), 0u);
        EXPECT_EQ(rig.pod.dap.aborts, std::vector<uint32_t>{dp::abort_dapabort});
        EXPECT_EQ(got[7], 0xA0000000u + ram + 28);
    }
}

TEST(ArmMemApBlocks, CountZeroTouchesNothing)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        download_scripts(rig);
        const unsigned before = rig.pod.exchanges;
        ASSERT_EQ(rig.run([&] {
                      rig.device.ap.read_block(nullptr, 0, ram);
                      rig.device.ap.write_block(nullptr, 0, ram);
                  }),
                  0u);
        EXPECT_EQ(rig.pod.exchanges, before);
        EXPECT_TRUE(rig.pod.dap.ap.tar_writes.empty());
    }
}

namespace {

// The MEM-AP ready for script runs as the device leaves it before reading
// the register file: bank 0 selected, APACC in the instruction register.
void ready_for_registers(arm_rig& rig)
{
    ASSERT_EQ(rig.run([&] {
                  rig.device.regs.select.set_if_changed(0);
                  if (!rig.device.regs.swd())
                      rig.device.ir.set(dp::ir_apacc);
              }),
              0u);
}

} // namespace

TEST(ArmMemApRegisters, RegisterFileComesBackInOneBatchWithRegisterReadyWaits)
{
    for (bool swd : wires) {
        for (unsigned delay : {0u, 3u}) {
            arm_rig rig(swd);
            auto& ap = rig.pod.dap.ap;
            ap.core = true;
            ap.regrdy_delay = delay;
            for (uint32_t r = 0; r <= 20; ++r)
                ap.core_regs[r] = 0x1000u + r;
            download_scripts(rig);
            ready_for_registers(rig);
            uint32_t status = 0;
            rig.device.ap.status.status_word = &status;
            uint32_t cache[21] = {};
            const unsigned before = rig.pod.exchanges;
            ASSERT_EQ(rig.run([&] { rig.device.ap.read_core_registers(cache); }), 0u)
                << wire_name(swd) << " delay " << delay;
            for (uint32_t r = 0; r <= 18; ++r)
                EXPECT_EQ(cache[r], 0x1000u + r) << wire_name(swd) << " R" << r;
            EXPECT_EQ(cache[19], 0x1014u) << wire_name(swd);
            EXPECT_EQ(cache[20], 0x1014u) << wire_name(swd);
            EXPECT_EQ(status, ap.dhcsr);
            EXPECT_EQ(ap.dcrsr_writes.size(), 20u);
            EXPECT_EQ(ap.dcrsr_writes.back(), 20u);
            // The registers' scripts share exchanges (the sticky check adds its own).
            EXPECT_LE(rig.pod.exchanges - before, 8u) << wire_name(swd);
            EXPECT_EQ(rig.pod.script_errors, 0u);
        }
    }
}

TEST(ArmMemApRegisters, CoreThatIsNotHaltedEndsTheScriptAndRaisesWrongMode)
{
    for (bool swd : wires) {
        arm_rig rig(swd);
        rig.pod.dap.ap.core = true;
        rig.pod.dap.ap.dhcsr = 0x00010001;  // running
        download_scripts(rig);
        ready_for_registers(rig);
        uint32_t status = 0;
        rig.device.ap.status.status_word = &status;
        uint32_t cache[21] = {};
        EXPECT_EQ(rig.run([&] { rig.device.ap.read_core_registers(cache); }), rc::cpu_mode_wrong)
            << wire_name(swd);
        EXPECT_EQ(rig.record.param[0], 0x00010001u) << wire_name(swd);
        EXPECT_TRUE(rig.pod.dap.ap.dcrsr_writes.size() <= 20u);
        EXPECT_EQ(rig.pod.script_errors, 0u);
    }
}

TEST(ArmMemApBlocks, MixedTrafficUnderChangingWaitsKeepsMemoryExact)
{
    for (bool swd : wires) {
        for (uint32_t seed = 1; seed <= 6; ++seed) {
            arm_rig rig(swd);
            download_scripts(rig);
            std::map<uint32_t, uint32_t> model;
            uint32_t x = seed * 2654435761u;
            auto next = [&] {
                x ^= x << 13;
                x ^= x >> 17;
                x ^= x << 5;
                return x;
            };
            for (int op = 0; op < 12; ++op) {
                rig.pod.dap.waits_after_ap = next() % 4;
                const uint32_t address = 0x20000000u + 4 * (next() % 0x180);
                const uint32_t n = 1 + next() % 40;
                std::vector<uint32_t> words(n);
                for (uint32_t& w : words)
                    w = next();
                uint32_t code = 0;
                switch (next() % 4) {
                case 0:
                    code = rig.run([&] { rig.device.ap.write_word(words[0], address); });
                    model[address] = words[0];
                    break;
                case 1:
                    code = rig.run([&] { rig.device.ap.write_block(words.data(), n, address); });
                    for (uint32_t i = 0; i < n; ++i)
                        model[address + 4 * i] = words[i];
                    break;
                case 2: {
                    uint32_t got = 0;
                    code = rig.run([&] { got = rig.device.ap.read_word(address); });
                    EXPECT_EQ(got, model.count(address) ? model[address] : 0u) << wire_name(swd);
                    break;
                }
                default: {
                    std::vector<uint32_t> got(n);
                    code = rig.run([&] { rig.device.ap.read_block(got.data(), n, address); });
                    for (uint32_t i = 0; i < n; ++i) {
                        const uint32_t at = address + 4 * i;
                        ASSERT_EQ(got[i], model.count(at) ? model[at] : 0u)
                            << wire_name(swd) << " seed " << seed << " op " << op << " word " << i;
                    }
                    break;
                }
                }
                ASSERT_EQ(code, 0u) << wire_name(swd) << " seed " << seed << " op " << op;
            }
            for (const auto& [at, value] : model)
                ASSERT_EQ(rig.pod.dap.ap.memory[at], value) << wire_name(swd) << " seed " << seed;
            EXPECT_EQ(rig.pod.script_errors, 0u);
            EXPECT_EQ(rig.pod.header_errors, 0u);
        }
    }
}

TEST(ArmMemApBlocks, SwdFaultInsideAScriptIsReportedAndClearedByTheNextAccess)
{
    arm_rig rig(true);
    download_scripts(rig);
    fill(rig, ram, 16);
    rig.pod.dap.ap.bus_error_from = ram + 16;
    rig.pod.dap.ap.bus_error_to = ram + 20;
    std::vector<uint32_t> got(8);
    EXPECT_EQ(rig.run([&] { rig.device.ap.read_block(got.data(), 8, ram); }), rc::swd_fault);
    // The next access finds the flags, clears them through ABORT and reports
    // the plain code; the one after works.
    uint32_t value = 0;
    EXPECT_EQ(rig.run([&] { value = rig.device.ap.read_word(ram); }), rc::plain_deliver);
    EXPECT_EQ(rig.pod.dap.aborts, std::vector<uint32_t>{dp::abort_clear_sticky});
    ASSERT_EQ(rig.run([&] { value = rig.device.ap.read_word(ram); }), 0u);
    EXPECT_EQ(value, 0xA0000000u + ram);
}
