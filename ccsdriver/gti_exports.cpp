// The exports of the frame: initialisation, the error texts, the identity
// and capability answers, and the exports that only trace.
#include <cstring>

#include "ccsdriver/board_config.h"
#include "ccsdriver/gti_api.h"
#include "ccsdriver/gti_frame.h"
#include "ccsdriver/host_menu.h"
#include "ccsdriver/master_link.h"
#include "framework/base/sys_trace.h"
#include "framework/ui/ml_text.h"
#include "master/exports/master_api.h"

namespace {

const char* OrNull(const char* text) { return text ? text : "(null)"; }

constexpr const char* kNoBoardText = "Cannot detect the emulator board|"
                                     "\x8D\xA5 \xAE\xA1\xAD\xA0\xE0\xE3\xA6\xA5\xAD\xA0 "
                                     "\xAF\xAB\xA0\xE2\xA0 \xED\xAC\xE3\xAB\xEF\xE2\xAE\xE0\xA0";

// The identity exports share one shape: header, value, traces.
int32_t TraceIdentity(const char* name, uint32_t value, void* pHandle, GtiParam resultKind)
{
    GtiScope scope(name);
    GtiTraceValue(resultKind, nullptr, value, true);
    GtiTraceParam(GtiParam::PointerAndValue, "pHandle", pHandle);
    return static_cast<int32_t>(value);
}

int32_t Stub(const char* name)
{
    return GtiGuard<int32_t>(0, [&] {
        GtiScope scope(name);
        return 0;
    });
}

}  // namespace

GTI_EXPORT int32_t GTI_INIT(uint32_t a1, const char* pathName, uint32_t a3, const char* parmFileName, uint32_t a5,
                            uint32_t a6, uint32_t a7, uint32_t a8)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_INIT");
        return GTI_INIT_EX(a1, pathName, a3, parmFileName, a5, a6, a7, 0, a8);
    });
}

GTI_EXPORT int32_t GTI_INIT_EX(uint32_t, const char* pathName, uint32_t, const char* parmFileName, uint32_t, uint32_t,
                               uint32_t, uint32_t, uint32_t)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_INIT_EX", "pathName = \"%s\", parmFileName = \"%s\"", OrNull(pathName),
                       OrNull(parmFileName));
        // No board: -1, and the error pair stays as it was.
        if (!OpenBoard()) return -1;
        SelectTmsDevice();
        const char* signature = BoardSignatureText();
        uint32_t podMode = (signature && *signature) ? 1 : 2;
        if (SetGtiError(Master_Init(podMode)).flag) return -1;
        if (SetGtiError(ApplyJtagSpeed()).flag) return -1;
        StartHostWindowFinder();
        SelectTmsDevice();
        return static_cast<int32_t>(SetGtiError(Master_Stop()).flag);
    });
}

GTI_EXPORT const char* GTI_GETERRSTR()
{
    return GtiGuard<const char*>("", [&] {
        GtiScope scope("GTI_GETERRSTR");
        return GtiErrorText();
    });
}

GTI_EXPORT const char* GTI_GETERRSTR_EX2(void*, uint32_t* pOrigin, uint32_t* pFlag, uint32_t* pZero1,
                                         uint32_t* pZero2)
{
    return GtiGuard<const char*>(nullptr, [&]() -> const char* {
        const char* text = GtiErrorText();
        if (!BoardIsOpen()) text = GetMLText(kNoBoardText);
        if (text && !*text) text = nullptr;
        // A repeated query for the same code is traced once.
        bool repeated = g_gtiError.code == g_lastReportedCode && g_lastTracedExport &&
                        strcmp(g_lastTracedExport, "GTI_GETERRSTR_EX2") == 0;
        if (!repeated) {
            g_lastReportedCode = g_gtiError.code;
            GtiScope scope("GTI_GETERRSTR_EX2", "Code: 0x%X, \"%s\"", g_gtiError.code, text ? text : "");
        }
        if (pOrigin) *pOrigin = g_gtiError.code >> 16;
        if (pFlag) *pFlag = g_gtiError.flag;
        if (pZero1) *pZero1 = 0;
        if (pZero2) *pZero2 = 0;
        g_gtiError = {0, 0};
        return text;
    });
}

GTI_EXPORT int32_t GTI_GETCAPABILITIES(void* pHandle)
{
    return GtiGuard<int32_t>(0, [&] {
        return TraceIdentity("GTI_GETCAPABILITIES", BoardRecord().capabilities, pHandle, GtiParam::Hex);
    });
}

GTI_EXPORT int32_t GTI_GET_EXT_CAPABILITIES(void* pHandle, int32_t nMode)
{
    return GtiGuard<int32_t>(0, [&] {
        GtiScope scope("GTI_GET_EXT_CAPABILITIES");
        GtiTraceValue(GtiParam::Decimal, "nMode", static_cast<uint32_t>(nMode));
        int32_t result = 0;
        if (nMode == 0) result = GTI_GETCAPABILITIES(pHandle);
        else if (nMode == 2) result = GTI_GET_EMU_CAPABILITIES(pHandle);
        GtiTraceValue(GtiParam::Hex, nullptr, static_cast<uint32_t>(result), true);
        return result;
    });
}

GTI_EXPORT int32_t GTI_GET_EMU_CAPABILITIES(void* pHandle)
{
    return GtiGuard<int32_t>(0, [&] { return TraceIdentity("GTI_GET_EMU_CAPABILITIES", 0, pHandle, GtiParam::Decimal); });
}

GTI_EXPORT int32_t GTI_GETPROCTYPE(void* pHandle)
{
    return GtiGuard<int32_t>(0, [&] { return TraceIdentity("GTI_GETPROCTYPE", BoardRecord().procType, pHandle, GtiParam::Hex); });
}

GTI_EXPORT int32_t GTI_GET_PROC_ID(void* pHandle)
{
    return GtiGuard<int32_t>(0, [&] { return TraceIdentity("GTI_GET_PROC_ID", BoardRecord().procId, pHandle, GtiParam::Hex); });
}

GTI_EXPORT int32_t GTI_GETREV(void* pHandle)
{
    return GtiGuard<int32_t>(0, [&] { return TraceIdentity("GTI_GETREV", BoardRecord().revision, pHandle, GtiParam::Hex); });
}

GTI_EXPORT int32_t GTI_GET_TYPE_OF_PROC_SUPPORTED(void* pHandle, uint32_t nProc)
{
    return GtiGuard<int32_t>(0, [&] {
        GtiScope scope("GTI_GET_TYPE_OF_PROC_SUPPORTED");
        const GtiBoardRecord& record = BoardRecord();
        // Beyond the list there is no processor: 0, not a read past it.
        uint32_t value = (nProc < record.procCount && record.procList) ? record.procList[nProc] : 0;
        GtiTraceValue(GtiParam::Hex, nullptr, value, true);
        GtiTraceParam(GtiParam::PointerAndValue, "pHandle", pHandle);
        GtiTraceValue(GtiParam::Decimal, "nProc", nProc);
        return static_cast<int32_t>(value);
    });
}

GTI_EXPORT int32_t GTI_GET_BOARD_DATA_FILE_VERSION()
{
    return GtiGuard<int32_t>(0, [&] {
        GtiScope scope("GTI_GET_BOARD_DATA_FILE_VERSION");
        GtiTraceValue(GtiParam::Decimal, nullptr, 2, true);
        return 2;
    });
}

GTI_EXPORT int32_t GTI_GLOBALSTART(void* pHandle)
{
    return GtiGuard<int32_t>(0, [&] { return TraceIdentity("GTI_GLOBALSTART", 0, pHandle, GtiParam::Decimal); });
}

GTI_EXPORT int32_t GTI_GET_TARGET_PROPERTIES(const void* handleRecord, int32_t ndx)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_GET_TARGET_PROPERTIES");
        int32_t result = -1;
        if (ndx == 1) {
            // Only the word at byte 20 of the host's record is read; no record, no word.
            if (handleRecord) memcpy(&result, static_cast<const uint8_t*>(handleRecord) + 20, 4);
        } else if (ndx >= 2 && ndx <= 4) {
            result = 0;
        }
        GtiTraceValue(GtiParam::Hex, nullptr, static_cast<uint32_t>(result), true);
        GtiTraceValue(GtiParam::Decimal, "ndx", static_cast<uint32_t>(ndx));
        return result;
    });
}

GTI_EXPORT int32_t GTI_GET_INFO_STRING(int32_t bGet, const char** psDescription)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_GET_INFO_STRING");
        int32_t result = -1;
        if (psDescription) {
            *psDescription = BoardRecord().description;
            if (bGet == 1) result = 0;
        }
        GtiTraceValue(GtiParam::Decimal, nullptr, static_cast<uint32_t>(result), true);
        GtiTraceValue(GtiParam::Decimal, "bGet", static_cast<uint32_t>(bGet));
        GtiTraceParam(GtiParam::Text, "*psDescription", psDescription ? *psDescription : nullptr);
        return result;
    });
}

GTI_EXPORT const char* GTI_GETDESCRIPTION()
{
    return GtiGuard<const char*>(nullptr, [&]() -> const char* {
        GtiScope scope("GTI_GETDESCRIPTION");
        GtiTraceParam(GtiParam::Text, "sResult", nullptr);
        return nullptr;
    });
}

GTI_EXPORT int32_t GTI_GETWORDSIZE()
{
    return GtiGuard<int32_t>(16, [&] {
        GtiScope scope("GTI_GETWORDSIZE", " => %u", 16u);
        return 16;
    });
}

GTI_EXPORT const char* GTI_GET_PROFILE_TYPE_NAME()
{
    return GtiGuard<const char*>("Profile Name", [&] {
        GtiScope scope("GTI_GET_PROFILE_TYPE_NAME");
        return "Profile Name";
    });
}

GTI_EXPORT int32_t GTI_GET_HBP_PROPERTIES(void*, uint32_t hbpType, uint32_t propertyID)
{
    return GtiGuard<int32_t>(0, [&] {
        GtiScope scope("GTI_GET_HBP_PROPERTIES");
        GtiTraceValue(GtiParam::Decimal, "hbpType", hbpType);
        GtiTraceValue(GtiParam::Decimal, "propertyID", propertyID);
        GtiTraceValue(GtiParam::Decimal, nullptr, 0, true);
        return 0;
    });
}

GTI_EXPORT int32_t GTI_INIT2() { return Stub("GTI_INIT2"); }
GTI_EXPORT int32_t GTI_INIT3() { return Stub("GTI_INIT3"); }
GTI_EXPORT int32_t GTI_LOAD() { return Stub("GTI_LOAD"); }
GTI_EXPORT int32_t GTI_STORE() { return Stub("GTI_STORE"); }
GTI_EXPORT int32_t GTI_SERIALIZE() { return Stub("GTI_SERIALIZE"); }
GTI_EXPORT int32_t GTI_CONTEXT() { return Stub("GTI_CONTEXT"); }
GTI_EXPORT int32_t GTI_CUSTOM_CONFIG() { return Stub("GTI_CUSTOM_CONFIG"); }
GTI_EXPORT int32_t GTI_SETCONFIGPARAM_PARSER() { return Stub("GTI_SETCONFIGPARAM_PARSER"); }
GTI_EXPORT int32_t GTI_GET_ANA_CLOCK() { return Stub("GTI_GET_ANA_CLOCK"); }
GTI_EXPORT int32_t GTI_EMURESET() { return Stub("GTI_EMURESET"); }
GTI_EXPORT int32_t GTI_REALTIME_SWITCH() { return Stub("GTI_REALTIME_SWITCH"); }
GTI_EXPORT int32_t GTI_POLL() { return Stub("GTI_POLL"); }
GTI_EXPORT int32_t GTI_READMEM() { return Stub("GTI_READMEM"); }
GTI_EXPORT int32_t GTI_READMEM_EX() { return Stub("GTI_READMEM_EX"); }
GTI_EXPORT int32_t GTI_WRITEMEM() { return Stub("GTI_WRITEMEM"); }
GTI_EXPORT int32_t GTI_WRITEMEM_EX() { return Stub("GTI_WRITEMEM_EX"); }
GTI_EXPORT int32_t GTI_GET_HBP_STATUS() { return Stub("GTI_GET_HBP_STATUS"); }
GTI_EXPORT int32_t GTI_ENABLE_GLOBAL_BKPTS() { return Stub("GTI_ENABLE_GLOBAL_BKPTS"); }
GTI_EXPORT int32_t GTI_NUM_PROFILE_TYPES() { return Stub("GTI_NUM_PROFILE_TYPES"); }
GTI_EXPORT int32_t GTI_SET_PROFILE_TYPE() { return Stub("GTI_SET_PROFILE_TYPE"); }
GTI_EXPORT int32_t GTI_ENABLE_RTDX() { return Stub("GTI_ENABLE_RTDX"); }
GTI_EXPORT int32_t GTI_DISABLE_RTDX() { return Stub("GTI_DISABLE_RTDX"); }
GTI_EXPORT int32_t GTI_TESTERR() { return Stub("GTI_TESTERR"); }
