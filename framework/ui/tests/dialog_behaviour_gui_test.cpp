// The dialog class's behaviour: cancel lock, "&Terminate", Tab, help,
// tooltips from bound options, the Russian template, a missing template, the
// list of open top-level dialogs and the top-most flag.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "framework/base/hooks.h"
#include "framework/base/scontainer.h"
#include "framework/config/poption.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/program_hooks.h"
#include "framework/ui/sdialog.h"
#include "framework/window/application.h"
#include "framework/window/system_menu.h"
#include "framework/window/tests/support/dialog_script.h"
#include "framework/window/tooltip.h"

namespace {

constexpr uint32_t kItems = 600;

std::vector<int> g_exits;
void RecordExit(int code) { g_exits.push_back(code); }

struct HelpCall {
    uint32_t command;
    uintptr_t data;
};
std::vector<HelpCall> g_help;
int RecordHelp(HWND, uint32_t command, uintptr_t data)
{
    g_help.push_back({command, data});
    return 1;
}

Window* g_main = nullptr;
Window* MainWindow() { return g_main; }

TEST(DialogBehaviour, ClearingCancelAllowedStopsEveryCancelButOk)
{
    SDialog dialog(nullptr, kItems);
    dialog.SetCancelAllowed(false);
    int result = RunScripted(dialog, [](Dialog& d) {
        HWND h = d.GetHandle();
        Click(h, IDCANCEL);
        SendMessageA(h, WM_SYSCOMMAND, SC_CLOSE, 0);
        SendMessageA(h, WM_CLOSE, 0, 0);
        EXPECT_TRUE(d.IsRunning());
        Click(h, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(dialog.CancelAllowed());
}

TEST(DialogBehaviour, TerminateCancelsWithoutAMainWindowAndEndsTheProgramWithOne)
{
    g_exits.clear();
    SetExitProgramHook(&RecordExit);
    {
        SDialog dialog(nullptr, kItems);
        int result = RunScripted(dialog, [](Dialog& d) {
            EXPECT_TRUE(HasSystemMenuItem(d.GetHandle(), SYSCMD_TERMINATE));
            SendMessageA(d.GetHandle(), WM_SYSCOMMAND, SYSCMD_TERMINATE, 0);
        });
        EXPECT_EQ(result, IDCANCEL);
        EXPECT_TRUE(g_exits.empty());
    }
    class Frame : public Window {
    public:
        Frame() : Window(nullptr) { Attr.style = WS_OVERLAPPEDWINDOW; }
    } frame;
    ASSERT_TRUE(frame.Create());
    g_main = &frame;
    SetMainWindowHook(&MainWindow);
    {
        SDialog dialog(nullptr, kItems);
        RunScripted(dialog, [](Dialog& d) {
            SendMessageA(d.GetHandle(), WM_SYSCOMMAND, SYSCMD_TERMINATE, 0);
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    SetMainWindowHook(nullptr);
    g_main = nullptr;
    SetExitProgramHook(nullptr);
    EXPECT_EQ(g_exits, std::vector<int>{0});
}

class TabProbe : public SDialog {
public:
    TabProbe() : SDialog(nullptr, kItems) {}
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg == WM_APP) {
            focus.push_back(GetDlgCtrlID(GetFocus()));
            if (w == 1) {
                ::SetFocus(GetDlgItem(GetHandle(), 640));
                ::PostMessageA(GetDlgItem(GetHandle(), 640), WM_KEYDOWN, VK_TAB, 0);
                ::PostMessageA(GetHandle(), WM_APP, 2, 0);
            } else {
                CloseWindow(IDCANCEL);
            }
            return 0;
        }
        return SDialog::WindowProc(msg, w, l);
    }
    std::vector<int> focus;  // control ids
};

TEST(DialogBehaviour, TabFromAnEditAndFromAControlThatKeepsTab)
{
    TabProbe dialog;
    RunScripted(dialog, [](Dialog& d) {
        HWND h = d.GetHandle();
        SetForegroundWindow(h);
        SetActiveWindow(h);
        SetFocus(GetDlgItem(h, 660));
        PostMessageA(GetDlgItem(h, 660), WM_KEYDOWN, VK_TAB, 0);
        PostMessageA(h, WM_APP, 1, 0);
    });
    ASSERT_EQ(dialog.focus.size(), 2u);
    // 660 -> 661, the next tab stop (not the one after it).
    EXPECT_EQ(dialog.focus[0], 661);
    // The multi-line edit keeps Tab: the dialog moves the focus, once.
    EXPECT_EQ(dialog.focus[1], 660);
}

TEST(DialogBehaviour, F1OpensHelpOnTheControlsContext)
{
    g_help.clear();
    SetShowHelpHook(&RecordHelp);
    SDialog dialog(nullptr, kItems);
    dialog.SetHelpBase(3);
    RunScripted(dialog, [](Dialog& d) {
        HWND h = d.GetHandle();
        for (int id : {IDOK, 620}) {
            HELPINFO info{};
            info.cbSize = sizeof info;
            info.iContextType = HELPINFO_WINDOW;
            info.iCtrlId = id;
            info.hItemHandle = GetDlgItem(h, id);
            info.dwContextId = GetWindowContextHelpId(GetDlgItem(h, id));
            SendMessageA(h, WM_HELP, 0, reinterpret_cast<LPARAM>(&info));
        }
        HELPINFO own{};
        own.cbSize = sizeof own;
        own.iContextType = HELPINFO_WINDOW;
        own.dwContextId = kItems;
        SendMessageA(h, WM_HELP, 0, reinterpret_cast<LPARAM>(&own));
        Click(h, IDCANCEL);
    });
    SetShowHelpHook(nullptr);
    ASSERT_EQ(g_help.size(), 3u);
    EXPECT_EQ(g_help[0].command, 8u);
    EXPECT_EQ(g_help[0].data, 100001u);
    EXPECT_EQ(g_help[1].data, (3u << 16) | 620u);
    EXPECT_EQ(g_help[2].command, 1u);
    EXPECT_EQ(g_help[2].data, kItems);
}

TEST(DialogBehaviour, BoundOptionsGetTooltipsAndModeOneWaitsForHelp)
{
    PBoolOption option(nullptr, "", false);
    BindOptionToDialog(kItems, 620, &option, "A tip|\xCF\xEE\xE4\xF1\xEA\xE0\xE7\xEA\xE0");
    BindOptionToDialog(kItems, 650, &option, "Label tip|\xCF\xEE\xE4\xF1\xEA\xE0\xE7\xEA\xE0");
    for (uint32_t mode : {0u, 1u}) {
        TooltipsModeOption().SetValue(mode);
        SDialog dialog(nullptr, kItems);
        RunScripted(dialog, [&](Dialog& d) {
            HWND h = d.GetHandle();
            ASSERT_NE(dialog.GetTooltip(), nullptr);
            // The combo box and its edit field, and the label.
            EXPECT_EQ(dialog.GetTooltip()->ToolCount(), 3);
            EXPECT_TRUE(GetWindowLongA(GetDlgItem(h, 650), GWL_STYLE) & SS_NOTIFY);
            const bool helpButton = (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_CONTEXTHELP) != 0;
            EXPECT_EQ(helpButton, mode == 1);
            Click(h, IDCANCEL);
        });
    }
    TooltipsModeOption().SetValue(0);
    UnbindOption(&option);
}

TEST(DialogBehaviour, RussianTemplateWhenTheLanguageIsRussian)
{
    g_mlLanguage = 1;
    SDialog russian(nullptr, kItems);
    SDialog onlyEnglish(nullptr, 700);
    g_mlLanguage = 0;
    EXPECT_EQ(russian.TemplateId(), kItems + 10000);
    EXPECT_EQ(russian.GetResourceId(), kItems);
    EXPECT_EQ(onlyEnglish.TemplateId(), 700u);
    std::string caption;
    RunScripted(russian, [&](Dialog& d) {
        caption = GetText1251(d.GetHandle());
        SaveScreenshot(d.GetHandle(), "items_ru");
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_EQ(caption, "\xDD\xEB\xE5\xEC\xE5\xED\xF2\xFB");  // the Russian template's caption
}

// A main window object that records the dialogs it is told were made
// top-most.
class MainFrame : public Window {
public:
    MainFrame() : Window(nullptr) { Attr.style = WS_OVERLAPPEDWINDOW; }
    void OnTopMostDialog(HWND dialog) override { topMost.push_back(dialog); }
    std::vector<HWND> topMost;
};

constexpr uint32_t kNotPopup = 710;

bool IsTopMost(HWND h) { return (GetWindowLongA(h, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

TEST(DialogBehaviour, OpenTopDialogsHoldPopupsOnlyWhileTheProgramHasAMainWindow)
{
    const SContainer& open = OpenTopDialogs();
    {
        // The setup program has no main window object: nothing is listed.
        SDialog dialog(nullptr, kItems);
        RunScripted(dialog, [&](Dialog& d) {
            EXPECT_EQ(open.Count(), 0u);
            EXPECT_FALSE(IsTopMost(d.GetHandle()));
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    MainFrame frame;
    ASSERT_TRUE(frame.Create());
    g_main = &frame;
    SetMainWindowHook(&MainWindow);
    {
        SDialog outer(nullptr, kItems);
        RunScripted(outer, [&](Dialog& d) {
            ASSERT_EQ(open.Count(), 1u);
            EXPECT_EQ(open[0], static_cast<BaseObject*>(&outer));
            // A second pop-up joins behind it and leaves at its clean-up.
            SDialog inner(nullptr, 700);
            ASSERT_TRUE(inner.CreateModeless());
            ASSERT_EQ(open.Count(), 2u);
            EXPECT_EQ(open[1], static_cast<BaseObject*>(&inner));
            inner.CloseWindow(IDCANCEL);
            ASSERT_EQ(open.Count(), 1u);
            EXPECT_EQ(open[0], static_cast<BaseObject*>(&outer));
            Click(d.GetHandle(), IDCANCEL);
        });
        EXPECT_EQ(open.Count(), 0u);
    }
    {
        // A dialog that is not a pop-up never enters the list.
        SDialog overlapped(nullptr, kNotPopup);
        int result = RunScripted(overlapped, [&](Dialog& d) {
            EXPECT_EQ(GetWindowLongA(d.GetHandle(), GWL_STYLE) & WS_POPUP, 0);
            EXPECT_EQ(open.Count(), 0u);
            Click(d.GetHandle(), IDCANCEL);
        });
        EXPECT_EQ(result, IDCANCEL);
    }
    {
        // A dialog destroyed before its run ended does not stay behind.
        auto* lost = new SDialog(nullptr, 700);
        ASSERT_TRUE(lost->CreateModeless());
        EXPECT_EQ(open.Count(), 1u);
        delete lost;
        EXPECT_EQ(open.Count(), 0u);
    }
    EXPECT_TRUE(frame.topMost.empty());  // the flag was clear
    SetMainWindowHook(nullptr);
    g_main = nullptr;
}

TEST(DialogBehaviour, TopMostFlagMakesDialogsTopMostAndTellsTheMainWindow)
{
    g_fwSettings.topMost = 1;
    HWND seen = nullptr;
    {
        // Without a main window object only the dialog itself is affected.
        SDialog dialog(nullptr, kItems);
        RunScripted(dialog, [&](Dialog& d) {
            EXPECT_TRUE(IsTopMost(d.GetHandle()));
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    MainFrame frame;
    ASSERT_TRUE(frame.Create());
    g_main = &frame;
    SetMainWindowHook(&MainWindow);
    {
        SDialog dialog(nullptr, kNotPopup);
        RunScripted(dialog, [&](Dialog& d) {
            seen = d.GetHandle();
            EXPECT_TRUE(IsTopMost(d.GetHandle()));
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    SetMainWindowHook(nullptr);
    g_main = nullptr;
    g_fwSettings.topMost = 0;
    EXPECT_EQ(frame.topMost, std::vector<HWND>{seen});
    EXPECT_FALSE(IsTopMost(frame.GetHandle()));
}

bool ThemesOn() { return true; }
bool ThemesOff() { return false; }

TEST(DialogBehaviour, ColumnHeaderIsFramedOnlyWhileThemesAreActive)
{
    std::vector<RECT> places;
    for (bool themed : {false, true}) {
        SetThemesActiveHook(themed ? &ThemesOn : &ThemesOff);
        EXPECT_EQ(ThemesActive(), themed);
        SDialog dialog(nullptr, kNotPopup);
        RunScripted(dialog, [&](Dialog& d) {
            HWND header = GetDlgItem(d.GetHandle(), 711);
            ASSERT_NE(header, nullptr);
            EXPECT_EQ((GetWindowLongA(header, GWL_EXSTYLE) & WS_EX_STATICEDGE) != 0, themed);
            RECT r{};
            GetWindowRect(header, &r);
            MapWindowPoints(nullptr, d.GetHandle(), reinterpret_cast<POINT*>(&r), 2);
            places.push_back(r);
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    SetThemesActiveHook(nullptr);
    // The redraw nudge puts the header back where the template has it.
    ASSERT_EQ(places.size(), 2u);
    EXPECT_EQ(places[0].left, places[1].left);
    EXPECT_EQ(places[0].top, places[1].top);
}

TEST(DialogBehaviour, AMissingTemplateIsAFailureNotOk)
{
    SDialog dialog(nullptr, 4321);
    EXPECT_EQ(dialog.Execute(), -1);
}

}  // namespace
