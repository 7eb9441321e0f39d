#include "framework/base/local_heap.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>

#include "framework/base/dynarray.h"
#include "framework/base/sys_box_recorder.h"

namespace {

bool AllZero(const void* p, uint32_t n)
{
    const uint8_t* b = static_cast<const uint8_t*>(p);
    for (uint32_t i = 0; i < n; ++i) {
        if (b[i] != 0)
            return false;
    }
    return true;
}

TEST(LocalHeap, ZeroByteAllocationGivesAValidBlock)
{
    void* p = LocalHeap().Alloc(0);
    ASSERT_NE(p, nullptr);
    EXPECT_GE(HeapSize(LocalHeap().Handle(), 0, p), 1u);
    LocalHeap().Free(p);
}

TEST(LocalHeap, BlocksAndGrowthAreZeroFilled)
{
    uint8_t* p = static_cast<uint8_t*>(LocalHeap().Alloc(70000));
    ASSERT_NE(p, nullptr);
    EXPECT_TRUE(AllZero(p, 70000));
    memset(p, 0xAB, 70000);
    p = static_cast<uint8_t*>(LocalHeap().Realloc(p, 140000));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p[69999], 0xAB);
    EXPECT_TRUE(AllZero(p + 70000, 70000));
    LocalHeap().Free(p);
    void* fresh = LocalHeap().Realloc(nullptr, 16);  // null allocates
    ASSERT_NE(fresh, nullptr);
    LocalHeap().Free(fresh);
}

TEST(DynArray, ResizeAcrossTheLimitMovesTheBlockAndKeepsTheData)
{
    struct Case { uint32_t from; uint32_t to; bool localAfter; };
    const Case cases[] = {
        {70000, 100, false}, {100, 70000, true}, {0xFFFF, 0x10000, true},
        {0x10000, 0xFFFF, false}, {200, 300, false}, {80000, 90000, true},
    };
    FwBoxRecorder boxes;
    for (const Case& c : cases) {
        DynArrayBase a(c.from);
        EXPECT_EQ(a.InLocalHeap(), c.from > 0xFFFF);
        EXPECT_TRUE(AllZero(a.Data(), c.from));
        for (uint32_t i = 0; i < c.from; ++i)
            static_cast<uint8_t*>(a.Data())[i] = static_cast<uint8_t>(i * 7 + 1);
        ASSERT_TRUE(a.Resize(c.to));
        EXPECT_EQ(a.Size(), c.to);
        EXPECT_EQ(a.InLocalHeap(), c.localAfter) << c.from << "->" << c.to;
        uint32_t kept = c.from < c.to ? c.from : c.to;
        const uint8_t* d = static_cast<const uint8_t*>(a.Data());
        bool same = true;
        for (uint32_t i = 0; i < kept; ++i)
            same = same && d[i] == static_cast<uint8_t>(i * 7 + 1);
        EXPECT_TRUE(same) << c.from << "->" << c.to;
        if (c.to > c.from) {
            EXPECT_TRUE(AllZero(d + c.from, c.to - c.from));
        }
    }
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(DynArray, HandOverCopyAndFree)
{
    const char text[] = "payload";
    DynArrayBase a(text, sizeof text);
    EXPECT_STREQ(static_cast<const char*>(a.Data()), "payload");
    DynArrayBase b(static_cast<uint32_t>(4));
    a.HandOver(b);
    EXPECT_EQ(a.Data(), nullptr);
    EXPECT_EQ(a.Size(), 0u);
    EXPECT_STREQ(static_cast<const char*>(b.Data()), "payload");
    EXPECT_TRUE(b.Resize(0));
    EXPECT_EQ(b.Data(), nullptr);
    DynArray<uint32_t> words(3);
    words[2] = 5;
    EXPECT_EQ(words.ItemCount(), 3u);
    ASSERT_TRUE(words.ResizeItems(5));
    EXPECT_EQ(words[2], 5u);
    EXPECT_EQ(words[4], 0u);
    words.ZeroFill();
    EXPECT_EQ(words[2], 0u);
}

}  // namespace
