#include "framework/ui/ml_string.h"

#include <gtest/gtest.h>

#include <cstring>

#include "framework/ui/ml_text.h"

namespace {

const char kCancel1251[] = "\xCE\xF2\xEC\xE5\xED\xE0";

class MlString : public ::testing::Test {
protected:
    void TearDown() override { SwitchLanguage(0); }
    static void SwitchLanguage(uint8_t language)
    {
        g_mlLanguage = language;
        PEvHandlerDispatcher::OnLanguageChange();
    }
};

TEST_F(MlString, CachedStringIsMadeOnceAndFollowsTheLanguage)
{
    const char* first = GetCachedMLString(7001);
    EXPECT_STREQ(first, "Cancel");
    EXPECT_EQ(GetCachedMLString(7001), first);
    SwitchLanguage(1);
    EXPECT_STREQ(GetCachedMLString(7001), kCancel1251);
}

TEST_F(MlString, CachedStringIgnoresTheStringTable)
{
    // 7002 exists only in the string table: the cached path reads RT_RCDATA only.
    EXPECT_STREQ(GetCachedMLString(7002), "");
    EXPECT_STREQ(GetMLResString(7002), "Only");
}

TEST_F(MlString, MemberTextFollowsLanguageSwitch)
{
    mlstr byLiteral("Open|\xCE\xF2\xEA\xF0\xFB\xF2\xFC");
    mlstr byId(7001u);
    EXPECT_STREQ(byLiteral.c_str(), "Open");
    EXPECT_STREQ(byId.c_str(), "Cancel");
    SwitchLanguage(1);
    EXPECT_STREQ(byLiteral.c_str(), "\xCE\xF2\xEA\xF0\xFB\xF2\xFC");
    EXPECT_STREQ(byId.c_str(), kCancel1251);
}

TEST_F(MlString, ReassignedAndCopiedMembersKeepOneRecordEach)
{
    uint32_t before = SMLStringContainer::Instance().RegistryCount();
    {
        mlstr a("A|1");
        a.Assign("B|2");
        a.Assign(7001u);
        EXPECT_EQ(SMLStringContainer::Instance().RegistryCount(), before + 1);
        mlstr* copy = new mlstr(a);
        mlstr assigned;
        assigned = a;
        EXPECT_EQ(SMLStringContainer::Instance().RegistryCount(), before + 3);
        delete copy;
        // The deleted copy must not be touched by the broadcast.
        SwitchLanguage(1);
        EXPECT_STREQ(assigned.c_str(), kCancel1251);
        EXPECT_STREQ(a.c_str(), kCancel1251);
    }
    EXPECT_EQ(SMLStringContainer::Instance().RegistryCount(), before);
}

TEST_F(MlString, AssigningAnEmptyMemberEmptiesAndKeepsOneRecord)
{
    uint32_t before = SMLStringContainer::Instance().RegistryCount();
    mlstr empty;
    mlstr a("A|1");
    a = empty;
    EXPECT_TRUE(a.IsEmpty());
    SwitchLanguage(1);
    EXPECT_TRUE(a.IsEmpty());  // nothing to follow the language with
    EXPECT_EQ(SMLStringContainer::Instance().RegistryCount(), before + 1);
}

}  // namespace
