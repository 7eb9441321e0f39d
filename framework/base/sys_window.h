// Small window-text and process-environment functions.
#pragma once

#include <windows.h>

#include <cstdint>
#include "framework/base/sstr.h"

sstr GetWindowTextString(HWND window);
sstr GetWindowClassName(HWND window);
uint32_t GetWindowStyle(HWND window);
uint32_t SetWindowStyle(HWND window, uint32_t style);
uint32_t GetWindowExStyle(HWND window);
uint32_t SetWindowExStyle(HWND window, uint32_t style);
// The program's file name with extension, without its folder.
sstr GetProgramFileName();
// Empty when the variable is absent.
sstr GetEnvString(const char* name);
sstr GetCurrentDirString();

// Only with the debug flag set: breaks into an attached debugger, else shows
// "Not under debugger" with the exclamation icon.
void DebugBreakOrMessage();
