// Window texts as code-page-1251 bytes, whatever the robot's or the target's
// ANSI code page: the product's dialogs carry Russian texts in 1251, and the
// robot's script file is written in the same code page. Every call is bounded
// (a hung target gives an empty text, never a hung robot).
#pragma once

#include <windows.h>

#include <string>

namespace robot {

std::string GetText1251(HWND window);
bool SetText1251(HWND window, const std::string& text);
std::wstring Wide1251(const std::string& text);
std::string Narrow1251(const std::wstring& text);

// The bound of every message the robot sends to another window.
constexpr UINT kSendTimeoutMs = 5000;

}  // namespace robot
