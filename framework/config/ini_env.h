// Process-wide settings and outlets the INI engine depends on: the message
// function, the trace sink, the debug and bad-number flags, the names the
// preprocessor predefines and the parse hook of expression-typed entries.
// Kept behind this one header so that the engine can be wired to the
// framework's own message function and system settings in one place.
#pragma once

#include <cstdint>
#include <string>

namespace ini_env {

// Receives every message the engine shows: the message function's option
// letters, the message id (0 when the text is given directly) and the
// formatted text. Returns the message function's result.
using MessageSink = int (*)(const char* flags, unsigned id, const char* text);
using TraceSink = void (*)(const char* text);
// Evaluates an expression-typed value (mode 1 = number); may set the
// bad-number flag.
using ParseHook = uint32_t (*)(const char* text, int mode);
// Name of the process-wide debugger object, or null when there is none.
using DebuggerNameHook = const char* (*)();

// Installs a sink; null restores the default one. Returns the previous sink.
MessageSink SetMessageSink(MessageSink sink);
TraceSink SetTraceSink(TraceSink sink);

int Message(const char* flags, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
int MessageId(const char* flags, unsigned id, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 3, 4)))
#endif
    ;
void Trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

struct Settings {
  bool debugFlag = false;
  bool badNumberFlag = false;
  bool hardwareFlag = false;
  bool localVersionFlag = false;
  bool filesInProgramFolder = false;
  std::string appName;
  std::string projectName = "VOQ";
  std::string programFolder;  // with its trailing separator
  ParseHook parseHook = nullptr;  // null: plain number parsing
  DebuggerNameHook debuggerName = nullptr;
};

Settings& Get();

// The program folder, then name, then extension (a "." put in front unless it
// has one).
std::string ProgramFolderPath(const char* name, const char* extension);

}  // namespace ini_env
