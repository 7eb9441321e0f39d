// The theme library's wrappers with the system's library present: the
// library bound from the system, theme handles opened and closed, and the
// drawing calls reaching the system (pixels of a memory DC).
#include <gtest/gtest.h>

#include <windows.h>

#include <vssym32.h>
#include <vsstyle.h>

#include "framework/window/gdi_objects.h"
#include "framework/window/theme_library.h"
#include "framework/window/visual_style.h"

namespace {

TEST(ThemeLibrary, BindsTheSystemLibraryAndOpensAndClosesThemes)
{
    HMODULE library = theme::Library();
    ASSERT_NE(library, nullptr);
    char path[MAX_PATH] = "", system[MAX_PATH] = "";
    GetModuleFileNameA(library, path, sizeof path);
    GetSystemDirectoryA(system, sizeof system);
    EXPECT_EQ(_strnicmp(path, system, strlen(system)), 0) << path;
    // The wrappers answer what the system's functions answer.
    using ActiveFn = BOOL(WINAPI*)();
    auto active = reinterpret_cast<ActiveFn>(reinterpret_cast<void*>(GetProcAddress(library, "IsThemeActive")));
    ASSERT_NE(active, nullptr);
    EXPECT_EQ(theme::IsThemeActive(), active());
    if (!theme::IsThemeActive()) GTEST_SKIP() << "the system has no active theme";

    HTHEME window = theme::OpenThemeData(GetDesktopWindow(), L"WINDOW");
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(theme::CloseThemeData(window), S_OK);
    EXPECT_EQ(theme::OpenThemeData(GetDesktopWindow(), L"NoSuchClassVoq"), nullptr);
}

TEST(ThemeLibrary, DrawingCallsReachTheSystem)
{
    if (!theme::IsThemeActive()) GTEST_SKIP() << "the system has no active theme";
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP canvas = CreateCompatibleBitmap(screen, 60, 30);
    HGDIOBJ old = SelectObject(dc, canvas);
    RECT all{0, 0, 60, 30};
    Brush magenta(RGB(255, 0, 255));
    FillRect(dc, &all, magenta);
    ThemeData button(GetDesktopWindow(), L"Button");
    ASSERT_TRUE(button);
    EXPECT_TRUE(button.DrawBackground(dc, BP_PUSHBUTTON, PBS_NORMAL, all));
    // The push button covers its middle; nothing of the fill stays there.
    EXPECT_NE(GetPixel(dc, 30, 15), RGB(255, 0, 255));
    SIZE box = button.PartSize(dc, BP_CHECKBOX, CBS_UNCHECKEDNORMAL);
    EXPECT_GT(box.cx, 0);
    EXPECT_GT(box.cy, 0);
    RECT extent{};
    EXPECT_EQ(theme::GetThemeTextExtent(button.Handle(), dc, BP_PUSHBUTTON, PBS_NORMAL, L"Wide text", -1,
                                        DT_SINGLELINE, nullptr, &extent),
              S_OK);
    EXPECT_GT(extent.right - extent.left, 0);
    COLORREF text = 0;
    EXPECT_EQ(theme::GetThemeColor(button.Handle(), BP_PUSHBUTTON, PBS_NORMAL, TMT_TEXTCOLOR, &text), S_OK);
    SelectObject(dc, old);
    DeleteObject(canvas);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
}

}  // namespace
