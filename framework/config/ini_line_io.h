// Line streams the INI engine reads from and writes to: a file or a byte
// array in memory.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

class FInOut {
 public:
  virtual ~FInOut() = default;
  virtual void printf(const char* format, ...)
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      = 0;
  // Reads one line of at most size - 1 characters into buffer (NUL-ended);
  // false at the end of the data.
  virtual bool ReadLine(size_t size, char* buffer) = 0;
  virtual void Close() = 0;
};

// A text file. Reading is binary so that no byte of the file (a Ctrl-Z, a
// NUL) ends it early; carriage returns are dropped. Writing uses the text
// mode so that files keep the platform's line ends.
class FileInOut : public FInOut {
 public:
  // mode "rt" or "wt"; quiet: no message when the file cannot be opened.
  FileInOut(bool quiet, const char* mode, const char* name, size_t bufferSize);
  ~FileInOut() override;

  bool IsOpen() const { return file_ != nullptr; }
  // True when the file does not exist (as opposed to existing but refused).
  bool IsMissing() const { return missing_; }
  // A read or write error happened since opening.
  bool Failed() const;
  // Some bytes read could not be kept: the rest of a line longer than the
  // line buffer, or what followed a NUL byte on its line.
  bool Lossy() const { return lossy_; }
  long long Size() const { return size_; }

  void printf(const char* format, ...) override
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  bool ReadLine(size_t size, char* buffer) override;
  void Close() override;

 private:
  std::FILE* file_ = nullptr;
  std::vector<char> buffer_;
  bool missing_ = false;
  bool failed_ = false;
  bool lossy_ = false;
  long long size_ = 0;
};

// A byte array: a text with its used length.
struct MemoryArray {
  std::vector<char> bytes;
  size_t used = 0;
  std::string Text() const { return std::string(bytes.data(), used); }
};

class MemoryInOut : public FInOut {
 public:
  MemoryInOut(size_t growth, MemoryArray& array);

  void printf(const char* format, ...) override
#if defined(__GNUC__)
      __attribute__((format(printf, 2, 3)))
#endif
      ;
  bool ReadLine(size_t size, char* buffer) override;
  void Close() override { position_ = 0; }

 private:
  MemoryArray& array_;
  size_t position_ = 0;
  size_t growth_;
};
