// Marked buttons: drawn by the framework as the dialog's push buttons, text
// kept, the default one framed; themed while themes are on. Read back from
// the pixels of the buttons drawn into memory DCs.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "framework/ui/b_button.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/sdialog.h"
#include "framework/window/tests/support/dialog_script.h"
#include "framework/window/visual_style.h"

namespace {

constexpr uint32_t kPage = 800;  // OK (1) is the default button, Cancel (2) is not

// The button drawn into a memory DC (as the system asks: disabled while the
// window is), as rows of pixels.
std::vector<COLORREF> Draw(BButton& button)
{
    RECT r = button.GetClientRect();
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(button.GetId());
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = button.IsWindowEnabled() ? 0 : ODS_DISABLED;
    item.hwndItem = button.GetHandle();
    item.hDC = dc;
    item.rcItem = r;
    button.DrawItem(item);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < r.bottom; ++y)
        for (int x = 0; x < r.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return pixels;
}

// Whether the face of the button (inside the frame) shows `colour`.
bool Has(const std::vector<COLORREF>& pixels, const RECT& r, COLORREF colour)
{
    for (int y = 4; y < r.bottom - 4; ++y)
        for (int x = 4; x < r.right - 4; ++x)
            if (pixels[static_cast<size_t>(y * r.right + x)] == colour) return true;
    return false;
}

bool Themes() { return true; }
bool NoThemes() { return false; }

TEST(MarkedButtons, DrawTheirTextAndTheDefaultFrame)
{
    SetThemesActiveHook(&NoThemes);
    SDialog dialog(nullptr, kPage);
    dialog.MarkButtons({1, 2});
    RunScripted(dialog, [&](Dialog& d) {
        BButton* ok = dialog.FindButton(1);
        BButton* cancel = dialog.FindButton(2);
        ASSERT_NE(ok, nullptr);
        ASSERT_NE(cancel, nullptr);
        EXPECT_TRUE(ok->Marked());
        EXPECT_EQ(ok->GetStyle() & BS_TYPEMASK, static_cast<uint32_t>(BS_OWNERDRAW));
        // Out of the way of the mouse: no hot state.
        SetCursorPos(0, 0);
        const COLORREF text = GetSysColor(COLOR_BTNTEXT), frame = GetSysColor(COLOR_WINDOWFRAME);
        const RECT r = ok->GetClientRect();
        const size_t middleLeft = static_cast<size_t>(r.bottom / 2 * r.right);
        std::vector<COLORREF> okPixels = Draw(*ok);
        std::vector<COLORREF> cancelPixels = Draw(*cancel);
        EXPECT_TRUE(Has(okPixels, r, text));
        EXPECT_TRUE(Has(cancelPixels, r, text));
        EXPECT_EQ(okPixels[middleLeft], frame);  // the default button's frame
        EXPECT_NE(cancelPixels[middleLeft], frame);
        // The text stays even on a button told to show its image only.
        cancel->SetFlags(BBUTTON_NO_TEXT);
        EXPECT_TRUE(Has(Draw(*cancel), r, text));
        // A disabled marked button greys its text.
        EnableWindow(cancel->GetHandle(), FALSE);
        std::vector<COLORREF> disabled = Draw(*cancel);
        EXPECT_FALSE(Has(disabled, r, text));
        EXPECT_TRUE(Has(disabled, r, GetSysColor(COLOR_GRAYTEXT)));
        EnableWindow(cancel->GetHandle(), TRUE);

        // With themes on, the theme draws the button when the system has one
        // for push buttons; without one the classic picture stays.
        SetThemesActiveHook(&Themes);
        ThemeData theme(ok->GetHandle(), L"Button");
        std::vector<COLORREF> themed = Draw(*cancel);
        if (theme) {
            EXPECT_NE(themed, cancelPixels);
        } else {
            EXPECT_EQ(themed, cancelPixels);
        }
        SetThemesActiveHook(&NoThemes);
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
}

}  // namespace
