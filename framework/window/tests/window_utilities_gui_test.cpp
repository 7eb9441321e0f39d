// Window utilities: shared fonts, the off-screen DC, timers, the media
// window and the file dialog's second run; read back through Win32 (font
// objects, pixels of memory DCs, timer messages, the MCI device's mode).
#include <gtest/gtest.h>

#include <windows.h>
#include <commdlg.h>
#include <mmsystem.h>
#include <vfw.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/base/hooks.h"
#include "framework/window/common_dialogs.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/mci_window.h"
#include "framework/window/open_save_dialog.h"
#include "framework/window/memory_dc.h"
#include "framework/window/p_timer.h"
#include "framework/window/shared_font.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr uint32_t kAnimation = 400;

bool IsFont(HFONT font) { return GetObjectType(font) == OBJ_FONT; }

TEST(SharedFont, EqualFontsShareOneHandleUntilTheLastGoes)
{
    auto* first = new PSharedFont(8, FW_NORMAL, "Tahoma");
    auto* second = new PSharedFont(8, FW_NORMAL, "Tahoma");
    PSharedFont bold(8, FW_BOLD, "Tahoma");
    PSharedFont larger(9, FW_NORMAL, "Tahoma");
    PSharedFont otherCase(8, FW_NORMAL, "tahoma");  // faces compare exactly
    HFONT font = first->Handle();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(second->Handle(), font);
    EXPECT_EQ(first->Users(), 2);
    for (HFONT other : {bold.Handle(), larger.Handle(), otherCase.Handle()}) EXPECT_NE(other, font);
    delete first;
    EXPECT_TRUE(IsFont(font));
    EXPECT_EQ(second->Users(), 1);
    delete second;
    EXPECT_FALSE(IsFont(font));

    // From an existing font: its face and height, bold on request.
    PSharedFont fromBold(bold.Handle(), false);
    EXPECT_EQ(fromBold.Handle(), bold.Handle());
    PSharedFont madeBold(larger.Handle(), true);
    LOGFONTA lf{};
    ASSERT_NE(GetObjectA(madeBold.Handle(), sizeof lf, &lf), 0);
    EXPECT_EQ(lf.lfWeight, FW_BOLD);
    EXPECT_STREQ(lf.lfFaceName, "Tahoma");
    EXPECT_EQ(lf.lfCharSet, DEFAULT_CHARSET);
}

// A window of a known client size for the off-screen DC.
class Canvas : public Window {
public:
    Canvas() : Window(nullptr)
    {
        Attr.style = WS_POPUP;
        Attr.w = 60;
        Attr.h = 40;
    }
};

struct Surface {
    Surface() : dc(CreateCompatibleDC(nullptr))
    {
        HDC screen = GetDC(nullptr);
        bitmap = CreateCompatibleBitmap(screen, 60, 40);
        ReleaseDC(nullptr, screen);
        old = SelectObject(dc, bitmap);
        RECT all{0, 0, 60, 40};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    }
    ~Surface()
    {
        SelectObject(dc, old);
        DeleteObject(bitmap);
        DeleteDC(dc);
    }
    HDC dc;
    HBITMAP bitmap;
    HGDIOBJ old;
};

TEST(MemoryDC, PaintsOffScreenAndCopiesOnlyThePaintedPlace)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.Create());
    Surface target;
    HFONT font = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
    SelectObject(target.dc, font);
    SetTextColor(target.dc, RGB(0, 0, 255));
    SetBkMode(target.dc, TRANSPARENT);
    const RECT paint{10, 10, 30, 20};
    {
        PMemoryDC buffer(paint, target.dc, canvas.GetHandle());
        ASSERT_TRUE(buffer.Buffered());
        EXPECT_EQ(buffer.Covered().left, 0);
        EXPECT_EQ(buffer.Covered().right, 30);
        EXPECT_EQ(buffer.Covered().bottom, 20);
        EXPECT_EQ(GetTextColor(buffer), RGB(0, 0, 255));
        EXPECT_EQ(GetBkMode(buffer), TRANSPARENT);
        EXPECT_EQ(GetCurrentObject(buffer, OBJ_FONT), font);
        // Drawn in the window's coordinates, off screen until the end.
        Brush red(RGB(255, 0, 0));
        RECT covered = buffer.Covered();
        FillRect(buffer, &covered, red);
        EXPECT_EQ(GetPixel(target.dc, 15, 15), RGB(255, 255, 255));
    }
    EXPECT_EQ(GetPixel(target.dc, 15, 15), RGB(255, 0, 0));
    EXPECT_EQ(GetPixel(target.dc, 29, 19), RGB(255, 0, 0));
    // Outside the paint rectangle the target keeps its picture.
    EXPECT_EQ(GetPixel(target.dc, 5, 5), RGB(255, 255, 255));
    EXPECT_EQ(GetPixel(target.dc, 35, 15), RGB(255, 255, 255));
    // The target's font is still the target's, usable after the buffer went.
    EXPECT_EQ(GetCurrentObject(target.dc, OBJ_FONT), font);
}

TEST(MemoryDC, EmptyOrInvertedAreasDrawStraightToTheTarget)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.Create());
    Surface target;
    for (RECT paint : {RECT{0, 0, 0, 0}, RECT{10, 10, -5, -5}, RECT{5, 5, 20, 0}}) {
        PMemoryDC buffer(paint, target.dc, canvas.GetHandle());
        EXPECT_FALSE(buffer.Buffered());
        EXPECT_EQ(static_cast<HDC>(buffer), target.dc);
        EXPECT_LE(buffer.Covered().left, buffer.Covered().right);
        EXPECT_LE(buffer.Covered().top, buffer.Covered().bottom);
    }
    PMemoryDC noTarget(RECT{0, 0, 10, 10}, nullptr, canvas.GetHandle());
    EXPECT_FALSE(noTarget.Buffered());
}

class CountingTimer : public PTimer {
public:
    using PTimer::PTimer;
    void OnTimer() override { ++ticks; }
    int ticks = 0;
};

UINT_PTR WINAPI FailingSetTimer(HWND, UINT_PTR, UINT, TIMERPROC) { return 0; }

TEST(Timer, TicksReachTheWindowAndAFailedStartStaysStopped)
{
    Canvas canvas;
    ASSERT_TRUE(canvas.Create());
    CountingTimer timer(true, 10, canvas.GetHandle());
    ASSERT_TRUE(timer.Running());
    std::vector<MSG> got;
    const DWORD end = GetTickCount() + 3000;
    while (GetTickCount() < end && got.size() < 2) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_TIMER && msg.hwnd == canvas.GetHandle()) got.push_back(msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    }
    ASSERT_GE(got.size(), 2u);
    EXPECT_EQ(got[0].wParam, timer.Id());
    EXPECT_EQ(got[0].lParam, 0);  // no timer procedure to call
    EXPECT_GE(timer.ticks, 2);
    EXPECT_NE(timer.Stop(), -1);
    EXPECT_FALSE(timer.Running());
    EXPECT_EQ(timer.Stop(), -1);
    EXPECT_FALSE(PTimer::Tick(got[0].wParam));  // a stopped timer is not found

    PTimer::SetTimerFunction previous = PTimer::SetSetTimerFunction(&FailingSetTimer);
    CountingTimer failed(true, 10, canvas.GetHandle());
    EXPECT_FALSE(failed.Running());
    EXPECT_EQ(failed.Id(), static_cast<UINT_PTR>(-1));
    EXPECT_FALSE(failed.Start());
    EXPECT_EQ(failed.Stop(), -1);
    // Id 0 (what the failed call gave) names no timer.
    EXPECT_FALSE(PTimer::Tick(0));
    PTimer::SetSetTimerFunction(previous);
}

// The file dialog's system calls, scripted: each run records the name it
// was given and answers from the script.
struct ScriptedRun {
    BOOL result;
    DWORD error;
};
std::vector<ScriptedRun> g_runs;
std::vector<std::string> g_namesSeen;
std::vector<DWORD> g_flagsSeen;
DWORD g_lastError = 0;

BOOL WINAPI ScriptedDialog(OPENFILENAMEA* ofn)
{
    g_namesSeen.emplace_back(ofn->lpstrFile);
    g_flagsSeen.push_back(ofn->Flags);
    const size_t i = g_namesSeen.size() - 1;
    const ScriptedRun run = i < g_runs.size() ? g_runs[i] : ScriptedRun{FALSE, 0};
    g_lastError = run.error;
    if (run.result) lstrcpyA(ofn->lpstrFile, "C:\\picked.txt");
    return run.result;
}
DWORD WINAPI ScriptedError() { return g_lastError; }

TEST(FileDialog, RunsOnceMoreOnlyAfterAFailureWithAnInitialName)
{
    struct Case {
        const char* name;
        std::vector<ScriptedRun> runs;
        size_t expectedRuns;
        bool chosen;
    };
    const std::vector<Case> cases = {
        {"bad|name", {{FALSE, FNERR_INVALIDFILENAME}, {TRUE, 0}}, 2, true},   // rejected name: asked again without it
        {"bad|name", {{FALSE, FNERR_INVALIDFILENAME}, {FALSE, 0}}, 2, false}, // then cancelled
        {"old.txt", {{FALSE, 0}}, 1, false},                                  // Cancel is never asked again
        {"", {{FALSE, FNERR_INVALIDFILENAME}}, 1, false},                     // no name to drop
        {"old.txt", {{TRUE, 0}}, 1, true},
    };
    FileDialogCalls scripted{&ScriptedDialog, &ScriptedDialog, &ScriptedError};
    SetFileDialogCalls(&scripted);
    for (const Case& c : cases) {
        g_runs = c.runs;
        g_namesSeen.clear();
        g_flagsSeen.clear();
        OpenSaveData data;
        data.fileName = c.name;
        data.flags = OFN_FILEMUSTEXIST;
        const bool chosen = RunOpenSaveDialog(nullptr, false, data);
        EXPECT_EQ(chosen, c.chosen) << c.name;
        ASSERT_EQ(g_namesSeen.size(), c.expectedRuns) << c.name;
        EXPECT_EQ(g_namesSeen[0], c.name);
        if (c.expectedRuns == 2) {
            EXPECT_EQ(g_namesSeen[1], "");
        }
        for (DWORD flags : g_flagsSeen) EXPECT_EQ(flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_ENABLESIZING));
        if (chosen) {
            EXPECT_EQ(data.fileName, "C:\\picked.txt");
        }
    }
    SetFileDialogCalls(nullptr);
}

// What the replaced dialog function saw, and its answer.
struct SeenRun {
    HWND owner = nullptr;
    bool save = false;
    OpenSaveData data;
};
SeenRun g_seen;
bool g_answer = false;
bool RecordingOpenSave(HWND owner, bool save, OpenSaveData& data)
{
    g_seen = SeenRun{owner, save, data};
    if (g_answer) data.fileName = "C:\\chosen.dat";
    return g_answer;
}

std::string g_traced;
void RecordTrace(const char* format, va_list args)
{
    char line[256];
    vsnprintf(line, sizeof line, format, args);
    g_traced += line;
}

TEST(FileDialog, ObjectRunsTheDialogResizableWithItsFilterAndTracesItsRun)
{
    SetOpenSaveFunction(&RecordingOpenSave);
    const FwTraceSink sink = g_fwHooks.traceSink;
    g_fwHooks.traceSink = &RecordTrace;
    g_fwSettings.tracing = 1;
    for (bool answer : {true, false}) {
        g_answer = answer;
        g_traced.clear();
        OpenSaveData data;
        data.fileName = "start.dat";
        POpenSaveDialog dialog(GetDesktopWindow(), data, "Data (*.dat)|*.dat|", OFN_PATHMUSTEXIST, true);
        EXPECT_EQ(dialog.Execute(), answer ? IDOK : IDCANCEL);
        EXPECT_EQ(g_seen.owner, GetDesktopWindow());
        EXPECT_TRUE(g_seen.save);
        EXPECT_EQ(g_seen.data.flags, static_cast<DWORD>(OFN_PATHMUSTEXIST | OFN_ENABLESIZING));
        EXPECT_EQ(g_seen.data.filter, "Data (*.dat)|*.dat|");
        EXPECT_EQ(g_seen.data.fileName, "start.dat");
        EXPECT_EQ(data.fileName, answer ? "C:\\chosen.dat" : "start.dat");
        EXPECT_NE(g_traced.find("POpenSaveDialog::Execute()"), std::string::npos) << g_traced;
    }
    g_fwSettings.tracing = 0;
    g_fwHooks.traceSink = sink;
    SetOpenSaveFunction(nullptr);
}

// A parent with a control-sized place for the player.
class Stage : public Window {
public:
    Stage() : Window(nullptr)
    {
        Attr.style = WS_POPUP | WS_VISIBLE;
        Attr.x = 20;
        Attr.y = 20;
        Attr.w = 120;
        Attr.h = 90;
    }
};

// Pumps messages (the device's notifications) for `ms`.
void PumpFor(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        PumpPending();
        Sleep(10);
    }
}

std::string AnimationFile()
{
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(kAnimation), "AVI");
    HGLOBAL loaded = found ? LoadResource(nullptr, found) : nullptr;
    if (!loaded) return std::string();
    char dir[MAX_PATH] = "";
    GetTempPathA(sizeof dir, dir);
    std::string path = std::string(dir) + "voq_media_test.avi";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    WriteFile(file, LockResource(loaded), SizeofResource(nullptr, found), &written, nullptr);
    CloseHandle(file);
    return path;
}

bool WaitForMode(const MCIWindow& player, uint32_t mode, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    while (player.Mode() != mode) {
        if (GetTickCount() > end) return false;
        PumpFor(20);
    }
    return true;
}

uint32_t Position(UINT device)
{
    MCI_STATUS_PARMS status{};
    status.dwItem = MCI_STATUS_POSITION;
    mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM, reinterpret_cast<DWORD_PTR>(&status));
    return static_cast<uint32_t>(status.dwReturn);
}

// How often the position went back within `ms` (each is a new round).
int LoopRestarts(UINT device, DWORD ms)
{
    int restarts = 0;
    uint32_t last = Position(device);
    const DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end && restarts < 3) {
        PumpFor(20);
        const uint32_t now = Position(device);
        if (now < last) ++restarts;
        last = now;
    }
    return restarts;
}

// The player's picture at three places of its 16 x 16 frame, as shown.
std::vector<COLORREF> PictureColours(HWND player)
{
    HDC dc = GetDC(player);
    std::vector<COLORREF> colours = {GetPixel(dc, 1, 1), GetPixel(dc, 8, 8), GetPixel(dc, 14, 13)};
    ReleaseDC(player, dc);
    return colours;
}

TEST(MediaWindow, LoopsOnlyWhenAskedFromAFileOrAResource)
{
    const std::string file = AnimationFile();
    ASSERT_FALSE(file.empty());
    const DWORD style = WS_CHILD | WS_VISIBLE | MCIWNDF_NOPLAYBAR | MCIWNDF_NOMENU;
    for (bool fromResource : {false, true}) {
        for (bool repeat : {false, true}) {
            Stage stage;
            ASSERT_TRUE(stage.Create());
            auto* player = fromResource ? new MCIWindow(&stage, nullptr, style, kAnimation)
                                        : new MCIWindow(&stage, nullptr, style, file.c_str());
            ASSERT_NE(player->GetHandle(), nullptr);
            ASSERT_NE(player->DeviceId(), 0u) << fromResource;
            EXPECT_EQ(GetParent(player->GetHandle()), stage.GetHandle());
            ASSERT_TRUE(player->Play(0, -1, 0, repeat));
            if (repeat) {
                // Four frames at 10 a second: the loop shows itself by the
                // position going back to the start, again and again.
                EXPECT_GE(LoopRestarts(player->DeviceId(), 6000), 2) << fromResource;
                EXPECT_EQ(player->Mode(), static_cast<uint32_t>(MCI_MODE_PLAY)) << fromResource;
                SaveScreenshot(stage.GetHandle(), fromResource ? "media_resource" : "media_file");
            } else {
                // Played once, it stops on one of its frames: the picture
                // is that frame's solid colour at every place (stripes of
                // misread pixels would mix the colours).
                EXPECT_TRUE(WaitForMode(*player, MCI_MODE_STOP, 6000)) << fromResource;
                PumpFor(200);
                const std::vector<COLORREF> shown = PictureColours(player->GetHandle());
                const std::vector<COLORREF> frames = {RGB(255, 0, 0), RGB(0, 255, 0), RGB(0, 0, 255), RGB(255, 255, 0)};
                EXPECT_TRUE(std::find(frames.begin(), frames.end(), shown[0]) != frames.end()) << std::hex << shown[0];
                EXPECT_EQ(shown, std::vector<COLORREF>(3, shown[0])) << fromResource;
            }
            player->Close();
            EXPECT_EQ(player->GetHandle(), nullptr);
            EXPECT_EQ(player->DeviceId(), 0u);
            EXPECT_FALSE(player->Play());
            delete player;
        }
    }
    DeleteFileA(file.c_str());

    // Nothing to play: a missing resource opens no device.
    Stage stage;
    ASSERT_TRUE(stage.Create());
    MCIWindow missing(&stage, nullptr, style, 401u);
    EXPECT_EQ(missing.DeviceId(), 0u);
    EXPECT_FALSE(missing.Play());
}

}  // namespace
