// The layout of Setup.log that the setup writes and the uninstaller reads:
// section and key names and the two entry formats. Both sides use these
// definitions, so that what is written is what is read.
//
//   [Files]               F<n>    = full path of a folder or a file
//   [Registry Keys]       Key<n>  = <root>\<parent path>,<key name>
//                         FKey<n>   (one counter for Key and FKey)
//   [Registry Key Values] Val<n>  = <root>\<key path>, <value name>
//
// <root> is the predefined root key's handle value, eight hex digits
// (HKLM is 80000002). The values are written without quotes: the keys'
// separator has no blank after the comma, the values' has one.
#pragma once

#include <cstdint>
#include <string>

#include <windows.h>

inline constexpr const char* kLogFileName = "Setup.log";
inline constexpr const char* kLogFilesSection = "Files";
inline constexpr const char* kLogKeysSection = "Registry Keys";
inline constexpr const char* kLogValuesSection = "Registry Key Values";
inline constexpr const char* kLogFilePrefix = "F";
inline constexpr const char* kLogKeyPrefix = "Key";
inline constexpr const char* kLogForcedKeyPrefix = "FKey";
inline constexpr const char* kLogValuePrefix = "Val";

// The eight-digit root text: the low 32 bits of the predefined handle.
uint32_t LogRootCode(HKEY root);
HKEY LogRootFromCode(uint32_t code);

std::string FormatLogKeyEntry(HKEY root, const char* parentPath, const char* keyName);
std::string FormatLogValueEntry(HKEY root, const char* keyPath, const char* valueName);

struct LogRegistryEntry {
    HKEY root = nullptr;
    std::string path;  // the parent path (keys) or the key path (values)
    std::string name;  // the key name or the value name
};

// Reads an entry back. The name is what follows the last separator, so a
// path may hold commas; false for a text that is not an entry.
bool ParseLogKeyEntry(const char* text, LogRegistryEntry& out);
bool ParseLogValueEntry(const char* text, LogRegistryEntry& out);
