#include "framework/config/ini_env.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace ini_env {
namespace {

int StderrSink(const char* flags, unsigned id, const char* text) {
  std::fprintf(stderr, "[%s %u] %s\n", flags, id, text);
  return 1;
}

void StderrTrace(const char* text) { std::fputs(text, stderr); }

MessageSink g_sink = StderrSink;
TraceSink g_trace = StderrTrace;

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

}  // namespace

MessageSink SetMessageSink(MessageSink sink) {
  MessageSink old = g_sink;
  g_sink = sink ? sink : StderrSink;
  return old;
}

TraceSink SetTraceSink(TraceSink sink) {
  TraceSink old = g_trace;
  g_trace = sink ? sink : StderrTrace;
  return old;
}

int Message(const char* flags, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  return g_sink(flags, 0, text.c_str());
}

int MessageId(const char* flags, unsigned id, const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  return g_sink(flags, id, text.c_str());
}

void Trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  g_trace(text.c_str());
}

Settings& Get() {
  // Never destroyed: static options may still consult it while they are
  // destroyed at exit.
  static Settings* settings = new Settings;
  return *settings;
}

std::string ProgramFolderPath(const char* name, const char* extension) {
  std::string path = Get().programFolder;
  path += name;
  if (extension && *extension) {
    if (*extension != '.') path += '.';
    path += extension;
  }
  return path;
}

}  // namespace ini_env
