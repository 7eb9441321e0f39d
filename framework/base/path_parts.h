// Splitting a path text into drive, directory, name and extension, shared by
// the path objects. Each part buffer holds at least `size` bytes; the path
// itself is shorter than `size`, so every part fits.
#pragma once

#include <cstdint>

// drive "X:" (or ""), dir up to and including the last "\" or "/", name up
// to its last ".", ext after it (without the dot).
void SplitPathParts(const char* path, char* drive, char* dir, char* name, char* ext);

inline bool IsPathSeparator(char c) { return c == '\\' || c == '/'; }
// Copies text into out when it fits in size bytes; else out is emptied.
bool CopyPathText(char* out, uint32_t size, const char* text);
// "X:" or "X:\" (or "X:/") and nothing more.
bool IsDriveRootText(const char* path);
