#include "framework/ui/program_hooks.h"

#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

void DefaultExit(int code)
{
#if defined(FW_FLAVOUR_TMS)
    (void)code;  // the driver never ends its host
#else
    exit(code);
#endif
}

// The HTML Help function, bound at run time (no import of hhctrl.ocx).
using HtmlHelpFunction = HWND(WINAPI*)(HWND, LPCSTR, UINT, DWORD_PTR);
constexpr UINT kHhDisplayTopic = 0x0000;
constexpr UINT kHhHelpContext = 0x000F;
constexpr UINT kHhKeywordLookup = 0x000D;
constexpr UINT kHhInitialize = 0x001C;
constexpr UINT kHhUninitialize = 0x001D;

struct HhAkLink {
    int cbStruct;
    BOOL fReserved;
    LPCSTR pszKeywords;
    LPCSTR pszUrl;
    LPCSTR pszMsgText;
    LPCSTR pszMsgTitle;
    LPCSTR pszWindow;
    BOOL fIndexOnFail;
};

ExitProgramHook g_exitHook = &DefaultExit;
std::string g_helpFile;
HMODULE g_htmlHelpModule = nullptr;
HtmlHelpFunction g_htmlHelp = nullptr;
DWORD_PTR g_htmlHelpCookie = 0;
bool g_htmlHelpReady = false;

HtmlHelpFunction BindHtmlHelp()
{
    if (g_htmlHelp) return g_htmlHelp;
    g_htmlHelpModule = LoadLibraryA("hhctrl.ocx");
    if (g_htmlHelpModule)
        g_htmlHelp = reinterpret_cast<HtmlHelpFunction>(
            reinterpret_cast<void*>(GetProcAddress(g_htmlHelpModule, "HtmlHelpA")));
    return g_htmlHelp;
}

bool IsChm(const std::string& file)
{
    size_t dot = file.rfind('.');
    return dot != std::string::npos && _stricmp(file.c_str() + dot + 1, "chm") == 0;
}

int DefaultShowHelp(HWND, uint32_t command, uintptr_t data)
{
    if (g_helpFile.empty()) return 0;
    if (!IsChm(g_helpFile)) return WinHelpA(nullptr, g_helpFile.c_str(), command, data);
    HtmlHelpFunction help = BindHtmlHelp();
    if (!help) return 0;
    // Initialised once; the cookie stays valid until CloseHtmlHelp at exit.
    if (!g_htmlHelpReady) {
        help(nullptr, nullptr, kHhInitialize, reinterpret_cast<DWORD_PTR>(&g_htmlHelpCookie));
        g_htmlHelpReady = g_htmlHelpCookie != 0;
        if (!g_htmlHelpReady) return 0;
    }
    HWND desktop = GetDesktopWindow();
    switch (command) {
    case 1:
    case 8:
        return help(desktop, g_helpFile.c_str(), kHhHelpContext, data) != nullptr;
    case 3:
    case 11:
        return reinterpret_cast<intptr_t>(ShellExecuteA(nullptr, nullptr, g_helpFile.c_str(), nullptr, nullptr, SW_SHOW)) > 32;
    case 0x105: {
        // A keyword lookup takes a link record, not the keyword itself.
        HhAkLink link{};
        link.cbStruct = sizeof link;
        link.pszKeywords = reinterpret_cast<LPCSTR>(data);
        link.fIndexOnFail = TRUE;
        help(desktop, g_helpFile.c_str(), kHhDisplayTopic, 0);
        return help(desktop, g_helpFile.c_str(), kHhKeywordLookup, reinterpret_cast<DWORD_PTR>(&link)) != nullptr;
    }
    default:
        return 0;
    }
}

ShowHelpHook g_helpHook = &DefaultShowHelp;

}  // namespace

void SetExitProgramHook(ExitProgramHook hook) { g_exitHook = hook ? hook : &DefaultExit; }
void ExitProgram(int code) { g_exitHook(code); }

void SetShowHelpHook(ShowHelpHook hook) { g_helpHook = hook ? hook : &DefaultShowHelp; }
int ShowHelp(HWND window, uint32_t command, uintptr_t data) { return g_helpHook(window, command, data); }
void SetHelpFile(const char* path) { g_helpFile = path ? path : ""; }
const char* GetHelpFile() { return g_helpFile.c_str(); }

void CloseHtmlHelp()
{
    if (g_htmlHelp && g_htmlHelpReady) g_htmlHelp(nullptr, nullptr, kHhUninitialize, g_htmlHelpCookie);
    g_htmlHelpReady = false;
    g_htmlHelpCookie = 0;
}
