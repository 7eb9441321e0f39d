#include "framework/base/parray.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "framework/base/sys_box.h"

namespace {

struct Rec {
    uint32_t a;
    uint16_t b;
    uint16_t c;
};

bool operator==(const Rec& x, const Rec& y) { return x.a == y.a && x.b == y.b && x.c == y.c; }

std::vector<uint32_t> Values(const FPArrayAsVector<Rec>& v)
{
    std::vector<uint32_t> out;
    for (uint32_t i = 0; i < v.Count(); ++i)
        out.push_back(v.At(i).a);
    return out;
}

TEST(RecordArray, AppendInsertRemoveKeepRecordsByValue)
{
    FPArrayAsVector<Rec> v(2);
    for (uint32_t i = 1; i <= 5; ++i)
        ASSERT_EQ(v.Append(Rec{i, 0, 0}), 1);
    EXPECT_EQ(Values(v), (std::vector<uint32_t>{1, 2, 3, 4, 5}));
    EXPECT_EQ(v.Insert(0, Rec{9, 0, 0}), 1);
    EXPECT_EQ(v.Insert(6, Rec{8, 0, 0}), 1);
    EXPECT_EQ(v.Insert(8, Rec{7, 0, 0}), 0);  // beyond the count
    EXPECT_EQ(Values(v), (std::vector<uint32_t>{9, 1, 2, 3, 4, 5, 8}));
    EXPECT_TRUE(v.Remove(Rec{3, 0, 0}));
    EXPECT_FALSE(v.Remove(Rec{3, 0, 0}));
    EXPECT_TRUE(v.RemoveAt(0));
    EXPECT_FALSE(v.RemoveAt(99));
    EXPECT_EQ(Values(v), (std::vector<uint32_t>{1, 2, 4, 5, 8}));
    EXPECT_EQ(v.Pop()->a, 8u);
    EXPECT_EQ(v.Last()->a, 5u);
    EXPECT_EQ(v.IndexOf(Rec{4, 0, 0}), 2);
    EXPECT_EQ(v.Find(Rec{4, 0, 1}), nullptr);  // equal byte for byte only
}

TEST(RecordArray, NullKeyAndAbsentRecordGiveLargestInt)
{
    PArrayAsVector v(sizeof(Rec), 4);
    Rec r{1, 2, 3};
    v.Append(&r);
    EXPECT_EQ(v.IndexOf(nullptr), 0x7FFFFFFF);
    Rec other{1, 2, 4};
    EXPECT_EQ(v.IndexOf(&other), 0x7FFFFFFF);
    EXPECT_EQ(v.IndexOf(&r), 0);
}

TEST(RecordArray, GrowthByDeltaAndExactBulkAppend)
{
    PArrayAsVector v(4, 3);
    uint32_t x = 1;
    v.Append(&x);
    EXPECT_EQ(v.Size(), 12u);  // delta records at the first append
    const uint32_t many[5] = {2, 3, 4, 5, 6};
    v.Append(many, 5);
    EXPECT_EQ(v.Count(), 6u);
    EXPECT_EQ(v.Size(), 24u);  // exactly what is needed
    v.Compact();
    EXPECT_EQ(v.Size(), 24u);
    v.RemoveAt(0);
    v.Compact();
    EXPECT_EQ(v.Size(), 20u);
    PArrayAsVector zero(4, 0);  // a zero delta still grows
    EXPECT_EQ(zero.Append(&x), 1);
    EXPECT_EQ(*static_cast<uint32_t*>(zero.At(0)), 1u);
}

TEST(RecordArray, AppendOfOwnRecordSurvivesReallocation)
{
    FPArrayAsVector<Rec> v(1);
    v.Append(Rec{42, 1, 2});
    for (int i = 0; i < 20; ++i)
        v.Append(v.At(0));  // the source lies in the block that moves
    for (uint32_t i = 0; i < v.Count(); ++i)
        EXPECT_EQ(v.At(i), (Rec{42, 1, 2}));
    v.Insert(0, v.At(20));
    EXPECT_EQ(v.At(0), (Rec{42, 1, 2}));
}

TEST(RecordArray, AppendDropFirstKeepsTheCount)
{
    FPArrayAsVector<Rec> v(4);
    v.AppendDropFirst(Rec{1, 0, 0});
    v.Append(Rec{2, 0, 0});
    v.Append(Rec{3, 0, 0});
    v.AppendDropFirst(Rec{4, 0, 0});
    EXPECT_EQ(Values(v), (std::vector<uint32_t>{2, 3, 4}));
    v.AppendDropFirst(v.At(0));
    EXPECT_EQ(Values(v), (std::vector<uint32_t>{3, 4, 2}));
}

TEST(RecordArray, SortAndMoveToAnotherArray)
{
    FPArrayAsVector<Rec> v(4);
    for (uint32_t a : {5u, 1u, 4u, 1u, 3u})
        v.Append(Rec{a, 0, 0});
    v.Sort([](const void* x, const void* y) {
        uint32_t p = static_cast<const Rec*>(x)->a;
        uint32_t q = static_cast<const Rec*>(y)->a;
        return p < q ? -1 : (p > q ? 1 : 0);
    });
    EXPECT_EQ(Values(v), (std::vector<uint32_t>{1, 1, 3, 4, 5}));
    FPArrayAsVector<Rec> target(4);
    target.Append(Rec{99, 0, 0});
    v.MoveTo(target);
    EXPECT_EQ(v.Count(), 0u);
    EXPECT_EQ(v.Last(), nullptr);
    EXPECT_EQ(Values(target), (std::vector<uint32_t>{1, 1, 3, 4, 5}));
    target.Clear();
    EXPECT_EQ(target.Count(), 0u);
}

TEST(RecordArray, StaticArraySetsUpOnFirstUseAndIsSwept)
{
    static constinit FPArrayAsVector<Rec> list{PStaticInit{}};
    EXPECT_EQ(list.Base().ElementSize(), 0u);
    EXPECT_FALSE(list.Base().Owns());
    list.Append(Rec{1, 2, 3});
    EXPECT_EQ(list.Base().ElementSize(), sizeof(Rec));
    EXPECT_EQ(list.Base().Delta(), 32u);
    PArrayAsVector::SweepStatics();
    EXPECT_EQ(list.Count(), 0u);
    EXPECT_EQ(list.Base().Data(), nullptr);
}

// Tells the box on stderr, where the death test reads it, and goes on.
int BoxToStderr(const FwBoxRequest& request)
{
    fprintf(stderr, "[%s] %s\n", request.caption, request.text);
    return 1;
}

void ReadPastTheEnd()
{
    // The child never waits on a modal window.
    SetBoxPresenter(BoxToStderr);
    FPArrayAsVector<Rec> v(4);
    v.Append(Rec{1, 0, 0});
    volatile uint32_t a = v.At(1).a;
    (void)a;
}

TEST(RecordArrayDeathTest, IndexAtCountEndsTheProcessWithMinusOne)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(ReadPastTheEnd(), ::testing::ExitedWithCode(-1),
                "\\[Korvan Application\\] Internal error: Invalid array index, exiting");
}

}  // namespace
