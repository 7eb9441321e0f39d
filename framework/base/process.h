// Running a child process and waiting for it.
#pragma once

#include <cstdint>

// Starts `commandLine` in `directory` (null: the current one) with `showCommand`
// and waits in 330 ms slices, calling the idle hook after each slice that
// times out. True when the process started and ended; `exitCode` (may be null)
// then holds its exit code. A failure shows one error box and returns false.
bool ExecProcess(uint32_t* exitCode, int showCommand, const char* directory,
                 const char* commandLine);
