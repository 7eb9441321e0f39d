// A window's picture as a 24-bit BMP, taken from the screen as it is drawn
// (frame and children), for looking at a dialog; nothing reads it back.
#pragma once

#include <windows.h>

#include <string>

namespace robot {

// Writes <dir>\<name>.bmp; false when the window or the file failed. In the
// window's own thread, pending paint messages are pumped first.
bool SaveScreenshot(HWND window, const std::string& dir, const std::string& name);
// VOQ_SCREENSHOT_DIR, or empty.
std::string ScreenshotDirFromEnvironment();

}  // namespace robot
