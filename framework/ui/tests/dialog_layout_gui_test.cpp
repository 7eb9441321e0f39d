// Anchored controls after a resize, the minimum size and the remembered size.
#include <gtest/gtest.h>

#include <windows.h>

#include "framework/ui/dialog_module.h"
#include "framework/ui/sdialog.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr uint32_t kResizable = 700;
constexpr uint32_t kItems = 600;

class ResizableDialog : public SDialog {
public:
    ResizableDialog() : SDialog(nullptr, kResizable)
    {
        AddAnchors({{701, ANCHOR_RIGHT},
                    {702, ANCHOR_RIGHT | ANCHOR_KEEP_WIDTH},
                    {703, ANCHOR_HALF_RIGHT},
                    {704, ANCHOR_HALF_LEFT},
                    {705, ANCHOR_RIGHT | ANCHOR_BOTTOM},
                    {706, ANCHOR_CENTER | ANCHOR_BOTTOM | ANCHOR_KEEP_HEIGHT},
                    {IDOK, ANCHOR_RIGHT | ANCHOR_KEEP_WIDTH | ANCHOR_BOTTOM | ANCHOR_KEEP_HEIGHT}});
    }
};

RECT ChildRect(HWND dialog, int id)
{
    RECT r{};
    GetWindowRect(GetDlgItem(dialog, id), &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void Resize(HWND dialog, int dw, int dh)
{
    RECT w{};
    GetWindowRect(dialog, &w);
    SetWindowPos(dialog, nullptr, 0, 0, w.right - w.left + dw, w.bottom - w.top + dh,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

TEST(DialogLayout, AnchoredControlsFollowTheNewSize)
{
    ClearDialogPlacements();
    ResizableDialog dialog;
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        const RECT e0 = ChildRect(h, 701), b0 = ChildRect(h, 702), l0 = ChildRect(h, 703), r0 = ChildRect(h, 704),
                   list0 = ChildRect(h, 705), m0 = ChildRect(h, 706), ok0 = ChildRect(h, IDOK);
        Resize(h, 100, 60);
        const RECT e = ChildRect(h, 701), b = ChildRect(h, 702), l = ChildRect(h, 703), r = ChildRect(h, 704),
                   list = ChildRect(h, 705), m = ChildRect(h, 706), ok = ChildRect(h, IDOK);
        EXPECT_EQ(e.left, e0.left);
        EXPECT_EQ(e.right, e0.right + 100);
        EXPECT_EQ(b.left, b0.left + 100);
        EXPECT_EQ(b.right - b.left, b0.right - b0.left);
        // Side by side: the common edge moves by half the growth.
        EXPECT_EQ(l.right, l0.right + 50);
        EXPECT_EQ(r.left, r0.left + 50);
        EXPECT_EQ(r.right, r0.right + 100);
        EXPECT_EQ(list.bottom, list0.bottom + 60);
        EXPECT_EQ(list.right, list0.right + 100);
        RECT client{};
        GetClientRect(h, &client);
        EXPECT_EQ(m.left, (client.right - (m0.right - m0.left)) / 2);
        EXPECT_EQ(m.top, m0.top + 60);
        EXPECT_EQ(ok.left, ok0.left + 100);
        EXPECT_EQ(ok.top, ok0.top + 60);
        SaveScreenshot(h, "resized");
        // Moving the dialog sideways moves nothing inside it.
        RECT w{};
        GetWindowRect(h, &w);
        SetWindowPos(h, nullptr, w.left - 30, w.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        Resize(h, 0, 0);
        SendMessageA(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(client.right, client.bottom));
        EXPECT_EQ(ChildRect(h, 703).right, l.right);
        EXPECT_EQ(ChildRect(h, 704).left, r.left);
        Click(h, IDOK);
    });
}

TEST(DialogLayout, NeverSmallerThanTheTemplate)
{
    ResizableDialog dialog;
    RunScripted(dialog, [&](Dialog& d) {
        MINMAXINFO info{};
        SendMessageA(d.GetHandle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        const RECT& w0 = dialog.InitialRect();
        EXPECT_EQ(info.ptMinTrackSize.x, w0.right - w0.left);
        EXPECT_EQ(info.ptMinTrackSize.y, w0.bottom - w0.top);
        Click(d.GetHandle(), IDOK);
    });
}

TEST(DialogLayout, SizeIsRememberedAndASmallerOneIgnored)
{
    ClearDialogPlacements();
    RECT first{};
    {
        ResizableDialog dialog;
        RunScripted(dialog, [&](Dialog& d) {
            Resize(d.GetHandle(), 80, 40);
            GetWindowRect(d.GetHandle(), &first);
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    const DialogPlacement* saved = FindDialogPlacement(kResizable);
    ASSERT_NE(saved, nullptr);
    EXPECT_EQ(saved->width, first.right - first.left);
    {
        ResizableDialog dialog;
        RunScripted(dialog, [&](Dialog& d) {
            RECT w{};
            GetWindowRect(d.GetHandle(), &w);
            EXPECT_EQ(w.right - w.left, first.right - first.left);
            EXPECT_EQ(w.bottom - w.top, first.bottom - first.top);
            // The controls were laid out for the restored size.
            RECT client{};
            GetClientRect(d.GetHandle(), &client);
            RECT ok = ChildRect(d.GetHandle(), IDOK);
            EXPECT_LT(ok.right, client.right);
            EXPECT_GT(ok.right, client.right - 30);
            Click(d.GetHandle(), IDCANCEL);
        });
    }
    StoreDialogPlacement(kResizable, 10, 10);  // smaller than the template
    {
        ResizableDialog dialog;
        RunScripted(dialog, [&](Dialog& d) {
            RECT w{};
            GetWindowRect(d.GetHandle(), &w);
            const RECT& w0 = dialog.InitialRect();
            EXPECT_EQ(w.right - w.left, w0.right - w0.left);
            Click(d.GetHandle(), IDCANCEL);
        });
    }
}

TEST(DialogLayout, ADialogWithoutAnchorsKeepsNoPlacement)
{
    ClearDialogPlacements();
    SDialog dialog(nullptr, kItems);
    RunScripted(dialog, [](Dialog& d) { Click(d.GetHandle(), IDCANCEL); });
    EXPECT_EQ(FindDialogPlacement(kItems), nullptr);
    EXPECT_FALSE(dialog.Resizable());
}

}  // namespace
