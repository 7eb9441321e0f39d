// The CPU context a debugger must put back: halt, a memory session through
// fed instructions, restore, resume. Put back right, the CPU resumes
// bit-identical and finishes its program as if never stopped; each thing
// left out shows.
#include <gtest/gtest.h>

#include <vector>

#include "sim/pod/tms320c54x_scan_helpers.h"
#include "sim/pod/tms320c54x_target.h"

namespace sim {
namespace {

constexpr std::uint16_t kOrigin = 0x0100;
constexpr std::uint16_t kEstopAt = 0x010A;
constexpr std::uint16_t kSum = 0x0261;   // DP 4, offset 0x61
constexpr std::uint16_t kAddend = 0x0260;
constexpr std::uint16_t kScratch = 0x3000;
constexpr unsigned kBudget = 1000;

// Adds data 0x260 to A six times, storing A at 0x261 each time, all through
// direct addressing on page DP = 4; ESTOP at the end.
void load_program(Tms320c54xTarget& t) {
    const std::uint16_t words[] = {
        0x7706, 0x0004,  // STM #4, ST0: DP = 4
        0xE800,          // LD #0, A
        0x7711, 0x0005,  // STM #5, AR1
        0x0060,          // 0x105: ADD 0x60, A
        0x8061,          // STL A, 0x61
        0x6C89, 0x0105,  // BANZ 0x105, *AR1-
        0xF495,          // NOP
        0xF4F0,          // 0x10A: ESTOP
    };
    auto& prog = t.cpu().memory(C54xSpace::Program);
    std::uint16_t a = kOrigin;
    for (std::uint16_t w : words) prog[a++] = w;
    t.cpu().memory(C54xSpace::Data)[kAddend] = 3;
    t.cpu().pc = kOrigin;
}

// What a debugger does between a halt and a resume, from the target's side.
class Session {
public:
    explicit Session(Tms320c54xTarget& t) : t_(t), probe_(t) {}

    // Reads the context the halt left and clears DP, CPL and BRAF so that
    // fed moves reach ETDR; pool 4 is emptied as the debugger does.
    void save() {
        at_halt_ = probe_.read_pools(0x1F);
        saved_etdr_ = probe_.etdr();
        C54xPoolSet image = at_halt_;
        image.set_field(c54x_field::kDp, 0);
        image.set_field(c54x_field::kCpl, 0);
        image.set_field(c54x_field::kBraf, 0);
        image.clear_pool(3);
        image.set_field(c54x_field::kCcl, 4);
        image.set_field(c54x_field::kM3blM5, 28);
        probe_.write_pools(0x1F, image);
    }

    // Memory traffic that disturbs everything a session can: data 0-0x3F
    // (ST0, ST1 and ETDR among them), program words and a data block.
    void traffic() {
        reads_ = read_block(0x703F, 0x0000, 0x40);
        read_block(0x7C3F, kOrigin, 8);
        write_block(0x713F, kScratch, {0x1111, 0x2222, 0x3333});
        probe_.feed(0x743F, 0x0010);  // one I/O word
    }

    // Puts back everything read at the halt.
    void restore() {
        probe_.write_pools(0x1F, at_halt_);
        probe_.set_etdr(saved_etdr_);
    }

    const C54xPoolSet& at_halt() const { return at_halt_; }
    const std::vector<std::uint16_t>& low_data() const { return reads_; }
    std::uint16_t saved_etdr() const { return saved_etdr_; }
    c54x_scan::Probe& probe() { return probe_; }

private:
    std::vector<std::uint16_t> read_block(std::uint16_t move, std::uint16_t address, std::size_t n) {
        probe_.feed(C54xCpu::kOpRptLong, static_cast<std::uint16_t>(n - 1));
        probe_.feed(move, address);
        std::vector<std::uint16_t> out;
        for (std::size_t i = 0; i < n; ++i) {
            probe_.execute();
            out.push_back(probe_.etdr());
        }
        return out;
    }
    void write_block(std::uint16_t move, std::uint16_t address, const std::vector<std::uint16_t>& words) {
        probe_.feed(C54xCpu::kOpRptLong, static_cast<std::uint16_t>(words.size() - 1));
        probe_.feed(move, address);
        for (std::uint16_t w : words) {
            probe_.set_etdr(w);
            probe_.execute();
        }
    }

    Tms320c54xTarget& t_;
    c54x_scan::Probe probe_;
    C54xPoolSet at_halt_;
    std::uint16_t saved_etdr_ = 0;
    std::vector<std::uint16_t> reads_;
};

bool same_pools(const C54xPoolSet& a, const C54xPoolSet& b) {
    for (unsigned i = 0; i < C54xPoolSet::kPools; ++i)
        if (a.pool(i) != b.pool(i)) return false;
    return true;
}

class Context : public ::testing::Test {
protected:
    Context() : session(t) {
        load_program(t);
        load_program(reference);
        t.cpu().etdr = 0xE7D0;
        reference.cpu().etdr = 0xE7D0;
        c54x_scan::Probe(reference).run();
        reference.advance(kBudget);
        session.probe().run();
    }

    // Runs `instructions`, halts and saves the context.
    void halt_after(unsigned instructions) {
        ASSERT_EQ(t.advance(instructions), instructions);
        session.probe().halt();
        session.save();
    }
    std::uint16_t data(std::uint16_t a) { return t.cpu().read(C54xSpace::Data, a); }

    Tms320c54xTarget t;
    Tms320c54xTarget reference;
    Session session;
};

TEST_F(Context, RestoredContextResumesBitIdenticalAndFinishesTheProgram) {
    ASSERT_EQ(reference.cpu().read(C54xSpace::Data, kSum), 18);
    for (unsigned halt_at : {1u, 3u, 5u, 8u, 12u}) {
        SCOPED_TRACE(halt_at);
        Tms320c54xTarget fresh;
        load_program(fresh);
        fresh.cpu().etdr = 0xE7D0;
        Session s(fresh);
        s.probe().run();
        ASSERT_EQ(fresh.advance(halt_at), halt_at);
        s.probe().halt();
        const std::uint16_t dp_at_halt = fresh.cpu().dp;
        s.save();
        s.traffic();
        // While the context is saved the CPU's own DP is 0 and data 6 and
        // 0x3F show that, not the program's values.
        EXPECT_EQ(s.low_data()[6] & 0x1FF, 0);
        EXPECT_EQ(s.at_halt().field(c54x_field::kDp), dp_at_halt);
        s.restore();
        EXPECT_TRUE(same_pools(s.probe().read_pools(0x1F), s.at_halt()));
        EXPECT_EQ(fresh.cpu().etdr, 0xE7D0);
        s.probe().run();
        fresh.advance(kBudget);
        EXPECT_EQ(fresh.context_errors(), 0u);
        EXPECT_EQ(fresh.status() & 0x03, c54x_status::kEstop) << "halted by the ESTOP, no error";
        EXPECT_EQ(fresh.cpu().pc, reference.cpu().pc);
        EXPECT_EQ(fresh.cpu().accumulator(false), reference.cpu().accumulator(false));
        for (std::uint16_t a : {std::uint16_t{6}, std::uint16_t{7}, std::uint16_t{0x11}, kSum})
            EXPECT_EQ(fresh.cpu().read(C54xSpace::Data, a), reference.cpu().read(C54xSpace::Data, a)) << a;
        EXPECT_EQ(fresh.cpu().memory(C54xSpace::Data)[kScratch + 2], 0x3333);
    }
}

// Each thing a debugger can forget, and what shows it.
TEST_F(Context, ForgottenDpRunsOnOnTheWrongPage) {
    halt_after(5);  // inside the loop, DP = 4
    session.traffic();
    C54xPoolSet back = session.at_halt();
    back.set_field(c54x_field::kDp, 0);
    session.probe().write_pools(0x1F, back);
    session.probe().set_etdr(session.saved_etdr());
    session.probe().run();
    t.advance(kBudget);
    EXPECT_EQ(t.context_errors(), 0u) << "DP is a register, not pipeline";
    EXPECT_EQ(data(6) & 0x1FF, 0);
    EXPECT_NE(data(kSum), reference.cpu().read(C54xSpace::Data, kSum));
    EXPECT_NE(data(0x61), 0) << "the sum went to page 0";
}

TEST_F(Context, ForgottenEtdrStaysChanged) {
    halt_after(5);
    session.traffic();
    session.probe().write_pools(0x1F, session.at_halt());
    EXPECT_NE(t.cpu().etdr, 0xE7D0);
    EXPECT_NE(data(c54x_addr::kEtdr), reference.cpu().read(C54xSpace::Data, c54x_addr::kEtdr));
}

TEST_F(Context, PipelineNotPutBackRefusesTheResume) {
    struct Case {
        const char* name;
        std::uint16_t restored;  // pools written back from the halt image
        bool step;               // resume by a single step instead of a run
    };
    const Case cases[] = {
        {"pools 3-5 left as the session left them", 0x03, false},
        {"pool 5 forgotten", 0x0F, false},
        {"pool 4 forgotten", 0x17, false},
        {"pools 3-5 forgotten, single step", 0x03, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Tms320c54xTarget fresh;
        load_program(fresh);
        Session s(fresh);
        s.probe().run();
        fresh.advance(5);
        s.probe().halt();
        s.save();
        s.traffic();
        s.probe().write_pools(c.restored, s.at_halt());
        const std::uint16_t pc = fresh.cpu().pc;
        if (c.step) {
            s.probe().place(0, 0, 0);  // CCOM 0 asks for a step, pool 3 otherwise stale
            s.probe().execute();
        } else {
            s.probe().run();
        }
        EXPECT_EQ(fresh.advance(kBudget), 0u);
        EXPECT_EQ(fresh.cpu().pc, pc) << "nothing executed";
        EXPECT_EQ(fresh.single_steps(), 0u);
        EXPECT_EQ(fresh.context_errors(), 1u);
        EXPECT_EQ(fresh.status() & c54x_status::kError, c54x_status::kError);
    }
}

TEST_F(Context, ContextOfAnEarlierHaltIsRefused) {
    halt_after(3);
    const C54xPoolSet first = session.at_halt();
    session.restore();
    session.probe().run();
    ASSERT_EQ(t.advance(2), 2u);
    session.probe().halt();
    session.probe().write_pools(0x1F, first);
    session.probe().run();
    EXPECT_EQ(t.context_errors(), 1u);
    EXPECT_FALSE(t.running());
}

TEST_F(Context, EmptiedPipelineStartsAtTheNewPc) {
    halt_after(5);
    session.traffic();
    // A debugger that sets a new PC empties pools 3-5 but for the start
    // fields, and writes PAR and PC.
    C54xPoolSet back = session.at_halt();
    back.clear_pool(2);
    back.clear_pool(3);
    back.clear_pool(4);
    back.set_field(c54x_field::kCcl, 4);
    back.set_field(c54x_field::kD3jM2M5, 16);
    back.set_field(c54x_field::kPar, kEstopAt);
    back.set_field(c54x_field::kPc, kEstopAt);
    session.probe().write_pools(0x1F, back);
    session.probe().set_etdr(session.saved_etdr());
    session.probe().run();
    EXPECT_EQ(t.advance(kBudget), 1u);
    EXPECT_EQ(t.context_errors(), 0u);
    EXPECT_EQ(t.cpu().pc, kEstopAt + 1);
    EXPECT_EQ(t.status() & 0x03, c54x_status::kEstop);
}

TEST_F(Context, EveryHaltLeavesANewContextAndResetEmptiesIt) {
    halt_after(3);
    const C54xPoolSet first = session.at_halt();
    EXPECT_EQ(t.halts(), 1u);
    session.restore();
    session.probe().run();
    t.advance(2);
    session.probe().halt();
    const C54xPoolSet second = session.probe().read_pools(0x1F);
    EXPECT_EQ(t.halts(), 2u);
    for (unsigned pool = 2; pool < C54xPoolSet::kPools; ++pool)
        EXPECT_NE(first.pool(pool), second.pool(pool)) << "pool " << pool + 1;

    c54x_scan::ir(t, c54x_ir::kResetAssert);
    c54x_scan::ir(t, c54x_ir::kResetRelease);
    const C54xPoolSet after_reset = session.probe().read_pools(0x1F);
    EXPECT_EQ(after_reset.field(c54x_field::kPar), C54xCpu::kResetVector);
    EXPECT_EQ(after_reset.field(c54x_field::kCcl), 4u);
    EXPECT_EQ(after_reset.field(c54x_field::kD3jM2M5), 16u);
    EXPECT_EQ(after_reset.field(c54x_field::kCcom), 0u);
    // From reset a step runs the first instruction at the reset vector.
    t.cpu().memory(C54xSpace::Program)[C54xCpu::kResetVector] = C54xCpu::kOpNop;
    session.probe().execute();
    EXPECT_EQ(t.single_steps(), 1u);
    EXPECT_EQ(t.cpu().pc, C54xCpu::kResetVector + 1);
    EXPECT_EQ(t.context_errors(), 0u);
}

} // namespace
} // namespace sim
