// The setup opens its Start-menu group in an explorer window, which would
// outlive a test that runs Rigger.exe (and hold its output): the explorer
// processes of the prefix started after `since` are ended (the desktop's own
// started with the prefix). Header-only, so the whole-package test uses the
// same routine without linking the setup's test support.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <cstring>

inline void EndExplorersStartedAfter(const FILETIME& since)
{
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (_stricmp(entry.szExeFile, "explorer.exe") != 0) continue;
        HANDLE process = OpenProcess(PROCESS_TERMINATE | PROCESS_QUERY_INFORMATION, FALSE, entry.th32ProcessID);
        if (!process) continue;
        FILETIME created, exited, kernel, user;
        if (GetProcessTimes(process, &created, &exited, &kernel, &user) && CompareFileTime(&created, &since) > 0)
            TerminateProcess(process, 0);
        CloseHandle(process);
    }
    CloseHandle(snapshot);
}
