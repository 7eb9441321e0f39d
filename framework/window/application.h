// The program's side of the window layer: its main window object (a
// per-program hook: the setup program and the driver have none, the plug-in
// answers with its running dialog).
#pragma once

#include <windows.h>

class Window;

using MainWindowHook = Window* (*)();
// Null restores the default: none, or in the plug-in the running dialog.
void SetMainWindowHook(MainWindowHook hook);
Window* GetMainWindowObject();
HWND GetMainWindowHandle();
