// The driver's menu in the host's main window: a thread timer that finds the
// window, the popup it adds to the window's menu bar, and the commands of
// that popup (settings dialog, on-line help, About box).
#pragma once

#include <windows.h>

#include <cstdint>

// Command ids of the popup, sent to the host's window. They lie below the
// ranges that class libraries (0xE000 and up) and the system menu (0xF000
// and up) use, and away from the low ids that hosts number their own
// commands with.
constexpr uint16_t kCmdDrvSettings = 0x7D10;
constexpr uint16_t kCmdDrvAbout = kCmdDrvSettings + 1;
constexpr uint16_t kCmdDrvHelp = kCmdDrvSettings + 2;
constexpr uint32_t kHostFinderPeriodMs = 1000;

// Starts the finder timer on the calling thread unless it runs already.
void StartHostWindowFinder();
// Kills the timer, takes the popup out of the host's menu bar and unhooks
// the host's window. Call on the thread that started the finder.
void StopHostWindowFinder();
bool HostWindowFinderRunning();
// One tick of the finder.
void FindHostWindow();
// The host window the popup was added to (null before).
HWND HostWindow();

// Whether `window`, made by the module `moduleFile`, titled `title`, is the
// host's main window.
bool IsHostWindow(const char* moduleFile, const char* title, bool hasMenu);

// Shows the About box.
void ShowAbout();
