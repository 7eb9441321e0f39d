// The I/O-port driver: when the support files carry "porttalk.sys", the
// driver is installed as the demand-start kernel service "PortTalk" and
// started, and on Windows Vista and later the parallel-port driver's warm
// polling is switched off (which asks for a restart).
//
// Every failure is reported with its own message and the caller goes on:
// none of these results stops the installation.
#pragma once

#include <windows.h>

#include <cstdint>

// The service control manager's calls, replaceable so that a test can give
// the answers of a system without rights.
struct ServiceControlApi {
    SC_HANDLE(WINAPI* openManager)(LPCSTR machine, LPCSTR database, DWORD access);
    SC_HANDLE(WINAPI* openService)(SC_HANDLE manager, LPCSTR name, DWORD access);
    SC_HANDLE(WINAPI* createService)(SC_HANDLE manager, LPCSTR name, LPCSTR displayName, DWORD access,
                                     DWORD type, DWORD start, DWORD errorControl, LPCSTR imagePath,
                                     LPCSTR group, LPDWORD tag, LPCSTR dependencies, LPCSTR user,
                                     LPCSTR password);
    BOOL(WINAPI* startService)(SC_HANDLE service, DWORD argc, LPCSTR* argv);
    BOOL(WINAPI* closeHandle)(SC_HANDLE handle);
};
// Installs `api` (null: the platform's); returns the previous table.
const ServiceControlApi* SetServiceControlApi(const ServiceControlApi* api);

// 1 done or not needed, 0 failed (reported). Sets `rebootNeeded` when the
// warm poll was switched off.
int InstallPortDriver(const char* supportDir, bool& rebootNeeded);

// Opens the SCM and the service (installing it once when it does not exist)
// and starts it. 1 when the start was attempted, 0 otherwise.
int StartPortService(const char* supportDir);

// Copies the driver into the system's Drivers folder and creates the
// service through the open `manager`. False (reported) when the copy or the
// creation failed.
bool InstallPortService(const char* supportDir, SC_HANDLE manager);

// The warm-poll step under `root` \ `parportKey` (the Parport service key;
// tests point it at a scratch key): below major version 6 nothing is done;
// else "Parameters" must exist and "DisableWarmPoll" is set to 1 unless it is
// non-zero already. 1 or 0 as reported; `rebootNeeded` set after the write.
int DisableWarmPoll(HKEY root, const char* parportKey, bool& rebootNeeded);

// The Parport service key of the system.
constexpr const char* kParportKey = "SYSTEM\\CurrentControlSet\\Services\\Parport";
