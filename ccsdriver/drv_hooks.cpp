#include "ccsdriver/drv_hooks.h"

#include <cstdlib>
#include <cstring>

#include "ccsdriver/driver_settings.h"
#include "framework/base/base_object.h"

int DrvDoMessage(const char*, ...) { return 0; }
int DrvShowMessageById(uint16_t, ...) { return 0; }
void* DrvMainWindowObject() { return nullptr; }
void DrvExitProgram(int) {}

namespace {

// HTML Help commands and records, as the help control expects them.
constexpr UINT kHhDisplayTextPopup = 0x000E;
constexpr UINT kHhHelpContext = 0x000F;
constexpr UINT kHhKeywordLookup = 0x000D;
constexpr UINT kHhInitialize = 0x001C;

// The help library's records, naturally aligned as its callers lay them out.
struct HhPopup {
    int32_t size;
    HINSTANCE instance;
    uint32_t stringId;
    const char* text;
    POINT position;
    COLORREF foreground;
    COLORREF background;
    RECT margins;
    const char* font;
};
struct HhAkLink {
    int32_t size;
    BOOL reserved;
    const char* keywords;
    const char* url;
    const char* messageText;
    const char* messageTitle;
    const char* window;
    BOOL indexOnFail;
};
#if defined(_WIN64)
static_assert(sizeof(HhPopup) == 72, "HH_POPUP is 72 bytes on 64-bit Windows");
static_assert(sizeof(HhAkLink) == 56, "HH_AKLINK is 56 bytes on 64-bit Windows");
#else
static_assert(sizeof(HhPopup) == 52, "HH_POPUP is 52 bytes");
static_assert(sizeof(HhAkLink) == 32, "HH_AKLINK is 32 bytes");
#endif

using HtmlHelpFn = HWND(WINAPI*)(HWND, const char*, UINT, DWORD_PTR);

HtmlHelpFn g_htmlHelp = nullptr;
DWORD g_helpCookie = 0;
bool g_helpReady = false;

// Binds HtmlHelpA on the first request (never at load) and initialises it.
bool InitHelp()
{
    if (g_helpReady) return true;
    if (!g_htmlHelp) {
        HMODULE library = LoadLibraryA("hhctrl.ocx");
        if (library)
            g_htmlHelp = reinterpret_cast<HtmlHelpFn>(reinterpret_cast<void*>(GetProcAddress(library, "HtmlHelpA")));
    }
    if (!g_htmlHelp) return false;
    g_htmlHelp(nullptr, nullptr, kHhInitialize, reinterpret_cast<DWORD_PTR>(&g_helpCookie));
    g_helpReady = g_helpCookie != 0;
    return g_helpReady;
}

}  // namespace

uintptr_t DrvShowHelp(HWND, uint32_t command, uintptr_t data)
{
    if (!InitHelp()) return static_cast<uintptr_t>(DrvShowMessageById(0));
    HWND owner = GetDesktopWindow();
    const char* file = DrvHelpFile();
    switch (command) {
    case 1:
        return reinterpret_cast<uintptr_t>(g_htmlHelp(owner, file, kHhHelpContext, data));
    case 3:
    case 11:
        return reinterpret_cast<uintptr_t>(ShellExecuteA(owner, nullptr, file, nullptr, nullptr, SW_SHOW));
    case 8: {
        // The driver shows its context help as a text popup, not as a topic.
        HhPopup popup = {sizeof(HhPopup), DriverModule(), 123, nullptr, {100, 100},
                         static_cast<COLORREF>(-1), static_cast<COLORREF>(-1), {-1, -1, -1, -1},
                         "MS Sans Serif, 10, , BOLD"};
        return reinterpret_cast<uintptr_t>(
            g_htmlHelp(owner, file, kHhDisplayTextPopup, reinterpret_cast<DWORD_PTR>(&popup)));
    }
    case 261: {
        HhAkLink link = {sizeof(HhAkLink), FALSE, reinterpret_cast<const char*>(data), nullptr, nullptr, nullptr,
                         nullptr, TRUE};
        return reinterpret_cast<uintptr_t>(
            g_htmlHelp(owner, file, kHhKeywordLookup, reinterpret_cast<DWORD_PTR>(&link)));
    }
    default:
        return reinterpret_cast<uintptr_t>(owner);
    }
}

HMODULE DriverModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<const char*>(&DriverModule), &module);
    return module;
}

std::string HostProgramName()
{
    char path[MAX_PATH + 1] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    const char* name = path;
    for (const char* p = path; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    std::string result(name);
    size_t dot = result.rfind('.');
    if (dot != std::string::npos) result.resize(dot);
    return result;
}

std::string ModuleFilePathStr(const char* subFolder, const char* extension, const char* fileName)
{
    char path[MAX_PATH + 1] = {};
    DWORD n = GetModuleFileNameA(DriverModule(), path, MAX_PATH);
    std::string result(path, n);
    size_t slash = result.find_last_of("\\/");
    result.resize(slash == std::string::npos ? 0 : slash + 1);
    if (subFolder && *subFolder) {
        result += subFolder;
        result += '\\';
    }
    if (fileName) result += fileName;
    if (extension && *extension) {
        if (extension[0] != '.') result += '.';
        result += extension;
    }
    return result;
}

char* ModuleFilePath(const char* subFolder, const char* extension, const char* fileName, char* out, uint32_t size)
{
    if (!out || size == 0) return out;
    std::string path = ModuleFilePathStr(subFolder, extension, fileName);
    size_t n = path.size() < size - 1 ? path.size() : size - 1;
    memcpy(out, path.data(), n);
    out[n] = 0;
    return out;
}

std::string SettingsFilePath() { return ModuleFilePathStr(nullptr, "ini", "VOQ-TMS"); }

// The arguments are those of the setup program's busy scope; the driver's
// shows nothing, so it keeps neither.
DrvBusyScope::DrvBusyScope(const char*, BaseObject*) {}

DrvBusyScope::~DrvBusyScope()
{
    delete owned_;
    free(text_);
}

void DrvBusyScope::Own(BaseObject* object)
{
    if (object != owned_) delete owned_;
    owned_ = object;
}
