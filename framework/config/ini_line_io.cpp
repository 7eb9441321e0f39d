#include "framework/config/ini_line_io.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

FileInOut::FileInOut(bool quiet, const char* mode, const char* name, size_t bufferSize) {
  (void)quiet;  // opening failures are reported by the caller, which knows why it opened
  const bool reading = mode[0] == 'r';
  errno = 0;
  file_ = std::fopen(name, reading ? "rb" : mode);
  if (!file_) {
    missing_ = errno == ENOENT;
    return;
  }
  if (bufferSize) {
    buffer_.resize(bufferSize);
    if (std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size()) != 0) buffer_.clear();
  }
  if (reading && std::fseek(file_, 0, SEEK_END) == 0) {
    size_ = std::ftell(file_);
    std::fseek(file_, 0, SEEK_SET);
  }
}

FileInOut::~FileInOut() { Close(); }

bool FileInOut::Failed() const { return failed_ || (file_ && std::ferror(file_)); }

void FileInOut::printf(const char* format, ...) {
  if (!file_) return;
  va_list args;
  va_start(args, format);
  if (std::vfprintf(file_, format, args) < 0) failed_ = true;
  va_end(args);
}

bool FileInOut::ReadLine(size_t size, char* buffer) {
  if (!file_ || size == 0) return false;
  size_t n = 0;
  bool any = false;
  bool afterNul = false;  // the line ends at a NUL, as it would in a C string
  int c;
  bool ended = false;
  while (n + 1 < size && (c = std::getc(file_)) != EOF) {
    any = true;
    if (c == '\n') {
      ended = true;
      break;
    }
    if (c == '\r') continue;
    if (c == '\0') {
      afterNul = true;
      lossy_ = true;
    }
    if (!afterNul) buffer[n++] = static_cast<char>(c);
  }
  if (!ended && n + 1 >= size) {
    // The buffer is full: the rest of the line is dropped. Read as a line of
    // its own it could take the shape of a record that the file never held.
    while ((c = std::getc(file_)) != EOF && c != '\n') {
      if (c != '\r') lossy_ = true;
    }
  }
  buffer[n] = '\0';
  return any;
}

void FileInOut::Close() {
  if (!file_) return;
  if (std::ferror(file_)) failed_ = true;
  if (std::fclose(file_) != 0) failed_ = true;
  file_ = nullptr;
}

MemoryInOut::MemoryInOut(size_t growth, MemoryArray& array)
    : array_(array), growth_(growth < 256 ? 256 : growth) {}

void MemoryInOut::printf(const char* format, ...) {
  // Measure first: a record can be longer than any growth step.
  va_list args;
  va_start(args, format);
  va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0) {
    va_end(args);
    return;
  }
  const size_t need = position_ + static_cast<size_t>(n) + 1;
  if (need > array_.bytes.size()) {
    size_t grown = array_.bytes.size() + growth_;
    if (grown < need) grown = need + growth_;
    array_.bytes.resize(grown);
  }
  std::vsnprintf(array_.bytes.data() + position_, static_cast<size_t>(n) + 1, format, args);
  va_end(args);
  position_ += static_cast<size_t>(n);
  if (position_ > array_.used) array_.used = position_;
}

bool MemoryInOut::ReadLine(size_t size, char* buffer) {
  if (size == 0 || position_ >= array_.used) return false;
  size_t n = 0;
  bool any = false;
  while (position_ < array_.used && n + 1 < size) {
    const char c = array_.bytes[position_];
    if (c == '\0') {
      if (!any) return false;
      break;
    }
    ++position_;
    any = true;
    if (c == '\r') continue;
    if (c == '\n') break;
    buffer[n++] = c;
  }
  buffer[n] = '\0';
  return true;
}
