// The configuration engine's one door to the framework: it shows its
// messages through the framework's message function (DoMessage), traces
// through the framework's trace sink, and reads the framework's settings and
// hooks (framework/base/hooks.h: the debug flag, the application and project
// names, the parse hook, the files-in-the-program-folder flag).
#pragma once

#include <cstdint>
#include <string>

namespace ini_env {

// A replacement outlet for every message (flags as given, id or 0, the
// formatted text) and trace line, for a
// program that must not show boxes. Null (the default) is the framework's
// message function and trace sink. Returns the previous one.
using MessageSink = int (*)(const char* flags, unsigned id, const char* text);
using TraceSink = void (*)(const char* text);
MessageSink SetMessageSink(MessageSink sink);
TraceSink SetTraceSink(TraceSink sink);

// Shows a text formatted here through DoMessage with `flags` (its letters:
// "s" text, "i" information icon, "f" no effect). Letters that the message
// function does not know ("l" of the expression error) say nothing to it
// and are left out, so that it does not report a bad letter string instead.
// Returns the message function's answer.
int Message(const char* flags, const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 2, 3)))
#endif
    ;
// Shows message `id` (a bilingual resource text used as the format of the
// arguments) through DoMessage with `flags`, which hold the "m"; unknown
// letters are left out as above ("q1" of message 6922).
int MessageId(const char* flags, unsigned id, ...);
void Trace(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

// The file-error text of a failed open or create, with the name put in.
std::string FileErrorText(bool reading, const char* name);

// Saving in one step: a new empty file with a unique name in the folder of
// `target` (empty when none can be made), which then takes the place of
// `target` at once (MoveFileEx, replacing it; false when it cannot).
std::string NewFileBeside(const std::string& target);
bool ReplaceFileWith(const std::string& source, const std::string& target);
void RemoveFile(const std::string& path);

// The folder of the program's module, then name, then extension (a "." put
// in front unless it has one).
std::string ProgramFolderPath(const char* name, const char* extension);

}  // namespace ini_env
