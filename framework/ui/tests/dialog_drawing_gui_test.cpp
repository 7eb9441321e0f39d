// Gradients on and off, the client offset, texts built from control texts.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/config/poption.h"
#include "framework/ui/dialog_drawing.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/sdialog.h"
#include "framework/ui/text_macros.h"
#include "framework/window/gdi_objects.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

TEST(DialogDrawing, GradientRunsFromTheFirstColourToTheSecondOrFillsSolid)
{
    ScreenDC screen;
    MemoryDC dc(screen);
    Bitmap bitmap(screen, 100, 10);
    SelectObjectScope select(dc, bitmap);
    const RECT r{0, 0, 100, 10};
    FillGradient(GRADIENT_HORIZONTAL, RGB(255, 255, 255), RGB(0, 0, 0), r, dc);
    EXPECT_LT(GetRValue(GetPixel(dc, 1, 5)), 20);
    EXPECT_GT(GetRValue(GetPixel(dc, 98, 5)), 235);
    FillMirrorGradient(GRADIENT_HORIZONTAL, RGB(255, 255, 255), RGB(0, 0, 0), r, dc);
    EXPECT_LT(GetRValue(GetPixel(dc, 1, 5)), 20);
    EXPECT_GT(GetRValue(GetPixel(dc, 49, 5)), 235);
    EXPECT_LT(GetRValue(GetPixel(dc, 98, 5)), 20);
    GradientFillOption().SetValue(0);
    FillGradient(GRADIENT_HORIZONTAL, RGB(255, 255, 255), RGB(0, 0, 200), r, dc);
    EXPECT_EQ(GetPixel(dc, 98, 5), RGB(0, 0, 200));
    GradientFillOption().SetValue(1);
}

TEST(DialogDrawing, ControlTextsAsTemplates)
{
    const TextMacro macros[] = {{"P", "VOQ"}, {"V", "2.1"}, {nullptr, nullptr}};
    SetTextMacros(macros);
    SDialog dialog(nullptr, 600);
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        SetDlgItemTextA(h, 660, "$P $V");
        dialog.SubstituteItemText(660);
        EXPECT_EQ(ItemText(h, 660), "VOQ 2.1");
        // A page text of several thousand characters keeps its last name.
        const std::string page = std::string(5000, 'x') + " $P";
        SetDlgItemTextA(h, 660, page.c_str());
        dialog.SubstituteItemText(660, SIDialog::kLongSubstitution);
        EXPECT_EQ(ItemText(h, 660), std::string(5000, 'x') + " VOQ");
        SetDlgItemTextA(h, 660, page.c_str());
        dialog.SubstituteItemText(660);
        EXPECT_EQ(ItemText(h, 660), std::string(1024, 'x'));
        SetDlgItemTextA(h, 661, "%u%%");
        dialog.FormatItemText(661, 42u);
        EXPECT_EQ(ItemText(h, 661), "42%");
        POINT offset = ClientOffset(h);
        RECT w{};
        GetWindowRect(h, &w);
        POINT origin{0, 0};
        ClientToScreen(h, &origin);
        EXPECT_EQ(offset.x, origin.x - w.left);
        EXPECT_GT(offset.y, 0);  // the caption
        Click(h, IDCANCEL);
    });
    SetTextMacros(nullptr);
}

}  // namespace
