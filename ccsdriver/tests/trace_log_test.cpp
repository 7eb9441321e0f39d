#include "ccsdriver/trace_log.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "ccsdriver/driver_settings.h"
#include "ccsdriver/lcg_stream.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_trace.h"

namespace {

std::vector<uint8_t> ReadLog()
{
    std::ifstream in(TraceLogPath(), std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Unscrambles a whole log and splits it into its records.
std::vector<std::string> DecodeLog(std::vector<uint8_t> bytes)
{
    LcgStream stream;
    stream.Seed(kTraceLogSeed);
    stream.Apply(bytes.data(), static_cast<uint32_t>(bytes.size()));
    std::vector<std::string> records;
    std::string current;
    for (uint8_t b : bytes) {
        if (b == 0) {
            records.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(b);
        }
    }
    EXPECT_TRUE(current.empty()) << "a record without its NUL";
    return records;
}

class TraceLogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        FwResetHooksAndSettings();
        ResetDriverSettings();
        InstallTraceLog();
        DeleteFileA(TraceLogPath().c_str());
    }
    void TearDown() override
    {
        DrvSetLogOn(false);
        TracePrintf("close");
        FwResetHooksAndSettings();
        DeleteFileA(TraceLogPath().c_str());
    }
};

TEST(LcgStream, FollowsTheRecurrenceNotMsvcrtRand)
{
    // Seed 1: 1 * 22695477 + 1 = 0x015A4E36, value 0x015A = 346. The msvcrt
    // generator (214013, 2531011) would give 41 here.
    LcgStream stream;
    stream.Seed(1);
    EXPECT_EQ(346u, stream.Next());
    // Two instances do not disturb each other.
    LcgStream other;
    other.Seed(1);
    stream.Seed(1);
    EXPECT_EQ(stream.Next(), other.Next());
}

TEST_F(TraceLogTest, AbcIsStoredAsFourScrambledBytes)
{
    DrvSetLogOn(true);
    TracePrintf("%s", "abc");
    std::vector<uint8_t> bytes = ReadLog();
    // Seed 6271, worked out by hand: 6271 * 22695477 + 1 = 142323336268,
    // mod 2^32 = 0x2321C44C; then 0xDE84CBBD, 0xE503C422, 0xA57DF70B. The
    // values (bits 16-30) are 0x2321, 0x5E84, 0x6503, 0x257D.
    const uint8_t expected[4] = {'a' ^ 0x21, 'b' ^ 0x84, 'c' ^ 0x03, 0x00 ^ 0x7D};
    ASSERT_EQ(4u, bytes.size());
    for (int i = 0; i < 4; ++i) EXPECT_EQ(expected[i], bytes[i]) << i;
}

TEST_F(TraceLogTest, LogOffCreatesNoFile)
{
    TracePrintf("line %d\n", 1);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(TraceLogPath().c_str()));
    EXPECT_FALSE(TraceLogIsOpen());
}

TEST_F(TraceLogTest, RecordsDecodeAcrossLinesAndOffClosesWithoutTheLine)
{
    DrvSetLogOn(true);
    TracePrintf("first %u\n", 1u);
    TracePrintf("second %s\n", "two");
    DrvSetLogOn(false);
    TracePrintf("dropped\n");
    EXPECT_FALSE(TraceLogIsOpen());
    EXPECT_EQ((std::vector<std::string>{"first 1\n", "second two\n"}), DecodeLog(ReadLog()));

    // On again: the file starts over and the stream restarts from the seed.
    DrvSetLogOn(true);
    TracePrintf("again\n");
    EXPECT_EQ(std::vector<std::string>{"again\n"}, DecodeLog(ReadLog()));
}

TEST_F(TraceLogTest, LongLinesAreCutTo8191Characters)
{
    DrvSetLogOn(true);
    std::string big(10000, 'x');
    TracePrintf("%s", big.c_str());
    std::vector<std::string> records = DecodeLog(ReadLog());
    ASSERT_EQ(1u, records.size());
    EXPECT_EQ(8191u, records[0].size());
}

TEST_F(TraceLogTest, UnloadLineIsWrittenThenTheFileCloses)
{
    DrvSetLogOn(true);
    TracePrintf("x\n");
    CloseTraceLog();
    EXPECT_FALSE(TraceLogIsOpen());
    EXPECT_EQ((std::vector<std::string>{"x\n", "\n--- DLL unloaded ---\n\n"}), DecodeLog(ReadLog()));
}

TEST_F(TraceLogTest, LogNameCarriesTheHostProgramName)
{
    std::string path = TraceLogPath();
    EXPECT_NE(std::string::npos, path.find("\\VOQ-TMS_ccsdriver_trace_log_test.jlg")) << path;
}

TEST_F(TraceLogTest, StopwatchesReportToTheTrace)
{
    DrvSetLogOn(true);
    { MicroStopwatch watch(false, "micro"); }
    { MilliStopwatch watch(false, "milli"); }
    { MicroStopwatch quiet(true, "quiet"); }  // debug flag clear: nothing
    std::vector<std::string> records = DecodeLog(ReadLog());
    ASSERT_EQ(2u, records.size());
    EXPECT_EQ(0u, records[0].rfind("micro: ", 0));
    EXPECT_EQ(" mcs\n", records[0].substr(records[0].size() - 5));
    EXPECT_EQ(0u, records[1].rfind("milli: ", 0));
    EXPECT_EQ(" ms\n\n", records[1].substr(records[1].size() - 5));
}

}  // namespace
