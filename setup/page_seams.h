// What the setup.ini reader and the pages ask of the platform that a test
// cannot arrange or must not do: whether this is 64-bit Windows, and the
// system restart (under Wine a restart ends every program of the session).
// Each is a replaceable function; null restores the platform's own. Setters
// return the previous function so that a test can put it back.
#pragma once

// IsWow64Process for this process (IsWow64, framework/base/sys_version.h).
using Wow64Hook = bool (*)();
Wow64Hook SetWow64Hook(Wow64Hook hook);
bool IsWow64System();

// SeShutdownPrivilege for the process token, then ExitWindowsEx(EWX_REBOOT).
// True when the restart was started.
using RestartHook = bool (*)();
RestartHook SetRestartHook(RestartHook hook);

// The restart that the restart page asked for: the main flow calls it when
// `SetupState::restartPending` is set, after its clean-up has written the
// logs and removed SUPPORTDIR.
bool RestartSystem();
