#include "sim/setup/unrigger/logged_install.h"

#include <cstdio>

#include "framework/config/ini_stream.h"

namespace {

const char* Entry(INIStream& log, const char* prefix, unsigned index)
{
    char key[24];
    std::snprintf(key, sizeof key, "%s%u", prefix, index);
    return log.FindValue(key);
}

}  // namespace

bool ReadLoggedInstall(const char* logPath, LoggedInstall& out)
{
    out = LoggedInstall();
    INIStream log(INI_READ_ONLY, logPath);
    if (!log.IsLoaded()) return false;

    log.SetSection("Setup");
    if (const char* folder = log.FindValue("Folder")) out.folder = folder;

    log.SetSection(kLogFilesSection);
    for (unsigned n = 0;; ++n) {
        const char* path = Entry(log, kLogFilePrefix, n);
        if (!path) break;
        out.files.emplace_back(path);
    }

    // Key and FKey share one counter.
    log.SetSection(kLogKeysSection);
    for (unsigned n = 0;; ++n) {
        LoggedKey key;
        const char* text = Entry(log, kLogKeyPrefix, n);
        if (!text) {
            text = Entry(log, kLogForcedKeyPrefix, n);
            key.forced = true;
        }
        if (!text) break;
        if (ParseLogKeyEntry(text, key.entry)) out.keys.push_back(key);
    }

    log.SetSection(kLogValuesSection);
    for (unsigned n = 0;; ++n) {
        const char* text = Entry(log, kLogValuePrefix, n);
        if (!text) break;
        LogRegistryEntry value;
        if (ParseLogValueEntry(text, value)) out.values.push_back(value);
    }
    return true;
}
