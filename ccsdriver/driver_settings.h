// The driver's two settings, "LogOn" and "JTAGSpeed", and the help file.
//
// The values live in plain process-wide storage that outlives every object
// of the driver, because the log writer reads "LogOn" on every trace line,
// including the "DLL unloaded" line written after the options are gone.
#pragma once

#include <cstdint>

constexpr uint32_t kJtagSpeedCount = 8;     // 18 MHz / 2^index, index 0..7
constexpr uint32_t kJtagSpeedDefault = 3;   // 2.25 MHz

bool DrvLogOn();
void DrvSetLogOn(bool on);
uint32_t DrvJtagSpeed();
// Keeps the old index and returns false for an index outside 0..7.
bool DrvSetJtagSpeed(uint32_t index);
const char* DrvHelpFile();
void DrvSetHelpFile(const char* path);

// Reads the settings from the section "Options" of the settings file beside
// the library, and writes them back. Missing keys keep their values.
void LoadDriverSettings();
void SaveDriverSettings();
// Back to the load-time defaults (LogOn off, JTAGSpeed 3, no help file).
void ResetDriverSettings();
