#include "ccsdriver/driver_settings.h"

#include <cstdio>
#include <cstring>

#include "ccsdriver/drv_hooks.h"
#include "framework/base/text_utils.h"
#include "framework/config/ini_stream.h"

namespace {

constexpr const char* kSection = "Options";
constexpr uint32_t kHelpFileSize = 260;

// Constant-initialised: valid before the first initialiser and after the last
// destructor of the library.
constinit uint8_t g_logOn = 0;
constinit uint32_t g_jtagSpeed = kJtagSpeedDefault;
constinit char g_helpFile[kHelpFileSize] = {};

}  // namespace

bool DrvLogOn() { return g_logOn != 0; }
void DrvSetLogOn(bool on) { g_logOn = on ? 1 : 0; }
uint32_t DrvJtagSpeed() { return g_jtagSpeed; }

bool DrvSetJtagSpeed(uint32_t index)
{
    if (index >= kJtagSpeedCount) return false;
    g_jtagSpeed = index;
    return true;
}

const char* DrvHelpFile() { return g_helpFile; }

void DrvSetHelpFile(const char* path)
{
    CopyBounded(g_helpFile, path ? path : "", kHelpFileSize);
}

void ResetDriverSettings()
{
    g_logOn = 0;
    g_jtagSpeed = kJtagSpeedDefault;
    g_helpFile[0] = 0;
}

void LoadDriverSettings()
{
    std::string path = SettingsFilePath();
    INIStream stream(0, path.c_str());
    if (!stream.IsLoaded()) return;
    stream.SetSection(kSection);
    if (const char* value = stream.FindValue("LogOn")) g_logOn = ParseNumber(value) != 0 ? 1 : 0;
    // An out-of-range index (a hand-edited file) keeps the current speed.
    if (const char* value = stream.FindValue("JTAGSpeed")) DrvSetJtagSpeed(ParseNumber(value));
    if (const char* value = stream.FindValue("HelpFile")) DrvSetHelpFile(value);
}

void SaveDriverSettings()
{
    std::string path = SettingsFilePath();
    INIStream stream(0, path.c_str());
    stream.SelectSection(kSection);
    char number[16];
    snprintf(number, sizeof number, "%u", static_cast<unsigned>(g_logOn));
    stream.SetValue(number, "LogOn");
    snprintf(number, sizeof number, "%u", static_cast<unsigned>(g_jtagSpeed));
    stream.SetValue(number, "JTAGSpeed");
    stream.SetValue(g_helpFile, "HelpFile");
    stream.Save();
}
