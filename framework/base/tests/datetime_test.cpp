#include "framework/base/datetime.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_tree.h"

namespace {

SYSTEMTIME At(WORD y, WORD mo, WORD d, WORD h, WORD mi, WORD s)
{
    SYSTEMTIME t = {};
    t.wYear = y;
    t.wMonth = mo;
    t.wDay = d;
    t.wHour = h;
    t.wMinute = mi;
    t.wSecond = s;
    return t;
}

TEST(DateTime, DifferencesInFixedUnits)
{
    PDateTime a(At(2011, 12, 6, 9, 5, 7), true), b(At(2011, 12, 7, 9, 5, 7), true);
    EXPECT_EQ(b.DiffDays(a), 1);
    EXPECT_EQ(b.DiffHours(a), 24);
    EXPECT_EQ(b.DiffMinutes(a), 1440);
    EXPECT_EQ(b.DiffSeconds(a), 86400);
    EXPECT_EQ(b.DiffMs(a), 86400000);
    EXPECT_EQ(a.DiffMs(b), -86400000);
}

TEST(DateTime, StampOfLocalTime)
{
    PDateTime t(At(2011, 12, 6, 9, 5, 7), false);
    EXPECT_STREQ(t.Stamp().c_str(), "2011-12-06_09-05-07");
}

TEST(DateTime, AllFormsDescribeTheSameMoment)
{
    PDateTime t(At(2011, 12, 6, 9, 5, 7), true);
    EXPECT_EQ(t.UtcSystem().wYear, 2011);
    EXPECT_EQ(t.UtcSystem().wDayOfWeek, 2);  // a Tuesday
    // DOS date: (year - 1980) << 9 | month << 5 | day; time: h << 11 | m << 5 | s / 2.
    EXPECT_EQ(t.UtcDosDate(), ((2011 - 1980) << 9) | (12 << 5) | 6);
    EXPECT_EQ(t.UtcDosTime(), (9 << 11) | (5 << 5) | 3);
    EXPECT_EQ(t.UtcDos(), (static_cast<uint32_t>(t.UtcDosDate()) << 16) | t.UtcDosTime());
    PDateTime fromDos(t.UtcDos(), true);
    EXPECT_EQ(fromDos.DiffSeconds(t), -1);  // DOS time keeps even seconds
    PDateTime fromOle(t.OleDate());
    EXPECT_EQ(fromOle.DiffSeconds(t), 0);
    PDateTime local(t.LocalFile(), false);
    EXPECT_EQ(local.DiffMs(t), 0);
}

TEST(DateTime, MissingFileGivesZeroTimeAndZeroedConversions)
{
    TempTree tree;
    PDateTime t(tree.Path("none").c_str());
    EXPECT_EQ(t.UtcFile().dwLowDateTime, 0u);
    EXPECT_EQ(t.UtcFile().dwHighDateTime, 0u);
    EXPECT_EQ(t.UtcSystem().wYear, 1601);
    // 1601 is outside the DOS range: the DOS words are zero, not garbage.
    EXPECT_EQ(t.UtcDos(), 0u);
    EXPECT_EQ(t.LocalDos(), 0u);
    FILETIME out = {1, 1};
    EXPECT_FALSE(PDateTime::LocalFileTimeOf(tree.Path("none").c_str(), &out));
    EXPECT_EQ(out.dwLowDateTime, 0u);
}

TEST(DateTime, SetsAndReadsAFilesWriteTime)
{
    TempTree tree;
    tree.Write("f", "x");
    PDateTime when(At(2011, 12, 6, 9, 5, 8), true);
    ASSERT_TRUE(when.SetFileTime(tree.Path("f").c_str()));
    PDateTime read(tree.Path("f").c_str());
    EXPECT_EQ(read.DiffMs(when), 0);
    FILE* stream = fopen(tree.Path("f").c_str(), "rb");
    ASSERT_NE(stream, nullptr);
    EXPECT_EQ(PDateTime(stream).DiffMs(when), 0);
    fclose(stream);
    EXPECT_FALSE(when.SetFileTime(tree.Path("none").c_str()));
}

}  // namespace
