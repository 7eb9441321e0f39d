// Window texts in code page 1251 whatever the system's ANSI code page: the
// framework's 8-bit texts reach Windows as UTF-16 converted from 1251.
#pragma once

#include <windows.h>

#include <string>

void SetText1251(HWND window, const char* text);
std::string GetText1251(HWND window);
void SetItemText1251(HWND dialog, int id, const char* text);
std::string GetItemText1251(HWND dialog, int id);
// The UTF-16 form of a 1251 text, for the W messages of lists and combos.
std::wstring Wide1251(const char* text);
std::string Narrow1251(const wchar_t* text);
