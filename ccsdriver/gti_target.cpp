// The exports through which the host debugs the target: each is one
// Master_ call inside the frame. The TMS320C54x addresses memory in 16-bit
// words; the host exchanges 32-bit slots, so blocks are narrowed and widened.
#include <cstring>
#include <memory>
#include <new>

#include "ccsdriver/gti_api.h"
#include "ccsdriver/gti_frame.h"
#include "ccsdriver/host_menu.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_trace.h"
#include "master/exports/master_api.h"

namespace {

// Counts the block reads in progress; a nested one is refused.
uint8_t g_readLevel = 0;
uint8_t g_lastTracedStatus = 0xFF;

// The largest block the host can mean: beyond it the word array's size
// would not fit the address space.
constexpr uint32_t kMaxBlockWords = 0x10000000;

const char* MemSpaceName(uint32_t space)
{
    switch (space) {
    case 0: return "Code";
    case 1: return "Data";
    case 2: return "IO";
    case 3: return "Const";
    default: return "Unknown";
    }
}

// One Master_ call in the frame; the error flag is the result.
template <typename F>
int32_t Operation(F&& call)
{
    SelectTmsDevice();
    return static_cast<int32_t>(SetGtiError(call()).flag);
}

const BreakpointTypeEntry* FindBreakpointType(uint32_t hbpType)
{
    SelectTmsDevice();
    const BreakpointTypeEntry* table = Master_GetBPTypesPtr();
    SelectTmsDevice();
    uint32_t n = Master_GetBPTypeNum();
    if (!table) return nullptr;
    for (uint32_t i = 0; i < n; ++i)
        if (table[i].type_id == (hbpType & 0xFFFF)) return &table[i];
    return nullptr;
}

}  // namespace

void ResetTargetOperations()
{
    g_readLevel = 0;
    g_lastTracedStatus = 0xFF;
}

GTI_EXPORT int32_t GTI_QUIT()
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_QUIT");
        // The menu, its window hook and the timer go here, on the host's
        // thread and outside the loader lock; GTI_INIT_EX brings them back.
        StopHostWindowFinder();
        return Operation([] { return Master_Kill(); });
    });
}

GTI_EXPORT int32_t GTI_RUN_EX(void*, uint32_t runAttrFlag)
{
    return GtiGuard<int32_t>(-1, [&] {
        uint32_t flags = runAttrFlag & 0xFFFF;
        GtiScope scope("GTI_RUN_EX", "runAttrFlag = %u", flags);
        return Operation([&] { return Master_Run(flags); });
    });
}

GTI_EXPORT int32_t GTI_HALT(void*, int32_t nParam1)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_HALT", "nParam1 = %d", nParam1);
        return Operation([] { return Master_Stop(); });
    });
}

GTI_EXPORT int32_t GTI_STEP(void*, uint32_t nMode)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_STEP", "nMode = %u", nMode);
        return Operation([] { return Master_Step(); });
    });
}

GTI_EXPORT int32_t GTI_RESET()
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_RESET");
        return Operation([] { return Master_Reset(); });
    });
}

GTI_EXPORT int32_t GTI_EMURESET_EX()
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_EMURESET_EX");
        return Operation([] { return Master_Reset(); });
    });
}

GTI_EXPORT int32_t GTI_READREG(void*, uint32_t regId, uint32_t* pValue)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_READREG", "%u (0x%X)", regId, regId);
        if (!pValue) {
            TracePrintf("=> GTI_READREG(): no value pointer\n");
            return -1;
        }
        return Operation([&] { return Master_ReadRegister(regId, pValue); });
    });
}

GTI_EXPORT int32_t GTI_WRITEREG(void*, uint32_t regId, const uint32_t* pValue)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_WRITEREG", "%u (0x%X)", regId, regId);
        if (!pValue) {
            TracePrintf("=> GTI_WRITEREG(): no value pointer\n");
            return -1;
        }
        return Operation([&] { return Master_WriteRegister(regId, *pValue); });
    });
}

namespace {

class ReadLevelScope {
public:
    ReadLevelScope() { ++g_readLevel; }
    ~ReadLevelScope() { --g_readLevel; }
    ReadLevelScope(const ReadLevelScope&) = delete;
    ReadLevelScope& operator=(const ReadLevelScope&) = delete;
};

}  // namespace

GTI_EXPORT int32_t GTI_READMEM_BLK(void*, uint32_t address, uint32_t space, uint32_t count, uint32_t, uint32_t,
                                   uint32_t, uint32_t, uint32_t* out)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_READMEM_BLK", "Mem = %s, Addr = 0x%X, count = %u", MemSpaceName(space), address, count);
        if (g_readLevel != 0) {
            // Re-entered while a block read waits on the board: nothing is
            // read, so the host must not take its slots for data.
            TracePrintf("=> GTI_READMEM_BLK(): Recursive call, __Level = %u\n", g_readLevel);
            return -1;
        }
        if ((count && !out) || count > kMaxBlockWords) {
            TracePrintf("=> GTI_READMEM_BLK(): invalid buffer for %u words\n", count);
            return -1;
        }
        // Zeroed: after a failure the host's slots get zeros, not old heap.
        std::unique_ptr<uint16_t[]> words(new (std::nothrow) uint16_t[count ? count : 1]());
        if (!words) return -1;
        // Whatever leaves this scope, also an exception that the export's
        // guard catches, the level goes back: a level left at 1 would refuse
        // every later block read as recursive.
        ReadLevelScope level;
        int32_t result = Operation([&] { return Master_ReadMemory(space, address, count, words.get()); });
        for (uint32_t i = 0; i < count; ++i) out[i] = words[i];
        return result;
    });
}

GTI_EXPORT int32_t GTI_WRITEMEM_BLK(void*, uint32_t address, uint32_t space, uint32_t count, uint32_t, uint32_t,
                                    uint32_t, uint32_t, const uint32_t* in)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_WRITEMEM_BLK", "Mem = %s, Addr = 0x%X, count = %u", MemSpaceName(space), address, count);
        if ((count && !in) || count > kMaxBlockWords) {
            TracePrintf("=> GTI_WRITEMEM_BLK(): invalid buffer for %u words\n", count);
            return -1;
        }
        uint16_t* words = new (std::nothrow) uint16_t[count ? count : 1]();
        if (!words) return -1;
        for (uint32_t i = 0; i < count; ++i) words[i] = static_cast<uint16_t>(in[i]);
        int32_t result = Operation([&] { return Master_WriteMemory(space, address, count, words); });
        delete[] words;
        return result;
    });
}

GTI_EXPORT int32_t GTI_SETBP(void*, uint32_t address, uint32_t space)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_SETBP", "Mem = %s, Addr = 0x%X", MemSpaceName(space), address);
        return Operation([&] { return Master_SetBreakpoint(space, address); });
    });
}

GTI_EXPORT int32_t GTI_CLEARBP(void*, uint32_t address, uint32_t space)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_CLEARBP", "Mem = %s, Addr = 0x%X", MemSpaceName(space), address);
        return Operation([&] { return Master_ClrBreakpoint(space, address); });
    });
}

GTI_EXPORT int32_t GTI_SETBP_EX(void*, uint32_t address, uint32_t type, uint32_t accessSize)
{
    return GtiGuard<int32_t>(-1, [&] {
        uint32_t kind = type & 0xFFFF;
        GtiScope scope("GTI_SETBP_EX", "Addr = 0x%X, Type = 0x%X, accessSize = %u", address, kind, accessSize);
        return Operation([&] { return Master_SetBreakpoint(kind, address); });
    });
}

GTI_EXPORT int32_t GTI_CLEARBP_EX(void*, uint32_t address, uint32_t type, uint32_t accessSize)
{
    return GtiGuard<int32_t>(-1, [&] {
        uint32_t kind = type & 0xFFFF;
        GtiScope scope("GTI_CLEARBP_EX", "Addr = 0x%X, Type = 0x%X, accessSize = %u", address, kind, accessSize);
        return Operation([&] { return Master_ClrBreakpoint(kind, address); });
    });
}

GTI_EXPORT int32_t GTI_WAS_HBP_HIT(void*, uint32_t address, uint32_t type)
{
    return GtiGuard<int32_t>(-1, [&] {
        uint32_t kind = type & 0xFFFF;
        GtiScope scope("GTI_WAS_HBP_HIT", "Type = %u, Addr = %u", kind, address);
        // The device's flag goes into the pair as the host expects: non-zero
        // (hit) gives -1. It is not a master error code.
        return Operation([&] { return Master_CheckBrFlag(kind, address); });
    });
}

GTI_EXPORT int32_t GTI_NUM_HBP_TYPES()
{
    return GtiGuard<int32_t>(0, [&] {
        GtiScope scope("GTI_NUM_HBP_TYPES");
        SelectTmsDevice();
        uint32_t n = Master_GetBPTypeNum();
        if (g_fwSettings.tracing) TracePrintf("=> %u\n", n);
        return static_cast<int32_t>(n);
    });
}

GTI_EXPORT const char* GTI_GET_HBP_TYPE_NAME(void*, uint32_t hbpType)
{
    return GtiGuard<const char*>("", [&] {
        GtiScope scope("GTI_GET_HBP_TYPE_NAME", "hbpType = %u", hbpType & 0xFFFF);
        const BreakpointTypeEntry* entry = FindBreakpointType(hbpType);
        const char* name = entry ? entry->name : "";
        if (g_fwSettings.tracing) TracePrintf("=> %.16s\n", name);
        return name;
    });
}

GTI_EXPORT int32_t GTI_IS_HBP_AVAILABLE(void*, uint32_t hbpType)
{
    return GtiGuard<int32_t>(0, [&] {
        GtiScope scope("GTI_IS_HBP_AVAILABLE", "hbpType = %u", hbpType & 0xFFFF);
        int32_t available = FindBreakpointType(hbpType) ? 1 : 0;
        if (g_fwSettings.tracing) TracePrintf("=> %u\n", available);
        return available;
    });
}

GTI_EXPORT int32_t GTI_STAT()
{
    return GtiGuard<int32_t>(-1, [&] {
        uint8_t status = 0;
        SelectTmsDevice();
        uint32_t result = Master_GetStatus(&status);
        if (result != 0) {
            GtiScope scope("GTI_STAT");
            SetGtiError(result);
            return -1;
        }
        // A host polls this export: one trace entry per change, not per poll.
        bool traced = g_fwSettings.tracing &&
                      (status != g_lastTracedStatus || !g_lastTracedExport ||
                       strcmp(g_lastTracedExport, "GTI_STAT") != 0);
        if (traced) {
            GtiScope scope("GTI_STAT");
            TracePrintf("Status: 0x%X. Power: %u, Jtag: %u, CPUFound: %u, Init: %u, Mode: %u, BrStatus: %u\n", status,
                        status & 1u, (status >> 1) & 1u, (status >> 2) & 1u, (status >> 3) & 1u, (status >> 4) & 3u,
                        (status >> 6) & 3u);
            g_lastTracedStatus = status;
        }
        // Mode 3 ("no usable device") counts as running here, like mode 2.
        int32_t statusClass;
        if (!(status & 0x01)) statusClass = 2;
        else if (!(status & 0x02)) statusClass = 4;
        else if ((status >> 4) & 3u) statusClass = 0;
        else if (((status >> 6) & 3u) == 1) statusClass = 6;
        else if (((status >> 6) & 3u) == 2) statusClass = 8;
        else statusClass = 1;
        if (traced) TracePrintf(" => %u\n", statusClass);
        return statusClass;
    });
}
