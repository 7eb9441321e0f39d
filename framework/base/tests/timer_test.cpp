#include "framework/base/timer.h"

#include <gtest/gtest.h>

namespace {

uint32_t g_tick = 0;
uint32_t FakeTick() { return g_tick; }

class Timer : public ::testing::Test {
protected:
    void SetUp() override { PTickTimer::SetTickSource(FakeTick); }
    void TearDown() override { PTickTimer::SetTickSource(nullptr); }
};

TEST_F(Timer, ExpiresAfterPeriodAcrossTheTickWrap)
{
    const uint32_t starts[] = {1000, 0xFFFFFF00u, 0xFFFFFFFFu, 0};
    for (uint32_t start : starts) {
        g_tick = start;
        PTickTimer timer(500);
        g_tick = start + 499;
        EXPECT_FALSE(timer.Expired()) << start;
        g_tick = start + 500;
        EXPECT_TRUE(timer.Expired()) << start;
        EXPECT_FALSE(timer.Expired()) << start;  // restarted
        EXPECT_EQ(timer.Elapsed(), 0u);
    }
}

TEST_F(Timer, ExpiredAtOnceOnlyForTheFirstTest)
{
    g_tick = 0;  // at tick 0 "deadline 0" or "now - 1" tricks would fail
    PTickTimer timer(100, true);
    EXPECT_TRUE(timer.Expired());
    EXPECT_FALSE(timer.Expired());
    timer.ExpireNow();
    EXPECT_TRUE(timer.Expired());
    EXPECT_FALSE(timer.Expired());
}

TEST_F(Timer, SetPeriodRestarts)
{
    g_tick = 10;
    PTickTimer timer(100);
    g_tick = 90;
    timer.SetPeriod(50);
    g_tick = 139;
    EXPECT_FALSE(timer.Expired());
    g_tick = 140;
    EXPECT_TRUE(timer.Expired());
}

TEST(TimerReal, ExpiredAtOnceOnRealTicks)
{
    PTickTimer timer(1000, true);
    EXPECT_TRUE(timer.Expired());
    EXPECT_FALSE(timer.Expired());
}

}  // namespace
