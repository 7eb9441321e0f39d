// The framework's replaceable hooks and its process-wide settings.
//
// Both live in constant-initialised static storage, so any static initialiser
// of any module may use them before or after this file's own initialisers.
// A deliverable that wants other behaviour stores its own function in a slot
// before first use (the driver library replaces the trace sink).
#pragma once

#include <cstdarg>
#include <cstdint>

// Called with a zero argument between waits (child processes, copies).
using FwIdleHook = void (*)(uint32_t);
// The caption of message boxes: the application name by default.
using FwCaptionHook = const char* (*)();
// Receives a printf format and its argument list.
using FwTraceSink = void (*)(const char* format, va_list args);
// Evaluates the text of an expression-typed configuration entry.
using FwParseHook = uint32_t (*)(uint8_t mode, const char* text);
// The printf format of a file-open failure ("%s" takes the file name).
using FwFileErrorTextHook = const char* (*)(bool reading);
// The name the process-wide debugger object reports; null when there is no
// such object (the default) or it gives no name.
using FwDebuggerNameHook = const char* (*)();

struct FwHookTable {
    FwIdleHook idle;
    FwCaptionHook caption;
    FwTraceSink traceSink;
    FwParseHook parse;
    FwFileErrorTextHook fileErrorText;
    FwDebuggerNameHook debuggerName;
};

struct FwSettings {
    const char* appName;    // "Setup" in the setup program
    uint8_t debug;          // extra checks and messages, the debugger break
    uint8_t tracing;        // trace scopes and TraceIfOn
    uint8_t traceProcess;   // trace of child processes (ExecProcess)
    int32_t helpContext;    // help context of the next message box, -1 = none
    uint8_t badNumber;      // set by the number parser on a malformed number
    volatile uint8_t cancelCopy;  // set by the user to cancel a long copy
    uint8_t topMost;        // dialogs and boxes stay on top of other windows
    const char* projectName;       // names the histories file; "VOQ"
    uint8_t filesInProgramFolder;  // the histories file lies beside the program
    uint8_t hardware;              // predefines __HARDWARE__ for INI files
    uint8_t localVersion;          // predefines __LOCAL_VERSION for INI files
};

extern constinit FwHookTable g_fwHooks;
extern constinit FwSettings g_fwSettings;

// The defaults, for a deliverable that wraps one of them.
void FwDefaultIdle(uint32_t);
const char* FwDefaultCaption();
void FwDefaultTraceSink(const char* format, va_list args);
uint32_t FwDefaultParse(uint8_t mode, const char* text);
const char* FwDefaultFileErrorText(bool reading);
const char* FwDefaultDebuggerName();

// Puts every hook and setting back to its start value (tests use it).
void FwResetHooksAndSettings();
