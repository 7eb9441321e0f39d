#include "framework/config/tests/support/ini_test_support.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "framework/config/ini_env.h"
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

MessageRecorder::MessageRecorder() {
  g_recorder = this;
  ini_env::SetMessageSink(&MessageRecorder::Sink);
  ini_env::SetTraceSink(&MessageRecorder::TraceSink);
}

MessageRecorder::~MessageRecorder() {
  ini_env::SetMessageSink(nullptr);
  ini_env::SetTraceSink(nullptr);
  g_recorder = nullptr;
}

int MessageRecorder::Sink(const char* flags, unsigned id, const char* text) {
  if (g_recorder) g_recorder->messages_.push_back({flags, id, text});
  return 1;
}

void MessageRecorder::TraceSink(const char* text) {
  if (g_recorder) g_recorder->messages_.push_back({"trace", 0, text});
}

size_t MessageRecorder::Count(const std::string& fragment) const {
  size_t n = 0;
  for (const Message& m : messages_)
    if (m.text.find(fragment) != std::string::npos) ++n;
  return n;
}

std::string MessageRecorder::All() const {
  std::string out;
  for (const Message& m : messages_) out += "[" + m.flags + "] " + m.text + "\n";
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
