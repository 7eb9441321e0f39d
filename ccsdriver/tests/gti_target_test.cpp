#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ccsdriver/gti_api.h"
#include "ccsdriver/gti_frame.h"
#include "framework/base/hooks.h"
#include "support/driver_fixture.h"

namespace {

class TargetOperations : public DriverFixture {};

TEST_F(TargetOperations, EveryOperationIsOneMasterCallOnTheTmsDevice)
{
    uint32_t value = 0x1234;
    EXPECT_EQ(0, GTI_RUN_EX(nullptr, 0x00010003));
    EXPECT_EQ(3u, LastCall("Master_Run").args[0]);
    EXPECT_EQ(0, GTI_HALT(nullptr, 0));
    EXPECT_EQ(0, GTI_STEP(nullptr, 1));
    EXPECT_EQ(0, GTI_RESET());
    EXPECT_EQ(0, GTI_EMURESET_EX());
    EXPECT_EQ(0, GTI_WRITEREG(nullptr, 17, &value));
    EXPECT_EQ(0x1234u, LastCall("Master_WriteRegister").args[1]);
    Recorder_SetRegister(0xBEEF);
    EXPECT_EQ(0, GTI_READREG(nullptr, 17, &value));
    EXPECT_EQ(0xBEEFu, value);
    EXPECT_EQ(0, GTI_SETBP(nullptr, 0x100, 1));
    EXPECT_EQ(0, GTI_CLEARBP(nullptr, 0x100, 1));
    EXPECT_EQ(0, GTI_SETBP_EX(nullptr, 0x200, 0x10003, 2));
    EXPECT_EQ(3u, LastCall("Master_SetBreakpoint").args[0]);
    EXPECT_EQ(0x200u, LastCall("Master_SetBreakpoint").args[1]);
    EXPECT_EQ(0, GTI_CLEARBP_EX(nullptr, 0x200, 0x10003, 2));
    EXPECT_EQ(0, GTI_QUIT());
    EXPECT_EQ((std::vector<std::string>{"Master_Run", "Master_Stop", "Master_Step", "Master_Reset", "Master_Reset",
                                        "Master_WriteRegister", "Master_ReadRegister", "Master_SetBreakpoint",
                                        "Master_ClrBreakpoint", "Master_SetBreakpoint", "Master_ClrBreakpoint",
                                        "Master_Kill"}),
              MasterCalls());
    EXPECT_TRUE(AllCallsOnTms());
    EXPECT_TRUE(Traced("\"GTI_RUN_EX\"(runAttrFlag = 3)\n"));
    EXPECT_TRUE(Traced("\"GTI_SETBP_EX\"(Addr = 0x200, Type = 0x3, accessSize = 2)\n"));
    EXPECT_TRUE(Traced("\"GTI_READREG\"(17 (0x11))\n"));
}

TEST_F(TargetOperations, FailureSetsThePairAndTheNextSuccessClearsIt)
{
    Recorder_SetResult("Master_Stop", 0x0D390005);
    Recorder_SetErrorText("Target does not stop|\x8E\xE8\xA8\xA1\xAA\xA0");
    EXPECT_EQ(-1, GTI_HALT(nullptr, 7));
    EXPECT_EQ(0xFFFFFFFFu, g_gtiError.flag);
    EXPECT_EQ(0x0D390005u, g_gtiError.code);
    EXPECT_TRUE(Traced(" *=> 0xD390005: Target does not stop\n"));
    EXPECT_STREQ("Target does not stop", GTI_GETERRSTR());
    EXPECT_EQ(0x0D390005u, g_gtiError.code) << "GTI_GETERRSTR leaves the pair";
    Recorder_SetResult("Master_Stop", 0);
    EXPECT_EQ(0, GTI_HALT(nullptr, 7));
    EXPECT_STREQ("", GTI_GETERRSTR());
}

TEST_F(TargetOperations, BlockReadWidensWordsAndHandlesEdgeCases)
{
    uint16_t* data = Recorder_Memory(1);
    data[0x40] = 0x1111;
    data[0x41] = 0xFFFF;
    uint32_t out[3] = {7, 7, 7};
    EXPECT_EQ(0, GTI_READMEM_BLK(nullptr, 0x40, 1, 2, 0, 0, 0, 0, out));
    EXPECT_EQ(0x1111u, out[0]);
    EXPECT_EQ(0xFFFFu, out[1]);
    EXPECT_EQ(7u, out[2]);
    EXPECT_TRUE(Traced("\"GTI_READMEM_BLK\"(Mem = Data, Addr = 0x40, count = 2)\n"));

    // Count 0 still asks the master and writes no slot.
    EXPECT_EQ(0, GTI_READMEM_BLK(nullptr, 0x40, 1, 0, 0, 0, 0, 0, out));
    EXPECT_EQ(0u, LastCall("Master_ReadMemory").args[2]);
    EXPECT_EQ(0x1111u, out[0]);

    // An unknown space is traced as such and passed on unchanged.
    EXPECT_EQ(0, GTI_READMEM_BLK(nullptr, 0, 7, 1, 0, 0, 0, 0, out));
    EXPECT_EQ(7u, LastCall("Master_ReadMemory").args[0]);
    EXPECT_TRUE(Traced("(Mem = Unknown, Addr = 0x0, count = 1)"));

    // After a failure the host's slots hold zeros, not old heap contents.
    Recorder_SetResult("Master_ReadMemory", 0x01210010);
    out[0] = out[1] = 7;
    EXPECT_EQ(-1, GTI_READMEM_BLK(nullptr, 0x40, 1, 2, 0, 0, 0, 0, out));
    EXPECT_EQ(0u, out[0]);
    EXPECT_EQ(0u, out[1]);
    EXPECT_TRUE(AllCallsOnTms());
}

TEST_F(TargetOperations, BlockWriteSendsTheLow16Bits)
{
    const uint32_t in[2] = {0x12345678, 0xFFFF0001};
    EXPECT_EQ(0, GTI_WRITEMEM_BLK(nullptr, 0x80, 0, 2, 0, 0, 0, 0, in));
    EXPECT_EQ(0x5678, Recorder_Memory(0)[0x80]);
    EXPECT_EQ(0x0001, Recorder_Memory(0)[0x81]);
    EXPECT_EQ(0u, LastCall("Master_WriteMemory").args[0]);
    EXPECT_TRUE(Traced("\"GTI_WRITEMEM_BLK\"(Mem = Code, Addr = 0x80, count = 2)\n"));
}

TEST_F(TargetOperations, HostPointersAreCheckedBeforeUse)
{
    EXPECT_EQ(-1, GTI_READREG(nullptr, 1, nullptr));
    EXPECT_EQ(-1, GTI_WRITEREG(nullptr, 1, nullptr));
    EXPECT_EQ(-1, GTI_READMEM_BLK(nullptr, 0, 0, 4, 0, 0, 0, 0, nullptr));
    EXPECT_EQ(-1, GTI_WRITEMEM_BLK(nullptr, 0, 0, 4, 0, 0, 0, 0, nullptr));
    uint32_t slot = 0;
    // A count whose word array cannot exist is refused, not thrown across the ABI.
    EXPECT_EQ(-1, GTI_READMEM_BLK(nullptr, 0, 0, 0x80000000u, 0, 0, 0, 0, &slot));
    EXPECT_TRUE(MasterCalls().empty());
}

void NestedRead()
{
    uint32_t out[1] = {0x55};
    EXPECT_EQ(-1, GTI_READMEM_BLK(nullptr, 0, 1, 1, 0, 0, 0, 0, out));
    EXPECT_EQ(0x55u, out[0]);
}

TEST_F(TargetOperations, NestedBlockReadIsRefusedWithItsTraceLine)
{
    Recorder_SetReadHook(NestedRead);
    uint32_t out[1] = {0};
    EXPECT_EQ(0, GTI_READMEM_BLK(nullptr, 0, 1, 1, 0, 0, 0, 0, out));
    EXPECT_TRUE(Traced("=> GTI_READMEM_BLK(): Recursive call, __Level = 1\n"));
    std::vector<std::string> calls = MasterCalls();
    EXPECT_EQ(1, std::count(calls.begin(), calls.end(), "Master_ReadMemory"));
    EXPECT_EQ(0u, g_gtiError.flag);
    // The guard is released: the next read goes through.
    EXPECT_EQ(0, GTI_READMEM_BLK(nullptr, 0, 1, 1, 0, 0, 0, 0, out));
}

// A trace sink that fails once on the error line, as an allocation in it can.
FwTraceSink g_collect = nullptr;
bool g_throwOnce = false;
void ThrowingSink(const char* format, va_list args)
{
    if (g_throwOnce && strncmp(format, " *=> ", 5) == 0) {
        g_throwOnce = false;
        throw std::bad_alloc();
    }
    g_collect(format, args);
}

TEST_F(TargetOperations, BlockReadGuardIsReleasedWhenTheReadThrows)
{
    Recorder_SetResult("Master_ReadMemory", 0x00010004);
    g_collect = g_fwHooks.traceSink;
    g_fwHooks.traceSink = ThrowingSink;
    g_throwOnce = true;
    uint32_t out[2] = {0x11, 0x22};
    EXPECT_EQ(-1, GTI_READMEM_BLK(nullptr, 0, 1, 2, 0, 0, 0, 0, out));
    EXPECT_FALSE(g_throwOnce) << "the error line was reached";
    g_fwHooks.traceSink = g_collect;
    Recorder_SetResult("Master_ReadMemory", 0);
    EXPECT_EQ(0, GTI_READMEM_BLK(nullptr, 0, 1, 2, 0, 0, 0, 0, out));
    EXPECT_FALSE(Traced("Recursive call"));
}

TEST_F(TargetOperations, BreakpointTypes)
{
    EXPECT_EQ(7, GTI_NUM_HBP_TYPES());
    EXPECT_STREQ("Code Write", GTI_GET_HBP_TYPE_NAME(nullptr, 0x10003));
    EXPECT_STREQ("", GTI_GET_HBP_TYPE_NAME(nullptr, 9));
    EXPECT_EQ(1, GTI_IS_HBP_AVAILABLE(nullptr, 7));
    EXPECT_EQ(0, GTI_IS_HBP_AVAILABLE(nullptr, 8));
    EXPECT_TRUE(AllCallsOnTms());
    EXPECT_EQ(0u, g_gtiError.flag);

    Recorder_SetResult("Master_CheckBrFlag", 1);
    EXPECT_EQ(-1, GTI_WAS_HBP_HIT(nullptr, 0x300, 0x10002));
    EXPECT_EQ(2u, LastCall("Master_CheckBrFlag").args[0]);
    Recorder_SetResult("Master_CheckBrFlag", 0);
    EXPECT_EQ(0, GTI_WAS_HBP_HIT(nullptr, 0x300, 2));
}

TEST_F(TargetOperations, StatusClasses)
{
    const struct {
        uint8_t status;
        int32_t statusClass;
    } cases[] = {{0x03, 1}, {0x43, 6}, {0x83, 8}, {0xC3, 1}, {0x13, 0}, {0x33, 0}, {0x01, 4}, {0x02, 2}};
    for (const auto& c : cases) {
        Recorder_SetStatusByte(c.status);
        EXPECT_EQ(c.statusClass, GTI_STAT()) << std::hex << int(c.status);
    }
    Recorder_SetResult("Master_GetStatus", 0x01210001);
    EXPECT_EQ(-1, GTI_STAT());
    EXPECT_EQ(0x01210001u, g_gtiError.code);
}

TEST_F(TargetOperations, PollingTheStatusTracesOncePerChange)
{
    Recorder_SetStatusByte(0x43);
    GTI_STAT();
    GTI_STAT();
    std::string once = TraceText();
    EXPECT_NE(std::string::npos,
              once.find("Status: 0x43. Power: 1, Jtag: 1, CPUFound: 0, Init: 0, Mode: 0, BrStatus: 1\n"));
    EXPECT_EQ(once.find("\"GTI_STAT\"()"), once.rfind("\"GTI_STAT\"()"));
    GTI_HALT(nullptr, 0);  // another export traced in between
    GTI_STAT();
    Recorder_SetStatusByte(0x83);
    GTI_STAT();
    std::string all = TraceText();
    size_t count = 0;
    for (size_t at = all.find("\"GTI_STAT\"()"); at != std::string::npos; at = all.find("\"GTI_STAT\"()", at + 1))
        ++count;
    EXPECT_EQ(3u, count);
    EXPECT_TRUE(Traced(" => 8\n"));
}

}  // namespace
