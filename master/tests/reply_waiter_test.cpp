#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "master/core/call_frame.h"
#include "master/core/trn_prot.h"
#include "support/core_fake_transport.h"
#include "support/core_hooks_spy.h"

using namespace mst;

namespace {

using completion = std::pair<int, uint32_t>;  // waiter id, position

struct ordered_waiter : synchro {
    ordered_waiter(int i, std::vector<completion>& l, std::vector<std::string>& c)
        : id(i), log(l), calls(c) {}
    void complete(uint32_t position) override {
        log.emplace_back(id, position);
        calls.push_back("complete");
        synchro::complete(position);
    }
    int id;
    std::vector<completion>& log;
    std::vector<std::string>& calls;
};

class ReplyWaiterTest : public ::testing::Test {
protected:
    ReplyWaiterTest() : prot(std::make_unique<trn_prot>(rec)), spy(rec) { prot->set_chain(&spy); }

    // One command with one reply unit, its waiter queued after it.
    void queue_one(synchro& w) {
        prot->req_word(0x81000903);
        const uint32_t position = prot->next_reply_position();
        prot->add_reply_units(1);
        prot->log().queue_read(w, position, &w);
    }

    core_test::fake_transport transport;
    error_record rec;
    std::unique_ptr<trn_prot> prot;
    core_test::hooks_spy spy;
};

TEST_F(ReplyWaiterTest, The280thQueuedReadExchangesTheBatch) {
    std::vector<synchro> waiters(280);
    ASSERT_EQ(framed_call(rec, [&] {
                  for (size_t i = 0; i + 1 < waiters.size(); ++i)
                      queue_one(waiters[i]);
                  EXPECT_TRUE(transport.requests.empty());
                  EXPECT_EQ(prot->log().size(), 279u);
                  queue_one(waiters.back());
              }),
              0u);
    EXPECT_EQ(transport.requests.size(), 1u);
    EXPECT_TRUE(prot->log().empty());
    for (const synchro& w : waiters)
        EXPECT_EQ(w.state, waiter_state::valid);
}

TEST_F(ReplyWaiterTest, CompletesInRegistrationOrderBetweenAttachAndCompleteBatch) {
    std::vector<completion> order;
    ordered_waiter a(1, order, spy.calls), b(2, order, spy.calls), c(3, order, spy.calls);
    ASSERT_EQ(framed_call(rec, [&] {
                  queue_one(b);
                  prot->req_word(0x81000903);
                  prot->log().queue_write(a, &a);
                  queue_one(c);
                  queue_one(b);  // registered twice: completed twice
                  prot->end_batch();
              }),
              0u);
    EXPECT_EQ(order, (std::vector<completion>{{2, 0}, {1, write_position}, {3, 16}, {2, 32}}));
    EXPECT_EQ(spy.calls, (std::vector<std::string>{"attach_reply", "complete", "complete",
                                                   "complete", "complete", "complete_batch"}));
}

TEST_F(ReplyWaiterTest, TakeOverOnEmptyLogOnlySetsTheState) {
    synchro w, other;
    prot->log().take_over_read(w, &other);
    EXPECT_EQ(w.state, waiter_state::read_pending);
    prot->log().take_over_write(w, &other);
    EXPECT_EQ(w.state, waiter_state::write_pending);
    EXPECT_TRUE(prot->log().empty());
}

TEST_F(ReplyWaiterTest, TakeOverRetargetsOnlyTheLatestEntryOfItsKind) {
    synchro owner, reader, writer, stranger;
    pending_log& log = prot->log();
    ASSERT_EQ(framed_call(rec, [&] {
                  log.queue_read(owner, 0, &owner);
                  log.queue_write(owner, &owner);
                  log.queue_read(owner, 16, &owner);
                  log.queue_read(stranger, 32, &stranger);
              }),
              0u);
    log.take_over_read(reader, &owner);
    log.take_over_write(writer, &owner);
    EXPECT_EQ(log.at(0).object, &owner);
    EXPECT_EQ(log.at(1).object, &writer);
    EXPECT_EQ(log.at(2).object, &reader);
    EXPECT_EQ(log.at(3).object, &stranger);
    EXPECT_EQ(reader.state, waiter_state::read_pending);
    EXPECT_EQ(writer.state, waiter_state::write_pending);
}

TEST_F(ReplyWaiterTest, RaiseResetsEveryQueuedWaiter) {
    synchro r1, r2, w1;
    EXPECT_EQ(framed_call(rec, [&] {
                  queue_one(r1);
                  prot->log().queue_write(w1, &w1);
                  queue_one(r2);
                  rec.raise(rc::memory_type);
              }),
              rc::memory_type);
    for (const synchro* w : {&r1, &r2, &w1})
        EXPECT_EQ(w->state, waiter_state::invalid);
    EXPECT_TRUE(prot->log().empty());
}

TEST_F(ReplyWaiterTest, FailedExchangeResetsWaitersInsteadOfCompletingThem) {
    synchro r1;
    transport.send_results = {2};
    EXPECT_EQ(framed_call(rec, [&] {
                  queue_one(r1);
                  prot->end_batch();
              }),
              rc::usb_general);
    EXPECT_EQ(r1.state, waiter_state::invalid);
    EXPECT_TRUE(prot->log().empty());
}

// A completion that queues a command and then raises, as the checker of a
// WAIT that outlasted a script does with its abort: whatever the number of
// entries the batch held, nothing is exchanged during the completion, the
// code is the checker's, and the command goes out first with the next batch.
struct aborting_waiter : synchro {
    aborting_waiter(trn_prot& p, error_record& r) : prot(p), rec(r) {}
    void complete(uint32_t) override {
        prot.req_word(abort_word);
        prot.log().queue_write(abort_entry, &abort_entry);
        rec.raise(rc::dp_wait_timeout);
    }
    static constexpr uint32_t abort_word = 0x8E000903;
    trn_prot& prot;
    error_record& rec;
    synchro abort_entry;
};

TEST_F(ReplyWaiterTest, CompletionThatQueuesACommandNeverExchangesInsideTheBatch) {
    // 278 entries before the checker: its abort entry would be the 280th.
    for (const unsigned before : {0u, 1u, 277u, 278u}) {
        SCOPED_TRACE(before);
        const bool after = before + 2 < pending_log::capacity;
        rec.code = 0;
        transport.requests.clear();
        std::vector<synchro> others(before + 1);
        aborting_waiter checker(*prot, rec);
        EXPECT_EQ(framed_call(rec, [&] {
                      for (unsigned i = 0; i < before; ++i)
                          prot->log().queue_write(others[i], &others[i]);
                      queue_one(checker);
                      // An entry after the checker's is dropped unread.
                      if (after)
                          prot->log().queue_write(others[before], &others[before]);
                      prot->end_batch();
                  }),
                  rc::dp_wait_timeout);
        EXPECT_EQ(transport.requests.size(), 1u);
        if (after)
            EXPECT_EQ(others[before].state, waiter_state::invalid);
        EXPECT_EQ(checker.abort_entry.state, waiter_state::invalid);
        EXPECT_TRUE(prot->log().empty());
        EXPECT_FALSE(prot->log().completing());
        EXPECT_EQ(prot->reply_unit_counter(), 2u);
        ASSERT_EQ(framed_call(rec, [&] { prot->end_batch(); }), 0u);
        ASSERT_EQ(transport.requests.size(), 2u);
        EXPECT_EQ(core_test::fake_transport::words_of(transport.requests[1]),
                  (std::vector<uint32_t>{aborting_waiter::abort_word, cmd::end_of_batch}));
    }
}

} // namespace
