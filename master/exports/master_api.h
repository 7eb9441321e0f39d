// The interface of VOQ-MST.dll as its hosts see it: the 33 Master_
// functions (stdcall, undecorated names) and the four data slots that the
// host fills with its transport functions.
//
// Every function that reaches the pod or the target returns a master result
// code (0 for success); after a non-zero code Master_GetErrorString explains
// it, and the next call recovers. No function may be entered while another
// runs.
#pragma once

#include <cstdint>

#include "master/core/callconv.h"

extern "C" {

typedef uint32_t(VOQ_STDCALL* MasterSendRequestFn)(const void* data, uint32_t byte_count);
typedef uint32_t(VOQ_STDCALL* MasterGetReplyFn)(void* buffer, uint32_t* byte_count);
typedef uint32_t(VOQ_STDCALL* MasterSetTimeoutFn)(uint32_t milliseconds);
typedef void (*MasterMessageFn)(const char* format, ...);

// A hardware breakpoint type: its id (the kind or type argument of the
// breakpoint functions) and its name, blank-padded to ten characters and
// NUL-filled to sixteen.
#pragma pack(push, 1)
struct BreakpointTypeEntry {
    uint32_t type_id;
    char name[16];
};
#pragma pack(pop)
static_assert(sizeof(BreakpointTypeEntry) == 20);

// The functions' symbols carry no stdcall decoration: the names in the .def
// file, the export table and the import library are one and the same, so a
// host links them without any name fix-up.
#if defined(__i386__)
#define VOQ_MST_UNDECORATED(name) __asm__("_" #name)
#else
#define VOQ_MST_UNDECORATED(name)
#endif

#ifndef VOQ_MST_EXPORTS
// The data slots (inside the library they are declared by the engine).
__declspec(dllimport) extern MasterSendRequestFn SendTargetRequest;
__declspec(dllimport) extern MasterGetReplyFn GetTargetReply;
__declspec(dllimport) extern MasterSetTimeoutFn SetTargetTimeout;
__declspec(dllimport) extern MasterMessageFn MessageFunc;
#endif

uint32_t VOQ_STDCALL Master_SetIdeCode(uint32_t code)
    VOQ_MST_UNDECORATED(Master_SetIdeCode);
uint32_t VOQ_STDCALL Master_GetPod(uint32_t* info)
    VOQ_MST_UNDECORATED(Master_GetPod);
uint32_t VOQ_STDCALL Master_GetStatus(uint8_t* status)
    VOQ_MST_UNDECORATED(Master_GetStatus);
uint32_t VOQ_STDCALL Master_Init(uint32_t pod_mode)
    VOQ_MST_UNDECORATED(Master_Init);
uint32_t VOQ_STDCALL Master_SetConfig(uint32_t size, const void* config)
    VOQ_MST_UNDECORATED(Master_SetConfig);
uint32_t VOQ_STDCALL Master_GetConfig(uint32_t size, void* config)
    VOQ_MST_UNDECORATED(Master_GetConfig);
uint32_t VOQ_STDCALL Master_Kill()
    VOQ_MST_UNDECORATED(Master_Kill);
uint32_t VOQ_STDCALL Master_Reset()
    VOQ_MST_UNDECORATED(Master_Reset);
uint32_t VOQ_STDCALL Master_Run(uint32_t run_flags)
    VOQ_MST_UNDECORATED(Master_Run);
uint32_t VOQ_STDCALL Master_RunSpecial(uint32_t mode)
    VOQ_MST_UNDECORATED(Master_RunSpecial);
uint32_t VOQ_STDCALL Master_Stop()
    VOQ_MST_UNDECORATED(Master_Stop);
uint32_t VOQ_STDCALL Master_Step()
    VOQ_MST_UNDECORATED(Master_Step);
uint32_t VOQ_STDCALL Master_ReadRegister(uint32_t reg_id, uint32_t* value)
    VOQ_MST_UNDECORATED(Master_ReadRegister);
uint32_t VOQ_STDCALL Master_WriteRegister(uint32_t reg_id, uint32_t value)
    VOQ_MST_UNDECORATED(Master_WriteRegister);
uint32_t VOQ_STDCALL Master_ReadMemory(uint32_t space, uint32_t address, uint32_t count,
                                       void* buffer)
    VOQ_MST_UNDECORATED(Master_ReadMemory);
uint32_t VOQ_STDCALL Master_WriteMemory(uint32_t space, uint32_t address, uint32_t count,
                                        const void* buffer)
    VOQ_MST_UNDECORATED(Master_WriteMemory);
uint32_t VOQ_STDCALL Master_SetBreakpoint(uint32_t kind, uint32_t address)
    VOQ_MST_UNDECORATED(Master_SetBreakpoint);
uint32_t VOQ_STDCALL Master_ClrBreakpoint(uint32_t kind, uint32_t address)
    VOQ_MST_UNDECORATED(Master_ClrBreakpoint);
uint32_t VOQ_STDCALL Master_ClrAllBreakpoints(uint32_t kind)
    VOQ_MST_UNDECORATED(Master_ClrAllBreakpoints);
uint32_t VOQ_STDCALL Master_CheckBrFlag(uint32_t type, uint32_t address)
    VOQ_MST_UNDECORATED(Master_CheckBrFlag);
const char* VOQ_STDCALL Master_GetErrorString()
    VOQ_MST_UNDECORATED(Master_GetErrorString);
uint32_t* VOQ_STDCALL Master_GetCMErrorMessage()
    VOQ_MST_UNDECORATED(Master_GetCMErrorMessage);
uint32_t VOQ_STDCALL Master_GetBPTypeNum()
    VOQ_MST_UNDECORATED(Master_GetBPTypeNum);
const BreakpointTypeEntry* VOQ_STDCALL Master_GetBPTypesPtr()
    VOQ_MST_UNDECORATED(Master_GetBPTypesPtr);
const char* VOQ_STDCALL Master_GetVersionString()
    VOQ_MST_UNDECORATED(Master_GetVersionString);
uint32_t VOQ_STDCALL Master_ClrTimeStamp()
    VOQ_MST_UNDECORATED(Master_ClrTimeStamp);
uint32_t VOQ_STDCALL Master_GetTimeStamp(void* out)
    VOQ_MST_UNDECORATED(Master_GetTimeStamp);
const void* VOQ_STDCALL Master_DWTGetParamsPtr()
    VOQ_MST_UNDECORATED(Master_DWTGetParamsPtr);
uint32_t VOQ_STDCALL Master_DWTStartConfig()
    VOQ_MST_UNDECORATED(Master_DWTStartConfig);
uint32_t VOQ_STDCALL Master_DWTApplyConfig()
    VOQ_MST_UNDECORATED(Master_DWTApplyConfig);
uint32_t VOQ_STDCALL Master_DWTEndConfig(uint32_t apply)
    VOQ_MST_UNDECORATED(Master_DWTEndConfig);
uint32_t VOQ_STDCALL Master_DWTGetCompNum()
    VOQ_MST_UNDECORATED(Master_DWTGetCompNum);
uint32_t VOQ_STDCALL Master_SpecFunc(uint32_t* result, const uint32_t* params, uint32_t param_count)
    VOQ_MST_UNDECORATED(Master_SpecFunc);
}
