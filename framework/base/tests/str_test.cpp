#include "framework/base/str.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <string>

#include "framework/base/hooks.h"
#include "framework/base/sstr.h"
#include "framework/base/sys_box_recorder.h"

namespace {

std::string g_trace;

void RecordTrace(const char* format, va_list args)
{
    char buf[256];
    vsnprintf(buf, sizeof buf, format, args);
    g_trace += buf;
}

class StrGuard : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_trace.clear();
        saved_ = g_fwHooks.traceSink;
        g_fwHooks.traceSink = RecordTrace;
    }
    void TearDown() override { g_fwHooks.traceSink = saved_; }

    FwBoxRecorder boxes_;
    FwTraceSink saved_ = nullptr;
};

TEST_F(StrGuard, CapacityFromTextHoldsTextNulAndGuard)
{
    str s("abc");
    EXPECT_EQ(s.Capacity(), 5u);
    EXPECT_STREQ(s.Text(), "abc");
    str n(static_cast<uint32_t>(10));
    EXPECT_EQ(n.Capacity(), 11u);
    EXPECT_EQ(n.Text()[0], 0);
    str none(static_cast<const char*>(nullptr));
    EXPECT_EQ(none.Text(), nullptr);
    EXPECT_EQ(none.Capacity(), 0u);
    str fromSstr(sstr("xy"));
    EXPECT_EQ(fromSstr.Capacity(), 4u);
}

TEST_F(StrGuard, WriteOverEndIsReportedAndTheBlockKept)
{
    str s("abc");
    char* block = s.Text();
    s.Text()[3] = 'd';
    s.Text()[4] = 'e';  // the guard
    EXPECT_FALSE(s.Free());
    EXPECT_EQ(s.Text(), block);
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "str: write over end");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Error");
    EXPECT_EQ(boxes_.Boxes()[0].style, 0u);
    EXPECT_EQ(g_trace, "str: write over end\n");
    // Mend the guard so the destructor can release the block.
    s.Text()[4] = 0;
    EXPECT_TRUE(s.Free());
    EXPECT_EQ(s.Text(), nullptr);
}

TEST_F(StrGuard, LargeCapacitiesComeFromTheGlobalHeap)
{
    struct Case { uint32_t n; bool global; };
    const Case cases[] = {{4095, false}, {4096, true}, {100000, true}, {0, false}};
    for (const Case& c : cases) {
        str s(c.n);
        EXPECT_EQ(s.Capacity(), c.n + 1);
        EXPECT_EQ(s.IsGlobal(), c.global) << c.n;
        s.Text()[c.n] = 0;
        EXPECT_TRUE(s.Free());
        EXPECT_FALSE(s.IsGlobal());
    }
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(StrGuard, AssignAndAppendFromInsideTheBuffer)
{
    str s("hello world");
    EXPECT_STREQ(s.Assign(s.Text() + 6), "world");
    EXPECT_EQ(s.Capacity(), 7u);
    EXPECT_STREQ(s.Append(s.Text()), "worldworld");
    EXPECT_EQ(s.Capacity(), 12u);
    EXPECT_EQ(s.Assign(nullptr), nullptr);
    EXPECT_EQ(s.Text(), nullptr);
    EXPECT_STREQ(s.Append("x"), "x");
    char* resized = s.Resize(20);
    EXPECT_EQ(resized, s.Text());
    EXPECT_EQ(s.Capacity(), 21u);
    EXPECT_STREQ(s.Text(), "");
    EXPECT_TRUE(boxes_.Boxes().empty());
}

}  // namespace
