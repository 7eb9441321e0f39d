#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "master/core/call_frame.h"
#include "master/core/command_list.h"
#include "master/core/trn_prot.h"
#include "support/core_fake_transport.h"

using namespace mst;

namespace {

class CommandListTest : public ::testing::Test {
protected:
    CommandListTest() : prot(std::make_unique<trn_prot>(rec)), list(std::make_unique<cmd_list>(rec)) {}

    std::vector<uint32_t> list_words(uint32_t from) const {
        return {list->words + from, list->words + list->count};
    }
    std::vector<uint16_t> request_units(uint32_t from) const {
        return {prot->request() + from, prot->request() + prot->request_length()};
    }

    core_test::fake_transport transport;
    error_record rec;
    std::unique_ptr<trn_prot> prot;
    std::unique_ptr<cmd_list> list;
};

struct list_case {
    const char* name;
    std::function<uint32_t(cmd_list&)> append;
    std::vector<uint32_t> words;
};

TEST_F(CommandListTest, ListAppendsWriteTheirWordsAndReturnTheOldCount) {
    static const uint32_t src[] = {0xA, 0xB, 0xC};
    const list_case cases[] = {
        {"copy", [](cmd_list& l) { return l.list_copy(src, 3); }, {0xA, 0xB, 0xC}},
        {"word", [](cmd_list& l) { return l.list_word(9); }, {9}},
        {"pair", [](cmd_list& l) { return l.list_pair(5, 7); }, {7, 5}},
        {"pair16", [](cmd_list& l) { return l.list_pair16(0x1234, 0xABCD5678, 1); }, {1, 0x12345678}},
        {"triple", [](cmd_list& l) { return l.list_triple(3, 0x1, 0x2, 4); }, {4, 0x10002, 3}},
        {"block", [](cmd_list& l) { return l.list_block(src, 2, 8); }, {8, 2, 0xA, 0xB}},
        {"empty block", [](cmd_list& l) { return l.list_block(src, 0, 8); }, {8, 0}},
    };
    for (const list_case& c : cases) {
        SCOPED_TRACE(c.name);
        list->count = 3;
        uint32_t first = 0;
        ASSERT_EQ(framed_call(rec, [&] { first = c.append(*list); }), 0u);
        EXPECT_EQ(first, 3u);
        EXPECT_EQ(list_words(3), c.words);
    }
}

TEST_F(CommandListTest, ListAppendPastItsRoomIsRefusedAndWritesNothing) {
    list->count = 255;
    list->words[255] = 0x5A5A;
    EXPECT_EQ(framed_call(rec, [&] { list->list_pair(1, 2); }), rc::output_overflow);
    EXPECT_EQ(list->count, 255u);
    EXPECT_EQ(list->words[255], 0x5A5Au);
    EXPECT_EQ(framed_call(rec, [&] { list->list_word(1); }), 0u);
    EXPECT_EQ(list->count, 256u);
}

struct req_case {
    const char* name;
    std::function<uint32_t(trn_prot&)> append;
    std::vector<uint16_t> units;
};

TEST_F(CommandListTest, RequestAppendsWriteTheirUnitsLittleEndian) {
    static const uint32_t src[] = {0x11112222, 0x33334444};
    static const uint16_t half[] = {0xA1, 0xA2, 0xA3};
    const req_case cases[] = {
        {"copy", [](trn_prot& p) { return p.req_copy(src, 2); }, {0x2222, 0x1111, 0x4444, 0x3333}},
        {"word", [](trn_prot& p) { return p.req_word(0x92000903); }, {0x0903, 0x9200}},
        {"pair", [](trn_prot& p) { return p.req_pair(5, 7); }, {7, 0, 5, 0}},
        {"pair16", [](trn_prot& p) { return p.req_pair16(0x12, 0xFFFF0034, 1); }, {1, 0, 0x34, 0x12}},
        {"triple", [](trn_prot& p) { return p.req_triple(3, 2, 1, 4); }, {4, 0, 1, 2, 3, 0}},
        {"block16 odd", [](trn_prot& p) { return p.req_block16(half, 3, 9); }, {9, 0, 3, 0xA1, 0xA2, 0xA3}},
        {"block16 even", [](trn_prot& p) { return p.req_block16(half, 2, 9); }, {9, 0, 2, 0xA1, 0xA2, 0}},
        {"block16 empty", [](trn_prot& p) { return p.req_block16(half, 0, 9); }, {9, 0, 0, 0}},
    };
    for (const req_case& c : cases) {
        SCOPED_TRACE(c.name);
        const uint32_t before = prot->request_length();
        uint32_t units = 0;
        ASSERT_EQ(framed_call(rec, [&] { units = c.append(*prot); }), 0u);
        EXPECT_EQ(units, c.units.size());
        EXPECT_EQ(request_units(before), c.units);
    }
}

TEST_F(CommandListTest, FlushListMovesTheListAsOneCommand) {
    ASSERT_EQ(framed_call(rec, [&] { list->flush_list(*prot); }), 0u);
    EXPECT_EQ(request_units(0), (std::vector<uint16_t>{0x0903, 0x9700, 0, 0}));

    list->list_pair(0xBBBB, 0xAAAA);
    ASSERT_EQ(framed_call(rec, [&] { list->flush_list(*prot); }), 0u);
    EXPECT_EQ(request_units(4),
              (std::vector<uint16_t>{0x0903, 0x9700, 2, 0, 0xAAAA, 0, 0xBBBB, 0}));
    EXPECT_TRUE(transport.requests.empty());
    EXPECT_EQ(list->count, 2u);
}

TEST_F(CommandListTest, FlushListThatDoesNotFitAppendsNothing) {
    std::vector<uint32_t> filler(1000, 0x81000903);
    list->count = 2;
    ASSERT_EQ(framed_call(rec, [&] { prot->req_copy(filler.data(), 1000); }), 0u);
    EXPECT_EQ(framed_call(rec, [&] { list->flush_list(*prot); }), rc::output_overflow);
    EXPECT_EQ(prot->request_length(), 2000u);
}

struct split_case {
    uint32_t lo, hi, offset;
    std::vector<std::pair<uint16_t, uint16_t>> pairs;
};

TEST(Split16, SpreadsValueOverPairsFromBitOffset) {
    const split_case cases[] = {
        {0x1234, 0xFFFF, 20, {{0, 0}, {0x2340, 0xFFF0}, {0x1, 0xF}}},
        {0x12345678, 0xFFFFFFFF, 0, {{0x5678, 0xFFFF}, {0x1234, 0xFFFF}}},
        // lo bits beyond hi's extent are dropped
        {0xABCD0000, 0x0000FFFF, 0, {{0, 0xFFFF}}},
        {0xFFFFFFFF, 0xFFFFFFFF, 15, {{0x8000, 0x8000}, {0xFFFF, 0xFFFF}, {0x7FFF, 0x7FFF}}},
        {0x1, 0x1, 32, {{0, 0}, {0, 0}, {1, 1}}},
    };
    for (const split_case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.lo << " " << c.hi << " " << std::dec << c.offset);
        std::vector<split_pair> out(8, split_pair{0xEEEE, 0xEEEE});
        uint32_t count = 99;
        ASSERT_TRUE(split16(out, count, c.lo, c.hi, c.offset));
        ASSERT_EQ(count, c.pairs.size());
        for (size_t i = 0; i < c.pairs.size(); ++i) {
            EXPECT_EQ(out[i].lo, c.pairs[i].first) << i;
            EXPECT_EQ(out[i].hi, c.pairs[i].second) << i;
        }
        EXPECT_EQ(out[count].lo, 0xEEEE);
    }
}

TEST(Split16, RefusesOutputTooSmallAndWritesNothing) {
    std::vector<split_pair> out(2, split_pair{0xEEEE, 0xEEEE});
    uint32_t count = 99;
    EXPECT_FALSE(split16(out, count, 0x1234, 0xFFFF, 20));
    EXPECT_EQ(count, 99u);
    EXPECT_EQ(out[0].lo, 0xEEEE);
}

} // namespace
