#include "framework/config/ini_env.h"

#include <windows.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/base/message.h"
#include "framework/base/ml_text.h"
#include "framework/base/file_temp.h"
#include "framework/base/path.h"
#include "framework/base/sys_trace.h"

namespace ini_env {
namespace {

std::string FormatV(const char* format, va_list args) {
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n <= 0) return std::string();
  std::vector<char> buf(static_cast<size_t>(n) + 1);
  std::vsnprintf(buf.data(), buf.size(), format, args);
  return std::string(buf.data(), static_cast<size_t>(n));
}

// The letters of `flags` that the message function takes.
std::string KnownLetters(const char* flags) {
  std::string letters;
  for (const char* p = flags ? flags : ""; *p; ++p)
    if (std::strchr("fimsFIMS", *p)) letters += *p;
  return letters;
}

MessageSink g_sink = nullptr;
TraceSink g_trace = nullptr;

}  // namespace

MessageSink SetMessageSink(MessageSink sink) {
  MessageSink old = g_sink;
  g_sink = sink;
  return old;
}

TraceSink SetTraceSink(TraceSink sink) {
  TraceSink old = g_trace;
  g_trace = sink;
  return old;
}

int Message(const char* flags, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  if (g_sink) return g_sink(flags, 0, text.c_str());
  // The text is shown as it is: a "%" in a file name is not a format.
  return DoMessage(KnownLetters(flags).c_str(), "%s", text.c_str());
}

int MessageId(const char* flags, unsigned id, ...) {
  std::string letters = KnownLetters(flags);
  if (letters.find_first_of("mM") == std::string::npos) letters.insert(0, "m");
  va_list args;
  va_start(args, id);
  if (g_sink) {
    const std::string text = FormatV(GetMLResString(id), args);
    va_end(args);
    return g_sink(flags, id, text.c_str());
  }
  const int answer = DoMessageIdV(letters.c_str(), static_cast<uint16_t>(id), args);
  va_end(args);
  return answer;
}

void Trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  if (g_trace) g_trace(FormatV(format, args).c_str());
  else TraceVPrintf(format, args);
  va_end(args);
}

std::string FileErrorText(bool reading, const char* name) {
  const char* format = g_fwHooks.fileErrorText ? g_fwHooks.fileErrorText(reading) : nullptr;
  if (!format) format = FwDefaultFileErrorText(reading);
  char text[1024];
  std::snprintf(text, sizeof text, format, name ? name : "");
  return text;
}

std::string NewFileBeside(const std::string& target) {
  const size_t slash = target.find_last_of("\\/");
  std::string folder;
  if (slash == std::string::npos) {
    // "name" or "X:name": the current folder (of that drive).
    folder = target.size() >= 2 && target[1] == ':' ? target.substr(0, 2) + "." : ".";
  } else {
    folder = target.substr(0, slash);
    if (folder.empty() || (folder.size() == 2 && folder[1] == ':')) folder += '\\';  // a root
  }
  TempFile file(folder.c_str(), false, 0);
  return file.Text();
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  return MoveFileExA(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

void RemoveFile(const std::string& path) { DeleteFileA(path.c_str()); }

std::string ProgramFolderPath(const char* name, const char* extension) {
  std::string path = PPath::ProgramFolder().Text();
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name ? name : "";
  if (extension && *extension) {
    if (*extension != '.') path += '.';
    path += extension;
  }
  return path;
}

}  // namespace ini_env
