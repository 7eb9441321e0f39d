// Entry names of an archive that may be written below a destination folder:
// relative, without ".." levels, drive letters, stream colons, reserved
// device names or characters that a file name cannot hold. Portable: the
// archive library's stand-in refuses the same names.
#pragma once

#include <cstddef>

// Longest entry name accepted (shorter than MAX_PATH).
constexpr size_t kMaxEntryName = 259;

bool IsSafeEntryName(const char* name);
