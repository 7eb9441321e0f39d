// The window layer's wrappers for images, cursors and the mouse: a bitmap
// resource with its greys mapped to the system colours, a cursor made from a
// bitmap and a mask, and the leave tracking of a window; read back through
// Win32 (GetObject and pixels, GetIconInfo, TME_QUERY and WM_MOUSELEAVE).
#include <gtest/gtest.h>

#include <windows.h>

#include <utility>

#include "framework/window/bitmap_cursor.h"
#include "framework/window/mapped_bitmap.h"
#include "framework/window/mouse_tracking.h"

namespace {

constexpr uint32_t kGreysBitmap = 500;  // 8x4: light grey, black, red, white

// Sets button colours of our own for the scope, so that a mapped colour
// cannot pass for an unmapped one; the old colours come back at the end.
class ButtonColours {
public:
    ButtonColours(COLORREF face, COLORREF text)
    {
        for (int i = 0; i < 2; ++i) old_[i] = GetSysColor(ids_[i]);
        const COLORREF wanted[2] = {face, text};
        SetSysColors(2, ids_, wanted);
    }
    ~ButtonColours() { SetSysColors(2, ids_, old_); }

private:
    const INT ids_[2] = {COLOR_BTNFACE, COLOR_BTNTEXT};
    COLORREF old_[2]{};
};

COLORREF PixelOf(HBITMAP bitmap, int x, int y)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, x, y);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

TEST(MappedBitmap, GreysTakeTheButtonColoursOfTheMomentOfLoading)
{
    const COLORREF face = RGB(10, 200, 30), text = RGB(200, 20, 120);
    MappedBitmap bitmap;
    {
        ButtonColours colours(face, text);
        bitmap = MappedBitmap(GetModuleHandleA(nullptr), kGreysBitmap);
    }
    ASSERT_TRUE(bitmap);
    BITMAP info{};
    ASSERT_EQ(GetObjectA(bitmap, sizeof info, &info), static_cast<int>(sizeof info));
    EXPECT_EQ(info.bmWidth, 8);
    EXPECT_EQ(info.bmHeight, 4);
    EXPECT_EQ(PixelOf(bitmap, 0, 0), face);
    EXPECT_EQ(PixelOf(bitmap, 3, 3), text);
    EXPECT_EQ(PixelOf(bitmap, 5, 1), RGB(255, 0, 0));  // not a grey: kept
    EXPECT_EQ(PixelOf(bitmap, 7, 2), GetSysColor(COLOR_BTNHIGHLIGHT));

    // The object owns the handle: it goes with the object.
    HBITMAP handle = bitmap;
    bitmap.Reset();
    EXPECT_EQ(GetObjectType(handle), 0u);
}

TEST(MappedBitmap, WhatIsNoBitmapResourceGivesAnEmptyObject)
{
    for (uint32_t id : {501u, 300u /* a dialog template */, 0u}) {
        MappedBitmap bitmap(GetModuleHandleA(nullptr), id);
        EXPECT_FALSE(bitmap) << id;
        EXPECT_EQ(bitmap.Size().cx, 0) << id;
    }
}

TEST(BitmapCursor, IsACursorWithItsHotSpotAndMaskAndGoesWithItsOwner)
{
    HDC screen = GetDC(nullptr);
    HBITMAP colour = CreateCompatibleBitmap(screen, 32, 32);
    ReleaseDC(nullptr, screen);
    HBITMAP mask = CreateBitmap(32, 32, 1, 1, nullptr);
    BitmapCursor cursor(colour, mask, 5, 7);
    ASSERT_TRUE(cursor);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(cursor.Get(), &info));
    EXPECT_FALSE(info.fIcon);
    EXPECT_EQ(info.xHotspot, 5u);
    EXPECT_EQ(info.yHotspot, 7u);
    BITMAP maskInfo{};
    ASSERT_NE(GetObjectA(info.hbmMask, sizeof maskInfo, &maskInfo), 0);
    EXPECT_EQ(maskInfo.bmWidth, 32);
    EXPECT_NE(info.hbmColor, nullptr);
    DeleteObject(info.hbmMask);
    if (info.hbmColor) DeleteObject(info.hbmColor);

    // One owner at a time; the last destroys the cursor, not the bitmaps.
    HCURSOR handle = cursor.Get();
    BitmapCursor moved(std::move(cursor));
    EXPECT_FALSE(cursor);
    EXPECT_EQ(moved.Get(), handle);
    moved.Reset();
    ICONINFO gone{};
    EXPECT_FALSE(GetIconInfo(handle, &gone));
    EXPECT_EQ(GetObjectType(colour), static_cast<DWORD>(OBJ_BITMAP));
    EXPECT_EQ(GetObjectType(mask), static_cast<DWORD>(OBJ_BITMAP));

    // Without a mask there is no cursor.
    BitmapCursor noMask(colour, nullptr, 0, 0);
    EXPECT_FALSE(noMask);
    DeleteObject(colour);
    DeleteObject(mask);
}

int g_leaves = 0;

LRESULT CALLBACK CountLeaves(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    if (msg == WM_MOUSELEAVE) ++g_leaves;
    return DefWindowProcA(hwnd, msg, wp, lp);
}

void Pump(DWORD ms, bool untilLeave)
{
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        if (untilLeave && g_leaves) return;
        Sleep(10);
    }
}

class Tracked : public ::testing::Test {
protected:
    void SetUp() override
    {
        WNDCLASSA wc{};
        wc.lpfnWndProc = CountLeaves;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "VoqTrackedWindow";
        RegisterClassA(&wc);
        window_ = CreateWindowExA(WS_EX_TOPMOST, "VoqTrackedWindow", "", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
        ASSERT_NE(window_, nullptr);
        CursorTo(50, 50);
        g_leaves = 0;
    }
    void TearDown() override { DestroyWindow(window_); }
    static void CursorTo(int x, int y)
    {
        SetCursorPos(x, y);
        Pump(100, false);
    }
    HWND window_ = nullptr;
};

TEST_F(Tracked, LeavingTheWindowSendsOneMouseLeaveAndEndsTheRequest)
{
    MouseTracking tracking(window_);
    ASSERT_TRUE(tracking.Track());
    EXPECT_TRUE(tracking.IsTracking());
    EXPECT_EQ(g_leaves, 0);
    CursorTo(400, 300);
    Pump(10000, true);  // returns as soon as the message came
    EXPECT_EQ(g_leaves, 1);
    EXPECT_FALSE(tracking.IsTracking());
}

TEST_F(Tracked, CancelAndTheEndOfTheObjectWithdrawTheRequest)
{
    {
        MouseTracking tracking(window_);
        ASSERT_TRUE(tracking.Track());
        tracking.Cancel();
        EXPECT_FALSE(tracking.IsTracking());
        ASSERT_TRUE(tracking.Track());
        EXPECT_TRUE(tracking.IsTracking());
    }
    EXPECT_FALSE(MouseTracking(window_).IsTracking());
    // Another window's query does not see this window's request.
    MouseTracking tracking(window_);
    ASSERT_TRUE(tracking.Track());
    EXPECT_FALSE(MouseTracking(GetDesktopWindow()).IsTracking());
    MouseTracking none(nullptr);
    EXPECT_FALSE(none.Track());
    EXPECT_FALSE(none.IsTracking());
}

}  // namespace
