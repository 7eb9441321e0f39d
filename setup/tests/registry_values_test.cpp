#include "setup/registry_values.h"

#include <gtest/gtest.h>

namespace {

TEST(VersionNumbers, ReadsThreeNumbersEachUpToItsFirstNonDigit)
{
    struct Case {
        const char* text;
        uint32_t major, minor, build, packed;
    } cases[] = {
        {"1.02.3", 1, 2, 3, 0x01020003},
        {"2", 2, 0, 0, 0x02000000},
        {"", 0, 0, 0, 0},
        {"v1.2", 0, 1, 2, 0x00010002},
        {"1..2", 1, 0, 2, 0x01000002},
        {"10.20.30000", 10, 20, 30000, 0x0A147530},
        {"1.2.3.4", 1, 2, 3, 0x01020003},
        {"3.", 3, 0, 0, 0x03000000},
        // Parts too large for their field are masked, not spilled upward.
        {"1.300.2", 1, 300, 2, 0x012C0002},
        {"1.2.70000", 1, 2, 70000, 0x01021170},
        {"256.0.0", 256, 0, 0, 0x00000000},
    };
    for (const Case& c : cases) {
        const VersionNumbers v = ParseVersionNumbers(c.text);
        EXPECT_EQ(v.major, c.major) << c.text;
        EXPECT_EQ(v.minor, c.minor) << c.text;
        EXPECT_EQ(v.build, c.build) << c.text;
        EXPECT_EQ(PackVersion(v), c.packed) << c.text;
    }
    EXPECT_EQ(PackVersion(ParseVersionNumbers(nullptr)), 0u);
}

TEST(EstimatedSize, IsKibibytesRoundedUp)
{
    struct Case {
        uint64_t bytes;
        uint32_t kib;
    } cases[] = {
        {0, 0},
        {1, 1},
        {1023, 1},
        {1024, 1},
        {1025, 2},
        {102400, 100},
        {0x80000000ull, 0x200000},
        {0x3FFFFFFFFFFull, 0xFFFFFFFF},
        {0x40000000000ull, 0xFFFFFFFF},  // would not fit the DWORD
    };
    for (const Case& c : cases) EXPECT_EQ(EstimatedSizeKiB(c.bytes), c.kib) << c.bytes;
}

TEST(InstallDate, IsYearMonthDayOfTheGivenDate)
{
    SYSTEMTIME date = {};
    date.wYear = 2011;
    date.wMonth = 12;
    date.wDay = 6;
    date.wHour = 23;
    EXPECT_EQ(InstallDateText(date), "20111206");
    date.wYear = 987;
    date.wMonth = 1;
    date.wDay = 31;
    EXPECT_EQ(InstallDateText(date), "09870131");
}

TEST(UninstallCommand, IsQuotedSoThatBlanksInTheFolderAreSafe)
{
    EXPECT_EQ(UninstallCommand("C:\\Program Files\\Korvan\\VOQ"), "\"C:\\Program Files\\Korvan\\VOQ\\unrigger.exe\"");
    EXPECT_EQ(UninstallCommand("D:\\x"), "\"D:\\x\\unrigger.exe\"");
}

}  // namespace
