// Fixtures shared by the configuration engine's tests: a recorder of the
// messages the engine shows (no box ever waits), scratch files, and a flat
// text dump of a stream's sections and records.
#pragma once

#include <string>
#include <vector>

class INIStream;

namespace ini_test {

struct Message {
  std::string flags;
  unsigned id;
  std::string text;
};

// Records every message while it lives.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  const std::vector<Message>& Messages() const { return messages_; }
  // How many messages contain the fragment.
  size_t Count(const std::string& fragment) const;
  std::string All() const;
  void Clear() { messages_.clear(); }

 private:
  static int Sink(const char* flags, unsigned id, const char* text);
  static void TraceSink(const char* text);
  std::vector<Message> messages_;
};

// A fresh folder for one test, removed with the object.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  std::string Path(const std::string& name) const;
  std::string Write(const std::string& name, const std::string& content) const;
  static std::string Read(const std::string& path);
  static bool Exists(const std::string& path);

 private:
  std::string dir_;
};

// "[a]|x=1|; kept|[[b]]|y=2": sections (with their level's brackets) and
// records in file order, nested streams after their section's records.
std::string Dump(const INIStream& stream);

// The text as a file saved in text mode holds it (CR LF line ends on Windows).
std::string NativeLines(const std::string& text);

}  // namespace ini_test
