#include "ccsdriver/host_menu.h"

#include <commctrl.h>

#include <cstring>

#include "ccsdriver/drv_hooks.h"
#include "ccsdriver/gti_frame.h"
#include "ccsdriver/master_link.h"
#include "ccsdriver/settings_dialog.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_box.h"
#include "framework/base/sys_trace.h"
#include "framework/ui/message_boxes.h"
#include "framework/ui/ml_text.h"
#include "framework/window/window_text.h"
#include "master/exports/master_api.h"

namespace {

constexpr UINT_PTR kFinderTimerId = 171;  // ignored without a window; the returned id is kept
constexpr UINT_PTR kSubclassId = 0x564F51;
constexpr char kPopupTitle[] = "VOQ-TMS";
constexpr char kHostModule[] = "cc_app.exe";
constexpr char kHostTitle[] = "Code Composer Studio";

constexpr const char* kSettingsText = "Settings...|\x8D\xA0\xE1\xE2\xE0\xAE\xA9\xAA\xA8...";
constexpr const char* kHelpText = "VOQ-TMS On-Line Help|\x91\xAF\xE0\xA0\xA2\xAA\xA0 \xAF\xAE VOQ-TMS";
constexpr const char* kAboutItemText = "About VOQ-TMS...|\x8E VOQ-TMS...";
constexpr const char* kAboutText =
    "Board driver version:     \t%s\nBoard bootloader version: \t%u.%02u, %s\nTarget software version:  \t%u.%02u, "
    "%s|\x82\xA5\xE0\xE1\xA8\xEF \xA4\xE0\xA0\xA9\xA2\xA5\xE0\xA0 \xAF\xAB\xA0\xE2\xEB:   \t%s\n\x82\xA5\xE0\xE1\xA8\xEF "
    "\xA7\xA0\xA3\xE0\xE3\xA7\xE7\xA8\xAA\xA0 \xAF\xAB\xA0\xE2\xEB: \t%u.%02u, %s\n\x82\xA5\xE0\xE1\xA8\xEF \x8F\x8E "
    "\xAF\xAB\xA0\xE2\xEB:         \t%u.%02u, %s";

// The alias over the host's window: its popup in the window's menu bar and
// a subclass (comctl32's chain, which any other subclass can join or leave
// in any order) for the popup's commands.
class CCSShellWindow {
public:
    explicit CCSShellWindow(HWND window) : window_(window)
    {
        subclassed_ = SetWindowSubclass(window_, &Procedure, kSubclassId, 0) != FALSE;
        popup_ = CreatePopupMenu();
        if (!popup_) return;
        AppendMenuA(popup_, MF_STRING, kCmdDrvSettings, GetMLText(kSettingsText));
        AppendMenuA(popup_, MF_STRING, kCmdDrvHelp, GetMLText(kHelpText));
        AppendMenuA(popup_, MF_STRING, kCmdDrvAbout, GetMLText(kAboutItemText));
        HMENU bar = GetMenu(window_);
        if (!bar) return;  // the next tick tries again once there is a bar
        int position = GetMenuItemCount(bar) - 2;
        if (position < 0) position = 0;
        InsertMenuA(bar, static_cast<UINT>(position), MF_BYPOSITION | MF_POPUP, reinterpret_cast<UINT_PTR>(popup_),
                    kPopupTitle);
        DrawMenuBar(window_);
    }

    ~CCSShellWindow()
    {
        if (subclassed_ && IsWindow(window_)) RemoveWindowSubclass(window_, &Procedure, kSubclassId);
        if (!popup_) return;
        HMENU bar = IsWindow(window_) ? GetMenu(window_) : nullptr;
        for (int i = bar ? GetMenuItemCount(bar) : 0; i-- > 0;) {
            if (GetSubMenu(bar, i) != popup_) continue;
            RemoveMenu(bar, static_cast<UINT>(i), MF_BYPOSITION);
            DrawMenuBar(window_);
            break;
        }
        if (IsMenu(popup_)) DestroyMenu(popup_);
    }
    CCSShellWindow(const CCSShellWindow&) = delete;
    CCSShellWindow& operator=(const CCSShellWindow&) = delete;

private:
    static LRESULT CALLBACK Procedure(HWND window, UINT msg, WPARAM w, LPARAM l, UINT_PTR, DWORD_PTR)
    {
        if (msg == WM_COMMAND && HIWORD(w) == 0) {
            switch (LOWORD(w)) {
            case kCmdDrvSettings:
                RunSettingsDialog();
                return 0;
            case kCmdDrvAbout:
                ShowAbout();
                return 0;
            case kCmdDrvHelp:
                DrvShowHelp(window, 3, 0);
                return 0;
            default:
                break;
            }
        }
        LRESULT result = DefSubclassProc(window, msg, w, l);
        if (msg == WM_INITMENUPOPUP) {
            // After the host's own handling, so that it cannot leave them grey.
            HMENU opened = reinterpret_cast<HMENU>(w);
            for (UINT id : {kCmdDrvSettings, kCmdDrvAbout, kCmdDrvHelp}) EnableMenuItem(opened, id, MF_BYCOMMAND | MF_ENABLED);
        }
        return result;
    }

    HWND window_;
    HMENU popup_ = nullptr;
    bool subclassed_ = false;
};

UINT_PTR g_timer = 0;
HWND g_hostWindow = nullptr;
CCSShellWindow* g_shell = nullptr;

void CALLBACK FinderTick(HWND, UINT, UINT_PTR, DWORD)
{
    // A timer procedure is a Windows callback: nothing may escape it.
    try {
        FindHostWindow();
    } catch (...) {
    }
}

bool MenuStillInPlace(HWND window)
{
    HMENU bar = GetMenu(window);
    if (!bar) return true;  // nothing to add to: this tick ends
    for (int i = 0, n = GetMenuItemCount(bar); i < n; ++i) {
        char text[81] = {};
        MENUITEMINFOA info = {};
        info.cbSize = sizeof info;
        info.fMask = MIIM_TYPE;
        info.dwTypeData = text;
        info.cch = 80;
        if (GetMenuItemInfoA(bar, static_cast<UINT>(i), TRUE, &info) && strcmp(text, kPopupTitle) == 0) return true;
    }
    return false;
}

BOOL CALLBACK VisitWindow(HWND window, LPARAM)
{
    char module[MAX_PATH + 1] = {};
    if (!GetWindowModuleFileNameA(window, module, MAX_PATH)) return TRUE;
    char title[MAX_PATH + 1] = {};
    GetWindowTextA(window, title, MAX_PATH);
    if (!IsHostWindow(module, title, GetMenu(window) != nullptr)) return TRUE;
    g_hostWindow = window;
    delete g_shell;
    g_shell = new CCSShellWindow(window);
    TracePrintf("-- Created CCS Shell window alias ---\n");
    return FALSE;
}

}  // namespace

bool IsHostWindow(const char* moduleFile, const char* title, bool hasMenu)
{
    const char* name = moduleFile;
    for (const char* p = moduleFile; *p; ++p)
        if (*p == '\\' || *p == '/' || *p == ':') name = p + 1;
    return lstrcmpiA(name, kHostModule) == 0 && strstr(title, kHostTitle) != nullptr && hasMenu;
}

void FindHostWindow()
{
    if (g_hostWindow && IsWindow(g_hostWindow) && MenuStillInPlace(g_hostWindow)) return;
    EnumThreadWindows(GetCurrentThreadId(), &VisitWindow, 0);
}

void StartHostWindowFinder()
{
    if (g_timer) return;
    g_timer = SetTimer(nullptr, kFinderTimerId, kHostFinderPeriodMs, &FinderTick);
}

void StopHostWindowFinder()
{
    if (g_timer) KillTimer(nullptr, g_timer);
    g_timer = 0;
    delete g_shell;
    g_shell = nullptr;
    g_hostWindow = nullptr;
}

bool HostWindowFinderRunning() { return g_timer != 0; }
HWND HostWindow() { return g_hostWindow; }

namespace {

const char* AboutCaption() { return "VOQ-TMS"; }

// The framework's texts are in code page 1251 whatever the system's ANSI
// code page is: the box gets them as UTF-16, like every window of the
// window layer.
int Present1251Box(const FwBoxRequest& request)
{
    return MessageBoxExW(static_cast<HWND>(request.owner), Wide1251(request.text ? request.text : "").c_str(),
                         Wide1251(request.caption ? request.caption : "").c_str(), request.style, 0);
}

}  // namespace

void ShowAbout()
{
    SelectTmsDevice();
    const BoardVersions& v = KeptBoardVersions();
    std::string version = GetMLText(Master_GetVersionString());
    // The driver sets no program caption: the box is titled with its name.
    FwCaptionHook saved = g_fwHooks.caption;
    g_fwHooks.caption = AboutCaption;
    // The driver's boxes are silent; this one the user asked for.
    FwBoxPresenter presenter = GetBoxPresenter();
    if (presenter == SilentBoxPresenter) SetBoxPresenter(Present1251Box);
    MessageBoxLogged(MB_ICONINFORMATION | MB_OK, GetMLText(kAboutText), version.c_str(), v.boot >> 16, v.boot & 0xFFFF,
                     v.bootText.c_str(), v.target >> 16, v.target & 0xFFFF, v.targetText.c_str());
    if (presenter == SilentBoxPresenter) SetBoxPresenter(presenter);
    g_fwHooks.caption = saved;
}
