#include "framework/ui/message_boxes.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/base/sys_box.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "framework/window/application.h"

namespace {

constexpr uint16_t kNoResource = 6447;
constexpr uint16_t kUnknownKey = 6448;

std::string FormatV(const char* format, va_list args)
{
    va_list copy;
    va_copy(copy, args);
    int n = vsnprintf(nullptr, 0, format ? format : "", copy);
    va_end(copy);
    std::string text(n > 0 ? static_cast<size_t>(n) : 0, '\0');
    if (n > 0) vsnprintf(text.data(), text.size() + 1, format, args);
    return text;
}

int ShowLogged(uint32_t style, const std::string& text)
{
    HWND focus = GetFocus();
    const char* caption = g_fwHooks.caption ? g_fwHooks.caption() : "";
    // While the top-most flag is set the box stays on top and holds the
    // whole program.
    if (g_fwSettings.topMost) style |= MB_TOPMOST | MB_TASKMODAL;
    FwBoxRequest request{FwBoxKind::Plain, style | MB_SETFOREGROUND, 0, 0, caption ? caption : "", text.c_str(),
                         GetMainWindowHandle()};
    int answer = FwPresentBox(request);
    if (focus && IsWindow(focus)) SetFocus(focus);
    LogPrintf("** Message **: %s\n [%s]\n", text.c_str(), BoxResultName(answer).c_str());
    return answer;
}

}  // namespace

std::string BoxResultName(int result)
{
    switch (result) {
    case 1: return "OK";
    case 2: return "CANCEL";
    case 3: return "ABORT";
    case 4: return "RETRY";
    case 5: return "IGNORE";
    case 6: return "YES";
    case 7: return "NO";
    case 8: return "CLOSE";
    case 9: return "HELP";
    case 10: return "TRYAGAIN";
    case 11: return "CONTINUE";
    case 32000: return "TIMEOUT";
    default: return std::to_string(result);
    }
}

int MessageBoxLogged(uint32_t style, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return ShowLogged(style, text);
}

int HelpBox(uint32_t style, int32_t helpContext, const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    g_fwSettings.helpContext = helpContext;
    int answer = ShowLogged(style | MB_HELP, text);
    g_fwSettings.helpContext = -1;
    return answer;
}

int InfoBox(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return ShowLogged(MB_ICONINFORMATION, text);
}

int ErrorMessageBox(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    std::string text = FormatV(format, args);
    va_end(args);
    return ShowLogged(MB_ICONERROR, text);
}

const char* FindKeyedText(const void* data, size_t size, uint32_t key)
{
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (!bytes) return nullptr;
    auto textEnd = [&](size_t at) -> size_t {  // index after the NUL, or 0 when none
        const void* nul = at < size ? memchr(bytes + at, 0, size - at) : nullptr;
        return nul ? static_cast<size_t>(static_cast<const uint8_t*>(nul) - bytes) + 1 : 0;
    };
    uint32_t first = 0;
    if (size >= 4) memcpy(&first, bytes, 4);
    if (size >= 4 && first == 0xFFFFFFFFu) {
        size_t at = 4;
        while (at + 4 <= size) {
            uint32_t k;
            memcpy(&k, bytes + at, 4);  // records are not aligned
            if (k == 0xFFFFFFFFu) return nullptr;
            size_t next = textEnd(at + 4);
            if (!next) return nullptr;
            if (k == key) return reinterpret_cast<const char*>(bytes + at + 4);
            at = next;
        }
        return nullptr;
    }
    size_t at = 0;
    while (at + 2 <= size) {
        uint16_t k;
        memcpy(&k, bytes + at, 2);
        size_t next = textEnd(at + 2);
        if (!next) return nullptr;
        if (k == key) return reinterpret_cast<const char*>(bytes + at + 2);
        at = next;
    }
    return nullptr;
}

std::string GetKeyedText(uint32_t key, uint32_t tableId)
{
    HMODULE module = GetProgramInstance();
    HRSRC info = FindResourceA(module, MAKEINTRESOURCEA(tableId), RT_RCDATA);
    HGLOBAL handle = info ? LoadResource(module, info) : nullptr;
    const void* data = handle ? LockResource(handle) : nullptr;
    if (!data) return GetMLResString(kNoResource);
    const char* text = FindKeyedText(data, SizeofResource(module, info), key);
    if (!text) {
        char unknown[256];
        snprintf(unknown, sizeof unknown, GetMLResString(kUnknownKey), static_cast<unsigned>(key));
        return unknown;
    }
    // The resource is read-only and its text may be bilingual.
    return GetMLText(std::string(text).c_str());
}
