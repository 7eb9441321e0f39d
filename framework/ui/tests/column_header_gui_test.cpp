// The column header over a list: columns from a "^" text, sort marks,
// widths saved to and restored from an INI stream (bad widths refused), the
// bed that holds header and list, and the list's notifications relayed to
// its original parent. Read back through Win32 (HDM_GETITEMRECT, the item
// formats, parents and rectangles).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/config/ini_stream.h"
#include "framework/ui/column_header.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/hdr_bedding_window.h"
#include "framework/ui/list_controls.h"
#include "framework/ui/tests/support/recording_host.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

int ItemWidth(HWND header, int index)
{
    RECT r{};
    if (!SendMessageA(header, HDM_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r))) return -1;
    return r.right - r.left;
}

int Format(HWND header, int index)
{
    HDITEMA item{};
    item.mask = HDI_FORMAT;
    SendMessageA(header, HDM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return item.fmt;
}

struct Rig {
    RecordingHost host;
    ODListBox* list;
    HColumnHeader* header;
    RECT listBefore{};

    explicit Rig(const char* titles = "Name^Size^Date")
    {
        list = new ODListBox(&host, 950, LIST_HAS_HEADER);
        list->Attr.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY |
                           LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
        list->Attr.x = 10;
        list->Attr.y = 20;
        list->Attr.w = 300;
        list->Attr.h = 150;
        EXPECT_TRUE(list->Create());
        listBefore = list->GetRectInParent();
        header = new HColumnHeader(titles, *list);
        EXPECT_TRUE(header->Create());
    }
};

TEST(ColumnHeader, TitlesMakeColumnsInABedOverTheList)
{
    Rig rig;
    HWND h = rig.header->GetHandle();
    ASSERT_NE(h, nullptr);
    ASSERT_EQ(SendMessageA(h, HDM_GETITEMCOUNT, 0, 0), 3);
    EXPECT_GT(ItemWidth(h, 0), 1);
    EXPECT_GT(ItemWidth(h, 1), 1);
    EXPECT_EQ(ItemWidth(h, 2), HColumnHeader::kLastColumnWidth);
    EXPECT_EQ(rig.header->GetColumnTitle(1), "Size");
    char small[4];
    EXPECT_EQ(rig.header->GetColumnTitle(small, sizeof small, 0), 3u);
    EXPECT_STREQ(small, "Nam");
    EXPECT_EQ(rig.header->ColumnsWidth(2), ItemWidth(h, 0) + ItemWidth(h, 1));
    EXPECT_EQ(rig.header->ColumnRight(0), ItemWidth(h, 0));

    // The bed took the list's place; header on top, list below.
    HdrBeddingWindow* bed = rig.header->Bed();
    ASSERT_NE(bed, nullptr);
    EXPECT_EQ(GetParent(h), bed->GetHandle());
    EXPECT_EQ(GetParent(rig.list->GetHandle()), bed->GetHandle());
    EXPECT_EQ(GetParent(bed->GetHandle()), rig.host.GetHandle());
    RECT bedRect = bed->GetRectInParent();
    EXPECT_TRUE(EqualRect(&bedRect, &rig.listBefore));
    RECT hr = rig.header->GetRectInParent(), lr = rig.list->GetRectInParent();
    EXPECT_EQ(hr.top, 0);
    EXPECT_GT(hr.bottom, 0);
    EXPECT_EQ(lr.top, hr.bottom);
    EXPECT_EQ(lr.bottom, rig.listBefore.bottom - rig.listBefore.top);

    // The header follows the list's sideways scrolling.
    SendMessageA(rig.list->GetHandle(), LB_SETHORIZONTALEXTENT, 2000, 0);
    SendMessageA(rig.list->GetHandle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 120), 0);
    const int scrolled = GetScrollPos(rig.list->GetHandle(), SB_HORZ);
    EXPECT_GT(scrolled, 0);
    rig.header->FollowList();
    EXPECT_EQ(rig.header->GetRectInParent().left, -scrolled);

    // Without its header the list goes back where it was.
    delete rig.header;
    EXPECT_EQ(GetParent(rig.list->GetHandle()), rig.host.GetHandle());
    RECT back = rig.list->GetRectInParent();
    EXPECT_TRUE(EqualRect(&back, &rig.listBefore));
}

TEST(ColumnHeader, SortMarksReplaceEachOtherAndTheColumnIsSortedOnce)
{
    Rig rig;
    HWND h = rig.header->GetHandle();
    const int plain = rig.header->MeasuredWidths().at(1);
    EXPECT_GE(plain, rig.header->Margin());
    rig.header->SetSortMark(1, 0);
    EXPECT_EQ(Format(h, 1) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTDOWN);
    rig.header->SetSortMark(1, 1);
    EXPECT_EQ(Format(h, 1) & (HDF_SORTUP | HDF_SORTDOWN), HDF_SORTUP);
    EXPECT_EQ(rig.header->SortedColumns(), (std::vector<int>{1}));
    EXPECT_GT(rig.header->MeasuredWidths().at(1), plain);
    rig.header->SetSortMark(1, 3);
    EXPECT_EQ(Format(h, 1) & (HDF_SORTUP | HDF_SORTDOWN), 0);
    EXPECT_EQ(rig.header->SortedColumns(), (std::vector<int>{1}));
    EXPECT_EQ(Format(h, 0) & (HDF_SORTUP | HDF_SORTDOWN), 0);
}

TEST(ColumnHeader, WidthsRoundTripAndBadValuesKeepTheColumn)
{
    Rig rig;
    HWND h = rig.header->GetHandle();
    const int widths[] = {50, 60, 70};
    for (int i = 0; i < 3; ++i) rig.header->SetColumnWidth(widths[i], i);
    INIStream ini("");
    rig.header->SaveWidths(ini, "Columns");
    ini.SetSection("Columns");
    EXPECT_STREQ(ini.FindValue("F0"), "50");
    EXPECT_STREQ(ini.FindValue("F2"), "70");
    for (int i = 0; i < 3; ++i) rig.header->SetColumnWidth(10, i);
    ini.DeleteValue("F1");  // a missing key keeps its column
    rig.header->LoadWidths(ini, "Columns");
    EXPECT_TRUE(rig.header->WidthsLoaded());
    EXPECT_EQ(ItemWidth(h, 0), 50);
    EXPECT_EQ(ItemWidth(h, 1), 10);
    EXPECT_EQ(ItemWidth(h, 2), 70);

    struct Bad {
        const char* value;
    } bad[] = {{"-5"}, {"-1"}, {"99999999"}, {"4294967295"}, {"12abc"}, {""}};
    for (const Bad& b : bad) {
        ini.SetSection("Columns");
        ini.SetValue(b.value, "F0");
        rig.header->LoadWidths(ini, "Columns");
        EXPECT_EQ(ItemWidth(h, 0), 50) << b.value;
    }

    // A disabled header reads nothing, and counts as loaded.
    ini.SetSection("Columns");
    ini.SetValue("33", "F0");
    EnableWindow(h, FALSE);
    rig.header->LoadWidths(ini, "Columns");
    EXPECT_EQ(ItemWidth(h, 0), 50);
    EnableWindow(h, TRUE);
    rig.header->LoadWidths(ini, "Columns");
    EXPECT_EQ(ItemWidth(h, 0), 33);
    // No such section: nothing changes.
    rig.header->LoadWidths(ini, "Other");
    EXPECT_EQ(ItemWidth(h, 0), 33);
}

TEST(ColumnHeader, TheBedRelaysTheListsNotificationsToTheOriginalParent)
{
    Rig rig;
    for (const char* s : {"one", "two"}) rig.list->AddString(s);
    rig.host.received.clear();
    HWND list = rig.list->GetHandle();
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, (item.top + item.bottom) / 2));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, (item.top + item.bottom) / 2));
    UpdateWindow(list);
    bool selChange = false;
    for (const auto& r : rig.host.received)
        if (r.msg == WM_COMMAND && HIWORD(r.w) == LBN_SELCHANGE && LOWORD(r.w) == 950) selChange = true;
    EXPECT_TRUE(selChange);
    EXPECT_GT(rig.host.CountOf(WM_DRAWITEM), 0u);  // the owner-drawn rows still draw
    // The header's own notifications reach the parent too.
    rig.header->SetColumnWidth(77, 0);
    bool changed = false;
    for (const auto& r : rig.host.received)
        if (r.msg == WM_NOTIFY && r.from == rig.header->GetHandle() &&
            (r.code == HDN_ITEMCHANGEDA || r.code == HDN_ITEMCHANGEDW))
            changed = true;
    EXPECT_TRUE(changed);
}

bool ThemesOn() { return true; }
bool ThemesOff() { return false; }

TEST(ColumnHeader, FramedOnlyWhileThemesAreDrawn)
{
    for (bool on : {true, false}) {
        SetThemesActiveHook(on ? &ThemesOn : &ThemesOff);
        Rig rig;
        const LONG ex = GetWindowLongA(rig.header->GetHandle(), GWL_EXSTYLE);
        EXPECT_EQ((ex & WS_EX_STATICEDGE) != 0, on);
    }
    SetThemesActiveHook(nullptr);
}

}  // namespace
