// The driver's trace log: the framework's trace sink replaced by a writer
// that, while "LogOn" is on, appends every trace line scrambled to
// VOQ-TMS_<host>.jlg beside the library.
//
// File format: one record per trace call, the formatted text and its NUL,
// each byte XOR-ed with the low byte of the next value of the log's own
// generator, seeded with kTraceLogSeed when the file is opened.
#pragma once

#include <cstdarg>
#include <cstdint>
#include <string>

constexpr uint32_t kTraceLogSeed = 6271;
constexpr uint32_t kTraceLineSize = 8192;

void TraceLogWrite(const char* format, va_list args);
void InstallTraceLog();
// Writes the "DLL unloaded" line, then closes the file.
void CloseTraceLog();
// The full path of the log file for the current host program.
std::string TraceLogPath();
bool TraceLogIsOpen();
void DrvTraceBlankLine(const char* text);

// Reports the time between construction and destruction to the trace.
// With onlyWhenDebugging set it stays silent unless the debug flag is set.
class MicroStopwatch {
public:
    MicroStopwatch(bool onlyWhenDebugging, const char* name);
    ~MicroStopwatch();
    MicroStopwatch(const MicroStopwatch&) = delete;
    MicroStopwatch& operator=(const MicroStopwatch&) = delete;

private:
    char* name_ = nullptr;
    uint64_t start_ = 0;
    uint8_t onlyWhenDebugging_;
};

class MilliStopwatch {
public:
    MilliStopwatch(bool onlyWhenDebugging, const char* name);
    ~MilliStopwatch();
    MilliStopwatch(const MilliStopwatch&) = delete;
    MilliStopwatch& operator=(const MilliStopwatch&) = delete;

private:
    char* name_ = nullptr;
    uint32_t start_ = 0;
    uint8_t onlyWhenDebugging_;
};
