#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <set>
#include <string>

#include "master/core/call_frame.h"
#include "master/core/message_table.h"
#include "master/core/trn_prot.h"
#include "support/core_cp866.h"
#include "support/core_fake_transport.h"
#include "support/core_hooks_spy.h"

using namespace mst;
using core_test::cp866_to_utf8;

namespace {

class ErrorRecordTest : public ::testing::Test {
protected:
    ErrorRecordTest() : prot(std::make_unique<trn_prot>(rec)), spy(rec) {
        rec.chain = &spy;
        rec.master = &spy;
        prot->set_chain(&spy);
    }

    // Records code as a raise inside a frame would, then forgets what the
    // raise itself called, so a test sees only what comes after.
    void record(uint32_t code) {
        framed_call(rec, [&] { rec.raise(code); });
        spy.calls.clear();
        transport.requests.clear();
    }

    // Calls other than the attach/complete pair every batch exchange makes.
    std::vector<std::string> recovery_calls() const {
        std::vector<std::string> out;
        for (const auto& c : spy.calls)
            if (c != "attach_reply" && c != "complete_batch")
                out.push_back(c);
        return out;
    }

    std::pair<std::string, std::string> halves() {
        const std::string text = rec.format_error();
        const size_t bar = text.find('|');
        EXPECT_NE(bar, std::string::npos);
        return {text.substr(0, bar), cp866_to_utf8(text.substr(bar + 1))};
    }

    core_test::fake_transport transport;
    error_record rec;
    std::unique_ptr<trn_prot> prot;
    core_test::hooks_spy spy;
};

struct text_case {
    uint32_t code;
    std::vector<uint32_t> params;
    std::string en;
    std::string ru;
};

TEST_F(ErrorRecordTest, FormatsBilingualTextsExactly) {
    const text_case cases[] = {
        {0, {}, "\nNone Error [00000000]", "\nНет ошибки [00000000]"},
        {0x0D390102, {4}, "\nError [0102]:\nUnable to set breakpoint. Maximum count - 4",
         "\nОшибка [0102]:\nНевозможно установить точку останова.\nМаксимально допустимое "
         "количество точек останова данного типа - 4"},
        {0x0000FFFF, {},
         "\nError [FFFF]:\nAccess to register/memory is not supported when target in Run mode",
         "\nОшибка [FFFF]:\nЦелевое устройство в режиме RUN. \nДоступ к регистрам/памяти в "
         "данном режиме не поддерживается."},
        {0x00001234, {}, "\nError [1234]:\nUnknown Message", "\nОшибка [1234]:\nНеизвестное сообщение"},
        {0x0D391234, {}, "\nError [1234]:\nUnknown Error", "\nОшибка [1234]:\nНеизвестная ошибка"},
        {0x0D390048, {4, 7}, "\nError [0048]:\nNo power on the target \n\nVtrg = 4.07 V",
         "\nОшибка [0048]:\nОтсутствует питание на целевом устройстве \n\nVtrg = 4.07 V"},
        {0x0D390043, {}, "\nError [0043]:\n........",
         "\nОшибка [0043]:\nПопытка установить сигнал сброса процессора не удалась."},
        {0x0D390053, {}, "\nError [0053]:\n....................",
         "\nОшибка [0053]:\nПревышено допустимое время доступа к регистрам порта DP целевого "
         "микроконтроллера."},
        {0x0D390056, {}, "\nError [0056]:\n??????????????.",
         "\nОшибка [0056]:\nПопытка использования недостоверного значения Acknolage "
         "отладочного порта в режиме Serial Wire."},
        {0x0D390083, {}, "\nError [0083]:\n????????????????.", "\nОшибка [0083]:\n????????????????."},
        {0x0D390047, {0x92000904},
         "\nError [0047]:\nInvalid reply from target. \n\nReply code - 0x92000904.",
         "\nОшибка [0047]:\nПолучен не верный ответ от VOQ-xxx. \n\nКод ответа - 0x92000904."},
        {0x0D390104, {0x1235},
         "\nError [0104]:\nVOQ-xxx can not place the Hardware breakpoint at address\n\n"
         "Address = 0x00001235\n\nAddress must be even and lower then 0x20000000.",
         "\nОшибка [0104]:\nУказан не правильный адрес аппаратной точки останова. \n\n"
         "Address = 0x00001235\n\nАдрес должен быть четным и < 0x20000000."},
        {0x0D39F000, {2, 1},
         "\nError [F000]:\nUnsupported device count in JTAG chain. \n\nDevice count - 2\n"
         "Allowable count - 1",
         "\nОшибка [F000]:\nОбнаруженое количество устройств в цепи JTAG больше допустимого.\n\n"
         " Обнаружено устройств - 2\nДопустимое значение - 1"},
        {0x0D39F006, {3, 0x410FC241, 4, 0, 1},
         "\nError [F006]:\nThe actual Target MCU CPUID does not match \nthe MCU Family "
         "(Cortex-M3) selected \nin the Debug Options dialog.\n\nCPUID = 0x410FC241\n\n"
         "It corresponds to the Cortex-M4 (r0p1).",
         "\nОшибка [F006]:\nВ диалоге Опции Отладки неверно указано семейство \nцелевого "
         "микроконтроллера (Cortex-M3).\nЗначение идентификатора CPUID целевого "
         "микроконтроллера, \nустановленного на вашей плате\n\nCPUID = 0x410FC241\n\n"
         "соответствует семейству Cortex-M4 (r0p1)."},
        {0x0521F007, {},
         "\nError [F007]:\nVOQ-xxx can debug only one microcontroller \nuntil Serial Wire "
         "Debug mode swithed on.",
         "\nОшибка [F007]:\nУстановлен тип канала связи - SWD. В этом режиме \nотладка двух "
         "ядер не поддерживается. \n\nВыберите тип канала связи JTAG в настройках отладчика."},
        {0x01210001, {}, "\nError [0001]:\nUSB driver could not find the VOQ-xxx device.",
         "\nОшибка [0001]:\nUSB драйвер не обнаружил VOQ-xxx."},
    };
    for (const text_case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        rec.code = c.code;
        for (unsigned i = 0; i < c.params.size(); ++i)
            rec.param[i] = c.params[i];
        const auto [en, ru] = halves();
        EXPECT_EQ(en, c.en);
        EXPECT_EQ(ru, c.ru);
    }
}

TEST_F(ErrorRecordTest, PlainEmptyCodeFormatsAsLoneBar) {
    rec.code = rc::plain_empty;
    EXPECT_STREQ(rec.format_error(), "|");
}

TEST_F(ErrorRecordTest, SameEnglishTextCanHaveDifferentRussianTexts) {
    rec.code = rc::ir_broken;
    const auto ir = halves();
    rec.code = rc::dr_broken;
    const auto dr = halves();
    EXPECT_EQ(ir.first.substr(15), dr.first.substr(15));
    EXPECT_NE(ir.second.substr(16), dr.second.substr(16));
}

// Every Russian half is valid code page 866 Cyrillic and takes the same
// placeholders, in the same order, as its English half.
TEST(MessageTable, RussianHalvesMatchEnglishPlaceholders) {
    const std::regex placeholder("%[0-9]*[uX]");
    auto list = [&](const std::string& s) {
        std::vector<std::string> out;
        for (auto it = std::sregex_iterator(s.begin(), s.end(), placeholder);
             it != std::sregex_iterator(); ++it)
            out.push_back(it->str());
        return out;
    };
    std::set<uint16_t> numbers;
    for (unsigned i = 0; i < message_count; ++i) {
        const message_entry& e = message_table[i];
        SCOPED_TRACE(testing::Message() << std::hex << e.number);
        EXPECT_TRUE(numbers.insert(e.number).second) << "number listed twice";
        const std::string ru = cp866_to_utf8(e.text.ru);
        EXPECT_EQ(ru.find("<?>"), std::string::npos) << ru;
        EXPECT_EQ(list(e.text.en), list(ru));
    }
    EXPECT_EQ(message_count, 49u);
}

TEST(MessageTable, HostMessagesFollowTablesAAndB) {
    struct host_case {
        uint16_t number;
        uint32_t kind;
        uint32_t host;
    };
    const host_case cases[] = {
        {0x47, 230, 1},      {0x46, 224, 0},     {0x01, 224, 0x100}, {0x11, 224, 0x132},
        {0x56, 224, 0x131},  {0xF008, 224, 0x129}, {0xF004, 224, 0x112}, {0x1234, 224, 0},
    };
    for (const host_case& c : cases) {
        const host_message m = lookup_host_message(c.number);
        EXPECT_EQ(m.kind, c.kind) << std::hex << c.number;
        EXPECT_EQ(m.number, c.host) << std::hex << c.number;
    }
    std::set<uint32_t> b;
    for (unsigned i = 0; i < message_count; ++i)
        if (message_table[i].host_number != 0)
            b.insert(message_table[i].host_number);
    EXPECT_EQ(b.size(), 47u);
    EXPECT_EQ(*b.begin(), 0x100u);
    EXPECT_EQ(*b.rbegin(), 0x134u);
    EXPECT_EQ(b.count(0x12A) + b.count(0x12F), 0u);
}

TEST_F(ErrorRecordTest, RaiseRecordsHostMessageAndKeepsItForOriginZero) {
    record(rc::invalid_reply);
    EXPECT_EQ(rec.host_kind, 230u);
    EXPECT_EQ(rec.host_number, 1u);
    record(rc::plain_deliver);
    // An origin-0 code looks nothing up: the kind stays, the number was
    // cleared by the call's begin.
    EXPECT_EQ(rec.host_kind, 230u);
    EXPECT_EQ(rec.host_number, 0u);
}

TEST_F(ErrorRecordTest, RaiseZeroAbandonsWithoutRecording) {
    bool after = false;
    const uint32_t result = framed_call(rec, [&] {
        rec.raise(0);
        after = true;
    });
    EXPECT_EQ(result, 0u);
    EXPECT_FALSE(after);
}

TEST_F(ErrorRecordTest, SecondRaiseChangesNothingAndAbandonsAgain) {
    bool after = false;
    const uint32_t result = framed_call(rec, [&] {
        try {
            rec.raise(rc::memory_type);
        } catch (const call_abandoned&) {
        }
        rec.raise(rc::breakpoint_count);
        after = true;
    });
    EXPECT_EQ(result, rc::memory_type);
    EXPECT_FALSE(after);
}

TEST_F(ErrorRecordTest, TransportNumbersTakeTheirOriginAndSkipPowerCheck) {
    const std::pair<uint32_t, uint32_t> cases[] = {
        {0x0D390001, rc::no_device},        {0x00000002, rc::usb_general},
        {0x00000003, rc::usb_connection_3}, {0x12340004, rc::usb_connection_4},
    };
    for (const auto& [raised, recorded] : cases) {
        rec.code = 0;
        spy.calls.clear();
        framed_call(rec, [&] { rec.raise(raised); });
        EXPECT_EQ(rec.code, recorded);
        EXPECT_TRUE(recovery_calls().empty()) << "power check ran for " << raised;
    }
}

TEST_F(ErrorRecordTest, PowerFailureFoundByFirstRaiseReplacesItsCode) {
    spy.raise_on["power_check"] = rc::no_power;
    const uint32_t result = framed_call(rec, [&] { rec.raise(rc::register_under_read); });
    EXPECT_EQ(result, rc::no_power);
    EXPECT_EQ(recovery_calls(), std::vector<std::string>{"power_check"});
    EXPECT_EQ(rec.power_check_armed, 1u);
}

TEST_F(ErrorRecordTest, PowerCheckOfRaiseRunsOncePerCall) {
    framed_call(rec, [&] {
        rec.power_check_armed = 0;  // as while the power check itself runs
        rec.raise(rc::memory_type);
    });
    EXPECT_TRUE(recovery_calls().empty());
    EXPECT_EQ(rec.code, rc::memory_type);
}

TEST_F(ErrorRecordTest, CollectedCodeIsDeliveredByTheNextRaise) {
    bool went_on = false;
    const uint32_t result = framed_call(rec, [&] {
        rec.set_param(0, 0x11);
        rec.arm_collect();
        rec.raise(rc::dp_wait_timeout);
        rec.set_param(0, 0x22);  // must not overwrite the collected code's parameter
        went_on = true;
        rec.raise(rc::plain_deliver);
    });
    EXPECT_TRUE(went_on);
    EXPECT_EQ(result, rc::dp_wait_timeout);
    EXPECT_EQ(rec.param[0], 0x11u);
    EXPECT_EQ(rec.held_code, 0u);
}

TEST_F(ErrorRecordTest, DroppedCollectedCodeLeavesPlainDeliverCode) {
    const uint32_t result = framed_call(rec, [&] {
        rec.arm_collect();
        rec.raise(rc::swd_fault);
        rec.held_code = 0;  // the clean-up cleared the fault
        rec.raise(rc::plain_deliver);
    });
    EXPECT_EQ(result, rc::plain_deliver);
}

TEST_F(ErrorRecordTest, CollectingKeepsTheBatchWaitersQueued) {
    synchro waiter;
    framed_call(rec, [&] {
        prot->req_word(0x81000903);
        prot->add_reply_units(1);
        prot->log().queue_read(waiter, 0, &waiter);
        rec.arm_collect();
        rec.raise(rc::swd_fault);
    });
    EXPECT_EQ(rec.code, 0u);
    EXPECT_EQ(waiter.state, waiter_state::read_pending);
    EXPECT_EQ(prot->log().size(), 1u);
    EXPECT_EQ(prot->reply_unit_counter(), 3u);
}

TEST_F(ErrorRecordTest, RaiseDropsWaitersAndRewindsReplyCounterButKeepsRequest) {
    synchro waiter;
    framed_call(rec, [&] {
        prot->req_word(0x81000903);
        prot->add_reply_units(4);
        prot->log().queue_read(waiter, 0, &waiter);
        rec.raise(rc::memory_type);
    });
    EXPECT_EQ(waiter.state, waiter_state::invalid);
    EXPECT_TRUE(prot->log().empty());
    EXPECT_EQ(prot->reply_unit_counter(), 2u);
    EXPECT_EQ(prot->request_length(), 2u);
}

struct recovery_case {
    uint32_t code;
    std::vector<std::string> calls;
};

TEST_F(ErrorRecordTest, NextCallRunsTheRecoveryOfTheRecordedNumber) {
    const recovery_case cases[] = {
        {rc::no_device, {"forget_state"}},
        {rc::reply_timeout, {"forget_state"}},
        {rc::reset_assert_failed, {"forget_state"}},
        {rc::output_overflow, {"reconfigure"}},
        {rc::illegal_reset, {"reconfigure", "device_hook"}},
        {rc::flash_timeout, {"stop"}},
        {rc::access_in_run, {"stop"}},
        {rc::no_power, {"power_check", "reconfigure"}},
        {rc::target_not_found, {"detect_chain"}},
        {rc::command_too_long, {}},
        {rc::invalid_reply, {}},
        {0x0D391234, {}},
        {rc::plain_deliver, {}},
    };
    for (const recovery_case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.code);
        rec.code = c.code;
        spy.calls.clear();
        rec.begin_call();
        EXPECT_EQ(recovery_calls(), c.calls);
        EXPECT_EQ(rec.code, 0u);
    }
}

TEST_F(ErrorRecordTest, ResyncSendsEndMarkerAndEndWordAlone) {
    record(rc::invalid_command);
    prot->req_word(0x81000903);  // never delivered: the operation was abandoned
    rec.begin_call();
    ASSERT_EQ(transport.requests.size(), 1u);
    EXPECT_EQ(core_test::fake_transport::words_of(transport.requests[0]),
              (std::vector<uint32_t>{cmd::end_marker, cmd::end_of_batch}));
}

TEST_F(ErrorRecordTest, ChainRedetectRunsAtSlowestClockThenKeptClock) {
    const std::pair<uint8_t, uint32_t> cases[] = {{3, 3}, {0, 0}, {7, 7}, {8, 7}};
    for (const auto& [kept, sent] : cases) {
        spy.clock_setting = kept;
        record(rc::ir_broken);
        rec.begin_call();
        ASSERT_EQ(transport.requests.size(), 2u);
        EXPECT_EQ(core_test::fake_transport::words_of(transport.requests[0]),
                  (std::vector<uint32_t>{cmd::set_parameter, 7}));
        EXPECT_EQ(core_test::fake_transport::words_of(transport.requests[1]),
                  (std::vector<uint32_t>{cmd::set_parameter, sent}));
        EXPECT_EQ(recovery_calls(), std::vector<std::string>{"detect_chain"});
    }
}

TEST_F(ErrorRecordTest, PowerStillMissingFailsTheNextCallWithoutRunningIt) {
    record(rc::no_power);
    spy.raise_on["power_check"] = rc::no_power;
    bool ran = false;
    const uint32_t result = framed_call(rec, [&] { ran = true; });
    EXPECT_EQ(result, rc::no_power);
    EXPECT_FALSE(ran);
    EXPECT_EQ(recovery_calls(), std::vector<std::string>{"power_check"});
}

TEST_F(ErrorRecordTest, BeginCallClearsRecord) {
    record(rc::memory_type);
    rec.held_code = 5;
    rec.power_check_armed = 0;
    rec.begin_call();
    EXPECT_EQ(rec.code, 0u);
    EXPECT_EQ(rec.held_code, 0u);
    EXPECT_EQ(rec.power_check_armed, 1u);
    EXPECT_EQ(rec.host_number, 0u);
}

TEST_F(ErrorRecordTest, FramesCatchEverythingThatLeavesTheOperation) {
    EXPECT_EQ(framed_call(rec, [] { throw std::bad_alloc(); }), rc::internal_failure);
    EXPECT_EQ(halves().first, "\nError [FFFF]:\nUnknown Error");

    record(rc::memory_type);
    EXPECT_EQ(framed_value<uint32_t>(rec, 0u, [&] { rec.raise(rc::memory_type); return 9u; }), 0u);
    EXPECT_EQ(rec.code, rc::memory_type);
    EXPECT_EQ(framed_value<uint32_t>(rec, 0u, [] { return 9u; }), 9u);
}

TEST_F(ErrorRecordTest, KillFrameClearsWithoutRecovery) {
    record(rc::flash_timeout);
    EXPECT_EQ(kill_frame(rec, [] {}), 0u);
    EXPECT_TRUE(recovery_calls().empty());
}

TEST_F(ErrorRecordTest, GuardOnlyFrameRunsNoRecoveryAndRecordsARaise) {
    record(rc::flash_timeout);
    EXPECT_EQ(guarded_value<int>(rec, -1, [] { return 4; }), 4);
    EXPECT_TRUE(recovery_calls().empty());
    EXPECT_EQ(rec.code, rc::flash_timeout);
    rec.code = 0;
    EXPECT_EQ(guarded_value<int>(rec, -1, [&] { rec.raise(rc::memory_type); return 4; }), -1);
    EXPECT_EQ(rec.code, rc::memory_type);
}

TEST(SplitMillivolts, RoundsToHundredthsWithCarry) {
    const std::tuple<uint32_t, uint32_t, uint32_t> cases[] = {
        {4995, 5, 0}, {1499, 1, 50}, {0, 0, 0}, {3304, 3, 30}, {3305, 3, 31}, {994, 0, 99}};
    for (const auto& [mv, volts, hundredths] : cases) {
        const volts_hundredths v = split_millivolts(mv);
        EXPECT_EQ(v.volts, volts) << mv;
        EXPECT_EQ(v.hundredths, hundredths) << mv;
    }
}

} // namespace
