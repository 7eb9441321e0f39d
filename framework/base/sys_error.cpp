#include "framework/base/sys_error.h"

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "framework/base/sys_box.h"

char* GetLastErrorText(uint32_t code, char* out, uint32_t size)
{
    if (!out || size == 0) return out;
    out[0] = 0;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                             code, 0x400, out, size, nullptr);
    // On failure the buffer's contents are undefined: give the empty text.
    if (n == 0 || n >= size) out[0] = 0;
    return out;
}

char* GetLastErrorText(char* out, uint32_t size) { return GetLastErrorText(GetLastError(), out, size); }

sstr GetLastErrorString(uint32_t code)
{
    char buffer[1024];
    GetLastErrorText(code, buffer, sizeof buffer);
    size_t n = strlen(buffer);
    while (n > 0 && (buffer[n - 1] == '\r' || buffer[n - 1] == '\n')) buffer[--n] = 0;
    return sstr(buffer);
}

sstr GetLastErrorString() { return GetLastErrorString(GetLastError()); }

void PrintLastError(const char* text)
{
    DWORD code = GetLastError();
    char system[513];
    GetLastErrorText(code, system, sizeof system);
    char message[1024 + 600];
    snprintf(message, sizeof message, "%s:\n%s", text ? text : "PrintLastError", system);
    FwShowBox(0, nullptr, message);
}

bool DeleteAtReboot(const char* path)
{
    return MoveFileExA(path, nullptr, MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
}
