#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "master/core/call_frame.h"
#include "master/core/command_list.h"
#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "support/core_fake_transport.h"

using namespace mst;
using core_test::fake_transport;
using core_test::reply_of;

namespace {

class TrnProtTest : public ::testing::Test {
protected:
    TrnProtTest() : prot(std::make_unique<trn_prot>(rec)) {}

    uint32_t call(const std::function<void()>& op) { return framed_call(rec, op); }
    std::vector<uint32_t> words(size_t request) const {
        return fake_transport::words_of(transport.requests.at(request));
    }
    void fill_words(uint32_t n) {
        std::vector<uint32_t> src(n, 0x81000903);
        prot->req_copy(src.data(), n);
    }

    fake_transport transport;
    error_record rec;
    std::unique_ptr<trn_prot> prot;
};

// A waiter that copies the unit its position names.
struct unit_waiter : synchro {
    explicit unit_waiter(trn_prot& p) : prot(p) {}
    void complete(uint32_t position) override {
        if (state == waiter_state::read_pending)
            unit = prot.reply_unit(2 + (position >> 4));
        synchro::complete(position);
    }
    trn_prot& prot;
    uint16_t unit = 0xDEAD;
};

TEST_F(TrnProtTest, TimeoutIsSetOnceBeforeFirstReceive) {
    EXPECT_EQ(call([&] { prot->end_batch(); }), 0u);
    EXPECT_EQ(call([&] { prot->end_batch(); }), 0u);
    EXPECT_EQ(transport.timeouts, std::vector<uint32_t>{1000});
}

TEST_F(TrnProtTest, TimeoutIsSetAgainAfterItFailed) {
    transport.timeout_results = {7};
    EXPECT_EQ(call([&] { prot->end_batch(); }), 7u);
    EXPECT_EQ(call([&] { prot->end_batch(); }), 0u);
    EXPECT_EQ(transport.timeouts, (std::vector<uint32_t>{1000, 1000}));
}

TEST_F(TrnProtTest, FailedSendKeepsTheRequestLength) {
    transport.send_results = {3};
    EXPECT_EQ(call([&] {
                  prot->req_word(0x81000903);
                  prot->end_batch();
              }),
              rc::usb_connection_3);
    EXPECT_EQ(prot->request_length(), 4u);
}

TEST_F(TrnProtTest, BatchGoesOutWithEndWordAndCounters) {
    EXPECT_EQ(call([&] {
                  prot->req_word(0x81000903);
                  prot->add_reply_units(3);
                  prot->end_batch();
              }),
              0u);
    EXPECT_EQ(words(0), (std::vector<uint32_t>{0x81000903, cmd::end_of_batch}));
    EXPECT_EQ(prot->request_length(), 0u);
    EXPECT_EQ(prot->reply_unit_counter(), 2u);
    EXPECT_EQ(prot->batch_count(), 1u);
}

TEST_F(TrnProtTest, ReserveExchangesOnlyWhenTheCommandWouldNotFit) {
    struct reserve_case {
        uint32_t words_before;
        uint32_t units_before;
        uint32_t r;
        uint32_t w;
        bool result;
        size_t exchanges;
    };
    const reserve_case cases[] = {
        {0, 0, 0, 1000, true, 0},   {0, 0, 0, 1001, false, 1},  {0, 0, 1002, 0, true, 0},
        {0, 0, 1003, 0, false, 1},  {999, 0, 0, 1, true, 0},    {1000, 0, 0, 1, true, 1},
        {0, 1000, 2, 0, true, 0},   {0, 1000, 3, 0, true, 1},
    };
    for (const reserve_case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.words_before << " " << c.units_before << " "
                                        << c.r << " " << c.w);
        transport.requests.clear();
        bool result = false;
        ASSERT_EQ(call([&] {
                      fill_words(c.words_before);
                      prot->add_reply_units(c.units_before);
                      result = prot->reserve(c.r, c.w);
                  }),
                  0u);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(transport.requests.size(), c.exchanges);
        call([&] { prot->end_batch(); });
    }
}

TEST_F(TrnProtTest, ControlCommandExchangesPendingBatchFirstThenGoesAlone) {
    ASSERT_EQ(call([&] {
                  prot->req_word(0x81000903);
                  prot->set_lines(0x20, 4);
                  prot->set_parameter(5);
              }),
              0u);
    ASSERT_EQ(transport.requests.size(), 3u);
    EXPECT_EQ(words(0), (std::vector<uint32_t>{0x81000903, cmd::end_of_batch}));
    EXPECT_EQ(words(1), (std::vector<uint32_t>{cmd::set_lines, 0x20, 4}));
    EXPECT_EQ(words(2), (std::vector<uint32_t>{cmd::set_parameter, 5}));
}

TEST_F(TrnProtTest, ReadVoltagesAndStatusTakeTheirReplyUnits) {
    transport.replies.push_back(reply_of(cmd::read_voltages, {10, 5000, 4700, 3, 4}));
    transport.replies.push_back(reply_of(cmd::read_status, {0x5678, 0x1234}));
    voltage_sample sample;
    uint32_t status = 0;
    ASSERT_EQ(call([&] {
                  prot->read_voltages(sample);
                  status = prot->read_status();
              }),
              0u);
    const uint16_t expected[6] = {10, 5000, 4700, 3, 4, 300};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(sample.value[i], expected[i]) << i;
    EXPECT_EQ(status, 0x12345678u);
}

TEST_F(TrnProtTest, ControlReplyWithoutItsDataIsInvalid) {
    const std::pair<uint32_t, std::function<void()>> cases[] = {
        {cmd::read_voltages, [&] { voltage_sample s; prot->read_voltages(s); }},
        {cmd::read_status, [&] { prot->read_status(); }},
    };
    for (const auto& [command, op] : cases) {
        rec.code = 0;
        transport.replies.push_back(reply_of(command, {1}));
        EXPECT_EQ(call(op), rc::invalid_reply);
        EXPECT_EQ(rec.param[0], command);
    }
}

TEST_F(TrnProtTest, EndStateCodeOfEachMode) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0, end_state::read}, {1, end_state::write}, {2, end_state::exchange}, {7, end_state::exchange}};
    for (const auto& [mode, code] : cases)
        EXPECT_EQ(trn_prot::end_state_code(mode), code) << mode;
}

TEST_F(TrnProtTest, ScanStepCountsReplyUnitByCurrentCodeThenFallsBackToDefault) {
    struct scan_case {
        uint32_t current;
        uint32_t word;
        uint32_t units_added;
    };
    const scan_case cases[] = {{end_state::write, 0x88000903, 0},
                               {end_state::read, 0x8A000903, 1},
                               {end_state::exchange, 0x8C000903, 1}};
    for (const scan_case& c : cases) {
        prot->set_default_end_state(end_state::write);
        prot->set_current_end_state(c.current);
        const uint32_t before_units = prot->reply_unit_counter();
        const uint32_t before_length = prot->request_length();
        ASSERT_EQ(call([&] { prot->scan(0xAAAA, 0x1111, 0x2222); }), 0u);
        EXPECT_EQ(prot->reply_unit_counter() - before_units, c.units_added);
        EXPECT_EQ(prot->current_end_state(), end_state::write);
        const uint16_t* step = prot->request() + before_length;
        EXPECT_EQ(step[0] | (uint32_t{step[1]} << 16), c.word);
        // The TMS word (third argument) goes first, then the TDI word.
        EXPECT_EQ(step[2], 0x2222);
        EXPECT_EQ(step[3], 0x1111);
    }
}

TEST_F(TrnProtTest, WrongEchoOfBatchIsInvalidReplyWithTheEcho) {
    transport.replies.push_back(reply_of(0x92000904));
    EXPECT_EQ(call([&] { prot->end_batch(); }), rc::invalid_reply);
    EXPECT_EQ(rec.param[0], 0x92000904u);
}

struct fault_case {
    const char* name;
    std::function<void(fake_transport&)> arm;
    uint32_t code;
};

// Every transport fault gives its code, and the next call recovers: the
// re-sync goes out and the operation then runs.
TEST_F(TrnProtTest, EveryTransportFaultGivesItsCodeAndTheNextCallRecovers) {
    auto reply_result = [](uint32_t r) {
        return [r](fake_transport& t) {
            core_test::scripted_reply reply = reply_of(cmd::end_of_batch);
            reply.result = r;
            t.replies.push_back(reply);
        };
    };
    auto scripted = [](core_test::scripted_reply reply) {
        return [reply](fake_transport& t) { t.replies.push_back(reply); };
    };
    core_test::scripted_reply empty;
    core_test::scripted_reply two_bytes = reply_of(cmd::end_of_batch);
    two_bytes.bytes.resize(2);
    core_test::scripted_reply overlong = reply_of(cmd::end_of_batch);
    overlong.claimed_length = 2010;
    const fault_case cases[] = {
        {"send 1", [](fake_transport& t) { t.send_results = {1}; }, rc::no_device},
        {"send 2", [](fake_transport& t) { t.send_results = {2}; }, rc::usb_general},
        {"send 3", [](fake_transport& t) { t.send_results = {3}; }, rc::usb_connection_3},
        {"send 4", [](fake_transport& t) { t.send_results = {4}; }, rc::usb_connection_4},
        {"reply 1", reply_result(1), rc::no_device},
        {"reply 2", reply_result(2), rc::usb_general},
        {"reply 3", reply_result(3), rc::usb_connection_3},
        {"reply 4", reply_result(4), rc::usb_connection_4},
        {"length 0", scripted(empty), rc::reply_timeout},
        {"unknown command", scripted(reply_of(cmd::unknown_command_reply)), rc::invalid_command},
        {"wrong echo", scripted(reply_of(0x8C000903)), rc::invalid_reply},
        {"shorter than echo", scripted(two_bytes), rc::invalid_reply},
        {"overlong", scripted(overlong), rc::input_overflow},
        {"no send slot", [](fake_transport&) { SendTargetRequest = nullptr; }, rc::no_device},
        {"no reply slot", [](fake_transport&) { GetTargetReply = nullptr; }, rc::no_device},
    };
    for (const fault_case& c : cases) {
        SCOPED_TRACE(c.name);
        fake_transport fresh;  // also refills the slots
        auto own = std::make_unique<trn_prot>(rec);
        rec.code = 0;
        c.arm(fresh);
        unit_waiter waiter(*own);
        EXPECT_EQ(framed_call(rec, [&] {
                      own->req_word(0x81000903);
                      own->add_reply_units(1);
                      own->log().queue_read(waiter, 0, &waiter);
                      own->end_batch();
                  }),
                  c.code);
        EXPECT_EQ(waiter.state, waiter_state::invalid);
        fake_transport healthy;
        EXPECT_EQ(framed_call(rec, [&] { own->set_parameter(2); }), 0u);
        if (c.code != rc::output_overflow && c.code != rc::input_overflow) {
            ASSERT_GE(healthy.requests.size(), 2u);
            EXPECT_EQ(fake_transport::words_of(healthy.requests[0]),
                      (std::vector<uint32_t>{cmd::end_marker, cmd::end_of_batch}));
        }
        EXPECT_EQ(fake_transport::words_of(healthy.requests.back()),
                  (std::vector<uint32_t>{cmd::set_parameter, 2}));
    }
}

TEST_F(TrnProtTest, NullTimeoutSlotIsNoDevice) {
    SetTargetTimeout = nullptr;
    EXPECT_EQ(call([&] { prot->end_batch(); }), rc::no_device);
}

TEST_F(TrnProtTest, BatchReplyShorterThanItsWaitersIsInvalidAndCompletesNone) {
    // Two waiters of one unit each: the reply must hold the echo and both.
    struct Case {
        std::vector<uint16_t> units;
        uint32_t code;
    };
    const Case cases[] = {
        {{0xAAAA, 0xBBBB}, 0},
        {{0xAAAA, 0xBBBB, 0xCCCC}, 0},  // more than asked is not an error
        {{0xAAAA}, rc::invalid_reply},
        {{}, rc::invalid_reply},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.units.size());
        rec.code = 0;
        unit_waiter first(*prot), second(*prot);
        transport.replies.push_back(reply_of(cmd::end_of_batch, c.units));
        EXPECT_EQ(call([&] {
                      for (unit_waiter* w : {&first, &second}) {
                          prot->req_word(0x81000903);
                          const uint32_t position = prot->next_reply_position();
                          prot->add_reply_units(1);
                          prot->log().queue_read(*w, position, w);
                      }
                      prot->end_batch();
                  }),
                  c.code);
        if (c.code == 0) {
            EXPECT_EQ(first.unit, 0xAAAA);
            EXPECT_EQ(second.unit, 0xBBBB);
            continue;
        }
        EXPECT_EQ(rec.param[0], cmd::end_of_batch);
        // Nothing read from the cut reply: the data that did arrive are not
        // used either.
        EXPECT_EQ(first.state, waiter_state::invalid);
        EXPECT_EQ(first.unit, 0xDEAD);
        EXPECT_EQ(second.unit, 0xDEAD);
        EXPECT_TRUE(prot->log().empty());
    }
}

TEST_F(TrnProtTest, CollectedShortReplyCompletesNoWaiterAndIsDelivered) {
    unit_waiter w(*prot);
    transport.replies.push_back(reply_of(cmd::end_of_batch));
    EXPECT_EQ(call([&] {
                  prot->req_word(0x81000903);
                  const uint32_t position = prot->next_reply_position();
                  prot->add_reply_units(1);
                  prot->log().queue_read(w, position, &w);
                  rec.arm_collect();
                  prot->end_batch();
                  // The clean-up goes on with the batch gone, its waiter unread.
                  EXPECT_EQ(rec.held_code, rc::invalid_reply);
                  EXPECT_EQ(w.state, waiter_state::invalid);
                  EXPECT_TRUE(prot->log().empty());
                  rec.raise(rc::plain_deliver);
              }),
              rc::invalid_reply);
    EXPECT_EQ(w.unit, 0xDEAD);
}

TEST_F(TrnProtTest, AppendThatWouldPassTheBufferIsRefusedAndWritesNothing) {
    ASSERT_EQ(call([&] { fill_words(1001); }), 0u);
    const std::pair<const char*, std::function<void()>> appends[] = {
        {"pair", [&] { prot->req_pair(1, 2); }},
        {"triple", [&] { prot->req_triple(1, 2, 3, 4); }},
        {"scan", [&] { prot->scan(0, 0, 0); }},
        {"block16", [&] { const uint16_t u[1] = {9}; prot->req_block16(u, 1, 7); }},
    };
    for (const auto& [name, append] : appends) {
        SCOPED_TRACE(name);
        rec.code = 0;
        EXPECT_EQ(call(append), rc::output_overflow);
        EXPECT_EQ(prot->request_length(), 2002u);
    }
    // The last two units are still usable.
    rec.code = 0;
    EXPECT_EQ(call([&] { prot->req_word(1); }), 0u);
    EXPECT_EQ(prot->request_length(), 2004u);
}

// While a code is being collected a raise returns; an append that does not
// fit must still end the call with its code rather than vanish.
TEST_F(TrnProtTest, AppendRefusedWhileCollectingEndsTheCallWithTheOverflow) {
    const std::pair<const char*, std::function<void()>> appends[] = {
        {"scan", [&] { prot->scan(0, 0, 0); }},
        {"word", [&] { prot->req_pair(1, 2); }},
        {"end marker", [&] { prot->end_marker(); }},
    };
    for (const auto& [name, append] : appends) {
        SCOPED_TRACE(name);
        rec.code = 0;
        bool went_on = false;
        EXPECT_EQ(call([&] {
                      prot->resync();
                      fill_words(1002);
                      rec.arm_collect();
                      append();
                      went_on = true;
                  }),
                  rc::output_overflow);
        EXPECT_FALSE(went_on);
        EXPECT_EQ(rec.held_code, 0u);
    }
}

TEST_F(TrnProtTest, FullRequestWithoutRoomForEndWordIsDiscardedNotKeptForever) {
    ASSERT_EQ(call([&] { fill_words(1002); }), 0u);
    EXPECT_EQ(call([&] { prot->end_batch(); }), rc::output_overflow);
    EXPECT_TRUE(transport.requests.empty());
    EXPECT_EQ(call([&] { prot->set_parameter(1); }), 0u);
}

TEST_F(TrnProtTest, PodUnreachableForManyCallsDoesNotGrowTheRequest) {
    ASSERT_EQ(call([&] { fill_words(1000); }), 0u);
    for (int i = 0; i < 20; ++i) {
        transport.send_results = {1};
        EXPECT_EQ(call([&] {
                      prot->req_word(0x81000903);
                      prot->end_batch();
                  }),
                  rc::no_device);
        EXPECT_LE(prot->request_length(), 2004u);
        EXPECT_LE(prot->request_length(), i == 0 ? 2004u : 4u) << i;
    }
    EXPECT_EQ(call([&] { prot->end_batch(); }), 0u);
    EXPECT_EQ(prot->request_length(), 0u);
}

TEST_F(TrnProtTest, VoltageCheckReservesRoomFirst) {
    std::vector<uint32_t> exchanges;
    ASSERT_EQ(call([&] {
                  fill_words(1000);
                  prot->queue_voltage_check(nullptr);
                  exchanges.push_back(static_cast<uint32_t>(transport.requests.size()));
                  prot->end_batch();
                  prot->add_reply_units(1000);
                  prot->queue_voltage_check(nullptr);
                  exchanges.push_back(static_cast<uint32_t>(transport.requests.size()));
              }),
              0u);
    EXPECT_EQ(exchanges, (std::vector<uint32_t>{1, 3}));
    EXPECT_EQ(words(1), (std::vector<uint32_t>{cmd::voltage_sample, cmd::end_of_batch}));
}

voltage_sample seen;
unsigned seen_calls = 0;
void remember(const voltage_sample* s) {
    seen = *s;
    ++seen_calls;
}

// The sample that fills the log exchanges the batch at once; its units must
// already be counted in that batch, not in the next one.
TEST_F(TrnProtTest, VoltageCheckThatFillsTheLogIsCountedInItsOwnBatch) {
    std::vector<synchro> waiters(279);
    transport.auto_data_units = 279 + 5;
    seen_calls = 0;
    ASSERT_EQ(call([&] {
                  for (synchro& w : waiters) {
                      prot->req_word(0x81000903);
                      const uint32_t position = prot->next_reply_position();
                      prot->add_reply_units(1);
                      prot->log().queue_read(w, position, &w);
                  }
                  prot->queue_voltage_check(remember);
              }),
              0u);
    EXPECT_EQ(transport.requests.size(), 1u);
    EXPECT_EQ(prot->reply_unit_counter(), 2u);
    EXPECT_TRUE(prot->log().empty());
    ASSERT_EQ(seen_calls, 1u);
    const uint16_t expected[6] = {281, 282, 283, 284, 285, 1};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(seen.value[i], expected[i]) << i;
    EXPECT_EQ(prot->state, waiter_state::valid);
}

void fail_power(const voltage_sample*) { mst::raise_error(rc::no_power); }

TEST_F(TrnProtTest, VoltageCallbackRaisingInsideCompletionDropsTheRest) {
    // The callback raises on the process-wide record; bind a protocol to it.
    error_record& global = the_error_record();
    global.code = 0;
    auto own = std::make_unique<trn_prot>(global);
    synchro after;
    EXPECT_EQ(framed_call(global, [&] {
                  own->queue_voltage_check(fail_power);
                  own->req_word(0x81000903);
                  own->add_reply_units(1);
                  own->log().queue_read(after, 16 * 5, &after);
                  own->end_batch();
              }),
              rc::no_power);
    EXPECT_EQ(after.state, waiter_state::invalid);
    EXPECT_TRUE(own->log().empty());
    own.reset();
    global.code = 0;
}

} // namespace

namespace {

// The recovery reaches the process-wide protocol and command list through
// the process-wide record.
TEST(ProcessWideObjects, ProtocolAndCommandListAreBoundToTheRecord) {
    trn_prot& prot = the_prot();
    EXPECT_EQ(the_error_record().prot, &prot);
    EXPECT_EQ(&prot.record(), &the_error_record());
    cmd_list& list = the_cmd_list();
    list.count = cmd_list::capacity;
    EXPECT_EQ(framed_call(the_error_record(), [&] { list.list_word(1); }), rc::output_overflow);
    list.count = 0;
    the_error_record().clear_without_recovery();
}

} // namespace
