#include "master/jtag/bitchain.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

using mst::bitchain;

namespace {

using Model = std::vector<bool>;

constexpr uint32_t kSentinel = 0xA5A5A5A5u;

// A chain on exactly sized storage with a sentinel word after it, so a write
// past the words the chain needs shows up.
struct Fixture {
    std::vector<uint32_t> store;
    bitchain chain;
    uint32_t capacity_words;

    Fixture(uint32_t capacity_bits, uint32_t initial_fill)
        : store(bitchain::words_for(capacity_bits) + 1, initial_fill),
          capacity_words(bitchain::words_for(capacity_bits))
    {
        store[capacity_words] = kSentinel;
        chain.attach(store.data(), 0);
    }
    bool sentinel_intact() const { return store[capacity_words] == kSentinel; }
};

Model model_of(const bitchain& c)
{
    Model m(c.count);
    for (uint32_t i = 0; i < c.count; ++i)
        m[i] = c.bit(i);
    return m;
}

Model bits_of(uint32_t v, uint32_t n)
{
    Model m(n);
    for (uint32_t i = 0; i < n; ++i)
        m[i] = (v >> (i % 32)) & 1u;
    return m;
}

void fill_from(bitchain& c, const Model& m)
{
    for (uint32_t i = 0; i < m.size(); ++i) {
        const uint32_t b = 1u << (i % 32);
        c.words[i / 32] = m[i] ? (c.words[i / 32] | b) : (c.words[i / 32] & ~b);
    }
}

} // namespace

TEST(BitChain, WordsForRoundsUpToWholeWords)
{
    const struct { uint32_t bits, words; } cases[] = {{0, 0}, {1, 1}, {32, 1}, {33, 2}, {1112, 35}, {0xFFFFFFFFu, 0x8000000u}};
    for (const auto& c : cases)
        EXPECT_EQ(bitchain::words_for(c.bits), c.words) << c.bits;
}

TEST(BitChain, RotateUsesCountModulo32)
{
    EXPECT_EQ(bitchain::rotate(0x80000001u, 1), 0x00000003u);
    EXPECT_EQ(bitchain::rotate(0x12345678u, 32), 0x12345678u);
    EXPECT_EQ(bitchain::rotate(0x12345678u, 36), 0x23456781u);
}

TEST(BitChain, SetFieldWritesValueRepeatedAlignedToPosition)
{
    const struct { uint32_t count, length, position, value; } cases[] = {
        {44, 40, 4, 0x89ABCDEFu},   // 32-bit value at 4..35, its low 8 bits again at 36..43
        {70, 0, 10, 0x0000FFFFu},   // length 0: to the end of the chain
        {70, 500, 10, 0x13579BDFu}, // longer than the rest: cut at the end
        {64, 5, 29, 0x1Fu},         // crosses a word boundary
        {64, 7, 3, 0x55u},          // inside one word
        {64, 32, 32, 0xDEADBEEFu},  // exactly one aligned word, ends on the boundary
        {96, 64, 0, 0xC3C3C3C3u},   // two whole words
        {20, 8, 20, 0xFFu},         // position at the count: nothing
        {20, 8, 25, 0xFFu},         // position past the count: nothing
    };
    for (const auto& c : cases) {
        Fixture f(c.count, 0x5A5A0F0Fu);
        f.chain.count = c.count;
        Model expect = model_of(f.chain);
        uint32_t len = (c.length == 0 || c.position >= c.count || c.length > c.count - c.position)
                           ? (c.position < c.count ? c.count - c.position : 0)
                           : c.length;
        for (uint32_t j = 0; j < len; ++j)
            expect[c.position + j] = (c.value >> (j % 32)) & 1u;
        f.chain.set_field(c.length, c.position, c.value);
        EXPECT_EQ(model_of(f.chain), expect) << c.count << "/" << c.length << "@" << c.position;
        EXPECT_TRUE(f.sentinel_intact()) << c.count << "/" << c.length << "@" << c.position;
    }
}

TEST(BitChain, AppendValueAppendsRunsWithoutTouchingWordsBeyondTheCount)
{
    const struct { uint32_t start, value, k; } cases[] = {
        {0, 0xFFFFFFFFu, 32}, {5, 0u, 27},       {5, 0xFFFFFFFFu, 59}, {31, 0x5u, 3},
        {10, 0x3Bu, 6},       {0, 0xFFFFFFFFu, 64}, {17, 0xABCDu, 16}, {3, 0x7u, 0},
    };
    for (const auto& c : cases) {
        Fixture f(c.start + c.k, 0x0F0F0F0Fu);
        f.chain.count = c.start;
        Model expect = model_of(f.chain);
        const Model tail = bits_of(c.value, c.k);
        expect.insert(expect.end(), tail.begin(), tail.end());
        f.chain.append_value(c.value, c.k);
        EXPECT_EQ(model_of(f.chain), expect) << c.start << "+" << c.k;
        EXPECT_TRUE(f.sentinel_intact()) << c.start << "+" << c.k;
    }
}

TEST(BitChain, AppendChainStoresOverGarbageAboveTheCount)
{
    const struct { uint32_t start, other_bits; } cases[] = {{0, 40}, {7, 1}, {7, 57}, {32, 32}, {13, 19}, {29, 100}};
    for (const auto& c : cases) {
        // Bits above the count are ones, as an all-ones run leaves them.
        Fixture f(c.start + c.other_bits, 0xFFFFFFFFu);
        f.chain.count = c.start;
        Model prefix(c.start);
        for (uint32_t i = 0; i < c.start; ++i)
            prefix[i] = (i * 7) % 3 == 0;
        fill_from(f.chain, prefix);

        bitchain other;
        other.allocate(c.other_bits);
        Model data(c.other_bits);
        for (uint32_t i = 0; i < c.other_bits; ++i)
            data[i] = (i * 5) % 7 < 3;
        fill_from(other, data);

        f.chain.append_chain(other);
        Model expect = prefix;
        expect.insert(expect.end(), data.begin(), data.end());
        EXPECT_EQ(model_of(f.chain), expect) << c.start << "+" << c.other_bits;
        EXPECT_TRUE(f.sentinel_intact()) << c.start << "+" << c.other_bits;
        other.release();
    }
}

TEST(BitChain, ExtractFieldStoresOnlyTheBytesTheFieldNeeds)
{
    bitchain src;
    src.allocate(100);  // exactly sized: a read past word 3 is an overrun
    for (uint32_t i = 0; i < 4; ++i)
        src.words[i] = 0x9E3779B9u * (i + 1);
    const struct { uint32_t position, bits, bytes_written; } cases[] = {
        {3, 12, 2}, {0, 5, 1}, {90, 10, 2}, {68, 32, 4}, {1, 40, 5 + 0}, {20, 17, 4}, {0, 100, 16}};
    for (const auto& c : cases) {
        uint8_t out[24];
        std::memset(out, 0xCC, sizeof out);
        bitchain target;
        target.attach(reinterpret_cast<uint32_t*>(out), c.bits);
        ASSERT_TRUE(src.extract_field(c.position, target));
        for (uint32_t i = 0; i < c.bits; ++i)
            EXPECT_EQ(target.bit(i), src.bit(c.position + i)) << c.position << ":" << c.bits << " bit " << i;
        // 40 bits: one whole word, then 8 bits stored as a byte.
        const uint32_t written = c.bits == 40 ? 5 : c.bytes_written;
        for (uint32_t b = written; b < sizeof out; ++b)
            EXPECT_EQ(out[b], 0xCC) << c.position << ":" << c.bits << " byte " << b;
    }
    bitchain none;
    none.attach(nullptr, 0);
    EXPECT_TRUE(src.extract_field(100, none));
    uint32_t small[2];
    bitchain over;
    over.attach(small, 2);
    EXPECT_FALSE(src.extract_field(99, over));
    src.release();
}

TEST(BitChain, BitsAtReadsOnlyBitsBelowTheCount)
{
    bitchain c;
    c.allocate(40);  // exactly sized: a read of word 2 is an overrun
    c.words[0] = 0x89ABCDEFu;
    c.words[1] = 0xFFFFFF12u;  // bits above the count hold garbage
    const struct { uint32_t position, n, expect; } cases[] = {
        {0, 32, 0x89ABCDEFu}, {8, 40, 0x1289ABCDu}, {36, 16, 0x1u}, {33, 1, 1u},
        {40, 8, 0u},          {100, 4, 0u},         {0, 0, 0u},
    };
    for (const auto& k : cases)
        EXPECT_EQ(c.bits_at(k.position, k.n), k.expect) << k.position << ":" << k.n;
    c.release();
}

TEST(BitChain, CopyFromWordsTakesBitsAtAnyOffset)
{
    const uint32_t raw[3] = {0x01234567u, 0x89ABCDEFu, 0x0F1E2D3Cu};
    const struct { uint32_t position, n; } cases[] = {{0, 96}, {4, 60}, {31, 2}, {33, 63}, {95, 1}};
    for (const auto& c : cases) {
        uint32_t out[3] = {};
        bitchain dst;
        dst.attach(out, 0);
        dst.copy_from_words(c.position, raw, c.n);
        ASSERT_EQ(dst.count, c.n);
        for (uint32_t i = 0; i < c.n; ++i) {
            const uint32_t j = c.position + i;
            EXPECT_EQ(dst.bit(i), ((raw[j / 32] >> (j % 32)) & 1u) != 0) << c.position << ":" << i;
        }
    }
}

TEST(BitChain, FindPatternMatchesWholePatternAndReportsWhereItStopped)
{
    bitchain hay;
    hay.allocate(64);
    hay.words[0] = 0x35CA5AC3u;
    hay.words[1] = 0xCA35A53Cu;
    bitchain same;
    same.allocate(64);
    same.words[0] = hay.words[0];
    same.words[1] = hay.words[1];

    uint32_t pos = 0;
    EXPECT_TRUE(hay.find_pattern(pos, same));
    EXPECT_EQ(pos, 0u);

    hay.count = 63;  // the pattern no longer fits: false at once, position kept
    pos = 0;
    EXPECT_FALSE(hay.find_pattern(pos, same));
    EXPECT_EQ(pos, 0u);
    hay.count = 64;

    // A 20-bit pattern placed at bit 37 of a 100-bit chain of ones.
    bitchain ones;
    ones.allocate(100);
    ones.words[0] = ones.words[1] = ones.words[2] = ones.words[3] = 0xFFFFFFFFu;
    bitchain pat;
    pat.allocate(20);
    pat.words[0] = 0x5AC3Eu;  // not all ones in either unit
    ones.set_field(20, 37, pat.words[0]);
    pos = 0;
    EXPECT_TRUE(ones.find_pattern(pos, pat));
    EXPECT_EQ(pos, 37u);
    pos = 38;
    EXPECT_FALSE(ones.find_pattern(pos, pat));
    EXPECT_EQ(pos, 100u - 20u + 1u);

    // A pattern that differs only in its last unit must not match.
    bitchain near;
    near.allocate(20);
    near.words[0] = pat.words[0] ^ 0x80000u;
    pos = 0;
    EXPECT_FALSE(ones.find_pattern(pos, near));

    bitchain empty;
    pos = 0;
    EXPECT_FALSE(ones.find_pattern(pos, empty));
    for (bitchain* c : {&hay, &same, &ones, &pat, &near})
        c->release();
}

TEST(BitChain, FindMaskedComparesOnlyMaskedBits)
{
    bitchain hay;
    hay.allocate(200);
    for (uint32_t i = 0; i < 7; ++i)
        hay.words[i] = 0;
    hay.set_field(32, 70, 0x1234AFDFu);  // an IDCODE-like word at 70
    hay.set_field(32, 150, 0x5678BFDFu); // another at 150

    uint32_t pos = 0;
    EXPECT_TRUE(hay.find_field(pos, 32, 0xFFFu, 0xFDFu));
    EXPECT_EQ(pos, 70u);
    ++pos;
    EXPECT_TRUE(hay.find_field(pos, 32, 0xFFFu, 0xFDFu));
    EXPECT_EQ(pos, 150u);
    ++pos;
    EXPECT_FALSE(hay.find_field(pos, 32, 0xFFFu, 0xFDFu));

    // Null mask: every bit compared, and the value's bits above the length ignored.
    const uint32_t value[4] = {0x1234AFDFu, 0xFFFFFFF0u, 0, 0};
    pos = 0;
    EXPECT_TRUE(hay.find_masked(pos, 36, nullptr, value));
    EXPECT_EQ(pos, 70u);

    // A 128-bit window with a zero mask matches at the first position.
    const uint32_t zero[4] = {};
    pos = 5;
    EXPECT_TRUE(hay.find_masked(pos, 128, zero, value));
    EXPECT_EQ(pos, 5u);
    pos = 0;
    EXPECT_FALSE(hay.find_masked(pos, 129, zero, value));
    pos = 73;  // past the last place a 128-bit field fits
    EXPECT_FALSE(hay.find_masked(pos, 128, zero, value));
    hay.release();
}

TEST(BitChain, EqualsIgnoresBitsAboveTheCount)
{
    uint32_t a[2] = {0x0000FFFFu, 0x00000001u};
    uint32_t b[2] = {0xFFFFFFFFu, 0xFFFFFFFFu};
    bitchain ca, cb;
    ca.attach(a, 0);
    cb.attach(b, 0);
    EXPECT_TRUE(ca.equals(cb));  // two 0-bit chains
    ca.count = cb.count = 16;
    EXPECT_TRUE(ca.equals(cb));
    ca.count = cb.count = 17;
    EXPECT_FALSE(ca.equals(cb));
    cb.count = 16;
    EXPECT_FALSE(ca.equals(cb));
    b[0] = 0x0000FFFFu;
    ca.count = cb.count = 33;
    EXPECT_TRUE(ca.equals(cb));
}

TEST(BitChain, PadToByteShiftsUpAndFillsLowBits)
{
    const struct { uint32_t count, value, k; } cases[] = {{29, 0x5u, 3}, {32, 0x1u, 0}, {1, 0x7Fu, 7}, {41, 0u, 7}, {0, 1u, 0}};
    for (const auto& c : cases) {
        Fixture f(c.count + 8, 0x3C3C3C3Cu);
        f.chain.count = c.count;
        Model expect = bits_of(c.value, c.k);
        const Model before = model_of(f.chain);
        expect.insert(expect.end(), before.begin(), before.end());
        EXPECT_EQ(f.chain.pad_to_byte(c.value), c.k) << c.count;
        EXPECT_EQ(f.chain.count, c.count + c.k);
        EXPECT_EQ(model_of(f.chain), expect) << c.count;
        EXPECT_TRUE(f.sentinel_intact());
    }
}

TEST(BitChain, ShiftInMovesEveryBitUp)
{
    Fixture f(96, 0);
    f.chain.append_value(0xDEADBEEFu, 32);
    f.chain.append_value(0x1234u, 30);
    Model expect = model_of(f.chain);
    EXPECT_TRUE(f.chain.shift_in(0u, 0));
    EXPECT_FALSE(f.chain.shift_in(0u, 32));
    EXPECT_EQ(model_of(f.chain), expect);
    EXPECT_TRUE(f.chain.shift_in(0x2Au, 6));
    const Model low = bits_of(0x2Au, 6);
    expect.insert(expect.begin(), low.begin(), low.end());
    EXPECT_EQ(model_of(f.chain), expect);
    EXPECT_TRUE(f.sentinel_intact());
}

TEST(BitChain, ReleaseFreesOnlyAllocatedStorage)
{
    uint32_t local[1] = {7};
    bitchain c;
    c.attach(local, 32);
    c.release();  // must not free a local array
    EXPECT_EQ(c.words, nullptr);
    EXPECT_EQ(local[0], 7u);
    c.allocate(33);
    EXPECT_NE(c.words, nullptr);
    c.release();
    EXPECT_EQ(c.words, nullptr);
    c.release();  // a chain without words is left as it is
    EXPECT_EQ(c.words, nullptr);
}

TEST(ListElem, InsertAtTailLinksBothWaysAndRemoveUnlinks)
{
    mst::elem_list list;
    mst::list_elem a, b, c;
    a.insert_at_tail(list);
    b.insert_at_tail(list);
    c.insert_at_tail(list);
    std::vector<mst::list_elem*> order;
    for (auto* e = list.head; e != nullptr; e = e->next)
        order.push_back(e);
    EXPECT_EQ(order, (std::vector<mst::list_elem*>{&a, &b, &c}));
    EXPECT_EQ(list.tail, &c);
    EXPECT_EQ(c.prev, &b);

    b.remove();
    EXPECT_EQ(a.next, &c);
    EXPECT_EQ(c.prev, &a);
    EXPECT_EQ(b.list, nullptr);
    b.remove();  // not in a list: nothing
    a.remove();
    EXPECT_EQ(list.head, &c);
    EXPECT_EQ(c.prev, nullptr);
    c.remove();
    EXPECT_EQ(list.head, nullptr);
    EXPECT_EQ(list.tail, nullptr);
}
