// The theme library's wrappers where the library is missing: every wrapper
// answers 0 and calls nothing, and the library is never looked for again.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "framework/window/theme_library.h"

namespace {

std::string MissingPath()
{
    char folder[MAX_PATH] = "";
    GetTempPathA(sizeof folder, folder);
    return std::string(folder) + "voq_theme_missing.dll";
}

int CallEveryWrapper()
{
    HDC dc = CreateCompatibleDC(nullptr);
    RECT r{0, 0, 10, 10};
    LOGFONTW font{};
    MARGINS margins{};
    SIZE size{};
    COLORREF colour = 0;
    HTHEME t = reinterpret_cast<HTHEME>(1);
    int nonZero = 0;
    auto count = [&](auto result) { nonZero += result != 0; };
    count(theme::IsAppThemed());
    count(theme::GetWindowTheme(GetDesktopWindow()));
    count(theme::DrawThemeBackground(t, dc, 1, 1, &r, nullptr));
    count(theme::GetThemeFont(t, dc, 1, 1, 0, &font));
    count(theme::DrawThemeText(t, dc, 1, 1, L"x", 1, 0, 0, &r));
    count(theme::DrawThemeIcon(t, dc, 1, 1, &r, nullptr, 0));
    count(theme::DrawThemeParentBackground(GetDesktopWindow(), dc, &r));
    count(theme::GetThemeMargins(t, dc, 1, 1, 0, &r, &margins));
    count(theme::OpenThemeData(GetDesktopWindow(), L"WINDOW"));
    count(theme::CloseThemeData(t));
    count(theme::GetThemeAppProperties());
    count(theme::IsThemeActive());
    count(theme::GetThemeBackgroundContentRect(t, dc, 1, 1, &r, &r));
    count(theme::GetThemeRect(t, 1, 1, 0, &r));
    count(theme::GetThemeTextExtent(t, dc, 1, 1, L"x", 1, 0, &r, &r));
    count(theme::GetThemeSysColor(t, COLOR_WINDOW));
    count(theme::GetThemeColor(t, 1, 1, 0, &colour));
    count(theme::GetThemeSysColorBrush(t, COLOR_WINDOW));
    count(theme::GetThemePartSize(t, dc, 1, 1, nullptr, TS_TRUE, &size));
    count(theme::EnableTheming(TRUE));
    DeleteDC(dc);
    return nonZero;
}

TEST(ThemeLibraryMissing, EveryWrapperAnswersZeroAndTheLibraryIsLookedForOnce)
{
    const std::string path = MissingPath();
    DeleteFileA(path.c_str());
    theme::SetLibraryPath(path.c_str());
    EXPECT_EQ(CallEveryWrapper(), 0);
    EXPECT_EQ(theme::Library(), nullptr);

    // The library appears afterwards: it is not looked for again, and the
    // wrappers keep answering 0.
    char system[MAX_PATH] = "";
    GetSystemDirectoryA(system, sizeof system);
    ASSERT_TRUE(CopyFileA((std::string(system) + "\\uxtheme.dll").c_str(), path.c_str(), FALSE));
    EXPECT_EQ(CallEveryWrapper(), 0);
    EXPECT_EQ(theme::Library(), nullptr);
    EXPECT_EQ(GetModuleHandleA(path.c_str()), nullptr);
    theme::SetLibraryPath(nullptr);  // too late: changes nothing
    EXPECT_EQ(theme::Library(), nullptr);
    DeleteFileA(path.c_str());
}

}  // namespace
