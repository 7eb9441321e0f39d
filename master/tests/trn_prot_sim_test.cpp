// The protocol object against the simulated pod: every fault the pod can
// show at this layer gives its code, and the next call recovers.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "master/core/call_frame.h"
#include "master/core/transport_slots.h"
#include "master/core/trn_prot.h"
#include "sim/pod/pod.h"
#include "sim/pod/transport.h"

using namespace mst;

namespace {

voltage_sample last_sample;
void keep_sample(const voltage_sample* s) { last_sample = *s; }

class TrnProtSimTest : public ::testing::Test {
protected:
    TrnProtSimTest() : binding(pod), prot(std::make_unique<trn_prot>(rec)) {
        SendTargetRequest = sim::SendTargetRequest;
        GetTargetReply = sim::GetTargetReply;
        SetTargetTimeout = sim::SetTargetTimeout;
    }
    ~TrnProtSimTest() override {
        SendTargetRequest = nullptr;
        GetTargetReply = nullptr;
        SetTargetTimeout = nullptr;
    }

    // One batch with an in-batch voltage sample.
    uint32_t sample_call() {
        last_sample = {};
        return framed_call(rec, [&] {
            prot->queue_voltage_check(keep_sample);
            prot->end_batch();
        });
    }

    void expect_healthy_sample() {
        EXPECT_EQ(last_sample.value[0], 5000);
        EXPECT_EQ(last_sample.value[1], 3300);
        EXPECT_EQ(last_sample.value[2], 3300);
        EXPECT_EQ(last_sample.value[5], 0);
    }

    sim::Pod pod;
    sim::TransportBinding binding;
    error_record rec;
    std::unique_ptr<trn_prot> prot;
};

TEST_F(TrnProtSimTest, ControlCommandsAndBatchSampleReachThePod) {
    voltage_sample control;
    ASSERT_EQ(framed_call(rec, [&] {
                  prot->set_parameter(3);
                  prot->set_lines(0, 0x20);
                  prot->read_voltages(control);
              }),
              0u);
    EXPECT_EQ(pod.parameter(), 3u);
    EXPECT_EQ(pod.lines() & 0x20u, 0x20u);
    EXPECT_EQ(control.value[1], 3300);
    ASSERT_EQ(sample_call(), 0u);
    expect_healthy_sample();
    EXPECT_EQ(pod.log().timeouts_set, std::vector<uint32_t>{1000});
}

TEST_F(TrnProtSimTest, FuseDropIsTheDifferenceOfTheSecondAndThirdValue) {
    pod.script_voltages({sim::VoltageSample{{5000, 3300, 2900, 0, 0}}});
    ASSERT_EQ(sample_call(), 0u);
    EXPECT_EQ(last_sample.value[5], 400);
}

struct sim_fault {
    const char* name;
    std::function<void(sim::Pod&)> arm;
    uint32_t code;
};

TEST_F(TrnProtSimTest, EveryPodFaultGivesItsCodeAndTheNextCallRecovers) {
    using K = sim::ReplyFault::Kind;
    using C = sim::TransportCall;
    const sim_fault cases[] = {
        {"send 1", [](sim::Pod& p) { p.fail_transport_call(C::Send, 1, 1); }, rc::no_device},
        {"send 2", [](sim::Pod& p) { p.fail_transport_call(C::Send, 1, 2); }, rc::usb_general},
        {"send 3", [](sim::Pod& p) { p.fail_transport_call(C::Send, 1, 3); }, rc::usb_connection_3},
        {"send 4", [](sim::Pod& p) { p.fail_transport_call(C::Send, 1, 4); }, rc::usb_connection_4},
        {"reply 1", [](sim::Pod& p) { p.fail_transport_call(C::Reply, 1, 1); }, rc::no_device},
        {"reply 2", [](sim::Pod& p) { p.fail_transport_call(C::Reply, 1, 2); }, rc::usb_general},
        {"reply 3", [](sim::Pod& p) { p.fail_transport_call(C::Reply, 1, 3); }, rc::usb_connection_3},
        {"reply 4", [](sim::Pod& p) { p.fail_transport_call(C::Reply, 1, 4); }, rc::usb_connection_4},
        {"timeout 4", [](sim::Pod& p) { p.fail_transport_call(C::Timeout, 1, 4); }, rc::usb_connection_4},
        {"no reply", [](sim::Pod& p) { p.fault_reply(1, {K::NoReply, 0}); }, rc::reply_timeout},
        {"unknown command", [](sim::Pod& p) { p.fault_reply(1, {K::UnknownCommand, 0}); },
         rc::invalid_command},
        {"wrong echo", [](sim::Pod& p) { p.fault_reply(1, {K::WrongEcho, 0x92000904}); },
         rc::invalid_reply},
        {"shorter than echo", [](sim::Pod& p) { p.fault_reply(1, {K::Short, 3}); }, rc::invalid_reply},
        // Longer than the 2008-byte reply area (a few extra bytes inside the
        // area are no overflow).
        {"overlong", [](sim::Pod& p) { p.fault_reply(1, {K::Overlong, 3000}); }, rc::input_overflow},
    };
    for (const sim_fault& c : cases) {
        SCOPED_TRACE(c.name);
        sim::Pod fresh;
        sim::TransportBinding bind(fresh);
        auto own = std::make_unique<trn_prot>(rec);
        rec.code = 0;
        c.arm(fresh);
        EXPECT_EQ(framed_call(rec, [&] {
                      own->queue_voltage_check(keep_sample);
                      own->end_batch();
                  }),
                  c.code);
        if (std::string(c.name) == "wrong echo") {
            EXPECT_EQ(rec.param[0], 0x92000904u);
        }
        EXPECT_EQ(own->state, waiter_state::invalid);
        last_sample = {};
        EXPECT_EQ(framed_call(rec, [&] {
                      own->queue_voltage_check(keep_sample);
                      own->end_batch();
                  }),
                  0u);
        expect_healthy_sample();
    }
}

TEST_F(TrnProtSimTest, CutSampleIsAnInvalidReplyNotAPowerReading) {
    ASSERT_EQ(sample_call(), 0u);
    // Unit 2 arrives, units 3..6 do not: read as zeros they would say the
    // target has no power.
    pod.fault_reply(1, {sim::ReplyFault::Kind::Short, 6});
    EXPECT_EQ(sample_call(), rc::invalid_reply);
    EXPECT_EQ(last_sample.value[0], 0);  // the callback never ran
    ASSERT_EQ(sample_call(), 0u);
    expect_healthy_sample();
}

TEST_F(TrnProtSimTest, PodDeadThenBackRecoversWithoutGrowingTheRequest) {
    pod.go_dead_for(3);
    std::vector<uint32_t> results;
    for (int i = 0; i < 4; ++i) {
        results.push_back(sample_call());
        EXPECT_LE(prot->request_length(), 4u);
    }
    EXPECT_EQ(results, (std::vector<uint32_t>{rc::reply_timeout, rc::reply_timeout,
                                              rc::reply_timeout, 0}));
    expect_healthy_sample();
}

TEST_F(TrnProtSimTest, PodAnswersNothingToABatchWithoutItsEndWord) {
    // The pod must see every batch closed: the re-sync request is the end
    // marker and the end word alone, and the pod accepts it.
    pod.fault_reply(1, {sim::ReplyFault::Kind::UnknownCommand, 0});
    ASSERT_EQ(sample_call(), rc::invalid_command);
    pod.log().clear();
    ASSERT_EQ(sample_call(), 0u);
    ASSERT_EQ(pod.log().exchanges.size(), 2u);
    EXPECT_EQ(pod.log().exchanges[0].request,
              (std::vector<uint16_t>{0xFFFF, 0x80FF, 0x0903, 0x9200}));
    EXPECT_EQ(pod.log().exchanges[0].reply, (std::vector<uint16_t>{0x0903, 0x9200}));
}

} // namespace
