// The pod wired to a Cortex-M target: requests built by hand, unit by unit,
// the way the host's encoder must build them, over Serial Wire Debug and
// over a JTAG chain that holds the target's debug port among other devices.
#include "sim/pod/pod.h"

#include <gtest/gtest.h>

#include "sim/pod/cortex_m_target.h"
#include "sim/pod/generic_device.h"
#include "sim/pod/pod_words.h"
#include "sim/pod/tests/support/arm_wire.h"
#include "sim/pod/tests/support/cortex_m_rig.h"
#include "sim/pod/tests/support/pod_wire.h"

namespace sim {
namespace {

using namespace pod_words;
using test::concat;
using test::ones;
using test::RequestBuilder;
using test::swd_request_word;
using test::Units;
using test::zeros;

Units control(std::uint32_t word, std::uint32_t a = 0, std::uint32_t b = 0) {
    RequestBuilder rq;
    rq.word(word);
    if (word == kSetLines) rq.word(a).word(b);
    return rq.units();
}

// The host's wire switch: the line command, then 64 clocks high, the select
// sequence, 48 clocks high, 12 high and 4 low, 16 low (TDI 0xFFFF but in
// the last step), as write steps.
RequestBuilder switch_steps(std::uint16_t sequence) {
    RequestBuilder rq;
    for (int i = 0; i < 4; ++i) rq.step(kScanWrite, 0xFFFF, 0xFFFF);
    rq.step(kScanWrite, sequence, 0xFFFF);
    for (int i = 0; i < 3; ++i) rq.step(kScanWrite, 0xFFFF, 0xFFFF);
    rq.step(kScanWrite, 0x0FFF, 0xFFFF);
    rq.step(kScanWrite, 0x0000, 0x0000);
    return rq.word(kEndOfBatch);
}

// An SWD transfer as the host sends it: the request step (captured: ACK in
// bits 13-15), then the three data-phase steps, captured for a read.
void swd_read(RequestBuilder& rq, bool ap, unsigned address) {
    rq.step(kScanExchange, 0x0FFF, swd_request_word(ap, true, address));
    rq.step(kScanExchange, 0x0000, 0).step(kScanExchange, 0x0000, 0).step(kScanExchange, 0xFFFC, 0);
}
void swd_write(RequestBuilder& rq, bool ap, unsigned address, std::uint32_t value) {
    rq.step(kScanExchange, 0x0FFF, swd_request_word(ap, false, address));
    const std::uint64_t frame = (std::uint64_t{value} << 1) | (std::uint64_t{test::parity_of(value)} << 33);
    rq.step(kScanWrite, 0xFFFE, static_cast<std::uint16_t>(frame));
    rq.step(kScanWrite, 0xFFFF, static_cast<std::uint16_t>(frame >> 16));
    rq.step(kScanWrite, 0xFFFF, static_cast<std::uint16_t>(frame >> 32));
}

unsigned ack_of(std::uint16_t request_unit) { return request_unit >> 13; }
std::uint32_t data_of(const Units& reply, std::size_t unit) {
    return reply[unit] | (static_cast<std::uint32_t>(reply[unit + 1]) << 16);
}

class PodSwd : public ::testing::Test {
protected:
    explicit PodSwd(const CortexMTargetConfig& config = {}) : rig(config) { pod.attach_arm_target(&rig.t); }
    void select_swd() {
        ASSERT_EQ(test::exchange(pod, control(kSetLines, kLineJtagSelect, 0)).word0(), kSetLines);
        ASSERT_EQ(test::exchange(pod, switch_steps(ArmSwDp::kSelectSwd)).word0(), kEndOfBatch);
    }
    Units run(const RequestBuilder& rq) { return test::exchange(pod, RequestBuilder(rq).word(kEndOfBatch)).units; }

    test::CortexMRig rig;
    Pod pod;
};

TEST_F(PodSwd, DpidrReadAcrossTwoBatchesAfterTheSwitch) {
    select_swd();
    EXPECT_TRUE(pod.swd_mode());
    EXPECT_TRUE(rig.t.sw_dp().swd_selected());
    // The host sends the request step alone, checks the ACK, then the data phase.
    RequestBuilder request;
    request.step(kScanExchange, 0x0FFF, swd_request_word(false, true, 0));
    const Units first = run(request);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(ack_of(first[2]), 0b001u);
    EXPECT_EQ(first[2] & 0x0FFF, swd_request_word(false, true, 0));

    // Read steps drive by their mask like exchange steps on this wire.
    RequestBuilder data;
    data.step(kScanRead, 0x0000, 0xFFFF).step(kScanRead, 0x0000, 0xFFFF).step(kScanRead, 0xFFFC, 0);
    const Units second = run(data);
    ASSERT_EQ(second.size(), 5u);
    EXPECT_EQ(data_of(second, 2), 0x2BA01477u);
    EXPECT_EQ(second[4] & 1u, test::parity_of(0x2BA01477u));
    EXPECT_TRUE(rig.t.violations().empty());
}

TEST_F(PodSwd, DisconnectedTargetLeavesTheLineToThePodAndShowsNoAcknowledge) {
    select_swd();
    pod.faults().target_disconnected = true;
    const std::uint64_t clocks = rig.t.swd_line().clocks();
    RequestBuilder rq;
    swd_read(rq, false, 0x0);
    const Units reply = run(rq);
    EXPECT_EQ(reply, (Units{0x0903, 0x9200, swd_request_word(false, true, 0), 0, 0, 0}));
    EXPECT_EQ(rig.t.swd_line().clocks(), clocks);
}

TEST_F(PodSwd, ApReadIsCollectedThroughRdbuffWithOneBusRead) {
    rig.t.bus().poke32(0x20000010, 0xCAFEF00D);
    select_swd();
    RequestBuilder rq;
    swd_read(rq, false, 0x0);                   // DPIDR first after the line reset
    swd_write(rq, false, 0x4, 0x50000000);      // power-up request
    swd_write(rq, false, 0x8, 0x00000000);      // SELECT: AP 0, bank 0
    swd_write(rq, true, 0x0, 0x03000002);       // CSW: 32-bit
    swd_write(rq, true, 0x4, 0x20000010);       // TAR
    swd_read(rq, true, 0xC);                    // DRW read: posted
    swd_read(rq, false, 0xC);                   // RDBUFF
    const Units reply = run(rq);
    // Units: DPIDR read 4, four write request steps, DRW read 4, RDBUFF read 4.
    ASSERT_EQ(reply.size(), 2u + 4 + 4 + 4 + 4);
    for (std::size_t u : {2u, 6u, 7u, 8u, 9u, 10u, 14u}) EXPECT_EQ(ack_of(reply[u]), 0b001u) << u;
    EXPECT_EQ(data_of(reply, 15), 0xCAFEF00Du);
    EXPECT_EQ(rig.t.bus().access_count(0x20000010).reads, 1u);
    EXPECT_TRUE(rig.t.violations().empty());
}

TEST_F(PodSwd, SwitchingBackToJtagWakesTheTapAndLeavesTheChainAloneInBetween) {
    pod.chain().add(rig.t.make_jtag_dp());
    const std::uint64_t before = pod.chain().clocks();
    select_swd();
    // The line command makes the steps SWD ones: the chain saw none of them.
    EXPECT_EQ(pod.chain().clocks(), before);
    EXPECT_EQ(rig.t.sw_dp().counters().selects_swd, 1u);

    ASSERT_EQ(test::exchange(pod, control(kSetLines, 0, kLineJtagSelect)).word0(), kSetLines);
    EXPECT_FALSE(pod.swd_mode());
    test::exchange(pod, switch_steps(ArmSwDp::kSelectJtag));
    EXPECT_EQ(rig.t.sw_dp().counters().selects_jtag, 1u);
    EXPECT_FALSE(rig.t.sw_dp().swd_selected());
    // The steps ended in Run-Test/Idle; read the IDCODE: TMS 1,0,0 then 32 bits.
    const Units reply = run(RequestBuilder()
                                .step(kScanExchange, 0x0001, 0)
                                .step(kScanExchange, 0x0000, 0)
                                .step(kScanExchange, 0x0000, 0));
    const std::uint64_t stream = reply[2] | (std::uint64_t{reply[3]} << 16) | (std::uint64_t{reply[4]} << 32);
    EXPECT_EQ(static_cast<std::uint32_t>(stream >> 3), 0x4BA00477u);
}

TEST_F(PodSwd, ResetLineResetsTheCoreAndHoldsItUntilReleased) {
    rig.t.core().clear_logs();
    test::exchange(pod, control(kSetLines, 0, kLineTargetReset));
    ASSERT_EQ(rig.t.core().resets().size(), 1u);
    EXPECT_EQ(rig.t.core().resets().back(), CortexMResetKind::Pin);
    const std::uint32_t pc = rig.t.core().reg(CortexMCore::kPc);
    test::exchange(pod, control(kReadStatus));
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), pc); // held: nothing executed
    test::exchange(pod, control(kSetLines, kLineTargetReset, 0));
    test::exchange(pod, control(kReadStatus));
    EXPECT_NE(rig.t.core().reg(CortexMCore::kPc), pc);
    EXPECT_EQ(rig.t.core().resets().size(), 1u);

    // Debug state survives the line: a vector catch halts at the reset vector.
    rig.wr(CortexMCore::kDhcsr, 0xA05F0001);
    rig.wr(CortexMCore::kDemcr, 0x00000001);
    test::exchange(pod, control(kSetLines, 0, kLineTargetReset));
    test::exchange(pod, control(kSetLines, kLineTargetReset, 0));
    EXPECT_TRUE(rig.t.core().halted());
    EXPECT_EQ(rig.t.core().reg(CortexMCore::kPc), 0x100u);
}

TEST_F(PodSwd, EveryDeliveredRequestIsOneExchangeAndBatchSizesAreLogged) {
    pod.go_dead_for(1);
    test::exchange(pod, control(kReadStatus));                 // lost on the way: no exchange
    test::exchange(pod, control(kReadStatus));
    RequestBuilder big;
    for (int i = 0; i < 1003; ++i) big.step(kScanExchange, 0, 0); // 1005 reply units with the echo
    test::exchange(pod, big.word(kEndOfBatch));
    EXPECT_EQ(rig.t.exchanges(), 2u);
    EXPECT_EQ(pod.log().largest_reply_units, 1005u);
    EXPECT_EQ(pod.log().replies_over_limit, 1u);
    EXPECT_EQ(pod.log().largest_request_units, 4014u);
    EXPECT_EQ(pod.log().requests_over_limit, 1u);
}

// The DRW read script the host records for Serial Wire Debug: the request
// step retried in a block until its ACK is OK, then the data phase.
//  0 open 300 | 2 request | 4 compare ACK | 7 jump 13 | 9 end | 10 failed | 12 end-of-script
//  13 data phase, three steps | 19 end-of-script
std::vector<std::uint32_t> drw_read_script() {
    const std::uint32_t request = swd_request_word(true, true, 0xC);
    return {0x8F000903, 300, kScanExchange, 0x0FFFu | (request << 16), 0x8E000903, 1, 0xE0002000,
            0x8B000903, 13,  0x90000903,    0x93000903, 0,   kEndScript,
            kScanExchange, 0x0000, kScanExchange, 0x0000, kScanExchange, 0xFFFC, kEndScript};
}

class PodSwdScript : public PodSwd {
protected:
    void SetUp() override {
        for (std::uint32_t i = 0; i < 4; ++i) rig.t.bus().poke32(0x20000000 + 4 * i, 0x11110000 * (i + 1) + i);
        select_swd();
        RequestBuilder rq;
        swd_read(rq, false, 0x0);
        swd_write(rq, false, 0x4, 0x50000000);
        swd_write(rq, false, 0x8, 0);
        swd_write(rq, true, 0x0, 0x03000012); // 32-bit, address incremented
        swd_write(rq, true, 0x4, 0x20000000);
        swd_read(rq, true, 0xC);              // the first read, posted
        rq.word(kCommandList).word(static_cast<std::uint32_t>(drw_read_script().size()));
        for (std::uint32_t w : drw_read_script()) rq.word(w);
        run(rq);
    }
    Units run_script() { return run(RequestBuilder().word(kRunScript)); }
};

TEST_F(PodSwdScript, WaitsAreRetriedInsideTheScriptAndTheReplyKeepsItsLayout) {
    rig.t.dp().set_wait_knob(ArmAccessClass::ApRead, ArmWaitKnob{3, false, false});
    const Units first = run_script();  // accepted; keeps the port busy for three accesses
    const Units second = run_script(); // three WAITs, then OK
    ASSERT_EQ(first.size(), 6u);
    ASSERT_EQ(second.size(), 6u);
    EXPECT_EQ(ack_of(first[2]), 0b001u);
    EXPECT_EQ(data_of(first, 3), 0x11110000u);
    EXPECT_EQ(ack_of(second[2]), 0b001u);
    EXPECT_EQ(data_of(second, 3), 0x22220001u);
    EXPECT_EQ(rig.t.dp().log().waits, 3u);
    EXPECT_EQ(pod.log().block_failures, 0u);
    EXPECT_TRUE(rig.t.violations().empty());
}

TEST_F(PodSwdScript, PersistentWaitFailsTheBlockAndTheDataUnitsReadZeroUntilAborted) {
    rig.t.dp().set_wait_knob(ArmAccessClass::ApRead, ArmWaitKnob{0, true, false});
    run_script();
    const Units stuck = run_script();
    EXPECT_EQ(stuck, (Units{0x0903, 0x9200, static_cast<std::uint16_t>(0x4000 | swd_request_word(true, true, 0xC)), 0,
                            0, 0}));
    EXPECT_EQ(pod.log().block_failures, 1u);
    EXPECT_EQ(rig.t.dp().log().waits, 300u);

    RequestBuilder abort_and_retry;
    swd_write(abort_and_retry, false, 0x0, 1); // DAPABORT
    abort_and_retry.step(kScanWrite, 0xFFFE, 0);
    const Units after = run(abort_and_retry.word(kRunScript));
    ASSERT_EQ(after.size(), 7u);
    EXPECT_EQ(ack_of(after[2]), 0b001u);
    EXPECT_EQ(ack_of(after[3]), 0b001u);
    EXPECT_TRUE(rig.t.violations().empty());
}

// The register-ready script the host records for Serial Wire Debug, with
// its S_REGRDY loop as an outer block around the DHCSR read: TAR := DHCSR
// in a block; outer block { DRW read request; DRW read in a block; DHCSR
// halted and sane, else end; S_REGRDY, else next pass }.
class Assembler {
public:
    std::uint32_t here() const { return static_cast<std::uint32_t>(words.size()); }
    Assembler& put(std::initializer_list<std::uint32_t> w) {
        words.insert(words.end(), w);
        return *this;
    }
    // A jump whose target is set later with land().
    std::size_t jump() {
        put({0x8B000903, 0});
        return words.size() - 1;
    }
    void land(std::size_t jump_operand) { words[jump_operand] = here(); }
    void request(bool ap, bool read, unsigned address) {
        put({kScanExchange, 0x0FFFu | (std::uint32_t{swd_request_word(ap, read, address)} << 16)});
    }
    void read_data() { put({kScanExchange, 0x0000, kScanExchange, 0x0000, kScanExchange, 0xFFFC}); }
    void write_data(std::uint32_t value) {
        const std::uint64_t frame = (std::uint64_t{value} << 1) | (std::uint64_t{test::parity_of(value)} << 33);
        for (unsigned i = 0; i < 3; ++i) {
            const std::uint32_t data = static_cast<std::uint32_t>(frame >> (16 * i)) & 0xFFFF;
            put({kScanWrite, (i == 0 ? 0xFFFEu : 0xFFFFu) | (data << 16)});
        }
    }
    // [open] request [compare OK] [jump L] [end] [failed] [end-of-script] L:
    void retried_request(bool ap, bool read, unsigned address) {
        put({0x8F000903, 300});
        request(ap, read, address);
        put({0x8E000903, 1, 0xE0002000});
        const std::size_t out = jump();
        put({0x90000903, 0x93000903, 0, kEndScript});
        land(out);
    }
    std::vector<std::uint32_t> words;
};

std::vector<std::uint32_t> register_ready_script() {
    Assembler a;
    a.retried_request(true, false, 0x4);
    a.write_data(CortexMCore::kDhcsr);
    a.put({0x8F000903, 300}); // S_REGRDY poll
    a.request(true, true, 0xC);
    a.read_data();
    a.retried_request(true, true, 0xC);
    a.read_data();
    // DHCSR is at bit 16 of the transfer: units 1 (bits 15-0) and 2 (31-16).
    a.put({0x8E000903, 3, 0, 0x00010001, 0x030E0002});
    const std::size_t sane = a.jump();
    a.put({0x93000903, 0, kEndScript});
    a.land(sane);
    a.put({0x8E000903, 3, 0, 0, 0x00010001});
    const std::size_t ready = a.jump();
    a.put({0x90000903, 0x93000903, 0});
    a.land(ready);
    a.put({kEndScript});
    return a.words;
}

class PodRegisterReady : public PodSwd {
protected:
    PodRegisterReady() : PodSwd(with_latency()) {}
    static CortexMTargetConfig with_latency() {
        CortexMTargetConfig config;
        config.regrdy_latency = 4; // debugger accesses before S_REGRDY reads 1
        return config;
    }
    void SetUp() override {
        select_swd();
        RequestBuilder rq;
        swd_read(rq, false, 0x0);
        swd_write(rq, false, 0x4, 0x50000000);
        swd_write(rq, false, 0x8, 0);
        swd_write(rq, true, 0x0, 0x03000002); // 32-bit, no increment
        const auto script = register_ready_script();
        rq.word(kCommandList).word(static_cast<std::uint32_t>(script.size()));
        for (std::uint32_t w : script) rq.word(w);
        run(rq);
    }
    std::uint64_t dhcsr_reads() { return rig.t.bus().access_count(CortexMCore::kDhcsr).reads; }
};

TEST_F(PodRegisterReady, PollsUntilTheRegisterIsReadyInNineUnits) {
    rig.halt();
    rig.rd(CortexMCore::kDhcsr);                   // clears S_RESET_ST and S_RETIRE_ST
    rig.wr(CortexMCore::kDcrsr, CortexMCore::kPc); // S_REGRDY after the next accesses
    const std::uint64_t before = dhcsr_reads();
    const Units reply = run(RequestBuilder().word(kRunScript));
    ASSERT_EQ(reply.size(), 2u + 9);
    for (std::size_t u : {2u, 3u, 7u}) EXPECT_EQ(ack_of(reply[u]), 0b001u) << u;
    const std::uint32_t dhcsr = data_of(reply, 8);
    EXPECT_EQ(dhcsr & 0x00030001u, 0x00030001u); // S_REGRDY, S_HALT, C_DEBUGEN
    EXPECT_EQ(pod.log().block_failures, 0u);
    EXPECT_TRUE(rig.t.violations().empty());
    EXPECT_GE(dhcsr_reads() - before, 4u); // the poll went round
}

TEST_F(PodRegisterReady, RunningCoreEndsTheScriptAtTheStatusCheck) {
    rig.run();
    rig.t.bus().clear_counts();
    const Units reply = run(RequestBuilder().word(kRunScript));
    ASSERT_EQ(reply.size(), 2u + 9);
    EXPECT_EQ(data_of(reply, 8) & 0x00020000u, 0u); // not halted: the host's checker sees it
    EXPECT_EQ(dhcsr_reads(), 2u);                     // one pass, no S_REGRDY poll
    EXPECT_EQ(pod.log().block_failures, 1u);          // the status check's failure path
}

// ---- JTAG: the debug port between devices of unequal IR length ---------

// Clocks built bit by bit from Run-Test/Idle and sent as exchange steps,
// padded with Run-Test/Idle clocks; the TDO stream comes back bit by bit.
class Clocks {
public:
    // One register scan through Shift and Update back to Run-Test/Idle;
    // returns the stream index of the first shifted bit.
    std::size_t scan(bool ir, const Bits& in) {
        for (char c : std::string(ir ? "1100" : "100")) add(c == '1', false);
        const std::size_t first = tms_.size();
        for (std::size_t i = 0; i < in.size(); ++i) add(i + 1 == in.size(), in[i]);
        add(true, false);
        add(false, false);
        return first;
    }
    RequestBuilder request() const {
        RequestBuilder rq;
        for (std::size_t s = 0; s < tms_.size(); s += 16) {
            std::uint16_t tms = 0, tdi = 0;
            for (std::size_t i = 0; i < 16 && s + i < tms_.size(); ++i) {
                tms = static_cast<std::uint16_t>(tms | (tms_[s + i] << i));
                tdi = static_cast<std::uint16_t>(tdi | (tdi_[s + i] << i));
            }
            rq.step(kScanExchange, tms, tdi);
        }
        return rq.word(kEndOfBatch);
    }
    static std::uint64_t bits(const Units& reply, std::size_t first, unsigned count) {
        std::uint64_t v = 0;
        for (unsigned i = 0; i < count; ++i) {
            const std::size_t k = first + i;
            if ((reply.at(2 + k / 16) >> (k % 16)) & 1u) v |= std::uint64_t{1} << i;
        }
        return v;
    }

private:
    void add(bool tms, bool tdi) {
        tms_.push_back(tms);
        tdi_.push_back(tdi);
    }
    std::vector<bool> tms_, tdi_;
};

// TDI -> IR 5 -> debug port (IR 4) -> IR 3 -> IR 7 -> TDO, TAPs in Run-Test/Idle.
void build_mixed_chain(Pod& pod, CortexMTarget& target) {
    pod.attach_arm_target(&target);
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{5, std::nullopt, 0x1, 0x1});
    pod.chain().add(target.make_jtag_dp());
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{3, std::nullopt, 0x1, 0x1});
    pod.chain().emplace<GenericDevice>(GenericDeviceConfig{7, std::nullopt, 0x1, 0x1});
    test::exchange(pod, RequestBuilder().step(kScanWrite, 0x001F, 0).word(kEndOfBatch));
}
// The devices nearest TDO take the first bits: 7 + 3 ones, the port's
// instruction, 5 ones; in DR the two bypass bits after the port come first.
Bits dp_ir(std::uint32_t instruction) { return concat({ones(10), bits_from_u64(instruction, 4), ones(5)}); }
Bits dp_dr(bool read, unsigned address, std::uint32_t data) {
    const std::uint64_t word = std::uint64_t{read} | ((address >> 2) << 1) | (std::uint64_t{data} << 3);
    return concat({zeros(2), bits_from_u64(word, 35), zeros(1)});
}

TEST(PodJtagDp, DpAccessThroughAChainWithUnequalIrLengthsOnBothSides) {
    test::CortexMRig rig;
    Pod pod;
    build_mixed_chain(pod, rig.t);
    Clocks c;
    const std::size_t ir = c.scan(true, dp_ir(ArmJtagDp::kDpacc));
    const std::size_t first = c.scan(false, dp_dr(true, 0x0, 0));
    const std::size_t second = c.scan(false, dp_dr(true, 0xC, 0));
    const Units reply = test::exchange(pod, c.request()).units;

    // IR captures: 0b01 padded, nearest TDO first: 7, 3, the port's 4, 5.
    EXPECT_EQ(Clocks::bits(reply, ir, 19), 0x1u | (0x1u << 7) | (0x1u << 10) | (0x1u << 14));
    // Two bypass bits come first; the second read returns the first's DPIDR.
    EXPECT_EQ(Clocks::bits(reply, first + 2, 3), 0b010u);
    EXPECT_EQ(Clocks::bits(reply, second + 2, 35), 0b010u | (std::uint64_t{0x2BA01477} << 3));
    EXPECT_EQ(Clocks::bits(reply, second, 2), 0u);
    EXPECT_FALSE(pod.swd_mode());
    EXPECT_TRUE(rig.t.violations().empty());
}


// The DRW read script the host records for JTAG, on the same chain: the
// APACC scan retried in a block until its ACK (two bypass bits in) is OK.
TEST(PodJtagDp, ScriptRetriesAWaitedApReadThroughTheChain) {
    test::CortexMRig rig;
    rig.t.bus().poke32(0x20000000, 0x01234567);
    rig.t.bus().poke32(0x20000004, 0x89ABCDEF);
    Pod pod;
    build_mixed_chain(pod, rig.t);
    Clocks setup;
    setup.scan(true, dp_ir(ArmJtagDp::kDpacc));
    setup.scan(false, dp_dr(false, 0x4, 0x50000000));
    setup.scan(false, dp_dr(false, 0x8, 0));
    setup.scan(true, dp_ir(ArmJtagDp::kApacc));
    setup.scan(false, dp_dr(false, 0x0, 0x03000012));
    setup.scan(false, dp_dr(false, 0x4, 0x20000000));
    setup.scan(false, dp_dr(true, 0xC, 0)); // posted
    test::exchange(pod, setup.request());

    Clocks read;
    const std::size_t first = read.scan(false, dp_dr(true, 0xC, 0)); // from Run-Test/Idle: 3 steps
    const RequestBuilder request = read.request();
    const Units steps(request.units().begin(), request.units().end() - 2); // without the closing word
    std::vector<std::uint32_t> script = {0x8F000903, 300};
    for (std::size_t i = 0; i < steps.size(); i += 4)
        script.insert(script.end(), {kScanExchange, steps[i + 2] | (std::uint32_t{steps[i + 3]} << 16)});
    const std::uint32_t ack_at = static_cast<std::uint32_t>(first + 2);
    const std::uint32_t p = static_cast<std::uint32_t>(script.size() + 8);
    script.insert(script.end(), {0x8E000903, 1, (0x7u << ack_at) << 16 | (0x2u << ack_at), 0x8B000903, p, 0x90000903,
                                 0x93000903, 0, kEndScript});
    RequestBuilder store;
    store.word(kCommandList).word(static_cast<std::uint32_t>(script.size()));
    for (std::uint32_t w : script) store.word(w);
    test::exchange(pod, store.word(kEndOfBatch));

    rig.t.dp().set_wait_knob(ArmAccessClass::ApRead, ArmWaitKnob{2, false, false});
    const Units a = test::exchange(pod, RequestBuilder().word(kRunScript).word(kEndOfBatch)).units;
    const Units b = test::exchange(pod, RequestBuilder().word(kRunScript).word(kEndOfBatch)).units;
    ASSERT_EQ(a.size(), 5u);
    ASSERT_EQ(b.size(), 5u);
    EXPECT_EQ(Clocks::bits(a, ack_at, 35), 0b010u | (std::uint64_t{0x01234567} << 3));
    EXPECT_EQ(Clocks::bits(b, ack_at, 35), 0b010u | (std::uint64_t{0x89ABCDEF} << 3));
    EXPECT_EQ(rig.t.dp().log().waits, 2u);
    EXPECT_EQ(pod.log().block_failures, 0u);
    EXPECT_TRUE(rig.t.violations().empty());
}

} // namespace
} // namespace sim
