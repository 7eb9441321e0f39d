#include "log_entries.h"

#include "framework/config/ini_stream.h"
#include "setup/install_log.h"

std::vector<std::string> LoggedFiles(InstallLog& log)
{
    std::vector<std::string> out;
    INIStream& s = log.Stream();
    s.SetSection("Files");
    for (unsigned i = 0;; ++i) {
        std::string key = "F";
        key += std::to_string(i);
        const char* v = s.FindValue(key.c_str());
        if (!v) break;
        out.push_back(v);
    }
    return out;
}

std::string LogEntry(InstallLog& log, const char* section, const char* key)
{
    const char* v = log.Stream().SetSection(section).FindValue(key);
    return v ? v : "<missing>";
}

std::vector<std::string> SectionLines(INIStream& stream, const char* section)
{
    std::vector<std::string> out;
    const SectionItem* found = stream.FindSection(section);
    if (!found) return out;
    for (const auto& record : found->Records()) out.push_back(std::string(record->Name()) + "=" + record->Value());
    return out;
}
