#include "framework/base/scontainer.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <vector>

#include "framework/base/istr.h"
#include "framework/base/parray.h"
#include "framework/base/sstr.h"
#include "framework/base/sys_box_recorder.h"

namespace {

std::vector<int> g_deleted;

// An item ordered by key, told apart by id, that logs its deletion.
struct Item : BaseObject {
    Item(int k, int i) : key(k), id(i) {}
    ~Item() override { g_deleted.push_back(id); }
    bool IsEqual(const BaseObject* o) const override { return key == static_cast<const Item*>(o)->key; }
    bool IsGreater(const BaseObject* o) const override { return key > static_cast<const Item*>(o)->key; }
    int key;
    int id;
};

Item* At(const SContainer& c, uint32_t i) { return static_cast<Item*>(c[i]); }

std::vector<int> Keys(const SContainer& c)
{
    std::vector<int> keys;
    for (uint32_t i = 0; i < c.Count(); ++i)
        keys.push_back(At(c, i)->key);
    return keys;
}

class Container : public ::testing::Test {
protected:
    void SetUp() override { g_deleted.clear(); }
};

TEST_F(Container, DuplicatePolicyTable)
{
    struct Case { uint32_t flags; int keptId; std::vector<int> deleted; bool callerOwnsNew; };
    const Case cases[] = {
        {SC_UNIQUE, 1, {}, true},
        {SC_UNIQUE | SC_DUP_DELETE_NEW, 1, {2}, false},
        {SC_UNIQUE | SC_DUP_REPLACE_OLD, 2, {1}, false},
        {SC_UNIQUE | SC_DEFERRED_SORT, 1, {}, true},
        {SC_UNIQUE | SC_DEFERRED_SORT | SC_DUP_REPLACE_OLD, 2, {1}, false},
    };
    for (const Case& c : cases) {
        g_deleted.clear();
        {
            SContainer list(c.flags, 4);
            ASSERT_EQ(list.Add(new Item(0, 10)), 1);
            ASSERT_EQ(list.Add(new Item(5, 1)), 1);
            Item* dup = new Item(5, 2);
            EXPECT_EQ(list.Add(dup), 1) << "flags " << c.flags;
            EXPECT_EQ(list.Count(), 2u);
            EXPECT_EQ(At(list, 1)->id, c.keptId) << "flags " << c.flags;
            EXPECT_EQ(g_deleted, c.deleted) << "flags " << c.flags;
            if (c.callerOwnsNew)
                delete dup;
            g_deleted.clear();
        }
        // The container deletes what it kept, last to first.
        EXPECT_EQ(g_deleted, (std::vector<int>{c.keptId, 10})) << "flags " << c.flags;
    }
}

TEST_F(Container, SortedFindReturnsFirstOfEqualItems)
{
    SContainer list(SC_SORTED, 8);
    const int keys[] = {7, 3, 5, 3, 9, 3, 1, 5, 3};
    for (int i = 0; i < 9; ++i)
        list.Add(new Item(keys[i], i));
    Item key3(3, -1);
    int i = list.Find(&key3);
    EXPECT_TRUE(list.IsSorted());
    EXPECT_EQ(Keys(list), (std::vector<int>{1, 3, 3, 3, 3, 5, 5, 7, 9}));
    EXPECT_EQ(i, 1);
    Item key5(5, -1);
    EXPECT_EQ(list.Find(&key5), 5);
    Item key4(4, -1);
    EXPECT_EQ(list.Find(&key4), -1);
    EXPECT_EQ(list.Find(nullptr), -1);
}

TEST_F(Container, DeferredSortFindsTailItemsAndSortsEvery128Appends)
{
    SContainer list(SC_DEFERRED_SORT, 32);
    for (int i = 0; i < 127; ++i)
        list.Add(new Item(1000 - i, i));
    EXPECT_EQ(list.UnsortedTail(), 127u);
    Item last(1000 - 126, -1);
    EXPECT_EQ(list.Find(&last), 126);  // found in the tail, unsorted
    EXPECT_EQ(At(list, 0)->key, 1000);
    list.Add(new Item(1, 127));
    EXPECT_EQ(list.UnsortedTail(), 0u);
    EXPECT_EQ(At(list, 0)->key, 1);
    std::vector<int> keys = Keys(list);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    // New appends go to the tail, the head is binary-searched.
    list.Add(new Item(500, 128));
    Item head(900, -1);
    EXPECT_EQ(At(list, static_cast<uint32_t>(list.Find(&head)))->key, 900);
    Item tail(500, -1);
    EXPECT_EQ(list.Find(&tail), 128);
}

TEST_F(Container, DeferredTailStaysWithinCountAfterDetachAndInsert)
{
    SContainer list(SC_DEFERRED_SORT, 16);
    for (int i = 0; i < 128; ++i)
        list.Add(new Item(i * 2, i));  // sorted once at 128
    for (int i = 0; i < 5; ++i)
        list.Add(new Item(1001 + i, 200 + i));
    EXPECT_EQ(list.UnsortedTail(), 5u);
    // Detaching tail items shrinks the tail with the count.
    for (int i = 0; i < 5; ++i)
        delete list.DetachLast();
    EXPECT_EQ(list.UnsortedTail(), 0u);
    for (int i = 0; i < 3; ++i)
        list.Add(new Item(2001 + i, 300 + i));
    delete list.Detach(0u);  // a head item: the tail is unchanged
    EXPECT_EQ(list.UnsortedTail(), 3u);
    // An item inserted into the head keeps every item findable.
    list.Insert(0, new Item(77, 400));
    EXPECT_LE(list.UnsortedTail(), list.Count());
    for (int k : {77, 2001, 2003, 4, 254}) {
        Item key(k, -1);
        int i = list.Find(&key);
        ASSERT_GE(i, 0) << k;
        EXPECT_EQ(At(list, static_cast<uint32_t>(i))->key, k);
    }
}

TEST_F(Container, NotOwningContainerDeletesNothing)
{
    Item a(1, 1);
    Item b(2, 2);
    {
        SContainer list(SC_NOT_OWNING, 4);
        list.Add(&a);
        list.Add(&b);
        EXPECT_EQ(list.Destroy(0u), 1);
        EXPECT_EQ(list.Count(), 1u);
        list.Flush();
        EXPECT_EQ(list.Count(), 0u);
        list.Add(&a);
    }
    EXPECT_TRUE(g_deleted.empty());
}

TEST_F(Container, FlushDeletesLastToFirst)
{
    SContainer list(4);
    for (int i = 0; i < 6; ++i)
        list.Add(new Item(i, i));
    list.Flush();
    EXPECT_EQ(g_deleted, (std::vector<int>{5, 4, 3, 2, 1, 0}));
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Capacity(), 0u);
}

TEST_F(Container, DetachAtCountReturnsNullAndChangesNothing)
{
    SContainer list(4);
    list.Add(new Item(1, 1));
    list.Add(new Item(2, 2));
    EXPECT_EQ(list.Detach(2u), nullptr);
    EXPECT_EQ(list.Destroy(2u), 0);
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_TRUE(g_deleted.empty());
    Item key(2, -1);
    Item* got = static_cast<Item*>(list.Detach(&key));
    ASSERT_NE(got, nullptr);
    EXPECT_EQ(got->id, 2);
    delete got;
}

TEST_F(Container, GrowthAndShrinkFollowTheDelta)
{
    SContainer list(4);
    for (int i = 0; i < 5; ++i)
        list.Add(new Item(i, i));
    EXPECT_EQ(list.Capacity(), 8u);
    for (int i = 0; i < 4; ++i)
        delete list.DetachLast();
    EXPECT_EQ(list.Capacity(), 4u);  // dropped once capacity - count == delta
    EXPECT_EQ(list.Count(), 1u);
}

TEST_F(Container, LargeArrayMovesToLocalHeapWithTheLargerDelta)
{
    // The limit is in bytes: 16 Ki slots of 32-bit pointers, 8 Ki of 64-bit.
    const uint32_t limit = 0x10000 / sizeof(void*);
    SContainer list(SC_NOT_OWNING, 1024);
    Item dummy(0, 0);
    Item other(1, 1);
    for (uint32_t i = 0; i < limit - 1024; ++i)
        ASSERT_EQ(list.Add(&dummy), 1);
    EXPECT_FALSE(list.InLocalHeap());  // 0x10000 - 1024 slots' bytes
    list.Add(&other);                  // limit slots = 0x10000 bytes
    EXPECT_TRUE(list.InLocalHeap());
    EXPECT_EQ(list.Capacity(), limit);
    EXPECT_EQ(list.Delta(), 0x4000u);
    EXPECT_EQ(list[limit - 1024], &other);
    while (list.Count() <= limit)
        list.Add(&dummy);
    EXPECT_EQ(list.Capacity(), limit + 0x4000u);
    list.DetachLast();  // capacity - count == delta: one step back
    EXPECT_EQ(list.Capacity(), limit);
    EXPECT_EQ(list[limit - 1024], &other);
    // Emptied, it steps down by the delta while whole steps fit: to nothing
    // with 32-bit slots; 64-bit slots keep the one step below the delta,
    // which is still a large block.
    while (list.Count() > 0)
        list.DetachLast();
    const uint32_t kept = limit % 0x4000u;
    EXPECT_EQ(list.Capacity(), kept);
    EXPECT_EQ(list.InLocalHeap(), kept * sizeof(void*) > 0xFFFF);
}

TEST_F(Container, InsertMovesOnlyWhenTheCountGrew)
{
    SContainer list(SC_UNIQUE, 4);
    list.Add(new Item(1, 1));
    list.Add(new Item(2, 2));
    list.Add(new Item(3, 3));
    Item* dup = new Item(2, 9);
    EXPECT_EQ(list.Insert(0, dup), 1);
    EXPECT_EQ(Keys(list), (std::vector<int>{1, 2, 3}));  // nothing moved
    delete dup;
    SContainer plain(4);
    plain.Add(new Item(1, 1));
    plain.Add(new Item(2, 2));
    EXPECT_EQ(plain.Insert(1, new Item(7, 7)), 1);
    EXPECT_EQ(Keys(plain), (std::vector<int>{1, 7, 2}));
    EXPECT_EQ(plain.Insert(3, new Item(8, 8)), 1);
    EXPECT_EQ(Keys(plain), (std::vector<int>{1, 7, 2, 8}));
    Item* late = new Item(9, 9);
    EXPECT_EQ(plain.Insert(9, late), 0);  // beyond the count: not stored
    delete late;
}

TEST_F(Container, ReplaceAndMoveClearTheSortedFlag)
{
    SContainer list(SC_SORTED, 4);
    for (int k : {1, 2, 3, 4})
        list.Add(new Item(k, k));
    Item key(2, -1);
    list.Find(&key);
    ASSERT_TRUE(list.IsSorted());
    EXPECT_TRUE(list.Move(0, 3));
    EXPECT_FALSE(list.IsSorted());
    Item one(1, -1);
    EXPECT_EQ(At(list, static_cast<uint32_t>(list.Find(&one)))->key, 1);  // sorted again first
    EXPECT_EQ(list.Replace(new Item(9, 20), &key), 1);
    EXPECT_EQ(g_deleted, (std::vector<int>{2}));
    EXPECT_FALSE(list.IsSorted());
    Item nine(9, -1);
    EXPECT_EQ(list.Find(&nine), 3);
    EXPECT_FALSE(list.Move(0, 4));
    EXPECT_FALSE(list.Move(0, -1));
}

TEST_F(Container, SortByDataRestoresTheComparator)
{
    SContainer list(8);
    list.Add(new DIstr(3, "c"));
    list.Add(new DIstr(1, "a"));
    list.Add(new DIstr(2, "z"));
    list.SortByData(true);
    EXPECT_STREQ(static_cast<Istr*>(list[0])->Text(), "c");
    EXPECT_STREQ(static_cast<Istr*>(list[2])->Text(), "a");
    list.SortByData(false);
    EXPECT_STREQ(static_cast<Istr*>(list[0])->Text(), "a");
    list.Sort();  // by text again
    EXPECT_STREQ(static_cast<Istr*>(list[2])->Text(), "z");
}

TEST_F(Container, TextItemsAndSearchByText)
{
    SContainer list(SC_SORTED, 8);
    for (const char* t : {"delta", "alpha", "charlie", "bravo"})
        AddIstr(list, t);
    EXPECT_EQ(FindIstrIndex(list, "charlie"), 2);
    EXPECT_STREQ(FindIstr(list, "bravo")->Text(), "bravo");
    EXPECT_EQ(FindIstr(list, "echo"), nullptr);
    EXPECT_EQ(FindIstrIndex(list, nullptr), -1);
    InsertIstr(list, 0, "zulu");
    EXPECT_EQ(FindIstrIndexLinear(list, "zulu"), 0);
    EXPECT_EQ(FindIstrLinear(list, "alpha"), list[1]);

    SContainer unique(SC_UNIQUE, 4);
    EXPECT_EQ(AddIstr(unique, "x"), 1);
    EXPECT_EQ(AddIstr(unique, "x"), 1);  // the duplicate is freed by AddIstr
    EXPECT_EQ(unique.Count(), 1u);
}

TEST_F(Container, ZeroDeltaIsReportedAndGrowsBy32)
{
    FwBoxRecorder boxes;
    SContainer list(0, 0);
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].text, "SContainer: delta == 0!");
    EXPECT_EQ(boxes.Boxes()[0].caption, "Error");
    EXPECT_EQ(boxes.Boxes()[0].style & MB_ICONMASK, static_cast<uint32_t>(MB_ICONSTOP));
    list.Add(new Item(1, 1));
    EXPECT_EQ(list.Capacity(), 32u);
}

TEST_F(Container, StaticContainerSetsUpOnFirstUseAndIsSwept)
{
    static constinit SContainer list{SStaticInit{}};
    EXPECT_EQ(list.Delta(), 0u);
    list.Add(new Item(1, 1));
    list.Add(new Item(2, 2));
    EXPECT_EQ(list.Delta(), 32u);
    EXPECT_EQ(list.Flags(), 0u);
    list.Flush();  // inactive until the exit sweep
    EXPECT_EQ(list.Count(), 2u);
    EXPECT_TRUE(g_deleted.empty());
    SContainer::SweepStatics();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(g_deleted, (std::vector<int>{2, 1}));
}

TEST_F(Container, SplitTable)
{
    struct Case { uint32_t flags; const char* sep; const char* text; std::vector<std::string> items; };
    const Case cases[] = {
        {0, ",", "a,,b,", {"a", "b"}},
        {SPLIT_KEEP_EMPTY, ",", "a,,b,", {"a", "", "b", ""}},
        {0, ",;", "a;b,c", {"a", "b", "c"}},
        {0, ",", "", {}},
        {SPLIT_KEEP_EMPTY, ",", "", {}},
        {SPLIT_QUOTES, " ", "one \"two three\" four", {"one", "two three", "four"}},
        {SPLIT_QUOTES, ",", "a,,b,", {"a", "b"}},
        {SPLIT_QUOTES | SPLIT_KEEP_EMPTY, ",", "a,,b,", {"a", "", "b"}},  // no trailing empty piece
        {SPLIT_QUOTES, ",", "x\"a,b", {"xa,b"}},                           // group to the end
        {SPLIT_MULTI_SZ, nullptr, "a\0bc\0\0", {"a", "bc"}},
    };
    for (const Case& c : cases) {
        PSContainer<Istr> list(0, c.flags, c.sep, c.text);
        std::vector<std::string> got;
        for (uint32_t i = 0; i < list.Count(); ++i)
            got.push_back(list[i]->Text());
        EXPECT_EQ(got, c.items) << c.text << " flags " << c.flags;
    }
}

TEST_F(Container, JoinSkipsEmptyItemsAndLeadingSeparators)
{
    PSContainer<Istr> list(4);
    for (const char* t : {"", "a", "", "b"})
        list.Add(new Istr(t));
    EXPECT_STREQ(JoinIstr(0, ",", list).c_str(), "a,b");
    EXPECT_STREQ(JoinIstr(SPLIT_KEEP_EMPTY, ",", list).c_str(), "a,,b");
    PSContainer<Istr> none(4);
    EXPECT_EQ(JoinIstr(0, ",", none).c_str(), nullptr);
}

int CompareInts(const void* a, const void* b)
{
    int x = *static_cast<const int*>(a);
    int y = *static_cast<const int*>(b);
    return x < y ? -1 : (x > y ? 1 : 0);
}

TEST(QuickSort, MatchesStdSortOnManyShapes)
{
    std::mt19937 rng(12345);
    for (uint32_t n : {0u, 1u, 2u, 3u, 4u, 5u, 7u, 16u, 100u, 1000u}) {
        for (int range : {2, 10, 1000000}) {
            std::vector<int> v(n);
            for (int& x : v)
                x = static_cast<int>(rng() % static_cast<uint32_t>(range));
            std::vector<int> want = v;
            std::sort(want.begin(), want.end());
            QuickSortRecords(v.data(), n, sizeof(int), CompareInts);
            EXPECT_EQ(v, want) << "n " << n << " range " << range;
            // Already sorted and reversed input.
            QuickSortRecords(v.data(), n, sizeof(int), CompareInts);
            EXPECT_EQ(v, want);
            std::reverse(v.begin(), v.end());
            QuickSortRecords(v.data(), n, sizeof(int), CompareInts);
            EXPECT_EQ(v, want);
        }
    }
}

}  // namespace
