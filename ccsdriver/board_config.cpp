#include "ccsdriver/board_config.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "ccsdriver/driver_settings.h"
#include "ccsdriver/drv_hooks.h"
#include "ccsdriver/gti_api.h"
#include "ccsdriver/gti_frame.h"
#include "framework/base/hooks.h"
#include "framework/base/text_utils.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/trace_scope.h"

static_assert(sizeof(void*) != 4 || sizeof(BoardParamEntry) == 28, "a board parameter is 7 words");
static_assert(sizeof(void*) != 4 || sizeof(BoardParamList) == 8, "a parameter list is 2 words");

namespace {

constexpr uint32_t kSupportedProcessors[] = {0x500153F8};

// Russian halves in code page 866, as every bilingual text of the system.
// The name holds its English half first, like every other text, so the host
// shows "TCK Frequency" in English.
constexpr const char* kTckName = "TCK Frequency|\x97\xA0\xE1\xE2\xAE\xE2\xA0 TCK";
constexpr const char* kTckChoices[] = {
    "18 MHz|18 \x8C\x83\xE6",         "9 MHz|9 \x8C\x83\xE6",           "4.5 MHz|4.5 \x8C\x83\xE6",
    "2.25 MHz|2.25 \x8C\x83\xE6",     "1.125 MHz|1.125 \x8C\x83\xE6",   "562.5 KHz|562.5 \x8A\x83\xE6",
    "281.25 KHz|281.25 \x8A\x83\xE6", "140.625 KHz|140.625 \x8A\x83\xE6",
};
constexpr const char* kLogName = "Log File|\x8B\xAE\xA3-\xE4\xA0\xA9\xAB";
constexpr const char* kLogChoices[] = {"Off|\x82\xEB\xAA\xAB\xEE\xE7\xA5\xAD", "On|\x82\xAA\xAB\xEE\xE7\xA5\xAD"};

GtiBoardRecord g_record;

char* CopyText(const char* bilingual) { return strdup(GetMLText(bilingual)); }

void FillEntry(BoardParamEntry& entry, const char* name, const char* const* choices, uint32_t count, uint32_t current)
{
    entry = BoardParamEntry{};
    entry.type = 0;
    entry.name = CopyText(name);
    entry.choiceCount = count;
    entry.choices = static_cast<char**>(calloc(count, sizeof(char*)));
    if (entry.choices)
        for (uint32_t i = 0; i < count; ++i) entry.choices[i] = CopyText(choices[i]);
    entry.current = current;
}

std::string CurrentDirectory()
{
    char dir[MAX_PATH + 1] = {};
    GetCurrentDirectoryA(MAX_PATH, dir);
    return dir;
}

std::string CapabilityFilePath()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(DriverModule(), path, MAX_PATH);
    std::string s(path);
    size_t slash = s.find_last_of("\\/");
    size_t dot = s.rfind('.');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash)) s.resize(dot);
    return s + ".cfg";
}

}  // namespace

GtiBoardRecord& BoardRecord() { return g_record; }

uint32_t ReadCapabilityFile(const char* path)
{
    std::ifstream in(path ? path : "");
    std::vector<std::string> lines;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") != std::string::npos) lines.push_back(line);
    }
    if (lines.empty()) return kDefaultCapabilities;
    uint32_t mask = 0;
    for (const std::string& text : lines) {
        size_t start = text.find_first_not_of(" \t");
        if (text[start] == ';' || text[start] == '/') continue;
        std::vector<std::string> words;
        size_t at = start;
        while (at <= text.size()) {
            size_t blank = text.find(' ', at);
            if (blank == std::string::npos) blank = text.size();
            if (blank > at) words.push_back(text.substr(at, blank - at));
            at = blank + 1;
        }
        if (words.size() >= 2) mask |= ParseNumber(words[1].c_str());
    }
    return mask;
}

GtiBoardRecord& GtiBoardConfig(GtiBoardRecord& record)
{
    FreeBoardParams(record);
    record = GtiBoardRecord{};
    record.procCount = 1;
    record.procList = kSupportedProcessors;
    record.procType = 8;
    record.procId = 0x50015000;
    record.word6 = 0x1000000;
    record.word8 = 0x10001;
    record.revision = 0x3200;
    CopyBounded(record.description, "Korvan VOQ-54xx JTAG Emulator driver", sizeof record.description);
    record.last = 1;
    record.capabilities = ReadCapabilityFile(CapabilityFilePath().c_str());
    return record;
}

BoardParamList* OpenBoardConfig(GtiBoardRecord& record, const char* boardName)
{
    PTraceScope scope("OpenBoardConfig(\"%s\", Cur Dir = \"%s\")", boardName ? boardName : "(null)",
                      CurrentDirectory().c_str());
    if (record.params) return record.params;
    auto* list = static_cast<BoardParamList*>(calloc(1, sizeof(BoardParamList)));
    auto* entries = static_cast<BoardParamEntry*>(calloc(2, sizeof(BoardParamEntry)));
    if (!list || !entries) {
        free(list);
        free(entries);
        return nullptr;
    }
    list->count = 2;
    list->entries = entries;
    FillEntry(entries[0], kTckName, kTckChoices, kJtagSpeedCount, DrvJtagSpeed());
    FillEntry(entries[1], kLogName, kLogChoices, 2, DrvLogOn() ? 1 : 0);
    record.params = list;
    return list;
}

BoardParamList* GetBoardConfig(GtiBoardRecord& record, const char* boardName)
{
    PTraceScope scope("GetBoardConfig(\"%s\", Cur Dir = \"%s\")", boardName ? boardName : "(null)",
                      CurrentDirectory().c_str());
    if (!record.params) OpenBoardConfig(record, boardName);
    if (!record.params) return nullptr;
    record.params->entries[0].current = DrvJtagSpeed();
    record.params->entries[1].current = DrvLogOn() ? 1 : 0;
    return record.params;
}

void SetBoardConfig(GtiBoardRecord& record, const char* boardName)
{
    PTraceScope scope("SetBoardConfig(\"%s\", Cur Dir = \"%s\")", boardName ? boardName : "(null)",
                      CurrentDirectory().c_str());
    if (!record.params) return;
    // The host writes these indexes; one out of range keeps the old setting.
    DrvSetJtagSpeed(record.params->entries[0].current);
    uint32_t log = record.params->entries[1].current;
    if (log <= 1) {
        DrvSetLogOn(log != 0);
        // The log switch and the export traces go together, as after the
        // settings dialog's OK.
        g_fwSettings.tracing = log ? 1 : 0;
    }
}

void FreeBoardParams(GtiBoardRecord& record)
{
    BoardParamList* list = record.params;
    record.params = nullptr;
    if (!list) return;
    // Only what the driver allocated: the texts and arrays of its own entries.
    for (uint32_t i = 0; i < list->count && list->entries; ++i) {
        BoardParamEntry& entry = list->entries[i];
        if (entry.choices)
            for (uint32_t c = 0; c < entry.choiceCount; ++c) free(entry.choices[c]);
        free(entry.choices);
        free(const_cast<char*>(entry.name));
    }
    free(list->entries);
    free(list);
}

namespace {

void TraceConfigParams(int32_t result, void* pHandle, BoardParamList** ppConfig, const char* sBoardName)
{
    GtiTraceValue(GtiParam::Decimal, "nResult", static_cast<uint32_t>(result));
    GtiTraceParam(GtiParam::PointerAndValue, "pHandle", pHandle);
    GtiTraceParam(GtiParam::Hex, "ppConfig", ppConfig);
    GtiTraceParam(GtiParam::Text, "sBoardName", sBoardName);
}

}  // namespace

GTI_EXPORT int32_t GTI_GETCONFIGPARAM(void* pHandle, BoardParamList** ppConfig, const char* sBoardName)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_GETCONFIGPARAM");
        if (!ppConfig) {
            TraceConfigParams(-1, pHandle, ppConfig, sBoardName);
            return -1;
        }
        *ppConfig = GetBoardConfig(g_record, sBoardName);
        TraceConfigParams(0, pHandle, ppConfig, sBoardName);
        return 0;
    });
}

GTI_EXPORT int32_t GTI_SETCONFIGPARAM(void* pHandle, BoardParamList** ppConfig, const char* sBoardName)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_SETCONFIGPARAM");
        // The values come from the driver's own list, which the host edits in place.
        SetBoardConfig(g_record, sBoardName);
        TraceConfigParams(0, pHandle, ppConfig, sBoardName);
        return 0;
    });
}

GTI_EXPORT int32_t GTI_CONFIG(void* pHandle, BoardParamList** ppConfig, const char* sBoardName, int32_t nAction)
{
    return GtiGuard<int32_t>(-1, [&] {
        GtiScope scope("GTI_CONFIG");
        GtiTraceParam(GtiParam::Hex, "ppConfig", ppConfig);
        GtiTraceValue(GtiParam::Decimal, "nAction", static_cast<uint32_t>(nAction));
        GtiTraceParam(GtiParam::PointerAndValue, "pHandle", pHandle);
        GtiTraceParam(GtiParam::Text, "sBoardName", sBoardName);
        int32_t result = -1;
        switch (nAction) {
        case 0: result = GTI_GETCONFIGPARAM(pHandle, ppConfig, sBoardName); break;
        case 1: result = GTI_SETCONFIGPARAM(pHandle, ppConfig, sBoardName); break;
        case 2:
            FreeBoardParams(g_record);
            if (ppConfig) *ppConfig = nullptr;
            result = 0;
            break;
        default: break;
        }
        GtiTraceValue(GtiParam::Decimal, "nResult", static_cast<uint32_t>(result));
        return result;
    });
}
