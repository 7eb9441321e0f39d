// The TMS320C54x target behind the pod, with devices of unequal IR length on
// both sides of it, driven only through requests and replies: what a host
// sees of the target, its knobs and the pod's target-reset line.
#include <gtest/gtest.h>

#include <string>

#include "sim/pod/generic_device.h"
#include "sim/pod/pod.h"
#include "sim/pod/pod_words.h"
#include "sim/pod/tests/support/pod_wire.h"
#include "sim/pod/tms320c54x_target.h"

namespace sim {
namespace {

using namespace pod_words;
using test::exchange;
using test::RequestBuilder;
using test::Units;

// TMS and TDI bits in clock order, sent as 16-clock steps of one mode; the
// TDO bits of the reply come back in the same order.
class Wire {
public:
    Wire& tms(const char* bits) {
        for (const char* c = bits; *c; ++c) clock(*c == '1', false);
        return *this;
    }
    // Shifts `in` (bit 0 first); the last bit leaves the Shift state.
    Wire& shift(const Bits& in) {
        for (std::size_t i = 0; i < in.size(); ++i) clock(i + 1 == in.size(), in[i]);
        return *this;
    }
    // Update, then Run-Test/Idle.
    Wire& update() { return tms("10"); }

    // Sends the bits (padded with Run-Test/Idle clocks) as one batch and
    // returns the TDO bits, one per clock sent.
    Bits send(Pod& pod, std::uint32_t mode) {
        while (tms_.size() % 16 != 0) clock(false, false);
        RequestBuilder rq;
        for (std::size_t s = 0; s < tms_.size(); s += 16)
            rq.step(mode, pack(tms_, s), pack(tdi_, s));
        rq.word(kEndOfBatch);
        const test::Reply reply = exchange(pod, rq);
        tms_.clear();
        tdi_.clear();
        Bits tdo;
        for (std::size_t u = 2; u < reply.units.size(); ++u)
            for (unsigned b = 0; b < 16; ++b) tdo.push_back((reply.units[u] >> b) & 1u);
        return tdo;
    }

private:
    void clock(bool tms, bool tdi) {
        tms_.push_back(tms);
        tdi_.push_back(tdi);
    }
    static std::uint16_t pack(const Bits& bits, std::size_t from) {
        std::uint16_t w = 0;
        for (unsigned b = 0; b < 16; ++b)
            if (bits[from + b]) w = static_cast<std::uint16_t>(w | (1u << b));
        return w;
    }
    Bits tms_, tdi_;
};

std::uint64_t field(const Bits& bits, std::size_t from, unsigned n) {
    std::uint64_t v = 0;
    for (unsigned i = 0; i < n; ++i)
        if (bits.at(from + i)) v |= std::uint64_t{1} << i;
    return v;
}

Bits concat(std::initializer_list<Bits> parts) {
    Bits all;
    for (const Bits& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
}

// TDI -> A (IR 5, IDCODE) -> target (IR 8) -> B (IR 4, BYPASS only) ->
// C (IR 3, IDCODE) -> TDO. Bits after the target: 7 in the IR path, 2 in the
// BYPASS DR path, 33 with every IDCODE selected; bits before: 5, 1 and 32.
class TargetBehindThePod : public ::testing::Test {
protected:
    static constexpr std::uint32_t kIdcodeA = 0x1234567F;
    static constexpr std::uint32_t kIdcodeC = 0x0BADC0DF;
    static constexpr unsigned kIrAfter = 7;
    static constexpr unsigned kIrTotal = 20;

    TargetBehindThePod() { build(); }

    // A fresh pod and board, the TAPs in Run-Test/Idle.
    void build() {
        pod = Pod{};
        pod.chain().emplace<GenericDevice>(GenericDeviceConfig{5, kIdcodeA});
        target = &pod.chain().emplace<Tms320c54xTarget>();
        pod.chain().emplace<GenericDevice>(GenericDeviceConfig{4, std::nullopt});
        pod.chain().emplace<GenericDevice>(GenericDeviceConfig{3, kIdcodeC});
        Wire().tms("111110").send(pod, kScanWrite);
    }
    void halt() {
        ir(c54x_ir::kEcr);
        dr_value(kScanWrite, 0x08, 17);
        ir(c54x_ir::kModeChange);
    }

    // The target's instruction, the others in BYPASS; returns its capture.
    std::uint8_t ir(std::uint8_t instruction) {
        const Bits in = concat({Bits(kIrAfter, true), bits_from_u64(instruction, 8), Bits(5, true)});
        const Bits tdo = Wire().tms("1100").shift(in).update().send(pod, kScanExchange);
        return static_cast<std::uint8_t>(field(tdo, 4 + kIrAfter, 8));
    }
    // A DR scan of the selected target register of `length` bits with the
    // others in BYPASS: two bits after it, one before.
    Bits dr(std::uint32_t mode, const Bits& value) {
        const Bits in = concat({Bits(2, false), value, Bits(1, false)});
        const Bits tdo = Wire().tms("100").shift(in).update().send(pod, mode);
        if (mode == kScanWrite) return {};  // a write returns nothing
        return Bits(tdo.begin() + 3 + 2, tdo.begin() + 3 + 2 + static_cast<std::ptrdiff_t>(value.size()));
    }
    std::uint64_t dr_value(std::uint32_t mode, std::uint64_t value, unsigned length) {
        const Bits out = dr(mode, bits_from_u64(value, length));
        return bits_to_u64(out);
    }

    Pod pod;
    Tms320c54xTarget* target = nullptr;
};

TEST_F(TargetBehindThePod, IdentificationRegistersReadThroughThePod) {
    // After Test-Logic-Reset every device with an IDCODE shifts it out, C's
    // first, then B's BYPASS bit, then the target's, then A's.
    const Bits tdo = Wire().tms("100").shift(Bits(97, true)).update().send(pod, kScanExchange);
    EXPECT_EQ(field(tdo, 3, 32), kIdcodeC);
    EXPECT_EQ(field(tdo, 3 + 32, 1), 0u);
    EXPECT_EQ(field(tdo, 3 + 33, 32), 0x1003AFDFu);
    EXPECT_EQ(field(tdo, 3 + 65, 32), kIdcodeA);

    // The IR capture is the status (running, mode 2) except after 0x28 and
    // 0x29, the two halves of the revision; REV itself under 0x29.
    EXPECT_EQ(ir(0x28), 0x80);
    EXPECT_EQ(ir(0x29), 0x0B);
    EXPECT_EQ(ir(0x29), 0x6F);
    EXPECT_EQ(dr_value(kScanExchange, 0, 12), 0xB6Fu);
    EXPECT_EQ(ir(0x22), 0x6F);
    EXPECT_EQ(ir(0x77), 0x80);
    EXPECT_EQ(dr_value(kScanExchange, 0, 8), 0x80u);
}

TEST_F(TargetBehindThePod, ReadModeLeavesThePoolsAndTheCpuAsTheyWere) {
    // Halt, then read all five pools in read mode: the pod feeds TDO back,
    // so the whole chain, the target's 1112 bits among them, is written
    // back unchanged.
    halt();
    target->cpu().pc = 0x1234;
    target->cpu().dp = 0x155;
    ir(c54x_ir::kMpsdctl);
    dr_value(kScanWrite, 0x1F, 16);
    ir(c54x_ir::kPoolSet);
    const C54xPoolSet before = target->pools();

    const Bits pools = dr(kScanRead, Bits(C54xPoolSet::kAllPoolsBits, false));
    // Pool 1 is the last in the path: "PC" at 1112 - 102 + 17.
    EXPECT_EQ(field(pools, 1112 - 102 + 17, 16), 0x1234u);
    EXPECT_EQ(target->cpu().pc, 0x1234);
    EXPECT_EQ(target->cpu().dp, 0x155);
    for (unsigned i = 0; i < C54xPoolSet::kPools; ++i)
        EXPECT_EQ(target->pools().pool(i), before.pool(i)) << "pool " << i + 1;

    // The same scan as an exchange of zeros does clear them.
    dr(kScanExchange, Bits(C54xPoolSet::kAllPoolsBits, false));
    EXPECT_EQ(target->cpu().pc, 0);
    EXPECT_EQ(target->cpu().dp, 0);
}

TEST_F(TargetBehindThePod, DisconnectedTargetTakesTheWholeBoardOffTheCable) {
    target->faults().disconnected = true;
    const std::uint64_t chain_clocks = pod.chain().clocks();
    const Bits tdo = Wire().tms("100").shift(Bits(97, false)).update().send(pod, kScanExchange);
    EXPECT_EQ(tdo, Bits(tdo.size(), true)) << "TDO floats high";
    EXPECT_EQ(pod.chain().clocks(), chain_clocks) << "TCK reaches no TAP";
    for (std::size_t i = 0; i < pod.chain().size(); ++i)
        EXPECT_EQ(pod.chain().state(i), TapState::RunTestIdle) << "device " << i;
    // TRST does not reach an unplugged board either.
    exchange(pod, RequestBuilder().word(kSetLines).word(0).word(kLineTrst));
    exchange(pod, RequestBuilder().word(kSetLines).word(kLineTrst).word(0));
    EXPECT_EQ(pod.chain().state(0), TapState::RunTestIdle);

    target->faults().disconnected = false;
    EXPECT_EQ(ir(0x22), 0x80);
}

// The pod's target-reset line reaches the target, which records it; the
// core is reset through its instruction register only, so that a reset
// sequence run with the line asserted sees the reset bit come and go.
TEST_F(TargetBehindThePod, TargetResetLineIsSeenButResetsThroughTheIrOnly) {
    halt();
    target->cpu().pc = 0x4000;
    exchange(pod, RequestBuilder().word(kSetLines).word(0).word(kLineTargetReset));
    EXPECT_TRUE(target->reset_line());
    EXPECT_EQ(target->reset_line_assertions(), 1u);
    EXPECT_EQ(ir(0x22) & c54x_status::kReset, 0);
    EXPECT_EQ(target->cpu().pc, 0x4000);

    ir(c54x_ir::kResetAssert);
    EXPECT_NE(ir(c54x_ir::kResetAssert) & c54x_status::kReset, 0);
    ir(c54x_ir::kResetRelease);
    EXPECT_EQ(ir(c54x_ir::kResetRelease) & c54x_status::kReset, 0);
    EXPECT_TRUE(target->reset_line_at_core_reset());
    EXPECT_EQ(target->cpu().pc, C54xCpu::kResetVector);

    exchange(pod, RequestBuilder().word(kSetLines).word(kLineTargetReset).word(0));
    EXPECT_FALSE(target->reset_line());
    ir(c54x_ir::kResetAssert);
    EXPECT_FALSE(target->reset_line_at_core_reset());
}

TEST_F(TargetBehindThePod, BoardResetShowsInTheStatusUntilReleased) {
    halt();
    target->cpu().pc = 0x4000;
    target->board_reset(true);
    EXPECT_EQ(ir(0x22), c54x_status::kReset);
    EXPECT_EQ(target->cpu().pc, C54xCpu::kResetVector);
    target->board_reset(false);
    EXPECT_EQ(ir(0x22), 0);
    // A reset the board holds ends with the debugger's release too.
    target->board_reset(true);
    ir(c54x_ir::kResetRelease);
    EXPECT_EQ(ir(0x22) & c54x_status::kReset, 0);
}

TEST_F(TargetBehindThePod, TargetKnobsShowInTheStatusTheHostReads) {
    struct Case {
        const char* name;
        void (*apply)(C54xFaults&);
        std::uint8_t instruction;  // scanned after ECR 0x08 is in place
        std::uint8_t status_mask;
        std::uint8_t status;
    };
    const Case cases[] = {
        {"none: 0x10 halts", [](C54xFaults&) {}, c54x_ir::kModeChange, 0xC1, 0x00},
        {"mode change stuck", [](C54xFaults& f) { f.mode_change_stuck = true; }, c54x_ir::kModeChange, 0xC0, 0x80},
        {"status error", [](C54xFaults& f) { f.status_error = true; }, c54x_ir::kModeChange, 0x01, 0x01},
        {"reset never ends", [](C54xFaults& f) { f.reset_stuck = true; }, c54x_ir::kResetRelease, 0x20, 0x20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        build();
        c.apply(target->faults());
        ir(c54x_ir::kEcr);
        dr_value(kScanWrite, 0x08, 17);
        if (c.instruction == c54x_ir::kResetRelease) ir(c54x_ir::kResetAssert);
        ir(c.instruction);
        EXPECT_EQ(ir(0x22) & c.status_mask, c.status);
    }
}

} // namespace
} // namespace sim
