// The driver's menu in the host's window, its settings dialog and About box.
// The host window is made by the stand-in host's module cc_app.exe (loaded
// beside this program), as the finder expects of the host's main window.
#include "ccsdriver/host_menu.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ccsdriver/board_config.h"
#include "ccsdriver/driver_settings.h"
#include "ccsdriver/gti_api.h"
#include "ccsdriver/master_link.h"
#include "ccsdriver/settings_dialog.h"
#include "framework/base/hooks.h"
#include "framework/base/sys_box_recorder.h"
#include "framework/ui/program_hooks.h"
#include "framework/ui/ml_text.h"
#include "framework/window/tests/support/dialog_script.h"
#include "framework/window/window_text.h"
#include "sim/host/seam/device_seam.h"
#include "sim/usb/sim_usb_device.h"
#include "support/driver_fixture.h"

namespace {

constexpr char kTitle[] = "cc_app - Code Composer Studio (stand-in host)";
UINT_PTR const kHostCommands[] = {kCmdDrvSettings, kCmdDrvAbout, kCmdDrvHelp};

// The host greys every item it does not know when a popup opens.
LRESULT CALLBACK HostProc(HWND window, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_INITMENUPOPUP) {
        HMENU popup = reinterpret_cast<HMENU>(w);
        for (int i = 0; i < GetMenuItemCount(popup); ++i) EnableMenuItem(popup, i, MF_BYPOSITION | MF_GRAYED);
        return 0;
    }
    return DefWindowProcA(window, msg, w, l);
}

std::string BesideMe(const char* name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string s(path);
    return s.substr(0, s.find_last_of('\\') + 1) + name;
}

HMENU MenuBar(int items)
{
    HMENU bar = CreateMenu();
    for (int i = 0; i < items; ++i) {
        std::string title = "Item" + std::to_string(i);
        AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(CreatePopupMenu()), title.c_str());
    }
    return bar;
}

std::vector<std::string> BarTexts(HWND window)
{
    std::vector<std::string> texts;
    HMENU bar = GetMenu(window);
    for (int i = 0; bar && i < GetMenuItemCount(bar); ++i) {
        char text[81] = {};
        GetMenuStringA(bar, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
        texts.push_back(text);
    }
    return texts;
}

int PositionOf(HWND window, const std::string& text)
{
    std::vector<std::string> texts = BarTexts(window);
    for (size_t i = 0; i < texts.size(); ++i)
        if (texts[i] == text) return static_cast<int>(i);
    return -1;
}

void Pump(DWORD ms)
{
    DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        PumpPending();
        Sleep(10);
    }
}

class HostMenuTest : public DriverFixture {
protected:
    HMODULE host = nullptr;
    HWND window = nullptr;

    void SetUp() override
    {
        DriverFixture::SetUp();
        host = LoadLibraryA(BesideMe("cc_app.exe").c_str());
        ASSERT_NE(nullptr, host) << GetLastError();
        WNDCLASSA wc{};
        wc.lpfnWndProc = HostProc;
        wc.hInstance = host;
        wc.lpszClassName = "HostMenuTestWindow";
        RegisterClassA(&wc);
    }
    void TearDown() override
    {
        StopHostWindowFinder();
        if (window) DestroyWindow(window);
        UnregisterClassA("HostMenuTestWindow", host);
        if (host) FreeLibrary(host);
        g_mlLanguage = 0;
        DriverFixture::TearDown();
    }
    HWND MakeWindow(const char* title, HMENU bar)
    {
        window = CreateWindowExA(0, "HostMenuTestWindow", title, WS_OVERLAPPEDWINDOW, 0, 0, 500, 300, nullptr, bar,
                                 host, nullptr);
        return window;
    }
};

TEST_F(HostMenuTest, HostWindowIsKnownByModuleTitleAndMenu)
{
    struct Case {
        const char* module;
        const char* title;
        bool menu;
        bool host;
    } cases[] = {
        {"C:\\Host\\bin\\cc_app.exe", kTitle, true, true},
        {"C:\\Host\\bin\\CC_APP.EXE", "Code Composer Studio", true, true},
        {"C:\\Host\\bin\\cc_app.exe", "code composer studio", true, false},
        {"C:\\Host\\bin\\cc_app.exe", kTitle, false, false},
        {"C:\\Host\\bin\\cc_app.exe.bak", kTitle, true, false},
        {"C:\\Host\\bin\\other.exe", kTitle, true, false},
    };
    for (const Case& c : cases) EXPECT_EQ(c.host, IsHostWindow(c.module, c.title, c.menu)) << c.module << " " << c.title;
}

TEST_F(HostMenuTest, PopupGoesBeforeTheLastTwoItems)
{
    struct Case {
        int items;
        int position;
    } cases[] = {{6, 4}, {5, 3}, {1, 0}, {0, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.items);
        ClearTrace();
        ASSERT_NE(nullptr, MakeWindow(kTitle, MenuBar(c.items)));
        FindHostWindow();
        EXPECT_EQ(window, HostWindow());
        EXPECT_EQ(c.position, PositionOf(window, "VOQ-TMS"));
        EXPECT_TRUE(Traced("-- Created CCS Shell window alias ---\n"));
        HMENU popup = GetSubMenu(GetMenu(window), c.position);
        ASSERT_NE(nullptr, popup);
        char text[81];
        std::vector<std::pair<UINT, std::string>> items;
        for (int i = 0; i < GetMenuItemCount(popup); ++i) {
            GetMenuStringA(popup, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            items.emplace_back(GetMenuItemID(popup, i), text);
        }
        EXPECT_EQ((std::vector<std::pair<UINT, std::string>>{{kCmdDrvSettings, "Settings..."},
                                                             {kCmdDrvHelp, "VOQ-TMS On-Line Help"},
                                                             {kCmdDrvAbout, "About VOQ-TMS..."}}),
                  items);
        StopHostWindowFinder();
        EXPECT_EQ(-1, PositionOf(window, "VOQ-TMS"));
        EXPECT_EQ(static_cast<size_t>(c.items), BarTexts(window).size());
        DestroyWindow(window);
        window = nullptr;
    }
}

TEST_F(HostMenuTest, OtherWindowsAreNotTaken)
{
    MakeWindow("Code composer studio", MenuBar(5));
    FindHostWindow();
    EXPECT_EQ(nullptr, HostWindow());
    EXPECT_EQ(-1, PositionOf(window, "VOQ-TMS"));
    // A known window that lost its menu bar gets none added.
    SetWindowTextA(window, kTitle);
    HMENU bar = GetMenu(window);
    SetMenu(window, nullptr);
    FindHostWindow();
    EXPECT_EQ(nullptr, HostWindow());
    DestroyMenu(bar);
}

TEST_F(HostMenuTest, RebuiltMenuBarGetsThePopupBackOnce)
{
    MakeWindow(kTitle, MenuBar(5));
    FindHostWindow();
    FindHostWindow();  // still in place: nothing added
    EXPECT_EQ((std::vector<std::string>{"Item0", "Item1", "Item2", "VOQ-TMS", "Item3", "Item4"}), BarTexts(window));
    HMENU old = GetMenu(window);
    SetMenu(window, MenuBar(6));
    DestroyMenu(old);
    FindHostWindow();
    EXPECT_EQ(4, PositionOf(window, "VOQ-TMS"));
    EXPECT_EQ(7u, BarTexts(window).size());
}

TEST_F(HostMenuTest, ItemsAreEnabledAfterTheHostGreysThem)
{
    MakeWindow(kTitle, MenuBar(5));
    FindHostWindow();
    HMENU popup = GetSubMenu(GetMenu(window), 3);
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(popup), 3);
    for (UINT_PTR id : kHostCommands)
        EXPECT_EQ(0u, GetMenuState(popup, static_cast<UINT>(id), MF_BYCOMMAND) & (MF_GRAYED | MF_DISABLED)) << id;
    // Another popup of the host keeps what the host did to it.
    HMENU own = GetSubMenu(GetMenu(window), 0);
    AppendMenuA(own, MF_STRING, 0x100, "Open");
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(own), 0);
    EXPECT_NE(0u, GetMenuState(own, 0x100, MF_BYCOMMAND) & MF_GRAYED);
}

TEST_F(HostMenuTest, TimerFindsTheWindowAndStopLeavesNothingBehind)
{
    MakeWindow(kTitle, MenuBar(5));
    const LONG_PTR own = GetWindowLongPtrA(window, GWLP_WNDPROC);
    StartHostWindowFinder();
    StartHostWindowFinder();  // once
    EXPECT_TRUE(HostWindowFinderRunning());
    Pump(kHostFinderPeriodMs + 600);
    EXPECT_EQ(3, PositionOf(window, "VOQ-TMS"));

    StopHostWindowFinder();
    EXPECT_FALSE(HostWindowFinderRunning());
    EXPECT_EQ(-1, PositionOf(window, "VOQ-TMS"));
    EXPECT_EQ(own, GetWindowLongPtrA(window, GWLP_WNDPROC));
    // Its commands reach the host's own procedure now, which ignores them.
    FwBoxRecorder boxes;
    SendMessageA(window, WM_COMMAND, kCmdDrvAbout, 0);
    EXPECT_TRUE(boxes.Boxes().empty());
    Pump(kHostFinderPeriodMs + 300);
    EXPECT_EQ(-1, PositionOf(window, "VOQ-TMS"));
}

TEST_F(HostMenuTest, AboutShowsTheMasterVersionAndTheKeptBoardVersions)
{
    MakeWindow(kTitle, MenuBar(5));
    FindHostWindow();
    FwBoxRecorder boxes;
    SendMessageA(window, WM_COMMAND, kCmdDrvAbout, 0);
    ASSERT_EQ(1u, boxes.Boxes().size());
    const FwRecordedBox& box = boxes.Boxes()[0];
    EXPECT_EQ(static_cast<uint32_t>(MB_ICONINFORMATION), box.style & 0xFF);
    EXPECT_EQ("VOQ-TMS", box.caption);
    EXPECT_EQ(nullptr, box.owner);
    const std::string before = "Board driver version:     \t2.00, Dec  6 2011\nBoard bootloader version: \t0.00, \n"
                               "Target software version:  \t0.00, ";
    EXPECT_EQ(before, box.text);

    // After a connection: the versions the board reported.
    sim::Pod pod;
    sim::usb::SimUsbDevice device(pod);
    {
        sim::host::DeviceSeam seam(GetModuleHandleA(nullptr), device);
        ASSERT_TRUE(OpenBoard());
        DestroyBoard();
    }
    g_mlLanguage = 1;
    SendMessageA(window, WM_COMMAND, kCmdDrvAbout, 0);
    ASSERT_EQ(2u, boxes.Boxes().size());
    const std::string& russian = boxes.Boxes()[1].text;
    EXPECT_NE(std::string::npos, russian.find("\t1.07, VOQ boot loader\n")) << russian;
    EXPECT_NE(std::string::npos, russian.find("\t2.17, VOQ-54xx target firmware")) << russian;
    EXPECT_EQ(0u, russian.find("\xC2\xE5\xF0\xF1\xE8\xFF")) << "the Russian half, in code page 1251";
}

// The About box as it shows, for looking at it: a real box, found on this
// thread and closed by a timer.
HWND g_box = nullptr;
std::string g_boxText;
std::wstring g_boxTextW;

BOOL CALLBACK FindBox(HWND w, LPARAM)
{
    char cls[32] = {}, caption[64] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetWindowTextA(w, caption, sizeof caption);
    if (strcmp(cls, "#32770") == 0 && strcmp(caption, "VOQ-TMS") == 0) g_box = w;
    return g_box == nullptr;
}

void CALLBACK CloseBox(HWND, UINT, UINT_PTR id, DWORD)
{
    EnumThreadWindows(GetCurrentThreadId(), FindBox, 0);
    if (!g_box) return;
    KillTimer(nullptr, id);
    for (HWND child = GetWindow(g_box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[512] = {};
        GetWindowTextA(child, text, sizeof text);
        if (strstr(text, "\t")) {
            g_boxText = text;
            wchar_t wide[512] = {};
            GetWindowTextW(child, wide, 512);
            g_boxTextW = wide;
        }
    }
    SaveScreenshot(g_box, g_mlLanguage ? "about_ru" : "about_en");
    PostMessageA(g_box, WM_COMMAND, IDOK, 0);
}

TEST_F(HostMenuTest, AboutBoxShows)
{
    // The driver's other boxes are silent; this one shows.
    FwBoxPresenter previous = SetBoxPresenter(SilentBoxPresenter);
    for (uint8_t language : {0, 1}) {
        g_mlLanguage = language;
        g_box = nullptr;
        g_boxText.clear();
        UINT_PTR timer = SetTimer(nullptr, 0, 100, CloseBox);
        ShowAbout();
        KillTimer(nullptr, timer);
        ASSERT_NE(nullptr, g_box);
        EXPECT_NE(std::string::npos, g_boxText.find("2.00, Dec  6 2011")) << g_boxText;
        // The Russian text reaches the box as the letters it is, whatever
        // the system's code page.
        EXPECT_EQ(0u, g_boxTextW.find(language ? Wide1251("\xC2\xE5\xF0\xF1\xE8\xFF") : L"Board driver version:"));
    }
    EXPECT_EQ(&SilentBoxPresenter, GetBoxPresenter());
    SetBoxPresenter(previous);
}

class SettingsDialogTest : public HostMenuTest {
protected:
    void SetUp() override
    {
        HostMenuTest::SetUp();
        MakeWindow(kTitle, MenuBar(5));
        FindHostWindow();
        g_fwSettings.tracing = 0;
    }
    // Opens the dialog from the host's menu and runs `script` in it.
    bool RunFromMenu(std::function<void(Dialog&)> script)
    {
        NextDialogScript next(std::move(script));
        SendMessageA(window, WM_COMMAND, kCmdDrvSettings, 0);
        return next.Ran() && !ScriptTimedOut();
    }
    static int CheckedSpeedControl(HWND dialog)
    {
        for (int id = 101; id <= 108; ++id)
            if (IsDlgButtonChecked(dialog, id) == BST_CHECKED) return id;
        return 0;
    }
    size_t SetConfigCalls() const
    {
        size_t n = 0;
        for (const std::string& name : MasterCalls()) n += name == "Master_SetConfig";
        return n;
    }
};

TEST_F(SettingsDialogTest, OpensWithTheSettingsAndStoresThemOnOk)
{
    DrvSetJtagSpeed(1);
    int shown = 0;
    std::string caption;
    ASSERT_TRUE(RunFromMenu([&](Dialog& d) {
        HWND h = d.GetHandle();
        shown = CheckedSpeedControl(h);
        caption = GetText1251(h);
        EXPECT_NE(BST_CHECKED, IsDlgButtonChecked(h, 100));
        CheckDlgButton(h, 100, BST_CHECKED);
        CheckRadioButton(h, 101, 108, 107);
        SaveScreenshot(h, "settings_en");
        Click(h, IDOK);
    }));
    EXPECT_EQ(108, shown) << "index 1 is the 9 MHz button";
    EXPECT_EQ("Korvan VOQ-TMS Setup", caption);
    EXPECT_TRUE(DrvLogOn());
    EXPECT_EQ(1u, g_fwSettings.tracing);
    EXPECT_EQ(7u, DrvJtagSpeed()) << "140.625 KHz is the last of the group";
    ASSERT_EQ(1u, SetConfigCalls());
    uint32_t size = 0;
    EXPECT_EQ(7u, Recorder_LastConfig(&size)[3]);
}

TEST_F(SettingsDialogTest, HostsBoardParametersFollowTheDialog)
{
    BoardParamList* list = nullptr;
    ASSERT_EQ(0, GTI_GETCONFIGPARAM(nullptr, &list, "VOQ"));
    ASSERT_NE(nullptr, list);
    ASSERT_TRUE(RunFromMenu([](Dialog& d) {
        CheckDlgButton(d.GetHandle(), 100, BST_CHECKED);
        CheckRadioButton(d.GetHandle(), 101, 108, 105);
        Click(d.GetHandle(), IDOK);
    }));
    EXPECT_EQ(5u, list->entries[0].current);
    EXPECT_EQ(1u, list->entries[1].current);
    // The host hands its list back: the dialog's values stay.
    ASSERT_EQ(0, GTI_SETCONFIGPARAM(nullptr, &list, "VOQ"));
    EXPECT_EQ(5u, DrvJtagSpeed());
    EXPECT_TRUE(DrvLogOn());
}

TEST_F(SettingsDialogTest, HelpButtonGoesToTheProgramsHelp)
{
    // In the driver the program's help is DrvShowHelp (installed at load).
    static std::vector<std::pair<uint32_t, uintptr_t>> requests;
    requests.clear();
    SetShowHelpHook([](HWND, uint32_t command, uintptr_t data) {
        requests.emplace_back(command, data);
        return 0;
    });
    ASSERT_TRUE(RunFromMenu([](Dialog& d) {
        Click(d.GetHandle(), 9);
        Click(d.GetHandle(), IDCANCEL);
    }));
    SetShowHelpHook(nullptr);
    // Its context: the dialog's template.
    EXPECT_EQ((std::vector<std::pair<uint32_t, uintptr_t>>{{1, kSettingsDialogId}}), requests);
}

TEST_F(SettingsDialogTest, OkWithNothingChangedStillSendsTheClock)
{
    ASSERT_TRUE(RunFromMenu([](Dialog& d) { Click(d.GetHandle(), IDOK); }));
    EXPECT_EQ(kJtagSpeedDefault, DrvJtagSpeed());
    EXPECT_FALSE(DrvLogOn());
    ASSERT_EQ(1u, SetConfigCalls());
    uint32_t size = 0;
    EXPECT_EQ(kJtagSpeedDefault, Recorder_LastConfig(&size)[3]);
}

TEST_F(SettingsDialogTest, CancelAndNoChoiceChangeNothing)
{
    DrvSetLogOn(false);
    ASSERT_TRUE(RunFromMenu([](Dialog& d) {
        CheckDlgButton(d.GetHandle(), 100, BST_CHECKED);
        CheckRadioButton(d.GetHandle(), 101, 108, 101);
        Click(d.GetHandle(), IDCANCEL);
    }));
    EXPECT_FALSE(DrvLogOn());
    EXPECT_EQ(kJtagSpeedDefault, DrvJtagSpeed());
    EXPECT_EQ(0u, SetConfigCalls());
    // OK with no frequency button checked keeps the speed it had.
    ASSERT_TRUE(RunFromMenu([](Dialog& d) {
        for (int id = 101; id <= 108; ++id) CheckDlgButton(d.GetHandle(), id, BST_UNCHECKED);
        Click(d.GetHandle(), IDOK);
    }));
    EXPECT_EQ(kJtagSpeedDefault, DrvJtagSpeed());
}

TEST_F(SettingsDialogTest, RussianTwinIsUsed)
{
    g_mlLanguage = 1;
    std::string caption, logText;
    RECT box{};
    ASSERT_TRUE(RunFromMenu([&](Dialog& d) {
        HWND h = d.GetHandle();
        caption = GetText1251(h);
        logText = ItemText(h, 100);
        GetWindowRect(GetDlgItem(h, 100), &box);
        SaveScreenshot(h, "settings_ru");
        Click(h, IDCANCEL);
    }));
    EXPECT_EQ("\xCD\xE0\xF1\xF2\xF0\xEE\xE9\xEA\xE8 VOQ-TMS", caption);
    EXPECT_EQ("\xC2\xEA\xEB\xFE\xF7\xE8\xF2\xFC \xEB\xEE\xE3-\xF4\xE0\xE9\xEB", logText);
    // The Russian check box is 138 units wide, against 90 in English.
    EXPECT_GT(box.right - box.left, 110);
}

}  // namespace
