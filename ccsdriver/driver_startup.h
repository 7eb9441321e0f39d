// The driver's load and unload sequences, run in one explicit order from the
// library's entry point (no cross-file initialisation priorities).
#pragma once

// Load: USB message hooks, trace sink, board record, "DLL loaded", the
// transport functions into VOQ-MST, then the settings file and the tracing
// flag from "LogOn", then the framework's process-wide state.
void DriverStartup();
// Unload, in reverse: the framework's state, settings written back, board and parameter list
// freed, "DLL unloaded" and the log closed.
void DriverShutdown();
