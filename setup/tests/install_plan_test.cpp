#include <gtest/gtest.h>

#include "setup/install_plan.h"

TEST(InstallPlan, EachComponentOnceInFirstOrderAndCountedOnce)
{
    InstallPlan plan;
    EXPECT_TRUE(plan.Add("Core", "C:\\pkg\\Core.rar", 3000000000ull));
    EXPECT_TRUE(plan.Add("Shared", "Shared", 5));
    EXPECT_FALSE(plan.Add("SHARED", "Shared", 5));
    EXPECT_TRUE(plan.Add("Docs", "Docs", 0));
    ASSERT_EQ(plan.Components().size(), 3u);
    EXPECT_EQ(plan.Components()[0].name, "Core");
    EXPECT_EQ(plan.Components()[1].name, "Shared");
    EXPECT_EQ(plan.Components()[2].name, "Docs");
    EXPECT_EQ(plan.TotalSize(), 3000000005ull);
    EXPECT_TRUE(plan.Contains("docs"));
    EXPECT_FALSE(plan.Contains("Doc"));
}
