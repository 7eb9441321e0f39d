#include "master/jtag/jtag.h"

#include <gtest/gtest.h>

#include <vector>

#include "master/core/command_list.h"
#include "master/core/result.h"
#include "master/tests/support/jtag_sim_rig.h"

using jtag_test::chain_rig;
using jtag_test::in_frame;
using mst::bitchain;
using mst::reg_kind;
namespace scan_mode = mst::scan_mode;
namespace tap = mst::tap;

namespace {

// Units of the request that closed the last batch, without its closing word.
std::vector<uint16_t> last_batch_steps(const sim::Pod& pod)
{
    std::vector<uint16_t> units = pod.log().exchanges.back().request;
    units.resize(units.size() - 2);
    return units;
}

} // namespace

TEST(JtagChain, MeasuresThreeDevicesWithUnequalInstructionRegisters)
{
    chain_rig rig;
    EXPECT_EQ(in_frame(rig.record, [&] { rig.engine.measure_chain(); }), 0u);
    EXPECT_EQ(rig.engine.ir_chain_length, 16u);
    EXPECT_EQ(rig.engine.dr_bypass_length, 3u);
    EXPECT_EQ(rig.engine.tap_state, tap::run_test_idle);
}

TEST(JtagChain, MeasuresEveryInstructionLengthIncludingMarkerBoundaries)
{
    // 30, 31, 62 and 63 put the marker's first bits, which are ones, at the
    // end of a 32-bit round: the length must still come out right.
    const unsigned totals[] = {10, 30, 31, 32, 33, 62, 63, 64, 100};
    for (unsigned total : totals) {
        chain_rig rig(false);  // the rig's own target has an 8-bit IR
        unsigned rest = total - 8;
        unsigned devices = 1;
        while (rest > 0) {
            sim::GenericDeviceConfig cfg;
            cfg.ir_length = rest > 32 ? 32 : (rest < 2 ? 2 : rest);
            if (rest > 32 && rest - 32 < 2)
                cfg.ir_length = 30;
            rest -= cfg.ir_length;
            rig.pod.chain().add(std::make_unique<sim::GenericDevice>(cfg));
            ++devices;
        }
        EXPECT_EQ(in_frame(rig.record, [&] { rig.engine.measure_chain(); }), 0u) << total;
        EXPECT_EQ(rig.engine.ir_chain_length, total);
        EXPECT_EQ(rig.engine.dr_bypass_length, devices) << total;
    }
}

TEST(JtagChain, BrokenChainRaisesAndTheNextCallRedetects)
{
    const struct { bool stuck; uint32_t code; } cases[] = {{false, mst::rc::ir_broken}, {true, mst::rc::ir_broken}};
    for (const auto& c : cases) {
        chain_rig rig;
        rig.pod.faults().tdo_stuck = c.stuck;
        EXPECT_EQ(in_frame(rig.record, [&] { rig.engine.measure_chain(); }), c.code) << c.stuck;
        rig.pod.faults().tdo_stuck.reset();
        rig.engine.ir_chain_length = rig.engine.dr_bypass_length = 0;
        // Recovery of the recorded code measures the chain again.
        EXPECT_EQ(in_frame(rig.record, [] {}), 0u);
        EXPECT_EQ(rig.engine.ir_chain_length, 16u);
        EXPECT_EQ(rig.engine.dr_bypass_length, 3u);
    }
}

TEST(JtagChain, FindsTheTargetInTheMiddleOfTheChain)
{
    chain_rig rig;
    const uint32_t id_mask[4] = {0xFFFu};
    const uint32_t id_value[4] = {0xFDFu};
    const uint32_t ir_mask[4] = {0xFFu};
    const uint32_t ir_value[4] = {chain_rig::target_ir_capture};
    uint32_t dr = 99, ir = 99, result = 99;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  rig.engine.measure_chain();
                  result = rig.engine.find_device(dr, ir, {32, id_mask, id_value}, {8, ir_mask, ir_value});
              }),
              0u);
    EXPECT_EQ(result, mst::find_result::found);
    EXPECT_EQ(dr, 32u);  // device C's IDCODE lies between the target and TDO
    EXPECT_EQ(ir, 3u);   // and its 3-bit instruction register
    EXPECT_EQ(rig.engine.tap_state, tap::unknown);

    const uint32_t absent[4] = {0xABCu};
    EXPECT_EQ(rig.engine.find_device(dr, ir, {32, id_mask, absent}, {8, ir_mask, ir_value}),
              mst::find_result::not_found);
    const uint32_t any_mask[4] = {0x1u};
    const uint32_t any_value[4] = {0x1u};
    EXPECT_EQ(rig.engine.find_device(dr, ir, {32, any_mask, any_value}, {8, ir_mask, ir_value}),
              mst::find_result::twice);
}

TEST(JtagChain, FindsTheTargetAloneOnItsChain)
{
    // The reply is cut just below the marker: the one IDCODE keeps all its
    // 32 bits and the one instruction capture its 8.
    chain_rig rig(false);
    const uint32_t id_mask[4] = {0xFFFu};
    const uint32_t id_value[4] = {0xFDFu};
    const uint32_t ir_mask[4] = {0xFFu};
    const uint32_t ir_value[4] = {chain_rig::target_ir_capture};
    uint32_t dr = 99, ir = 99, result = 99;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  rig.engine.measure_chain();
                  result = rig.engine.find_device(dr, ir, {32, id_mask, id_value}, {8, ir_mask, ir_value});
              }),
              0u);
    EXPECT_EQ(result, mst::find_result::found);
    EXPECT_EQ(dr, 0u);
    EXPECT_EQ(ir, 0u);
}

TEST(JtagChain, SixteenBitReadFromIdleGivesReplyPositionThree)
{
    chain_rig rig(false);
    rig.chip->add_register(0x10, jtag_test::bits_of(0xBEEF, 16));
    uint32_t ir_value = 0x10;
    bitchain ir;
    ir.attach(&ir_value, 8);
    uint32_t data_words[1] = {0};
    bitchain data;
    data.attach(data_words, 16);
    mst::scan_result r;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  rig.engine.measure_chain();
                  rig.engine.scan(reg_kind::ir, scan_mode::write, ir, 0);
                  rig.engine.enter_idle();
                  rig.prot.end_batch();
                  r = rig.engine.scan(reg_kind::dr, scan_mode::read, data, 0);
                  rig.prot.end_batch();
              }),
              0u);
    EXPECT_EQ(r.done, 1u);
    EXPECT_EQ(r.position, 3u);
    // TMS 1,0,0; fifteen 0s and a 1 under the data; 1,0 and zeros.
    const std::vector<uint16_t> expect = {0x0903, 0x8A00, 0x0001, 0x0000, 0x0903, 0x8A00, 0x000C, 0x0000};
    EXPECT_EQ(last_batch_steps(rig.pod), expect);
    uint32_t got = 0;
    bitchain out;
    out.attach(&got, 16);
    rig.engine.attach_reply();
    ASSERT_TRUE(rig.engine.working.extract_field(r.position, out));
    EXPECT_EQ(got, 0xBEEFu);
    EXPECT_EQ(rig.engine.tap_state, tap::run_test_idle);
}

TEST(JtagChain, WriteScanStaysInExit1UntilFlushMovesItToPause)
{
    const struct { reg_kind kind; uint32_t exit1, pause; sim::TapState sim_pause; } cases[] = {
        {reg_kind::ir, tap::exit1_ir, tap::pause_ir, sim::TapState::PauseIr},
        {reg_kind::dr, tap::exit1_dr, tap::pause_dr, sim::TapState::PauseDr},
    };
    for (const auto& c : cases) {
        chain_rig rig;
        uint32_t v = 0x5;
        bitchain data;
        data.attach(&v, c.kind == reg_kind::ir ? 8 : 3);
        ASSERT_EQ(in_frame(rig.record, [&] {
                      rig.engine.measure_chain();
                      rig.engine.scan(c.kind, scan_mode::write, data, c.kind == reg_kind::ir ? 3 : 1);
                  }),
                  0u);
        EXPECT_EQ(rig.engine.tap_state, c.exit1);
        EXPECT_GT(rig.engine.pending_count(), 0u);
        EXPECT_EQ(in_frame(rig.record, [&] {
                      rig.engine.flush_pending();
                      rig.prot.end_batch();
                  }),
                  0u);
        EXPECT_EQ(rig.engine.tap_state, c.pause);
        EXPECT_EQ(rig.engine.pending_count(), 0u);
        EXPECT_EQ(rig.pod.chain().state(1), c.sim_pause);
    }
}

TEST(JtagChain, SelectWireSendsTheSwitchingSequenceWithTmsHigh)
{
    const struct { uint32_t swd; uint16_t sequence; uint32_t line_a, line_b; } cases[] = {
        {1, 0xE79E, 32, 0}, {0, 0xE73C, 0, 32}};
    for (const auto& c : cases) {
        chain_rig rig;
        ASSERT_EQ(in_frame(rig.record, [&] { rig.engine.select_wire(c.swd); }), 0u);
        const auto& controls = rig.pod.log().controls;
        ASSERT_FALSE(controls.empty());
        EXPECT_EQ(controls.back().a, c.line_a);
        EXPECT_EQ(controls.back().b, c.line_b);
        const std::vector<uint16_t> steps = last_batch_steps(rig.pod);
        std::vector<uint16_t> tms;
        for (size_t i = 0; i + 3 < steps.size(); i += 4)
            tms.push_back(steps[i + 2]);
        const std::vector<uint16_t> expect = {0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF, c.sequence,
                                              0xFFFF, 0xFFFF, 0xFFFF, 0x0FFF, 0x0000};
        EXPECT_EQ(tms, expect);
        EXPECT_EQ(rig.engine.tap_state, tap::unknown);
        EXPECT_EQ(rig.engine.wire_mode, c.swd);
    }
}

TEST(JtagChain, ResetTellsEveryDeviceHeadFirst)
{
    chain_rig rig;
    struct spy : jtag_test::member_device {
        spy(mst::jtag& e, std::vector<int>& log, int id) : member_device(e, 8), log_(log), id_(id) {}
        void tap_reset_notice() override { log_.push_back(id_); }
        std::vector<int>& log_;
        int id_;
    };
    std::vector<int> order;
    spy a(rig.engine, order, 1), b(rig.engine, order, 2);
    ASSERT_EQ(in_frame(rig.record, [&] { rig.engine.reset_tap(); }), 0u);
    EXPECT_EQ(rig.device->reset_notices, 1u);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    EXPECT_EQ(rig.engine.tap_state, tap::test_logic_reset);
}

TEST(JtagChain, ReadAfterRawWriteStillRunsInReadMode)
{
    // A raw transfer leaves the pod's slots in write mode. A read scan that
    // follows, with the engine's last scan also a read, must still return
    // TDO.
    chain_rig rig(false);
    rig.chip->add_register(0x10, jtag_test::bits_of(0x1234, 16));
    uint32_t ir_value = 0x10;
    bitchain ir;
    ir.attach(&ir_value, 8);
    uint32_t w = 0;
    bitchain data;
    data.attach(&w, 16);
    const uint16_t tms[3] = {0, 0, 0};
    const uint16_t tdi[3] = {0, 0, 0};
    mst::scan_result r;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  rig.engine.measure_chain();
                  rig.engine.scan(reg_kind::ir, scan_mode::write, ir, 0);
                  rig.engine.scan(reg_kind::dr, scan_mode::read, data, 0);
                  rig.engine.raw_transfer(scan_mode::write, tms, tdi);
                  r = rig.engine.scan(reg_kind::dr, scan_mode::read, data, 0);
                  rig.prot.end_batch();
              }),
              0u);
    uint32_t got = 0;
    bitchain out;
    out.attach(&got, 16);
    rig.engine.attach_reply();
    ASSERT_TRUE(rig.engine.working.extract_field(r.position, out));
    EXPECT_EQ(got, 0x1234u);
}

TEST(JtagChain, RawTransferRecordsItsReplyPositionExceptInWriteMode)
{
    chain_rig rig;
    rig.engine.wire_mode = 1;
    const uint16_t tms[3] = {0x0FFF, 0x0000, 0xFFFC};
    const uint16_t tdi[3] = {0x00A5, 0, 0};
    const struct { uint32_t mode, steps; uint16_t word_hi; bool returns; } cases[] = {
        {scan_mode::read, 3, 0x8C00, true}, {scan_mode::write, 3, 0x8800, false}, {scan_mode::exchange, 1, 0x8C00, true}};
    for (const auto& c : cases) {
        mst::scan_result r;
        uint32_t before = 0;
        ASSERT_EQ(in_frame(rig.record, [&] {
                      rig.prot.end_batch();
                      before = rig.prot.request_length();
                      rig.prot.add_reply_units(0);
                      r = rig.engine.raw_transfer(c.mode, tms, tdi);
                  }),
                  0u);
        EXPECT_EQ(r.done, 1u);
        EXPECT_EQ(r.position, 0u);
        EXPECT_EQ(rig.prot.request_length() - before, 4 * c.steps);
        EXPECT_EQ(rig.prot.request()[before + 1], c.word_hi);
        EXPECT_EQ(rig.prot.reply_unit_counter(), c.returns ? 2 + c.steps : 2u);
    }
}

TEST(JtagChain, IdleStepDrivesTheLineLowWithDataZero)
{
    chain_rig rig;
    ASSERT_EQ(in_frame(rig.record, [&] { rig.engine.idle_step(); }), 0u);
    const uint16_t* rq = rig.prot.request();
    EXPECT_EQ(rq[1], 0x8800);
    EXPECT_EQ(rq[2], 0xFFFE);  // TMS word: the drive mask
    EXPECT_EQ(rq[3], 0x0000);  // TDI word: the data
}

TEST(JtagChain, LongInstructionChainScansNeverOverflowTheReply)
{
    // Each IR exchange returns a unit per step of a 208-bit scan, far more
    // than its 8 data bits: room must be reserved by steps.
    chain_rig rig;
    for (int i = 0; i < 6; ++i) {
        sim::GenericDeviceConfig wide;
        wide.ir_length = 32;
        rig.pod.chain().add(std::make_unique<sim::GenericDevice>(wide));
    }
    ASSERT_EQ(in_frame(rig.record, [&] { rig.engine.measure_chain(); }), 0u);
    ASSERT_EQ(rig.engine.ir_chain_length, 208u);
    rig.device->ir_bits_before = 3 + 192;
    uint32_t v = 0x22;
    bitchain data;
    data.attach(&v, 8);
    std::vector<uint32_t> positions;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  for (int i = 0; i < 150; ++i) {
                      const auto r = rig.engine.scan(reg_kind::ir, scan_mode::exchange, data, rig.device->ir_bits_before);
                      ASSERT_EQ(r.done, 1u);
                      ASSERT_LE(rig.prot.reply_unit_counter(), mst::trn_prot::reply_units);
                  }
                  rig.prot.end_batch();
              }),
              0u);
    EXPECT_GT(rig.prot.batch_count(), 2u);
}

TEST(JtagChain, ScanThatCannotFitAnEmptyBatchIsNotDone)
{
    chain_rig rig;
    rig.engine.dr_bypass_length = 9000;
    rig.engine.tap_state = tap::run_test_idle;
    uint32_t v = 0;
    bitchain data;
    data.attach(&v, 16);
    mst::scan_result r{7, 7};
    ASSERT_EQ(in_frame(rig.record, [&] { r = rig.engine.scan(reg_kind::dr, scan_mode::read, data, 0); }), 0u);
    EXPECT_EQ(r.done, 0u);
    EXPECT_EQ(rig.prot.request_length(), 0u);
    // Bits before that leave no room for the register in the chain.
    rig.engine.dr_bypass_length = 3;
    r = rig.engine.scan(reg_kind::dr, scan_mode::read, data, 3);
    EXPECT_EQ(r.done, 0u);
}

TEST(JtagChain, QueuedScanRecordsStepsAndRunsFromThePodCommandList)
{
    // A long instruction chain: the fill before the target becomes one
    // repeat entry, the data sit in one step at bit 7.
    chain_rig rig;
    for (int i = 0; i < 6; ++i) {
        sim::GenericDeviceConfig wide;
        wide.ir_length = 32;
        rig.pod.chain().add(std::make_unique<sim::GenericDevice>(wide));
    }
    ASSERT_EQ(in_frame(rig.record, [&] { rig.engine.measure_chain(); }), 0u);
    mst::cmd_list list(rig.record);
    uint32_t v = 0x22;
    bitchain data;
    data.attach(&v, 8);
    mst::queued_result q;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  q = rig.engine.queued_scan(list, reg_kind::ir, scan_mode::exchange, data, 3 + 192);
              }),
              0u);
    EXPECT_EQ(q.handle, 5u);
    EXPECT_EQ(q.data_steps, 1u);
    EXPECT_EQ(q.bit_offset, 7u);
    ASSERT_EQ(list.count, 9u);
    // Head step: TMS 1,1,0,0 (Run-Test/Idle to Shift-IR), TDI ones; eleven
    // filler steps of ones; the data step: 7 fill bits, 0x22, one fill bit;
    // the closing step: fill bits with Exit1 on the fourth, then Update.
    const uint32_t expect[9] = {0x88000903, 0xFFFF0003, 0x95000903, 11,         0xFFFF0000,
                                0x8C000903, 0x917F0000, 0x88000903, 0xFFFF0018};
    for (unsigned i = 0; i < 9; ++i)
        EXPECT_EQ(list.words[i], expect[i]) << i;
    EXPECT_EQ(rig.engine.tap_state, tap::run_test_idle);
    EXPECT_EQ(rig.prot.request_length(), 0u);  // nothing went to the request

    uint32_t position = 0;
    ASSERT_EQ(in_frame(rig.record, [&] {
                  list.flush_list(rig.prot);
                  position = rig.prot.next_reply_position() + q.bit_offset;
                  rig.prot.req_word(0x80000903u);  // run the list from word 0
                  rig.prot.add_reply_units(q.data_steps);
                  rig.prot.end_batch();
              }),
              0u);
    uint32_t got = 0;
    bitchain out;
    out.attach(&got, 8);
    rig.engine.attach_reply();
    ASSERT_TRUE(rig.engine.working.extract_field(position, out));
    EXPECT_EQ(got, chain_rig::target_ir_capture);
    EXPECT_EQ(rig.chip->instruction(), 0x22u);
}

TEST(JtagChain, QueuedRawTransferWritesOneEntryPerStep)
{
    chain_rig rig;
    mst::cmd_list list(rig.record);
    list.list_word(0x12345678u);
    const uint16_t tms[3] = {0x0FFF, 0xFFFE, 0xFFFF};
    const uint16_t tdi[3] = {0x1234, 0x5678, 0x9ABC};
    const struct { uint32_t mode, entries, word; } cases[] = {
        {scan_mode::write, 3, 0x88000903}, {scan_mode::read, 3, 0x8C000903}, {scan_mode::exchange, 1, 0x8C000903}};
    for (const auto& c : cases) {
        const uint32_t before = list.count;
        const mst::queued_result q = rig.engine.queued_raw_transfer(list, c.mode, tms, tdi);
        EXPECT_EQ(q.handle, before);
        EXPECT_EQ(q.data_steps, c.entries);
        EXPECT_EQ(q.bit_offset, 0u);
        ASSERT_EQ(list.count - before, 2 * c.entries);
        for (uint32_t i = 0; i < c.entries; ++i) {
            EXPECT_EQ(list.words[before + 2 * i], c.word);
            EXPECT_EQ(list.words[before + 2 * i + 1], uint32_t{tdi[i]} << 16 | tms[i]);
        }
    }
}
