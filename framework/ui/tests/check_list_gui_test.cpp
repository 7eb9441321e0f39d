// Check lists and radio lists bound to rows {text, state word}: disabled
// rows, the command that bound values and rules follow, mnemonics, row
// bitmaps and the drawing of a row; the browse buttons' images and the
// module's shared fonts. Read back through Win32 (LB_GETITEMDATA, the
// selection, pixels of rows drawn into memory DCs).
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "framework/ui/b_button.h"
#include "framework/ui/check_list_box.h"
#include "framework/ui/di_browsers.h"
#include "framework/ui/di_check_list.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/module_fonts.h"
#include "framework/ui/sdialog.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr uint32_t kVersions = 820;
constexpr int kList = 801;
constexpr int kNote = 802;
constexpr int kUninstall = 803;
constexpr uint32_t kChoices = 830;
constexpr int kRadio = 811;

// The versions page: the version being installed is checked and cannot be
// changed; "Uninstall" is enabled while another version is checked.
CheckListEntries VersionRows()
{
    return {
        {GetMLText("VOQ 2.3 (this version)|VOQ 2.3 (\xFD\xF2\xE0 \xE2\xE5\xF0\xF1\xE8\xFF)"), ROW_CHECKED | ROW_DISABLED},
        {GetMLText("VOQ 2.1 in C:\\VOQ21|VOQ 2.1 \xE2 \xEA\xE0\xF2\xE0\xEB\xEE\xE3\xE5 C:\\VOQ21"), 0},
        {GetMLText("VOQ 1.9 in C:\\Old|VOQ 1.9 \xE2 \xEA\xE0\xF2\xE0\xEB\xEE\xE3\xE5 C:\\Old"), ROW_CHECKED},
    };
}

class VersionsDialog : public SDialog {
public:
    VersionsDialog(CheckListEntries& rows, uint32_t options = 0) : SDialog(nullptr, kVersions)
    {
        item = NewDICheckBoxesAsListBox(kList, &rows, options);
        AddItem(item);
    }
    void ApplyRules() override
    {
        SDialog::ApplyRules();
        bool other = false;
        for (const CheckListEntry& row : item->Rows())
            if ((row.state & (ROW_CHECKED | ROW_DISABLED)) == ROW_CHECKED) other = true;
        EnableItem(other, kUninstall);
        ++rulesRun;
    }
    DICheckBoxesAsListBox* item;
    int rulesRun = 0;
};

HWND List(Dialog& d, int id = kList) { return GetDlgItem(d.GetHandle(), id); }
uint32_t State(HWND list, int row) { return static_cast<uint32_t>(SendMessageA(list, LB_GETITEMDATA, row, 0)); }

POINT RowPoint(HWND list, int row, int x = 40)
{
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, row, reinterpret_cast<LPARAM>(&r));
    return POINT{x, (r.top + r.bottom) / 2};
}

void ClickRow(HWND list, int row, int x = 40)
{
    POINT p = RowPoint(list, row, x);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
    PumpPending();
}

void PressSpace(HWND list)
{
    SendMessageW(list, WM_CHAR, L' ', 0);
    PumpPending();
}

bool NoThemes() { return false; }

TEST(CheckList, CheckedDisabledRowStaysAndTheCommandCarriesValuesAndRules)
{
    for (bool ok : {true, false}) {
        CheckListEntries rows = VersionRows();
        VersionsDialog dialog(rows);
        int result = RunScripted(dialog, [&](Dialog& d) {
            HWND list = List(d);
            HWND uninstall = GetDlgItem(d.GetHandle(), kUninstall);
            ASSERT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
            EXPECT_EQ(State(list, 0), ROW_CHECKED | ROW_DISABLED);
            EXPECT_EQ(State(list, 2), ROW_CHECKED);
            EXPECT_TRUE(IsWindowEnabled(uninstall));

            // The installed version: neither a click nor Space changes it,
            // and a click does not make it the current row.
            SendMessageA(list, LB_SETCURSEL, 1, 0);
            ClickRow(list, 0);
            EXPECT_EQ(State(list, 0), ROW_CHECKED | ROW_DISABLED);
            EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 1);
            SendMessageA(list, LB_SETCURSEL, 0, 0);
            PressSpace(list);
            EXPECT_EQ(State(list, 0), ROW_CHECKED | ROW_DISABLED);

            // The other versions toggle; the posted command reaches the item
            // (its rows) and the dialog's rule (the Uninstall button).
            const int rulesBefore = dialog.rulesRun;
            ClickRow(list, 2);
            EXPECT_EQ(State(list, 2), 0u);
            EXPECT_EQ(dialog.item->Rows()[2].state, 0u);
            EXPECT_GT(dialog.rulesRun, rulesBefore);
            EXPECT_FALSE(IsWindowEnabled(uninstall));
            PressSpace(list);  // the clicked row is the current one
            EXPECT_EQ(State(list, 2), ROW_CHECKED);
            EXPECT_TRUE(IsWindowEnabled(uninstall));
            ClickRow(list, 1);
            EXPECT_EQ(State(list, 1), ROW_CHECKED);
            // A double click is a second click.
            POINT p = RowPoint(list, 1);
            SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
            SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
            EXPECT_EQ(State(list, 1), 0u);
            ClickRow(list, 1);
            Click(d.GetHandle(), ok ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(result, ok ? IDOK : IDCANCEL);
        EXPECT_EQ(rows[0].state, ROW_CHECKED | ROW_DISABLED);
        EXPECT_EQ(rows[1].state, ok ? ROW_CHECKED : 0u);
        EXPECT_EQ(rows[2].state, ROW_CHECKED);
    }
}

TEST(CheckList, OperationsKeepDisabledRowsAndTheSelection)
{
    CheckListEntries rows = VersionRows();
    VersionsDialog dialog(rows);
    RunScripted(dialog, [&](Dialog& d) {
        HWND list = List(d);
        ODCBListBox* box = dialog.item->List();
        ASSERT_NE(box, nullptr);
        box->UncheckAll();
        EXPECT_EQ(State(list, 0), ROW_DISABLED);  // the disabled bit stays
        EXPECT_EQ(dialog.item->Rows()[0].state, ROW_DISABLED);
        box->CheckAll();
        EXPECT_EQ(State(list, 1), ROW_CHECKED);
        // Disabling the current row clears the selection.
        SendMessageA(list, LB_SETCURSEL, 1, 0);
        box->DisableRow(1);
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), LB_ERR);
        EXPECT_FALSE(box->Toggle(1));
        box->EnableRowOn(1);
        EXPECT_TRUE(box->Toggle(1));
        EXPECT_EQ(State(list, 1), 0u);
        // Rows out of range change nothing.
        box->SetCheck(true, 7);
        box->EnableRow(false, -1);
        EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 3);
        // Setting the data again rebuilds the rows and keeps the current row.
        SendMessageA(list, LB_SETCURSEL, 2, 0);
        dialog.item->SetData();
        EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
        EXPECT_EQ(State(list, 1), 0u);  // the bound rows, not the list's
        // A click outside the rows toggles nothing.
        RECT client{};
        GetClientRect(list, &client);
        EXPECT_EQ(box->HitRow(POINT{5, client.bottom - 1}), -1);
        EXPECT_EQ(box->HitRow(POINT{-1, 1}), -1);
        Click(d.GetHandle(), IDCANCEL);
    });
}

TEST(CheckList, MnemonicsFindSingleAmpersandsCaseBlind)
{
    CheckListEntries rows = {{"Alpha &&Beta", 0}, {"&gamma", 0}, {"Delta &beta", 0}, {"\xC3\xF0\xF3\xF8\xE0 &\xDF\xE1\xEB\xEE\xEA\xEE", 0}};
    for (uint32_t options : {static_cast<uint32_t>(CBLIST_MNEMONICS), 0u}) {
        VersionsDialog dialog(rows, options);
        RunScripted(dialog, [&](Dialog& d) {
            HWND list = List(d);
            ODCBListBox* box = dialog.item->List();
            ASSERT_NE(box, nullptr);
            struct Case {
                char letter;
                int row;
            };
            for (const Case& c : {Case{'b', 2}, Case{'B', 2}, Case{'G', 1}, Case{'g', 1}, Case{'\xFF', 3}, Case{'&', -1},
                                  Case{'z', -1}})
                EXPECT_EQ(box->FindMnemonic(c.letter), c.row) << c.letter;
            SetFocus(GetDlgItem(d.GetHandle(), IDOK));
            SendMessageW(list, WM_CHAR, 0x44F, 0);  // Cyrillic small ya
            PumpPending();
            if (options) {
                EXPECT_EQ(State(list, 3), ROW_CHECKED);
                EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 3);
                EXPECT_EQ(GetFocus(), list);
            } else {
                EXPECT_EQ(State(list, 3), 0u);  // without the option a letter is only a letter
            }
            Click(d.GetHandle(), IDCANCEL);
        });
    }
}

TEST(CheckList, MarkOnlyListsToggleWithinTheMarkColumn)
{
    for (uint32_t options : {static_cast<uint32_t>(CBLIST_MARK_ONLY), CBLIST_MARK_ONLY | CBLIST_GLYPHS, 0u}) {
        CheckListEntries rows = {{"First", 0}, {"Second", 0}};
        VersionsDialog dialog(rows, options);
        RunScripted(dialog, [&](Dialog& d) {
            HWND list = List(d);
            ClickRow(list, 0, 120);  // on the text
            EXPECT_EQ(State(list, 0), (options & CBLIST_MARK_ONLY) ? 0u : ROW_CHECKED) << options;
            ClickRow(list, 1, 6);  // on the mark
            EXPECT_EQ(State(list, 1), ROW_CHECKED) << options;
            Click(d.GetHandle(), IDCANCEL);
        });
    }
}

// Draws row `row` of `list` into a memory DC and reports whether any pixel
// of the row has `colour`; with `textOnly` the mark (whose frame has grey
// shades of its own) is left out.
bool RowHasColour(ODCBListBox& list, int row, COLORREF colour, bool textOnly = false)
{
    RECT r{};
    list.SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    RECT client = list.GetClientRect();
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = static_cast<UINT>(row);
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = 0;
    item.hwndItem = list.GetHandle();
    item.hDC = dc;
    item.rcItem = r;
    list.DrawItem(item);
    bool found = false;
    const int from = textOnly ? r.left + 3 * (r.bottom - r.top) : r.left;
    for (int y = r.top; y < r.bottom && !found; ++y)
        for (int x = from; x < r.right && !found; ++x) found = GetPixel(dc, x, y) == colour;
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return found;
}

TEST(CheckList, RowsDrawTheirStateColourAndBitmap)
{
    SetThemesActiveHook(&NoThemes);
    constexpr COLORREF kRed = RGB(200, 0, 0);
    constexpr COLORREF kGlobeLine = RGB(16, 32, 96);     // bitmap 10205
    constexpr COLORREF kFolderBody = RGB(240, 200, 64);  // bitmap 205 and 206
    CheckListEntries rows = {{"Disabled", ROW_DISABLED}, {"Enabled", 0}, {"Coloured", 0x4}, {"Bitmap", 0}, {"Plain", 0}};
    for (int i = 0; i < 40; ++i) rows.push_back({"more", 0});
    VersionsDialog dialog(rows);
    RunScripted(dialog, [&](Dialog& d) {
        ODCBListBox* box = dialog.item->List();
        ASSERT_NE(box, nullptr);
        box->SetTextColour(1, kRed);
        const COLORREF grey = GetSysColor(COLOR_GRAYTEXT), text = GetSysColor(COLOR_WINDOWTEXT);
        EXPECT_TRUE(RowHasColour(*box, 0, grey, true));
        EXPECT_FALSE(RowHasColour(*box, 0, text, true));
        EXPECT_TRUE(RowHasColour(*box, 1, text, true));
        EXPECT_FALSE(RowHasColour(*box, 1, grey, true));
        EXPECT_TRUE(RowHasColour(*box, 2, kRed, true));
        EXPECT_FALSE(RowHasColour(*box, 1, kRed, true));
        // Bitmap 205 is shown as its twin 10205; 206 has none and shows itself.
        EXPECT_TRUE(box->SetItemBitmap(3, 205));
        EXPECT_TRUE(box->SetItemBitmap(4, 206));
        EXPECT_TRUE(RowHasColour(*box, 3, kGlobeLine));
        EXPECT_FALSE(RowHasColour(*box, 3, kFolderBody));
        EXPECT_TRUE(RowHasColour(*box, 4, kFolderBody));
        // One bitmap per row for the first 32 rows; later rows keep none.
        EXPECT_FALSE(box->SetItemBitmap(40, 206));
        EXPECT_EQ(box->ItemBitmap(40), nullptr);
        EXPECT_FALSE(RowHasColour(*box, 40, kFolderBody));
        EXPECT_TRUE(box->SetItemBitmap(3, 0));
        EXPECT_FALSE(RowHasColour(*box, 3, kGlobeLine));
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
}

bool Themes() { return true; }

// The colour of a row drawn into a memory DC, at `x` from the row's right end.
COLORREF RowPixelFromRight(ODCBListBox& list, int row, int x)
{
    RECT r{};
    list.SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    RECT client = list.GetClientRect();
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = static_cast<UINT>(row);
    item.itemAction = ODA_DRAWENTIRE;
    item.hwndItem = list.GetHandle();
    item.hDC = dc;
    item.rcItem = r;
    list.DrawItem(item);
    const COLORREF colour = GetPixel(dc, r.right - 1 - x, (r.top + r.bottom) / 2);
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colour;
}

// The colours of a row's text area (the mark left out) as drawn.
std::vector<COLORREF> RowTextColours(ODCBListBox& list, int row)
{
    std::vector<COLORREF> colours;
    RECT r{};
    list.SendMessage(LB_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&r));
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(dc, bitmap);
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTBOX;
    item.itemID = static_cast<UINT>(row);
    item.hwndItem = list.GetHandle();
    item.hDC = dc;
    item.rcItem = r;
    list.DrawItem(item);
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left + 3 * (r.bottom - r.top); x < r.right; ++x) {
            const COLORREF c = GetPixel(dc, x, y);
            if (std::find(colours.begin(), colours.end(), c) == colours.end()) colours.push_back(c);
        }
    SelectObject(dc, old);
    DeleteObject(bitmap);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return colours;
}

TEST(CheckList, ThemedRowsShowTheWindowBackgroundAndClassicRowsTheButtonFace)
{
    CheckListEntries rows = VersionRows();
    VersionsDialog dialog(rows);
    COLORREF themed[2] = {}, classic[2] = {};
    bool themedText = false, classicText = false, themedNotClassicGrey = false;
    RunScripted(dialog, [&](Dialog& d) {
        ODCBListBox* box = dialog.item->List();
        ASSERT_NE(box, nullptr);
        for (int row = 0; row < 2; ++row) {
            SetThemesActiveHook(&Themes);
            themed[row] = RowPixelFromRight(*box, row, 1);
            SetThemesActiveHook(&NoThemes);
            classic[row] = RowPixelFromRight(*box, row, 1);
        }
        // The disabled row's text: drawn by the theme (its own colours, not
        // the classic grey) while themes are on, in the classic grey when off.
        SetThemesActiveHook(&Themes);
        themedText = RowTextColours(*box, 0).size() > 1;
        SetThemesActiveHook(&NoThemes);
        classicText = RowHasColour(*box, 0, GetSysColor(COLOR_GRAYTEXT), true);
        SetThemesActiveHook(&Themes);
        themedNotClassicGrey = !RowHasColour(*box, 0, GetSysColor(COLOR_GRAYTEXT), true);
        Click(d.GetHandle(), IDCANCEL);
    });
    SetThemesActiveHook(nullptr);
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(themed[row], GetSysColor(COLOR_WINDOW)) << row;
        EXPECT_EQ(classic[row], GetSysColor(COLOR_BTNFACE)) << row;
    }
    EXPECT_TRUE(themedText);
    EXPECT_TRUE(themedNotClassicGrey);
    EXPECT_TRUE(classicText);
}

TEST(CheckList, VersionsPageScreenshots)
{
    for (uint8_t language : {0, 1}) {
        g_mlLanguage = language;
        CheckListEntries rows = VersionRows();
        VersionsDialog dialog(rows);
        std::string caption;
        dialog.MarkButtons({IDOK, IDCANCEL});
        RunScripted(dialog, [&](Dialog& d) {
            caption = GetText1251(d.GetHandle());
            SetItemModuleFont(dialog, ModuleFontId::Bold, kNote);
            SendMessageA(List(d), LB_SETCURSEL, 1, 0);
            SetFocus(List(d));
            // The first picture after the dialog turns top-most can catch
            // the list half-painted under Wine; the second one is whole.
            for (int shot = 0; shot < 2; ++shot)
                SaveScreenshot(d.GetHandle(), language ? "check_list_ru" : "check_list_en");
            Click(d.GetHandle(), IDCANCEL);
        });
        EXPECT_EQ(caption, language ? "\xD3\xF1\xF2\xE0\xED\xEE\xE2\xEB\xE5\xED\xED\xFB\xE5 \xE2\xE5\xF0\xF1\xE8\xE8"
                                    : "Installed versions");
    }
    g_mlLanguage = 0;
}

class ChoicesDialog : public SDialog {
public:
    ChoicesDialog(uint8_t& value, CheckListEntries* rows) : SDialog(nullptr, kChoices)
    {
        item = NewDIRadioButtonsAsListBox(kRadio, &value, rows);
        AddItem(item);
    }
    DIRadioButtonsAsListBox* item;
};

TEST(RadioList, OneChoiceFollowsClicksAndKeysAndTheIndexIsBounded)
{
    struct Case {
        uint8_t initial;
        int selectedAtStart;  // -1: none
        bool ok;
        uint8_t stored;
    };
    for (const Case& c : {Case{1, 1, true, 3}, Case{7, -1, true, 3}, Case{1, 1, false, 1}}) {
        CheckListEntries rows = {{"Disabled", ROW_DISABLED}, {"One", 0}, {"Two", ROW_CHECKED}, {"Three", 0}};
        uint8_t value = c.initial;
        ChoicesDialog dialog(value, &rows);
        RunScripted(dialog, [&](Dialog& d) {
            HWND list = List(d, kRadio);
            ODRBListBox* box = dialog.item->List();
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->SelectedRow(), c.selectedAtStart);  // the bound value decides, not the rows' bit 0
            ClickRow(list, 0);  // disabled
            EXPECT_EQ(State(list, 0), ROW_DISABLED);
            ClickRow(list, 2);
            EXPECT_EQ(box->SelectedRow(), 2);
            EXPECT_EQ(State(list, 1) & ROW_CHECKED, 0u);
            EXPECT_EQ(dialog.item->GetValue(), 2u);
            SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);  // the caret moves and selects
            PumpPending();
            EXPECT_EQ(box->SelectedRow(), 3);
            EXPECT_EQ(State(list, 2) & ROW_CHECKED, 0u);
            PressSpace(list);  // Space does not toggle a radio row
            EXPECT_EQ(State(list, 3), ROW_CHECKED);
            EXPECT_FALSE(box->Select(3, 9));
            EXPECT_FALSE(box->Select(3, 0));
            dialog.item->SetValue(200);
            EXPECT_EQ(box->SelectedRow(), 3);
            Click(d.GetHandle(), c.ok ? IDOK : IDCANCEL);
        });
        EXPECT_EQ(value, c.stored) << int(c.initial);
        if (c.ok) {
            EXPECT_EQ(rows[3].state, ROW_CHECKED);
        }
    }
}

TEST(RadioList, TakesNoMoreRowsThanTheByteCanIndex)
{
    uint8_t value = 0;
    ChoicesDialog dialog(value, nullptr);
    RunScripted(dialog, [&](Dialog& d) {
        ODRBListBox* box = dialog.item->List();
        ASSERT_NE(box, nullptr);
        int last = 0;
        for (int i = 0; i < 300; ++i) last = box->AddRow("row", 0);
        EXPECT_EQ(last, -1);
        EXPECT_EQ(box->GetCount(), ODRBListBox::kMaxRows);
        EXPECT_TRUE(box->Select(-1, 255));
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_EQ(value, 255);
}

COLORREF CentrePixel(HBITMAP bitmap)
{
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, bitmap);
    COLORREF colour = GetPixel(dc, 7, 7);
    SelectObject(dc, old);
    DeleteDC(dc);
    return colour;
}

TEST(BrowseButtons, LoadTheFolderAndInternetImages)
{
    uint8_t value = 0;
    char folder[260] = "", file[260] = "", address[260] = "";
    ChoicesDialog dialog(value, nullptr);
    dialog.AddItems({new DIDirBrowser(0, folder, 813, 812), new DIFileBrowser(0, false, "", "", 0, file, 815, 814),
                     new DIINetAddrBrowser(0, address, 817, 816)});
    RunScripted(dialog, [&](Dialog& d) {
        for (uint32_t id : {813u, 815u, 817u}) {
            BButton* button = dialog.FindButton(id);
            ASSERT_NE(button, nullptr) << id;
            ASSERT_NE(button->Bitmap(), nullptr) << id;
            BITMAP info{};
            GetObjectA(button->Bitmap(), sizeof info, &info);
            EXPECT_EQ(info.bmWidth, 16) << id;
            EXPECT_EQ(CentrePixel(button->Bitmap()), id == 817u ? RGB(16, 32, 96) : RGB(240, 200, 64)) << id;
        }
        SaveScreenshot(d.GetHandle(), "browse_buttons");
        Click(d.GetHandle(), IDCANCEL);
    });
}

TEST(ModuleFonts, FourSharedFontsByFaceWeightAndSize)
{
    struct Case {
        ModuleFontId id;
        const char* face;
        LONG weight;
        int points;
    };
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    for (const Case& c : {Case{ModuleFontId::FixedPitch, "Courier New", 400, 9},
                          Case{ModuleFontId::Bold, "Microsoft Sans Serif", 700, 8}, Case{ModuleFontId::Tahoma, "Tahoma", 400, 8},
                          Case{ModuleFontId::TahomaBold, "Tahoma", 700, 8}}) {
        HFONT font = ModuleFont(c.id);
        ASSERT_NE(font, nullptr) << c.face;
        EXPECT_EQ(ModuleFont(c.id), font);  // made once
        LOGFONTA lf{};
        ASSERT_NE(GetObjectA(font, sizeof lf, &lf), 0);
        EXPECT_STREQ(lf.lfFaceName, c.face);
        EXPECT_EQ(lf.lfWeight, c.weight);
        EXPECT_EQ(lf.lfHeight, -MulDiv(c.points, dpi, 72));
    }
    EXPECT_EQ(ModuleFont(static_cast<ModuleFontId>(4)), nullptr);

    // The engine sets one on a control, before and after the window exists.
    CheckListEntries rows = VersionRows();
    VersionsDialog dialog(rows);
    SetItemModuleFont(dialog, ModuleFontId::Bold, kNote);
    RunScripted(dialog, [&](Dialog& d) {
        EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(d.GetHandle(), kNote, WM_GETFONT, 0, 0)),
                  ModuleFont(ModuleFontId::Bold));
        SetItemModuleFont(dialog, ModuleFontId::Tahoma, kUninstall);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(d.GetHandle(), kUninstall, WM_GETFONT, 0, 0)),
                  ModuleFont(ModuleFontId::Tahoma));
        Click(d.GetHandle(), IDCANCEL);
    });
}

}  // namespace
