// Owner-drawn list text: colour codes, columns that line up, centred
// columns, full-width lines and segments, the widths and the header that
// follows them, and the owner-drawn combo box's drop-down width after its
// history. Rows are drawn into memory DCs and read back as colours, not
// glyphs; widths through LB_GETHORIZONTALEXTENT and HDM_GETITEMRECT.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "framework/ui/column_header.h"
#include "framework/ui/di_combo_box.h"
#include "framework/ui/di_list_box.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/framework_state.h"
#include "framework/ui/list_controls.h"
#include "framework/ui/od_list.h"
#include "framework/ui/sdialog.h"
#include "framework/ui/tests/support/recording_host.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);

TEST(ColourCodes, SixHexDigitsOrTheTextAsWritten)
{
    struct Case {
        const char* field;
        const char* text;
        COLORREF colour;
        COLORREF background;
        bool centred;
    } cases[] = {
        {"$FF0000word", "word", kRed, kNoColour, false},
        {"$$5 apples", "$5 apples", kNoColour, kNoColour, false},
        {"%%off", "%off", kNoColour, kNoColour, false},
        {"$12345Gword", "$12345Gword", kNoColour, kNoColour, false},  // not six hexadecimal digits
        {"$FF00", "$FF00", kNoColour, kNoColour, false},
        {"%00FF00$FF0000both", "both", kRed, kGreen, false},
        {"$FF0000%00FF00both", "both", kRed, kGreen, false},
        {"$FF0000$00FF00twice", "$00FF00twice", kRed, kNoColour, false},
        {"\x1D$0000ffmid", "mid", RGB(0, 0, 255), kNoColour, true},
        {"plain", "plain", kNoColour, kNoColour, false},
    };
    for (const Case& c : cases) {
        ColumnCodes codes = ParseColumnCodes(c.field, true);
        EXPECT_EQ(codes.text, c.text) << c.field;
        EXPECT_EQ(codes.textColour, c.colour) << c.field;
        EXPECT_EQ(codes.background, c.background) << c.field;
        EXPECT_EQ(codes.centred, c.centred) << c.field;
    }
    // Codes off: shown as written.
    EXPECT_EQ(ParseColumnCodes("$FF0000word", false).text, "$FF0000word");
    std::string line;
    EXPECT_TRUE(FullWidthLine("@whole", &line));
    EXPECT_EQ(line, "whole");
    EXPECT_FALSE(FullWidthLine("@@at"));
}

// A row drawn off-screen.
class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h)
    {
        HDC screen = GetDC(nullptr);
        dc_ = CreateCompatibleDC(screen);
        bitmap_ = CreateCompatibleBitmap(screen, w, h);
        ReleaseDC(nullptr, screen);
        old_ = SelectObject(dc_, bitmap_);
    }
    ~Canvas()
    {
        SelectObject(dc_, old_);
        DeleteObject(bitmap_);
        DeleteDC(dc_);
    }
    void Draw(ODListBox& list, int row, UINT state = 0)
    {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_LISTBOX;
        item.itemID = static_cast<UINT>(row);
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = state;
        item.hwndItem = list.GetHandle();
        item.hDC = dc_;
        item.rcItem = RECT{0, 0, w_, h_};
        list.DrawItem(item);
    }
    HDC Dc() const { return dc_; }
    COLORREF At(int x, int y) const { return GetPixel(dc_, x, y) & 0xFFFFFF; }
    // The leftmost and rightmost x of a colour in [from, to); -1 when absent.
    int Leftmost(COLORREF colour, int from = 0, int to = -1) const
    {
        for (int x = from; x < (to < 0 ? w_ : to); ++x)
            for (int y = 0; y < h_; ++y)
                if (At(x, y) == colour) return x;
        return -1;
    }
    int Rightmost(COLORREF colour) const
    {
        for (int x = w_ - 1; x >= 0; --x)
            for (int y = 0; y < h_; ++y)
                if (At(x, y) == colour) return x;
        return -1;
    }

private:
    int w_, h_;
    HDC dc_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
};

ODListBox* MakeList(RecordingHost& host, uint32_t flags, int id = 960)
{
    auto* list = new ODListBox(&host, id, flags);
    list->Attr.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED |
                       LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT;
    list->Attr.x = 10;
    list->Attr.y = 10;
    list->Attr.w = 380;
    list->Attr.h = 200;
    EXPECT_TRUE(list->Create());
    return list;
}

TEST(ODListText, ColumnsLineUpAndCarryTheirColours)
{
    RecordingHost host;
    ODListBox* list = MakeList(host, 0);
    list->AddString("a much longer first field\t$FF0000B");
    list->AddString("a\t$FF0000b");
    list->AddString("$FF0000red\t%00FF00green back");
    const int first = list->Widths().at(0);
    EXPECT_GT(first, list->Padding());
    EXPECT_EQ(list->TotalWidth(), GetSystemMetrics(SM_CXVSCROLL) + first + list->Widths().at(1));
    EXPECT_EQ(list->GetHorizontalExtent(), list->TotalWidth() + 2);
    EXPECT_EQ(list->LastColumn(), 1);

    Canvas c(400, 18);
    // The short row's second field starts where the long row's does.
    c.Draw(*list, 0);
    const int longStart = c.Leftmost(kRed);
    c.Draw(*list, 1);
    const int shortStart = c.Leftmost(kRed);
    ASSERT_GT(longStart, 0);
    EXPECT_GE(shortStart, first - list->Padding());
    EXPECT_LE(std::abs(shortStart - longStart), 2);

    // A red word in column 0, a green background in column 1, the window
    // colour elsewhere.
    c.Draw(*list, 2);
    EXPECT_GE(c.Leftmost(kRed), 0);
    EXPECT_LT(c.Leftmost(kRed), first);
    EXPECT_GE(c.Leftmost(kGreen), first - list->Padding());
    EXPECT_EQ(c.At(first + list->Padding() / 2 + 2, 1), kGreen);
    EXPECT_EQ(c.At(first / 2, 0), GetSysColor(COLOR_WINDOW) & 0xFFFFFF);
    // Selected: the highlight fills the row, codes give way.
    c.Draw(*list, 2, ODS_SELECTED);
    EXPECT_EQ(c.At(first / 2, 0), GetSysColor(COLOR_HIGHLIGHT) & 0xFFFFFF);
    EXPECT_EQ(c.Leftmost(kGreen), -1);
    EXPECT_EQ(c.Leftmost(kRed), -1);
    // Item -1 draws nothing.
    c.Draw(*list, -1);
    EXPECT_EQ(c.At(first / 2, 0), GetSysColor(COLOR_HIGHLIGHT) & 0xFFFFFF);

    list->ClearList();
    EXPECT_TRUE(list->Widths().empty());
    EXPECT_EQ(list->TotalWidth(), 0);
}

TEST(ODListText, CentredColumnsSegmentsAndFullWidthLines)
{
    RecordingHost host;
    ODListBox* list = MakeList(host, 0);
    list->AddString("wide column to centre in\tx");
    list->AddString("$FF0000ab\tx");
    list->AddString("\x1D$FF0000ab\tx");
    list->AddString("$FF0000one\x04%00FF00two");
    const int total = list->TotalWidth();
    list->AddString("@$FF0000a full-width line that is longer than every row of columns");
    EXPECT_GT(list->TotalWidth(), total);
    EXPECT_EQ(list->GetHorizontalExtent(), list->TotalWidth() + 2);

    Canvas c(400, 18);
    c.Draw(*list, 1);
    const int left = c.Leftmost(kRed);
    c.Draw(*list, 2);
    const int centred = c.Leftmost(kRed);
    EXPECT_GT(centred, left + 10);
    EXPECT_LT(c.Rightmost(kRed), list->Widths().at(0));

    // Segments follow each other: red text, then the green background.
    c.Draw(*list, 3);
    ASSERT_GE(c.Leftmost(kRed), 0);
    EXPECT_GT(c.Leftmost(kGreen), c.Leftmost(kRed));
    c.Draw(*list, 4);
    EXPECT_GT(c.Rightmost(kRed), list->Widths().at(0));
}

// A parent that paints its whole client area in a colour of its own, as
// its background and as its printed client area.
class PaintedHost : public RecordingHost {
public:
    static constexpr COLORREF kPaint = RGB(40, 90, 160);
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override
    {
        if (msg != WM_ERASEBKGND && msg != WM_PRINTCLIENT) return RecordingHost::WindowProc(msg, w, l);
        RECT client{};
        ::GetClientRect(GetHandle(), &client);
        HBRUSH brush = CreateSolidBrush(kPaint);
        FillRect(reinterpret_cast<HDC>(w), &client, brush);
        DeleteObject(brush);
        return 1;
    }
};

bool ThemesOn() { return true; }
bool ThemesOff() { return false; }

TEST(ODListText, ParentBackgroundIsTheParentsUnderThemesAndTheFaceOtherwise)
{
    PaintedHost host;
    ODListBox* list = MakeList(host, LIST_PARENT_BACKGROUND);
    list->AddString("row");
    const COLORREF face = GetSysColor(COLOR_BTNFACE) & 0xFFFFFF;
    struct Case {
        ThemesActiveHook hook;
        COLORREF expected;
    };
    for (const Case& k : {Case{&ThemesOn, PaintedHost::kPaint}, Case{&ThemesOff, face}}) {
        SetThemesActiveHook(k.hook);
        Canvas c(400, 18);
        c.Draw(*list, 0);
        EXPECT_EQ(c.At(390, 2), k.expected);
        // The area below the rows too.
        Canvas below(400, 18);
        EXPECT_TRUE(list->EvEraseBkgnd(below.Dc()));
        EXPECT_EQ(below.At(200, 9), k.expected);
        // A selected row keeps the highlight.
        c.Draw(*list, 0, ODS_SELECTED);
        EXPECT_EQ(c.At(390, 2), GetSysColor(COLOR_HIGHLIGHT) & 0xFFFFFF);
    }
    SetThemesActiveHook(nullptr);
}

TEST(ODListText, TheHeaderFollowsTheWidthsAndGivesTheColumns)
{
    RecordingHost host;
    ODListBox* list = MakeList(host, 0);
    HColumnHeader* header = list->AttachHeader("Name^Value^Note");
    ASSERT_NE(header, nullptr);
    EXPECT_EQ(list->AttachHeader("Other"), header);
    EXPECT_TRUE(list->ListFlags() & LIST_HAS_HEADER);
    list->AddString("a first column of some width\tsecond\tthird");
    HWND h = header->GetHandle();
    RECT r{};
    SendMessageA(h, HDM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.right - r.left, list->Widths().at(0));
    SendMessageA(h, HDM_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    EXPECT_EQ(r.right - r.left, ODList::kHeaderLastColumn);

    // Drawn columns take the header's widths.
    list->AddString("x\t$FF0000y\tz");
    header->SetColumnWidth(200, 0);
    Canvas c(400, 18);
    c.Draw(*list, 1);
    EXPECT_GE(c.Leftmost(kRed), 200 - list->Padding());

    // The header scrolls with the list.
    SendMessageA(list->GetHandle(), LB_SETHORIZONTALEXTENT, 3000, 0);
    SendMessageW(list->GetHandle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 90), 0);
    const int scrolled = GetScrollPos(list->GetHandle(), SB_HORZ);
    EXPECT_GT(scrolled, 0);
    EXPECT_EQ(header->GetRectInParent().left, -scrolled);
}

constexpr uint32_t kItems = 600;
constexpr int kCombo = 620;

class ODComboDialog : public SDialog {
public:
    ODComboDialog(char* text, size_t size) : SDialog(nullptr, kItems)
    {
        AddItem(NewDIComboBox(79, text, static_cast<uint32_t>(size), DICB_STORE_TEXT | DICB_OWNER_DRAWN, kCombo));
    }
};

TEST(ODComboText, DroppedWidthFollowsTheHistoryEntries)
{
    FrameworkState state(true);
    const char* longest = "a remembered text far wider than the combo box itself, and then some more";
    ProcessHistory()->Add(79, longest);
    ProcessHistory()->Add(79, "short");
    char text[128] = "";
    ODComboDialog dialog(text, sizeof text);
    int dropped = 0, comboWidth = 0, itemWidth = 0;
    RunScripted(dialog, [&](Dialog& d) {
        HWND combo = GetDlgItem(d.GetHandle(), kCombo);
        RECT r{};
        GetWindowRect(combo, &r);
        comboWidth = r.right - r.left;
        dropped = static_cast<int>(SendMessageA(combo, CB_GETDROPPEDWIDTH, 0, 0));
        HDC dc = GetDC(combo);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(combo, WM_GETFONT, 0, 0)));
        SIZE size{};
        GetTextExtentPoint32A(dc, longest, static_cast<int>(strlen(longest)), &size);
        SelectObject(dc, old);
        ReleaseDC(combo, dc);
        itemWidth = size.cx;
        EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_GT(dropped, comboWidth);
    EXPECT_GE(dropped, itemWidth);
}

}  // namespace

namespace {

// One page with every kind of list and combo control, in both languages:
// the history combo, a list with its type-ahead box open, the owner-drawn
// combo and the owner-drawn list with columns, colours and its header.
class KindsDialog : public SDialog {
public:
    explicit KindsDialog(char* text) : SDialog(nullptr, 840)
    {
        combo = NewDIComboBox(81, text, 64, DICB_STORE_TEXT, 842);
        plain = NewDIListBox(0, 843);
        for (const char* s : {"Alpha|\xC0\xEB\xFC\xF4\xE0", "Beta|\xC1\xE5\xF2\xE0", "Gamma|\xC3\xE0\xEC\xEC\xE0",
                              "Delta|\xC4\xE5\xEB\xFC\xF2\xE0"})
            plain->Data().AddString(GetMLText(s));
        od = NewDIListBoxOD(LIST_GRID | LIST_GRID_PEN | LIST_HEADER_WIDTHS, 844);
        odCombo = NewDIComboBox(nullptr, 64, DICB_OWNER_DRAWN, 845);
        for (const char* s : {"$C00000Red text|$C00000\xCA\xF0\xE0\xF1\xED\xFB\xE9", "%FFFF00Yellow back|%FFFF00\xC6\xB8\xEB\xF2\xFB\xE9 \xF4\xEE\xED",
                              "Plain|\xCF\xF0\xEE\xF1\xF2\xEE\xE9"})
            odCombo->Data().AddString(GetMLText(s));
        odCombo->Data().Select(0);
        AddItems({combo, plain, od, odCombo});
    }
    DIComboBox* combo;
    DIListBox* plain;
    DIListBoxOD* od;
    DIComboBox* odCombo;
};

TEST(ListKinds, ScreenshotsInBothLanguages)
{
    for (uint8_t language : {0, 1}) {
        g_mlLanguage = language;
        FrameworkState state(true);
        ProcessHistory()->Add(81, GetMLText("C:\\Work\\first.out|C:\\\xD0\xE0\xE1\xEE\xF2\xE0\\first.out"));
        ProcessHistory()->Add(81, GetMLText("main.c|\xE3\xEB\xE0\xE2\xED\xFB\xE9.c"));
        char text[64] = "";
        KindsDialog dialog(text);
        std::string caption;
        RunScripted(dialog, [&](Dialog& d) {
            caption = GetText1251(d.GetHandle());
            auto* list = dynamic_cast<ODListBox*>(dialog.od->Control());
            ASSERT_NE(list, nullptr);
            HColumnHeader* header = list->AttachHeader("Name^Value^Note|\xC8\xEC\xFF^\xC7\xED\xE0\xF7\xE5\xED\xE8\xE5^\xCF\xF0\xE8\xEC\xE5\xF7\xE0\xED\xE8\xE5");
            ASSERT_NE(header, nullptr);
            for (const char* s : {"PC\t$0000C00x00001234\tprogram counter|PC\t$0000C00x00001234\t\xF1\xF7\xB8\xF2\xF7\xE8\xEA \xEA\xEE\xEC\xE0\xED\xE4",
                                  "SP\t%FFFF000x7F00\tstack|SP\t%FFFF000x7F00\t\xF1\xF2\xE5\xEA",
                                  "ST0\t\x1D$C000000x0000\t\x1Dstatus|ST0\t\x1D$C000000x0000\t\x1D\xF1\xEE\xF1\xF2\xEE\xFF\xED\xE8\xE5",
                                  "@$808080a full-width line|@$808080\xF1\xF2\xF0\xEE\xEA\xE0 \xE2\xEE \xE2\xF1\xFE \xF8\xE8\xF0\xE8\xED\xF3"})
                list->AddString(GetMLText(s));
            list->SetSelIndex(3);
            auto* plain = dynamic_cast<WTListBox*>(dialog.plain->Control());
            ASSERT_NE(plain, nullptr);
            plain->SetListFlags(plain->ListFlags() | LIST_TYPE_AHEAD);
            plain->SetFocus();
            SendMessageW(plain->GetHandle(), WM_CHAR, language ? 0x0411 : L'b', 1);
            EXPECT_NE(plain->SearchWindow(), nullptr);
            EXPECT_EQ(plain->GetSelIndex(), 1);
            HWND combo = GetDlgItem(d.GetHandle(), 842);
            EXPECT_EQ(SendMessageA(combo, CB_GETCOUNT, 0, 0), 2);
            for (int shot = 0; shot < 2; ++shot)
                SaveScreenshot(d.GetHandle(), language ? "list_kinds_ru" : "list_kinds_en");
            Click(d.GetHandle(), IDCANCEL);
        });
        EXPECT_EQ(caption, language ? "\xD1\xEF\xE8\xF1\xEA\xE8 \xE8 \xEF\xEE\xEB\xFF \xE2\xFB\xE1\xEE\xF0\xE0"
                                    : "Lists and combos");
    }
    g_mlLanguage = 0;
}

}  // namespace
