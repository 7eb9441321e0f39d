#define VOQ_MST_EXPORTS 1
#include "mst_recorder.h"

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "master/exports/master_api.h"

extern "C" {
MasterSendRequestFn SendTargetRequest = nullptr;
MasterGetReplyFn GetTargetReply = nullptr;
MasterSetTimeoutFn SetTargetTimeout = nullptr;
MasterMessageFn MessageFunc = nullptr;
}

namespace {

std::vector<MstCall> g_calls;
std::map<std::string, uint32_t> g_results;
std::string g_errorText;
uint8_t g_status = 0;
uint32_t g_register = 0;
uint32_t g_ideCode = 0;
uint16_t g_memory[4][0x10000];
uint8_t g_config[158];
uint32_t g_configSize = 0;
MstHook g_readHook = nullptr;

const BreakpointTypeEntry kTypes[7] = {
    {1, ""}, {2, "Code Read "}, {3, "Code Write"}, {4, "Data Read "},
    {5, "Data Write"}, {6, "I/O Read  "}, {7, "I/O Write "},
};

uint32_t Record(const char* name, uint32_t a0 = 0, uint32_t a1 = 0, uint32_t a2 = 0, uint32_t a3 = 0)
{
    MstCall call = {};
    strncpy(call.name, name, sizeof call.name - 1);
    call.args[0] = a0;
    call.args[1] = a1;
    call.args[2] = a2;
    call.args[3] = a3;
    call.ideCode = g_ideCode;
    g_calls.push_back(call);
    auto it = g_results.find(name);
    return it == g_results.end() ? 0 : it->second;
}

uint16_t* Space(uint32_t space) { return g_memory[space < 4 ? space : 0]; }

}  // namespace

extern "C" {

void Recorder_Reset()
{
    g_calls.clear();
    g_results.clear();
    g_errorText.clear();
    g_status = 0;
    g_register = 0;
    g_ideCode = 0;
    memset(g_memory, 0, sizeof g_memory);
    memset(g_config, 0, sizeof g_config);
    g_configSize = 0;
    g_readHook = nullptr;
}

uint32_t Recorder_CallCount() { return static_cast<uint32_t>(g_calls.size()); }
const MstCall* Recorder_Call(uint32_t index) { return index < g_calls.size() ? &g_calls[index] : nullptr; }
void Recorder_SetResult(const char* name, uint32_t result) { g_results[name] = result; }
void Recorder_SetErrorText(const char* text) { g_errorText = text ? text : ""; }
void Recorder_SetStatusByte(uint8_t status) { g_status = status; }
void Recorder_SetRegister(uint32_t value) { g_register = value; }
uint16_t* Recorder_Memory(uint32_t space) { return Space(space); }
const uint8_t* Recorder_LastConfig(uint32_t* size)
{
    if (size) *size = g_configSize;
    return g_config;
}
void Recorder_SetReadHook(MstHook hook) { g_readHook = hook; }

uint32_t VOQ_STDCALL Master_SetIdeCode(uint32_t code)
{
    g_ideCode = code;
    return Record("Master_SetIdeCode", code);
}
uint32_t VOQ_STDCALL Master_Init(uint32_t podMode) { return Record("Master_Init", podMode); }
uint32_t VOQ_STDCALL Master_SetConfig(uint32_t size, const void* config)
{
    g_configSize = size;
    if (config) memcpy(g_config, config, size < sizeof g_config ? size : sizeof g_config);
    return Record("Master_SetConfig", size);
}
uint32_t VOQ_STDCALL Master_Kill() { return Record("Master_Kill"); }
uint32_t VOQ_STDCALL Master_Stop() { return Record("Master_Stop"); }
uint32_t VOQ_STDCALL Master_Run(uint32_t flags) { return Record("Master_Run", flags); }
uint32_t VOQ_STDCALL Master_Step() { return Record("Master_Step"); }
uint32_t VOQ_STDCALL Master_Reset() { return Record("Master_Reset"); }
uint32_t VOQ_STDCALL Master_ReadRegister(uint32_t regId, uint32_t* value)
{
    uint32_t r = Record("Master_ReadRegister", regId);
    if (value) *value = g_register;
    return r;
}
uint32_t VOQ_STDCALL Master_WriteRegister(uint32_t regId, uint32_t value)
{
    g_register = value;
    return Record("Master_WriteRegister", regId, value);
}
uint32_t VOQ_STDCALL Master_ReadMemory(uint32_t space, uint32_t address, uint32_t count, void* buffer)
{
    if (MstHook hook = g_readHook) {
        g_readHook = nullptr;
        hook();
    }
    uint32_t r = Record("Master_ReadMemory", space, address, count);
    if (r == 0 && buffer)
        for (uint32_t i = 0; i < count; ++i) static_cast<uint16_t*>(buffer)[i] = Space(space)[(address + i) & 0xFFFF];
    return r;
}
uint32_t VOQ_STDCALL Master_WriteMemory(uint32_t space, uint32_t address, uint32_t count, const void* buffer)
{
    uint32_t r = Record("Master_WriteMemory", space, address, count);
    if (r == 0 && buffer)
        for (uint32_t i = 0; i < count; ++i) Space(space)[(address + i) & 0xFFFF] = static_cast<const uint16_t*>(buffer)[i];
    return r;
}
uint32_t VOQ_STDCALL Master_SetBreakpoint(uint32_t kind, uint32_t address)
{
    return Record("Master_SetBreakpoint", kind, address);
}
uint32_t VOQ_STDCALL Master_ClrBreakpoint(uint32_t kind, uint32_t address)
{
    return Record("Master_ClrBreakpoint", kind, address);
}
uint32_t VOQ_STDCALL Master_CheckBrFlag(uint32_t type, uint32_t address)
{
    return Record("Master_CheckBrFlag", type, address);
}
uint32_t VOQ_STDCALL Master_GetBPTypeNum()
{
    Record("Master_GetBPTypeNum");
    return 7;
}
const BreakpointTypeEntry* VOQ_STDCALL Master_GetBPTypesPtr()
{
    Record("Master_GetBPTypesPtr");
    return kTypes;
}
uint32_t VOQ_STDCALL Master_GetStatus(uint8_t* status)
{
    uint32_t r = Record("Master_GetStatus");
    if (status) *status = g_status;
    return r;
}
const char* VOQ_STDCALL Master_GetErrorString()
{
    Record("Master_GetErrorString");
    return g_errorText.c_str();
}
const char* VOQ_STDCALL Master_GetVersionString()
{
    Record("Master_GetVersionString");
    return "2.00, Dec  6 2011";
}
}
