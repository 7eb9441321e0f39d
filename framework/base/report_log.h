// The program's plain-text log: "<name>.log" in the log folder, opened on
// the first write. Opening keeps the previous log as "$<name>.log", writes
// a header line and a report of the machine (Windows version, memory,
// processors, user, network state, start folder, command line), into the
// log itself and to the trace sink. Every write is flushed; a log that
// cannot be opened drops writes until an opening succeeds.
#pragma once

#include <cstdarg>
#include <string>

// The log's name (the program caption) and folder (the start folder; the
// current folder when never set). An empty name or folder opens nothing.
void SetReportLogName(const char* name);
void SetReportLogFolder(const char* folder);
// The versions the report names: the program's, and a second product's
// name and version.
void SetReportLogVersions(const char* programVersion, const char* productName, const char* productVersion);

void LogWrite(const char* format, ...) __attribute__((format(printf, 1, 2)));
void LogVWrite(const char* format, va_list args);
bool ReportLogOpen();
// Closes the log, so the next write opens it again (the program's end,
// tests).
void CloseReportLog();

// "<name><" x64" under WOW64> [ver. major.minor, build = n, Additional
// info: '<service pack>']".
std::string OSDescription();
std::string SystemReport();
// The Windows name of a version code (sys_version.h): "NT 3.51" ... "7",
// "?" for others.
const char* WindowsName(int versionCode);
// The names of the INTERNET_CONNECTION_ flags set in `flags`, in table
// order, joined by ", ".
std::string ConnectionNames(unsigned flags);
