// The values of the uninstall entry that are computed rather than copied:
// the packed version number, the size in KiB, the install date text and the
// quoted uninstaller command.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

struct VersionNumbers {
    uint32_t major = 0;
    uint32_t minor = 0;
    uint32_t build = 0;
};

// The first three decimal numbers of a version text: each is read up to the
// first non-digit, and the next starts after that character ("1.02.3" gives
// 1, 2, 3). Missing numbers are 0; the reading stops at the end of the text.
VersionNumbers ParseVersionNumbers(const char* text);

// (major << 24) | (minor << 16) | build, each part masked to its field
// (8, 8 and 16 bits) so that a large minor or build cannot spill into the
// field above it.
uint32_t PackVersion(const VersionNumbers& version);

// The program list reads EstimatedSize in KiB: bytes / 1024 rounded up,
// held at 0xFFFFFFFF for sizes that do not fit.
uint32_t EstimatedSizeKiB(uint64_t bytes);

// "%04u%02u%02u" of the date's year, month and day.
std::string InstallDateText(const SYSTEMTIME& date);

// The uninstaller's command line, quoted so that blanks in the folder cannot
// make the system start another program: "\"<folder>\unrigger.exe\"".
std::string UninstallCommand(const char* targetDir);
