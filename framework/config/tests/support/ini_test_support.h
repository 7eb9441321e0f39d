// Fixtures shared by the configuration engine's tests: a recorder of the
// messages the engine shows (no box ever waits), scratch files, and a flat
// text dump of a stream's sections and records.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/base/sys_box_recorder.h"

class INIStream;

namespace ini_test {

struct Message {
  uint16_t icon;  // the message box's icon (102 error, 103 information); 0 for a trace line
  unsigned id;    // the message id, 0 when the text was given directly
  std::string text;
};

// Records every box the engine shows through the framework's message
// function (the recording box presenter: no box ever waits) and every line
// it traces, while it lives.
class MessageRecorder {
 public:
  MessageRecorder();
  ~MessageRecorder();
  std::vector<Message> Messages() const;
  // How many messages contain the fragment.
  size_t Count(const std::string& fragment) const;
  std::string All() const;
  void Clear();

 private:
  static void TraceSink(const char* format, va_list args);
  FwBoxRecorder boxes_;
  FwTraceSink previousTrace_;
  std::vector<std::string> traces_;
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
