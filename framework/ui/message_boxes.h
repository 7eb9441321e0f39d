// Windows message boxes that log what the user answered, and keyed text
// tables in resources.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>

// A box through the box presenter: owner the main window, caption the
// program caption, MB_SETFOREGROUND added. The text and the answer's name
// go to the setup log. Returns the box's answer.
int MessageBoxLogged(uint32_t style, const char* format, ...) __attribute__((format(gnu_printf, 2, 3)));
// MB_HELP, with `helpContext` as the box help context while it shows.
int HelpBox(uint32_t style, int32_t helpContext, const char* format, ...) __attribute__((format(gnu_printf, 3, 4)));
int InfoBox(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
int ErrorMessageBox(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));

// "OK", "CANCEL", ... for a box answer; the decimal number for others.
std::string BoxResultName(int result);

// The text of `key` in a keyed table: layout A {u16 key; text NUL}...;
// layout B: u32 0xFFFFFFFF, then {u32 key; text NUL}... ended by two u32
// 0xFFFFFFFF. Both scans stop at the end of the data. Null when absent.
const char* FindKeyedText(const void* data, size_t size, uint32_t key);
// The text for `key` of RT_RCDATA table `tableId` of the program's module,
// in the current language: "[Unable to load resource]" (6447) without the
// table, "%u: Unknown" (6448) without the key.
std::string GetKeyedText(uint32_t key, uint32_t tableId);
