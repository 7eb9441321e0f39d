#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ccsdriver/board_config.h"
#include "ccsdriver/gti_api.h"
#include "ccsdriver/gti_frame.h"
#include "framework/base/hooks.h"
#include "framework/ui/ml_text.h"
#include "support/driver_fixture.h"

namespace {

class ExportFrame : public DriverFixture {};

TEST_F(ExportFrame, HeaderNamesTheHostTheExportAndItsArguments)
{
    GTI_HALT(nullptr, 0);
    GTI_INIT2();
    ASSERT_GE(Trace().size(), 3u);
    EXPECT_EQ("ccsdriver_gti_frame_test: \"GTI_HALT\"(nParam1 = 0)\n{\n", Trace()[0]);
    EXPECT_TRUE(Traced(" *=> 0x0: \n"));
    EXPECT_TRUE(Traced("}"));
    EXPECT_TRUE(Traced("ccsdriver_gti_frame_test: \"GTI_INIT2\"()\n{\n"));
}

uint64_t g_fakeNow = 0;
uint64_t FakeCounter() { return g_fakeNow; }

TEST_F(ExportFrame, PointerParameterShowsTheAddressAndTheWordThere)
{
    // The address as 32 bits (the host's pointers are), then the word it holds.
    alignas(8) static uint32_t word = 0x12345678;
    char expected[64];
    snprintf(expected, sizeof expected, "  pHandle = 0x%08X (0x12345678)\n",
             static_cast<uint32_t>(reinterpret_cast<uintptr_t>(&word)));
    GtiTraceParam(GtiParam::PointerAndValue, "pHandle", &word);
    GtiTraceParam(GtiParam::PointerAndValue, nullptr, nullptr, true);
    ASSERT_EQ(2u, Trace().size());
    EXPECT_EQ(expected, Trace()[0]);
    EXPECT_EQ("  => 0x00000000 (0x00000BAD)\n", Trace()[1]);
}

TEST_F(ExportFrame, ClosingBraceShowsTheTimeFromAMillisecondOn)
{
    PTraceScope::SetCounter(FakeCounter, 1000000);  // counter steps are microseconds
    struct RealCounterAfter {
        ~RealCounterAfter() { PTraceScope::SetCounter(nullptr, 0); }
    } restore;
    for (uint64_t micros : {999ull, 1000ull, 12345ull}) {
        ClearTrace();
        {
            GtiScope scope("GTI_HALT");
            g_fakeNow += micros;
        }
        ASSERT_FALSE(Trace().empty());
        EXPECT_EQ(micros == 999 ? "}\n" : micros == 1000 ? "} /1,000\n" : "} /12,345\n", Trace().back());
    }
}

TEST_F(ExportFrame, NothingIsFormattedWithTheTracingFlagClear)
{
    g_fwSettings.tracing = 0;
    GTI_HALT(nullptr, 0);
    GTI_INIT2();
    EXPECT_TRUE(Trace().empty());
    EXPECT_EQ(0, GTI_QUIT());
}

TEST_F(ExportFrame, ErrorStrEx2ReportsOnceAndClearsThePair)
{
    g_mlLanguage = 0;
    // No board open: the text says so, even with a clear pair.
    uint32_t origin = 9, flag = 9, zero1 = 9, zero2 = 9;
    EXPECT_STREQ("Cannot detect the emulator board", GTI_GETERRSTR_EX2(nullptr, &origin, &flag, &zero1, &zero2));
    EXPECT_EQ(0u, origin);
    EXPECT_EQ(0u, flag);
    EXPECT_EQ(0u, zero1);
    EXPECT_EQ(0u, zero2);

    g_mlLanguage = 1;
    const char* russian = GTI_GETERRSTR_EX2(nullptr, &origin, &flag, nullptr, nullptr);  // null out-words are skipped
    ASSERT_NE(nullptr, russian);
    EXPECT_STREQ("\xCD\xE5 \xEE\xE1\xED\xE0\xF0\xF3\xE6\xE5\xED\xE0 \xEF\xEB\xE0\xF2\xE0 \xFD\xEC\xF3\xEB\xFF\xF2\xEE\xF0\xE0",
                 russian);
}

TEST_F(ExportFrame, ErrorStrEx2TracesARepeatedCodeOnce)
{
    uint32_t o, f, z1, z2;
    ClearTrace();
    GTI_GETERRSTR_EX2(nullptr, &o, &f, &z1, &z2);
    GTI_GETERRSTR_EX2(nullptr, &o, &f, &z1, &z2);
    std::string text = TraceText();
    size_t first = text.find("\"GTI_GETERRSTR_EX2\"(Code: 0x0, \"Cannot detect the emulator board\")");
    EXPECT_NE(std::string::npos, first);
    EXPECT_EQ(first, text.rfind("\"GTI_GETERRSTR_EX2\"("));
}

TEST_F(ExportFrame, IdentityAndCapabilityAnswers)
{
    EXPECT_EQ(0x8400E, GTI_GETCAPABILITIES(nullptr));
    EXPECT_EQ(0x8400E, GTI_GET_EXT_CAPABILITIES(nullptr, 0));
    EXPECT_EQ(0, GTI_GET_EXT_CAPABILITIES(nullptr, 1));
    EXPECT_EQ(0, GTI_GET_EXT_CAPABILITIES(nullptr, 2));
    EXPECT_EQ(0, GTI_GET_EXT_CAPABILITIES(nullptr, 5));
    EXPECT_EQ(0, GTI_GET_EMU_CAPABILITIES(nullptr));
    EXPECT_EQ(8, GTI_GETPROCTYPE(nullptr));
    EXPECT_EQ(0x50015000, GTI_GET_PROC_ID(nullptr));
    EXPECT_EQ(0x3200, GTI_GETREV(nullptr));
    EXPECT_EQ(static_cast<int32_t>(0x500153F8), GTI_GET_TYPE_OF_PROC_SUPPORTED(nullptr, 0));
    EXPECT_EQ(0, GTI_GET_TYPE_OF_PROC_SUPPORTED(nullptr, 1));  // beyond the list of one
    EXPECT_EQ(2, GTI_GET_BOARD_DATA_FILE_VERSION());
    EXPECT_EQ(0, GTI_GLOBALSTART(nullptr));
    EXPECT_EQ(16, GTI_GETWORDSIZE());
    EXPECT_STREQ("Profile Name", GTI_GET_PROFILE_TYPE_NAME());
    EXPECT_EQ(nullptr, GTI_GETDESCRIPTION());
    EXPECT_TRUE(Traced("  sResult = (null)\n"));
    EXPECT_EQ(0, GTI_GET_HBP_PROPERTIES(nullptr, 3, 4));
    EXPECT_TRUE(Traced("  hbpType = 3\n  propertyID = 4\n  => 0\n"));
    uint32_t handle = 0x55;
    GTI_GETCAPABILITIES(&handle);
    EXPECT_TRUE(Traced("  => 0x0008400E\n"));
    EXPECT_TRUE(Traced("  pHandle = 0x00000000 (0x00000BAD)\n"));
    EXPECT_TRUE(MasterCalls().empty());
}

TEST_F(ExportFrame, TargetPropertiesByIndex)
{
    uint32_t record[8] = {0, 0, 0, 0, 0, 0x1234, 0, 0};  // byte offset 20 holds 0x1234
    const struct {
        int32_t ndx;
        int32_t result;
    } cases[] = {{0, -1}, {1, 0x1234}, {2, 0}, {3, 0}, {4, 0}, {5, -1}};
    for (const auto& c : cases) EXPECT_EQ(c.result, GTI_GET_TARGET_PROPERTIES(record, c.ndx)) << c.ndx;
    EXPECT_EQ(-1, GTI_GET_TARGET_PROPERTIES(nullptr, 1));  // no record to read
}

TEST_F(ExportFrame, InfoStringNeedsItsOutPointer)
{
    const char* text = nullptr;
    EXPECT_EQ(0, GTI_GET_INFO_STRING(1, &text));
    EXPECT_STREQ("Korvan VOQ-54xx JTAG Emulator driver", text);
    text = nullptr;
    EXPECT_EQ(-1, GTI_GET_INFO_STRING(0, &text));
    EXPECT_STREQ("Korvan VOQ-54xx JTAG Emulator driver", text);
    EXPECT_EQ(-1, GTI_GET_INFO_STRING(1, nullptr));
    EXPECT_TRUE(Traced("  *psDescription = (null)\n"));
}

TEST_F(ExportFrame, InitWithoutBoardFailsAndLeavesThePair)
{
    g_gtiError = {0xFFFFFFFF, 0x0D390001};
    EXPECT_EQ(-1, GTI_INIT(0, nullptr, 0, "board.dat", 0, 0, 0, 0));
    EXPECT_EQ(0x0D390001u, g_gtiError.code);
    EXPECT_TRUE(MasterCalls().empty());
    EXPECT_TRUE(Traced("\"GTI_INIT\"()"));
    EXPECT_TRUE(Traced("\"GTI_INIT_EX\"(pathName = \"(null)\", parmFileName = \"board.dat\")"));
}

}  // namespace
