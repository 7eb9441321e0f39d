#include "framework/config/tests/support/ini_test_support.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/config/ini_stream.h"

namespace ini_test {
namespace {

MessageRecorder* g_recorder = nullptr;

void DumpInto(const INIStream& stream, std::string& out) {
  for (const auto& section : stream.Sections()) {
    if (!out.empty()) out += '|';
    out += std::string(stream.Level() + 1u, '[') + section->Name() + std::string(stream.Level() + 1u, ']');
    for (const auto& item : section->Records()) {
      out += '|';
      if (*item->Name()) out += std::string(item->Name()) + "=" + item->Value();
      else out += std::string("; ") + item->Value();
    }
    if (section->Nested()) DumpInto(*section->Nested(), out);
  }
}

}  // namespace

MessageRecorder::MessageRecorder() : previousTrace_(g_fwHooks.traceSink) {
  g_recorder = this;
  g_fwHooks.traceSink = &MessageRecorder::TraceSink;
}

MessageRecorder::~MessageRecorder() {
  g_fwHooks.traceSink = previousTrace_;
  g_recorder = nullptr;
}

void MessageRecorder::TraceSink(const char* format, va_list args) {
  if (!g_recorder) return;
  char text[4096];
  std::vsnprintf(text, sizeof text, format, args);
  g_recorder->traces_.push_back(text);
}

std::vector<Message> MessageRecorder::Messages() const {
  std::vector<Message> out;
  for (const FwRecordedBox& box : boxes_.Boxes()) out.push_back({box.icon, box.messageId, box.text});
  for (const std::string& line : traces_) out.push_back({0, 0, line});
  return out;
}

void MessageRecorder::Clear() {
  boxes_.Clear();
  traces_.clear();
}

size_t MessageRecorder::Count(const std::string& fragment) const {
  size_t n = 0;
  for (const Message& m : Messages())
    if (m.text.find(fragment) != std::string::npos) ++n;
  return n;
}

std::string MessageRecorder::All() const {
  std::string out;
  for (const Message& m : Messages()) out += "[" + std::to_string(m.icon) + " " + std::to_string(m.id) + "] " + m.text + "\n";
  return out;
}

ScratchDir::ScratchDir() {
  static std::atomic<unsigned> counter{0};
  namespace fs = std::filesystem;
  const fs::path dir = fs::temp_directory_path() / ("voq_ini_" + std::to_string(counter++) + "_" +
                                                    std::to_string(reinterpret_cast<uintptr_t>(this) & 0xFFFFFF));
  fs::remove_all(dir);
  fs::create_directories(dir);
  dir_ = dir.string();
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  std::filesystem::remove_all(dir_, ec);
}

std::string ScratchDir::Path(const std::string& name) const { return (std::filesystem::path(dir_) / name).string(); }

std::string ScratchDir::Write(const std::string& name, const std::string& content) const {
  const std::string path = Path(name);
  std::ofstream out(path, std::ios::binary);
  out << content;
  return path;
}

std::string ScratchDir::Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

bool ScratchDir::Exists(const std::string& path) { return std::filesystem::exists(path); }

std::string Dump(const INIStream& stream) {
  std::string out;
  DumpInto(stream, out);
  return out;
}

std::string NativeLines(const std::string& text) {
#if defined(_WIN32)
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
#else
  return text;
#endif
}

}  // namespace ini_test
