// A recording stand-in for VOQ-MST.dll, for the unit tests of the driver's
// export frame and target operations. It exports the same Master_ functions
// and data slots under its own library name, records every call with the IDE
// code in force, and answers with the results a test sets.
#pragma once

#include <cstdint>

extern "C" {

struct MstCall {
    char name[32];
    uint32_t args[4];
    uint32_t ideCode;  // the code of the last Master_SetIdeCode before the call
};

typedef void (*MstHook)();

// Back to the start: no calls, every result 0, memory zero.
void Recorder_Reset();
uint32_t Recorder_CallCount();
const MstCall* Recorder_Call(uint32_t index);
// The result of every later call of `name` (a Master_ function name); for
// Master_CheckBrFlag the flag value.
void Recorder_SetResult(const char* name, uint32_t result);
// The text Master_GetErrorString returns.
void Recorder_SetErrorText(const char* text);
void Recorder_SetStatusByte(uint8_t status);
void Recorder_SetRegister(uint32_t value);
// 64 Ki words per space 0..3; other spaces use space 0.
uint16_t* Recorder_Memory(uint32_t space);
// The last record given to Master_SetConfig (158 bytes) and its size.
const uint8_t* Recorder_LastConfig(uint32_t* size);
// Called from inside Master_ReadMemory, once, when set.
void Recorder_SetReadHook(MstHook hook);
}
