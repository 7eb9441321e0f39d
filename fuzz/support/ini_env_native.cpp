// The configuration engine's door to the framework, for the native fuzz
// build: the same calls as framework/config/ini_env.cpp, without Windows.
// Messages and traces go to the sinks the fuzz target installs (nowhere
// without one), files are replaced with rename(), and the framework's
// settings and hooks keep their defaults.
#include "framework/config/ini_env.h"

#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/base/text_utils.h"

constinit FwHookTable g_fwHooks = {
    FwDefaultIdle, FwDefaultCaption, FwDefaultTraceSink, FwDefaultParse, FwDefaultFileErrorText, FwDefaultDebuggerName,
};
constinit FwSettings g_fwSettings = {"Setup", 0, 0, 0, -1, 0, 0, 0, "VOQ", 0, 0, 0};

void FwDefaultIdle(uint32_t) {}
const char* FwDefaultCaption() { return g_fwSettings.appName ? g_fwSettings.appName : ""; }
void FwDefaultTraceSink(const char*, va_list) {}
uint32_t FwDefaultParse(uint8_t, const char* text) { return ParseNumber(text); }
const char* FwDefaultFileErrorText(bool reading) { return reading ? "Cannot open file '%s'" : "Cannot create file '%s'"; }
const char* FwDefaultDebuggerName() { return nullptr; }

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

MessageSink g_sink = nullptr;
TraceSink g_trace = nullptr;
unsigned g_serial = 0;

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
  return g_sink ? g_sink(flags, 0, text.c_str()) : 0;
}

// No message table here: the id stands for its text.
int MessageId(const char* flags, unsigned id, ...) {
  return g_sink ? g_sink(flags, id, "") : 0;
}

void Trace(const char* format, ...) {
  va_list args;
  va_start(args, format);
  const std::string text = FormatV(format, args);
  va_end(args);
  if (g_trace) g_trace(text.c_str());
}

std::string FileErrorText(bool reading, const char* name) {
  char text[1024];
  std::snprintf(text, sizeof text, FwDefaultFileErrorText(reading), name ? name : "");
  return text;
}

std::string NewFileBeside(const std::string& target) {
  const std::string name = target + ".new" + std::to_string(++g_serial);
  FILE* f = std::fopen(name.c_str(), "wb");
  if (!f) return std::string();
  std::fclose(f);
  return name;
}

bool ReplaceFileWith(const std::string& source, const std::string& target) {
  return std::rename(source.c_str(), target.c_str()) == 0;
}

void RemoveFile(const std::string& path) { std::remove(path.c_str()); }

std::string ProgramFolderPath(const char* name, const char* extension) {
  std::string path = name ? name : "";
  if (extension && *extension) {
    if (*extension != '.') path += '.';
    path += extension;
  }
  return path;
}

}  // namespace ini_env
