// Per-program hooks of the dialog layer: ending the program and opening help.
// Tests install recording versions so that nothing ends the test process or
// opens a help window.
#pragma once

#include <windows.h>

#include <cstdint>

// Ends the program with `code` (the driver library's build does nothing).
using ExitProgramHook = void (*)(int code);
void SetExitProgramHook(ExitProgramHook hook);  // null: the default
void ExitProgram(int code);

// Help on the program's help file: `command` 1 and 8 open a context, 3 and 11
// the file, 0x105 looks a keyword up. Returns the help system's result.
using ShowHelpHook = int (*)(HWND window, uint32_t command, uintptr_t data);
void SetShowHelpHook(ShowHelpHook hook);  // null: the default
int ShowHelp(HWND window, uint32_t command, uintptr_t data);
// The program's help file (.hlp or .chm).
void SetHelpFile(const char* path);
const char* GetHelpFile();
// Ends HTML Help at program exit (after its last use).
void CloseHtmlHelp();
