// System error texts and the last-error box.
#pragma once

#include <cstdint>
#include "framework/base/sstr.h"

// The system's text for `code` (FormatMessageA, language 0x400) into `out` of
// `size` bytes; an empty text when the system has none. Returns `out`.
char* GetLastErrorText(uint32_t code, char* out, uint32_t size);
// The same for GetLastError().
char* GetLastErrorText(char* out, uint32_t size);
// As a text, trailing CR and LF removed.
sstr GetLastErrorString(uint32_t code);
sstr GetLastErrorString();

// A box of "<text>:\n" (or "PrintLastError:\n") and the system text of
// GetLastError, captioned with the application name, no icon.
void PrintLastError(const char* text);

// MoveFileExA(path, null, MOVEFILE_DELAY_UNTIL_REBOOT).
bool DeleteAtReboot(const char* path);
