#include "framework/base/message.h"

#include <windows.h>

#include <cstdlib>
#include <cstring>

#include "framework/base/sys_box.h"
#include "framework/base/sys_error.h"
#include "framework/base/ml_text.h"

namespace {

#if defined(FW_FLAVOUR_OUTRIG)
constexpr size_t kTextSize = 4096;
constexpr const char* kLetters = "afimrst";
#else
constexpr size_t kTextSize = 16384;
constexpr const char* kLetters = "aefimrst";
#endif

constexpr uint16_t kIconError = 102;
constexpr uint16_t kIconInformation = 103;
constexpr uint16_t kBadFlagsId = 5008;

FILE* g_setupLog = nullptr;

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

bool ValidLetters(const char* flags)
{
    for (const char* p = flags; *p; ++p)
        if (!strchr(kLetters, Lower(*p))) return false;
    return true;
}

}  // namespace

int DoMessageCore(const char* flags, const uint16_t* presetId, bool withSystemError, va_list args);

namespace {

int BadFlags(const char* flags)
{
    SetLanguageModule(nullptr);
    ShowMessageById(kBadFlagsId, flags);
#if defined(FW_FLAVOUR_TMS)
    return 0;  // the driver's build answers 0 to everything
#else
    return 1;
#endif
}

}  // namespace

// The message function proper. `presetId` (when not null) is the argument
// of the first 'm', so ShowMessageById can forward its caller's arguments
// as they are.
int DoMessageCore(const char* flags, const uint16_t* presetId, bool withSystemError, va_list args)
{
    const char* letters = flags ? flags : "";
    // The system error of the caller's failure, before anything here can
    // change it.
    DWORD lastError = GetLastError();
    if (!ValidLetters(letters)) return BadFlags(letters);

    uint16_t icon = kIconError;
    const char* caption = nullptr;
    bool captionGiven = false;
    const char* text = nullptr;
    uint16_t messageId = 0;
    bool withError = withSystemError;
    for (const char* p = letters; *p; ++p) {
        switch (Lower(*p)) {
        case 'a': SetLanguageModule(reinterpret_cast<HMODULE>(va_arg(args, uintptr_t))); break;
        case 'e': withError = true; break;
        case 'f': break;
        case 'i': icon = kIconInformation; break;
        case 'm':
            if (presetId) {
                messageId = *presetId;
                presetId = nullptr;
            } else {
                messageId = static_cast<uint16_t>(va_arg(args, uint32_t));
            }
            text = GetMLResString(messageId);
            break;
        case 'r':
            caption = GetMLResString(static_cast<uint16_t>(va_arg(args, uint32_t)));
            captionGiven = true;
            break;
        case 's': text = GetMLText(va_arg(args, const char*)); break;
        case 't':
            caption = GetMLText(va_arg(args, const char*));
            captionGiven = true;
            break;
        }
    }
    if (!text) return BadFlags(letters);
    if (!captionGiven) caption = GetMLText(icon == kIconInformation ? "Information|\xC8\xED\xF4\xEE\xF0\xEC\xE0\xF6\xE8\xFF"
                                                                    : "Error|\xCE\xF8\xE8\xE1\xEA\xE0");

    // Texts from the ring may be overwritten by what follows: keep copies.
    char* message = static_cast<char*>(malloc(kTextSize + 1100));
    char* title = caption ? strdup(caption) : nullptr;
    if (!message) {
        SetLanguageModule(nullptr);
        free(title);
        return 0;
    }
    vsnprintf(message, kTextSize, text, args);
    SetLanguageModule(nullptr);
    if (withError) {
        char system[1024];
        GetLastErrorText(lastError, system, sizeof system);
        size_t n = strlen(message);
        snprintf(message + n, kTextSize + 1100 - n, ":\n%s", system);
    }
#if defined(FW_FLAVOUR_TMS)
    // The driver's message function shows and logs nothing.
    free(message);
    free(title);
    return 0;
#else
    LogPrintf("** Message **: %s\n", message);
    FwBoxRequest request = {FwBoxKind::Message, 0, icon, messageId, title ? title : "", message, nullptr};
    int answer = FwPresentBox(request);
    free(message);
    free(title);
    return answer;
#endif
}

int DoMessageV(const char* flags, va_list args) { return DoMessageCore(flags, nullptr, false, args); }

int DoMessage(const char* flags, ...)
{
    va_list args;
    va_start(args, flags);
    int answer = DoMessageCore(flags, nullptr, false, args);
    va_end(args);
    return answer;
}

int DoMessageWithSystemError(const char* flags, ...)
{
    va_list args;
    va_start(args, flags);
    int answer = DoMessageCore(flags, nullptr, true, args);
    va_end(args);
    return answer;
}

int DoMessageIdV(const char* flags, uint16_t id, va_list args) { return DoMessageCore(flags, &id, false, args); }

int ShowMessageById(uint16_t id, ...)
{
    va_list args;
    va_start(args, id);
    int answer = DoMessageCore("m", &id, false, args);
    va_end(args);
    return answer;
}

namespace {

uint32_t ReadU32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }

// The keyed text of a table's bytes, or null when the key is absent. Every
// read stays inside the resource, whatever its contents.
const char* FindKeyed(const uint8_t* p, const uint8_t* end, uint32_t key)
{
    bool layoutB = end - p >= 4 && ReadU32(p) == 0xFFFFFFFFu;
    size_t keySize = layoutB ? 4 : 2;
    if (layoutB) p += 4;
    while (end - p >= static_cast<ptrdiff_t>(keySize)) {
        uint32_t k = layoutB ? ReadU32(p) : static_cast<uint32_t>(p[0] | p[1] << 8);
        if (layoutB && k == 0xFFFFFFFFu) return nullptr;  // the end pair
        p += keySize;
        const uint8_t* text = p;
        while (p < end && *p) ++p;
        if (p == end) return nullptr;  // a text without its NUL: the table ends here
        ++p;
        if (k == key) return reinterpret_cast<const char*>(text);
    }
    return nullptr;
}

}  // namespace

const char* GetKeyedText(uint32_t key, uint16_t tableId)
{
    HMODULE module = GetProgramInstance();  // the program's own, never the language module
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(tableId), RT_RCDATA);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const uint8_t* data = handle ? static_cast<const uint8_t*>(LockResource(handle)) : nullptr;
    if (!data) return GetMLResString(6447);
    const char* text = FindKeyed(data, data + SizeofResource(module, info), key);
    if (text) return GetMLText(text);
    // The unknown key's text is made of a converted result: cut, not
    // converted again.
    char unknown[512];
    snprintf(unknown, sizeof unknown, GetMLResString(6448), key);
    return GetMLTextConverted(unknown);
}

int LogPrintf(const char* format, ...)
{
    if (!g_setupLog || !format) return 0;
    va_list args;
    va_start(args, format);
    int n = vfprintf(g_setupLog, format, args);
    va_end(args);
    fflush(g_setupLog);
    return n;
}

void SetSetupLog(FILE* stream) { g_setupLog = stream; }
FILE* GetSetupLog() { return g_setupLog; }
