// The driver's exports, as the host calls them (cdecl; exported as _GTI_...).
// Arguments the driver neither reads nor traces are left out: the caller
// removes its own arguments.
#pragma once

#include <cstdint>

#include "ccsdriver/board_config.h"

#define GTI_EXPORT extern "C" __attribute__((cdecl))

GTI_EXPORT int32_t GTI_INIT(uint32_t a1, const char* pathName, uint32_t a3, const char* parmFileName, uint32_t a5,
                            uint32_t a6, uint32_t a7, uint32_t a8);
GTI_EXPORT int32_t GTI_INIT_EX(uint32_t a1, const char* pathName, uint32_t a3, const char* parmFileName, uint32_t a5,
                               uint32_t a6, uint32_t a7, uint32_t a8, uint32_t a9);
GTI_EXPORT int32_t GTI_QUIT();
GTI_EXPORT int32_t GTI_RUN_EX(void* handle, uint32_t runAttrFlag);
GTI_EXPORT int32_t GTI_HALT(void* handle, int32_t nParam1);
GTI_EXPORT int32_t GTI_STEP(void* handle, uint32_t nMode);
GTI_EXPORT int32_t GTI_RESET();
GTI_EXPORT int32_t GTI_EMURESET_EX();
GTI_EXPORT int32_t GTI_STAT();
GTI_EXPORT int32_t GTI_READREG(void* handle, uint32_t regId, uint32_t* pValue);
GTI_EXPORT int32_t GTI_WRITEREG(void* handle, uint32_t regId, const uint32_t* pValue);
GTI_EXPORT int32_t GTI_READMEM_BLK(void* handle, uint32_t address, uint32_t space, uint32_t count, uint32_t, uint32_t,
                                   uint32_t, uint32_t, uint32_t* out);
GTI_EXPORT int32_t GTI_WRITEMEM_BLK(void* handle, uint32_t address, uint32_t space, uint32_t count, uint32_t, uint32_t,
                                    uint32_t, uint32_t, const uint32_t* in);
GTI_EXPORT int32_t GTI_SETBP(void* handle, uint32_t address, uint32_t space);
GTI_EXPORT int32_t GTI_CLEARBP(void* handle, uint32_t address, uint32_t space);
GTI_EXPORT int32_t GTI_SETBP_EX(void* handle, uint32_t address, uint32_t type, uint32_t accessSize);
GTI_EXPORT int32_t GTI_CLEARBP_EX(void* handle, uint32_t address, uint32_t type, uint32_t accessSize);
GTI_EXPORT int32_t GTI_WAS_HBP_HIT(void* handle, uint32_t address, uint32_t type);
GTI_EXPORT int32_t GTI_NUM_HBP_TYPES();
GTI_EXPORT const char* GTI_GET_HBP_TYPE_NAME(void* handle, uint32_t hbpType);
GTI_EXPORT int32_t GTI_IS_HBP_AVAILABLE(void* handle, uint32_t hbpType);
GTI_EXPORT const char* GTI_GETERRSTR();
GTI_EXPORT const char* GTI_GETERRSTR_EX2(void* handle, uint32_t* pOrigin, uint32_t* pFlag, uint32_t* pZero1,
                                         uint32_t* pZero2);
GTI_EXPORT int32_t GTI_CONFIG(void* pHandle, BoardParamList** ppConfig, const char* sBoardName, int32_t nAction);
GTI_EXPORT int32_t GTI_GETCONFIGPARAM(void* pHandle, BoardParamList** ppConfig, const char* sBoardName);
GTI_EXPORT int32_t GTI_SETCONFIGPARAM(void* pHandle, BoardParamList** ppConfig, const char* sBoardName);
GTI_EXPORT int32_t GTI_GETCAPABILITIES(void* pHandle);
GTI_EXPORT int32_t GTI_GET_EXT_CAPABILITIES(void* pHandle, int32_t nMode);
GTI_EXPORT int32_t GTI_GET_EMU_CAPABILITIES(void* pHandle);
GTI_EXPORT int32_t GTI_GETPROCTYPE(void* pHandle);
GTI_EXPORT int32_t GTI_GET_PROC_ID(void* pHandle);
GTI_EXPORT int32_t GTI_GETREV(void* pHandle);
GTI_EXPORT int32_t GTI_GET_TYPE_OF_PROC_SUPPORTED(void* pHandle, uint32_t nProc);
GTI_EXPORT int32_t GTI_GET_BOARD_DATA_FILE_VERSION();
GTI_EXPORT int32_t GTI_GLOBALSTART(void* pHandle);
GTI_EXPORT int32_t GTI_GET_TARGET_PROPERTIES(const void* handleRecord, int32_t ndx);
GTI_EXPORT int32_t GTI_GET_INFO_STRING(int32_t bGet, const char** psDescription);
GTI_EXPORT const char* GTI_GETDESCRIPTION();
GTI_EXPORT int32_t GTI_GETWORDSIZE();
GTI_EXPORT const char* GTI_GET_PROFILE_TYPE_NAME();
GTI_EXPORT int32_t GTI_GET_HBP_PROPERTIES(void* handle, uint32_t hbpType, uint32_t propertyID);

GTI_EXPORT int32_t GTI_INIT2();
GTI_EXPORT int32_t GTI_INIT3();
GTI_EXPORT int32_t GTI_LOAD();
GTI_EXPORT int32_t GTI_STORE();
GTI_EXPORT int32_t GTI_SERIALIZE();
GTI_EXPORT int32_t GTI_CONTEXT();
GTI_EXPORT int32_t GTI_CUSTOM_CONFIG();
GTI_EXPORT int32_t GTI_SETCONFIGPARAM_PARSER();
GTI_EXPORT int32_t GTI_GET_ANA_CLOCK();
GTI_EXPORT int32_t GTI_EMURESET();
GTI_EXPORT int32_t GTI_REALTIME_SWITCH();
GTI_EXPORT int32_t GTI_POLL();
GTI_EXPORT int32_t GTI_READMEM();
GTI_EXPORT int32_t GTI_READMEM_EX();
GTI_EXPORT int32_t GTI_WRITEMEM();
GTI_EXPORT int32_t GTI_WRITEMEM_EX();
GTI_EXPORT int32_t GTI_GET_HBP_STATUS();
GTI_EXPORT int32_t GTI_ENABLE_GLOBAL_BKPTS();
GTI_EXPORT int32_t GTI_NUM_PROFILE_TYPES();
GTI_EXPORT int32_t GTI_SET_PROFILE_TYPE();
GTI_EXPORT int32_t GTI_ENABLE_RTDX();
GTI_EXPORT int32_t GTI_DISABLE_RTDX();
GTI_EXPORT int32_t GTI_TESTERR();
