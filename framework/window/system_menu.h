// Entries appended to a window's system menu.
#pragma once

#include <windows.h>

// Appends a string entry with command `id`; false without a system menu.
bool AppendSystemMenuItem(HWND window, UINT id, const char* text);
bool HasSystemMenuItem(HWND window, UINT id);
