// Reading back what an install log holds, for the install step's tests.
#pragma once

#include <string>
#include <vector>

class INIStream;
class InstallLog;

// The [Files] values in key order F0, F1, ... up to the first gap.
std::vector<std::string> LoggedFiles(InstallLog& log);
// A value of a section, or "<missing>".
std::string LogEntry(InstallLog& log, const char* section, const char* key);
// The records of a section of any stream, in file order, as "name=value".
std::vector<std::string> SectionLines(INIStream& stream, const char* section);
