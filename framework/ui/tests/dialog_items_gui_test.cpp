// Dialog items bound to program variables: set-up shows them, OK validates
// and stores, Cancel and a refusal store nothing; read back through Win32.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstring>
#include <string>

#include "framework/base/sys_box_recorder.h"
#include "framework/ui/b_button.h"
#include "framework/ui/di_browsers.h"
#include "framework/ui/di_buttons.h"
#include "framework/ui/di_combo_box.h"
#include "framework/ui/di_edit.h"
#include "framework/ui/di_gauge.h"
#include "framework/ui/di_list_box.h"
#include "framework/ui/p_gauge_nt.h"
#include "framework/ui/sdialog.h"
#include "framework/window/common_dialogs.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

constexpr uint32_t kItems = 600;

struct Bound {
    uint8_t radio = 1;
    uint8_t check = 1;
    uint8_t tri = 2;
    char text[16] = "hello";
    uint32_t number = 42;
    uint32_t listIndex = 1;
    char edit[64] = "line1\nline2";
};

class ItemsDialog : public SDialog {
public:
    explicit ItemsDialog(Bound& b) : SDialog(nullptr, kItems)
    {
        AddItems({new DIRadioButtons(&b.radio, {601, 602, 603}), new DICheckBox(610, &b.check),
                  new DICheckBox(611, &b.tri), new DIComboBox(b.text, sizeof b.text, DICB_STORE_TEXT, 620),
                  new DIIntValueComboBox(0, 2, &b.number, 621),
                  new DIComboBoxList({"zero", "one", "two"}, 623, &b.listIndex), new DIEdit(b.edit, sizeof b.edit, 640)});
    }
    void AfterBrowse(uint32_t id) override { afterBrowse = id; }
    uint32_t afterBrowse = 0;
};

void SetComboText(HWND dialog, int id, const char* text)
{
    SetDlgItemTextA(dialog, id, text);
}

LRESULT Check(HWND dialog, int id) { return SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0); }

TEST(DialogItems, SetUpShowsTheBoundValuesOkStoresCancelDoesNot)
{
    for (int ok = 0; ok < 2; ++ok) {
        Bound b;
        ItemsDialog dialog(b);
        int result = RunScripted(dialog, [&](Dialog& d) {
            HWND h = d.GetHandle();
            EXPECT_EQ(Check(h, 601), BST_UNCHECKED);
            EXPECT_EQ(Check(h, 602), BST_CHECKED);
            EXPECT_EQ(Check(h, 610), BST_CHECKED);
            EXPECT_EQ(Check(h, 611), BST_INDETERMINATE);
            EXPECT_EQ(ItemText(h, 620), "hello");
            EXPECT_EQ(ItemText(h, 621), "42");
            EXPECT_EQ(SendDlgItemMessageA(h, 623, CB_GETCOUNT, 0, 0), 3);
            EXPECT_EQ(SendDlgItemMessageA(h, 623, CB_GETCURSEL, 0, 0), 1);
            EXPECT_EQ(ItemText(h, 640), "line1\r\nline2");
            if (ok) SaveScreenshot(h, "items_en");
            Click(h, 603);
            SendDlgItemMessageA(h, 602, BM_SETCHECK, BST_UNCHECKED, 0);
            SendDlgItemMessageA(h, 603, BM_SETCHECK, BST_CHECKED, 0);
            SendDlgItemMessageA(h, 610, BM_SETCHECK, BST_UNCHECKED, 0);
            SetComboText(h, 620, "world");
            SetComboText(h, 621, "0x10");
            SendDlgItemMessageA(h, 623, CB_SETCURSEL, 2, 0);
            SetDlgItemTextA(h, 640, "a\r\nb");
            Click(h, ok ? IDOK : IDCANCEL);
        });
        EXPECT_FALSE(ScriptTimedOut());
        if (ok) {
            EXPECT_EQ(result, IDOK);
            EXPECT_EQ(b.radio, 2);
            EXPECT_EQ(b.check, 0);
            EXPECT_EQ(b.tri, 2);
            EXPECT_STREQ(b.text, "world");
            EXPECT_EQ(b.number, 16u);
            EXPECT_EQ(b.listIndex, 2u);
            EXPECT_STREQ(b.edit, "a\nb");
        } else {
            EXPECT_EQ(result, IDCANCEL);
            Bound untouched;
            EXPECT_EQ(b.radio, untouched.radio);
            EXPECT_EQ(b.check, untouched.check);
            EXPECT_STREQ(b.text, untouched.text);
            EXPECT_EQ(b.number, untouched.number);
            EXPECT_EQ(b.listIndex, untouched.listIndex);
            EXPECT_STREQ(b.edit, untouched.edit);
        }
    }
}

TEST(DialogItems, ARefusingItemKeepsTheDialogOpenAndStoresNothing)
{
    FwBoxRecorder boxes;
    Bound b;
    ItemsDialog dialog(b);
    bool openAfterRefusal = false;
    HWND focusAfterRefusal = nullptr, numberEdit = nullptr;
    int result = RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        // The edit item comes first in the list and accepts; the number refuses.
        SetDlgItemTextA(h, 640, "changed");
        SetComboText(h, 621, "12a");
        Click(h, IDOK);
        openAfterRefusal = d.GetHandle() != nullptr && d.IsRunning();
        focusAfterRefusal = GetFocus();
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(GetDlgItem(h, 621), &info);
        numberEdit = info.hwndItem;
        // An empty text is refused with 5119.
        SetComboText(h, 621, "7");
        SetComboText(h, 620, "");
        Click(h, IDOK);
        SetComboText(h, 620, "fine");
        Click(h, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(openAfterRefusal);
    EXPECT_EQ(focusAfterRefusal, numberEdit);
    ASSERT_EQ(boxes.Boxes().size(), 2u);
    EXPECT_EQ(boxes.Boxes()[0].messageId, 8055);
    EXPECT_NE(boxes.Boxes()[0].text.find("12a"), std::string::npos);
    EXPECT_EQ(boxes.Boxes()[1].messageId, 5119);
    EXPECT_EQ(b.number, 7u);
    EXPECT_STREQ(b.text, "fine");
    EXPECT_STREQ(b.edit, "changed");
}

TEST(DialogItems, EditItemKeepsItsVariableUntilEveryItemAccepted)
{
    FwBoxRecorder boxes;
    Bound b;
    ItemsDialog dialog(b);
    RunScripted(dialog, [&](Dialog& d) {
        SetDlgItemTextA(d.GetHandle(), 640, "typed");
        SetComboText(d.GetHandle(), 621, "bad");
        Click(d.GetHandle(), IDOK);  // refused: the edit's variable is untouched
        EXPECT_STREQ(b.edit, "line1\nline2");
        Click(d.GetHandle(), IDCANCEL);
    });
    EXPECT_STREQ(b.edit, "line1\nline2");
}

class NumbersDialog : public SDialog {
public:
    NumbersDialog(uint32_t& delay, uint64_t& wide, uint32_t& emptyIndex) : SDialog(nullptr, kItems)
    {
        AddItems({new DIIntValueComboBox(0xA000, 2, &delay, 622), new DIIntValueComboBox(DICB_NUMBER64, 13, &wide, 621),
                  new DIComboBoxList({}, 624, &emptyIndex), new DIRadioButtonsNT(690, &nt)});
        ComboBoxData* list = ItemComboData(622);
        for (const char* s : {"1", "2", "5"}) list->AddString(s);
    }
    uint8_t nt = 1;
};

TEST(DialogItems, NumbersReadBackWhateverTheComboStyle)
{
    FwBoxRecorder boxes;
    uint32_t delay = 2;
    uint64_t wide = 0xABCDEF0123ull;
    uint32_t emptyIndex = 7;
    NumbersDialog dialog(delay, wide, emptyIndex);
    int result = RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(SendDlgItemMessageA(h, 622, CB_GETCURSEL, 0, 0), 1);  // "2" shown
        EXPECT_EQ(ItemText(h, 621), "000000ABCDEF0123");
        SendDlgItemMessageA(h, 622, CB_SETCURSEL, 2, 0);  // the user picks "5"
        Click(h, IDOK);
    });
    EXPECT_EQ(result, IDOK);
    EXPECT_TRUE(boxes.Boxes().empty());  // its own hexadecimal text reads back
    EXPECT_EQ(delay, 5u);
    EXPECT_EQ(wide, 0xABCDEF0123ull);
    EXPECT_EQ(emptyIndex, 7u);  // an empty list chose nothing
}

TEST(DialogItems, RadioGroupsOutOfRangeAndFoundAtSetUp)
{
    uint8_t radio = 3;
    Bound b;
    b.radio = 3;
    ItemsDialog dialog(b);
    auto* nt = new DIRadioButtonsNT(690, &radio);
    radio = 1;
    dialog.AddItem(nt);
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        for (int id : {601, 602, 603}) EXPECT_EQ(Check(h, id), BST_UNCHECKED);
        EXPECT_EQ(dialog.FindItem(601)->GetValue(), 0u);
        // The owner-drawn button after the two radio buttons is not in the group.
        EXPECT_EQ(nt->Ids(), (std::vector<uint32_t>{690, 691}));
        EXPECT_EQ(Check(h, 691), BST_CHECKED);
        Click(h, IDOK);
    });
    EXPECT_EQ(b.radio, 0);
    EXPECT_EQ(radio, 1);
}

TEST(DialogItems, ImmediateCheckBoxStoresOnEveryClickAndCheckItemFollowsRules)
{
    Bound b;
    ItemsDialog dialog(b);
    dialog.FindItem(610)->SetItemFlags(DI_IMMEDIATE);
    dialog.AddDepItem(0, 610, {660});
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 660)));
        dialog.UncheckItem(610);
        EXPECT_EQ(b.check, 0);  // before OK
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 660)));
        dialog.CheckItem(610);
        EXPECT_EQ(b.check, 1);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 660)));
        // Checking a radio button unchecks the rest of its group.
        dialog.CheckItem(601);
        EXPECT_EQ(Check(h, 601), BST_CHECKED);
        EXPECT_EQ(Check(h, 602), BST_UNCHECKED);
        Click(h, IDCANCEL);
    });
}

TEST(DialogItems, ADisabledControlStaysDisabledForTheRestOfThePass)
{
    Bound b;
    ItemsDialog dialog(b);
    dialog.AddDepItem(DEP_INVERTED, 610, {660});
    dialog.AddDepItem(0, 611, {660, 661});
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        // 610 checked: the inverted rule disables 660; 611 (indeterminate,
        // not checked) would not enable it anyway; check it to try.
        SendDlgItemMessageA(h, 611, BM_SETCHECK, BST_CHECKED, 0);
        dialog.ApplyRules();
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 660)));
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 661)));
        // Locked: enabling does nothing, disabling works; unlocking re-applies.
        dialog.EnableAll(false);
        dialog.EnableItem(true, 661);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 661)));
        dialog.EnableAll(true);
        EXPECT_TRUE(IsWindowEnabled(GetDlgItem(h, 661)));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 660)));
        dialog.DisableItem(661);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(h, 661)));
        Click(h, IDCANCEL);
    });
}

TEST(DialogItems, ColourPrefixesApplyOnceAndOnlyToLabels)
{
    Bound b;
    ItemsDialog dialog(b);
    dialog.SetItemText(651, "$$7 %s", "queued");  // queued before the window exists
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(ItemText(h, 650), "red");
        EXPECT_EQ(ItemText(h, 651), "$7 queued");
        HDC dc = CreateCompatibleDC(nullptr);
        SendMessageA(h, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(h, 650)));
        EXPECT_EQ(GetTextColor(dc), COLORREF{255});
        // A background colour: the brush outlives the message and is kept.
        dialog.SetItemBkColor(RGB(1, 2, 3), 651);
        auto first = reinterpret_cast<HBRUSH>(
            SendMessageA(h, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(h, 651))));
        auto second = reinterpret_cast<HBRUSH>(
            SendMessageA(h, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(h, 651))));
        EXPECT_EQ(GetObjectType(first), static_cast<DWORD>(OBJ_BRUSH));
        EXPECT_EQ(first, second);
        LOGBRUSH lb{};
        GetObjectA(first, sizeof lb, &lb);
        EXPECT_EQ(lb.lbColor, RGB(1, 2, 3));
        DeleteDC(dc);
        // A data text keeps its leading "$" and digit.
        dialog.SetItemText(620, "$5 path");
        EXPECT_EQ(ItemText(h, 620), "$5 path");
        // A font set after set-up applies at once.
        HFONT font = static_cast<HFONT>(GetStockObject(ANSI_FIXED_FONT));
        dialog.SetItemFont(font, 660);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendDlgItemMessageA(h, 660, WM_GETFONT, 0, 0)), font);
        Click(h, IDCANCEL);
    });
}

// Browser seams: they answer for the user and record what they were given.
struct BrowseRecord {
    HWND owner = nullptr;
    std::string start;
    OpenSaveData data;
    int calls = 0;
};
BrowseRecord g_browse;
std::string g_browseAnswer;

bool FakeFolder(HWND owner, const char*, const char* start, std::string& chosen)
{
    ++g_browse.calls;
    g_browse.owner = owner;
    g_browse.start = start ? start : "";
    if (g_browseAnswer.empty()) return false;
    chosen = g_browseAnswer;
    return true;
}

bool FakeFile(HWND owner, bool, OpenSaveData& data)
{
    ++g_browse.calls;
    g_browse.owner = owner;
    g_browse.data = data;
    if (g_browseAnswer.empty()) return false;
    data.fileName = g_browseAnswer;
    return true;
}

struct BrowseSeams {
    BrowseSeams()
    {
        g_browse = BrowseRecord{};
        folder = SetFolderBrowseFunction(&FakeFolder);
        file = SetOpenSaveFunction(&FakeFile);
    }
    ~BrowseSeams()
    {
        SetFolderBrowseFunction(folder);
        SetOpenSaveFunction(file);
    }
    FolderBrowseFunction folder;
    OpenSaveFunction file;
};

TEST(DialogItems, FolderBrowserAppendsToAListAndStoresWithinTheBuffer)
{
    BrowseSeams seams;
    char folder[260] = "C:\\a;C:\\b";
    Bound b;
    ItemsDialog dialog(b);
    dialog.AddItem(new DIDirBrowser(0, folder, 671, 670));
    g_browseAnswer = "C:\\chosen";
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        ASSERT_NE(dialog.FindButton(671), nullptr);
        Click(h, 671);
        EXPECT_EQ(ItemText(h, 670), "C:\\a;C:\\b;C:\\chosen");
        EXPECT_EQ(g_browse.owner, h);  // modal to this dialog
        EXPECT_EQ(g_browse.start, "");  // a list starts nowhere in particular
        EXPECT_EQ(dialog.afterBrowse, 670u);
        // A text longer than the buffer (a list grows with every browse).
        std::string longText(400, 'x');
        SetDlgItemTextA(h, 670, longText.c_str());
        Click(h, IDOK);
    });
    EXPECT_EQ(strlen(folder), 259u);
    EXPECT_EQ(g_browse.calls, 1);
}

TEST(DialogItems, FileBrowserStartsFromTheComboTextAndKeepsAnExistingButton)
{
    BrowseSeams seams;
    char file[260] = "C:\\dir\\old.txt";
    Bound b;
    ItemsDialog dialog(b);
    BButton* own = dialog.SetButtonImage(0, 673);
    dialog.AddItem(new DIFileBrowser(0, false, "Pick|\xC2\xFB\xE1\xEE\xF0", "Text (*.txt)|*.txt", 0, file, 673, 672));
    g_browseAnswer = "C:\\dir\\new.txt";
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(dialog.FindButton(673), own);  // not replaced by set-up or the item
        Click(h, 673);
        EXPECT_EQ(ItemText(h, 672), "C:\\dir\\new.txt");
        Click(h, IDOK);
    });
    EXPECT_EQ(g_browse.data.initialFolder, "C:\\dir");
    EXPECT_EQ(g_browse.data.fileName, "old.txt");
    EXPECT_EQ(g_browse.data.flags, 0x1808u | OFN_ENABLESIZING);
    EXPECT_EQ(g_browse.data.filter, "Text (*.txt)|*.txt|All files (*.*)|*.*|");
    EXPECT_EQ(g_browse.data.defaultExtension, "");
    EXPECT_EQ(g_browse.data.title, "Pick");
    EXPECT_STREQ(file, "C:\\dir\\new.txt");
    EXPECT_EQ(dialog.afterBrowse, 672u);
}

TEST(DialogItems, GaugeWritesItsTextOnlyWhenThePercentChanges)
{
    Bound b;
    ItemsDialog dialog(b);
    auto* item = new DIGauge(681, 680);
    dialog.AddItem(item);
    int result = RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        PGaugeNT* gauge = item->Gauge();
        ASSERT_NE(gauge, nullptr);
        gauge->SetMaximum(200);
        gauge->SetPosition(0);
        EXPECT_EQ(ItemText(h, 681), "0%");
        SetDlgItemTextA(h, 681, "marker");
        gauge->SetPosition(1);  // still 0 %
        EXPECT_EQ(ItemText(h, 681), "marker");
        gauge->SetPosition(100);
        EXPECT_EQ(ItemText(h, 681), "50%");
        EXPECT_EQ(SendDlgItemMessageA(h, 680, PBM_GETPOS, 0, 0), 50);
        gauge->SetPosition(1000);  // clamped to the maximum
        EXPECT_EQ(ItemText(h, 681), "100%");
        Click(h, IDOK);  // a gauge never keeps the dialog open
    });
    EXPECT_EQ(result, IDOK);
}

TEST(DialogItems, ListBoxRecordTravelsBothWays)
{
    Bound b;
    ItemsDialog dialog(b);
    dialog.AddItem(new DIListBox(0, 630));
    ListBoxData* data = dialog.ItemListData(630);
    ASSERT_NE(data, nullptr);
    EXPECT_EQ(dialog.ItemListData(620), nullptr);  // a combo has no list record
    EXPECT_EQ(dialog.ItemComboData(630), nullptr);
    EXPECT_NE(dialog.ItemComboData(623), nullptr);  // the drop-down list's combo record
    data->AddString("a");
    data->AddString("b", true);
    data->AddString("c");
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        EXPECT_EQ(SendDlgItemMessageA(h, 630, LB_GETCOUNT, 0, 0), 3);
        EXPECT_EQ(SendDlgItemMessageA(h, 630, LB_GETCURSEL, 0, 0), 1);
        SendDlgItemMessageA(h, 630, LB_SETCURSEL, 2, 0);
        Click(h, IDOK);
    });
    EXPECT_EQ(data->selIndices, std::vector<int>{2});
}

TEST(DialogItems, NullItemsInAListAreSkippedNotCuttingTheRest)
{
    Bound b;
    uint8_t extra = 0;
    ItemsDialog dialog(b);
    dialog.AddItems({nullptr, new DICheckBox(611, &extra)});
    EXPECT_EQ(dialog.Items().size(), 8u);
    dialog.RemoveItems({611});
    EXPECT_NE(dialog.FindItem(611), nullptr);  // only the first item of that id went
    EXPECT_EQ(dialog.Items().size(), 7u);
}

TEST(DialogItems, ADisabledBrowserStoresNothing)
{
    char folder[260] = "C:\\kept";
    Bound b;
    ItemsDialog dialog(b);
    dialog.AddItem(new DIDirBrowser(0, folder, 671, 670));
    RunScripted(dialog, [&](Dialog& d) {
        SetDlgItemTextA(d.GetHandle(), 670, "C:\\typed");
        dialog.DisableItem(670);
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_STREQ(folder, "C:\\kept");
}

TEST(DialogItems, MarkedButtonsKeepTheirText)
{
    Bound b;
    ItemsDialog dialog(b);
    dialog.MarkButtons({IDOK, IDCANCEL, 4242});  // queued: the window does not exist yet
    RunScripted(dialog, [&](Dialog& d) {
        for (int id : {IDOK, IDCANCEL}) {
            BButton* button = dialog.FindButton(id);
            ASSERT_NE(button, nullptr) << id;
            EXPECT_TRUE(button->Marked());
            EXPECT_FALSE(button->Flags() & BBUTTON_NO_TEXT);
        }
        EXPECT_EQ(ItemText(d.GetHandle(), IDOK), "OK");
        EXPECT_EQ(dialog.FindButton(4242), nullptr);  // no such control
        Click(d.GetHandle(), IDCANCEL);
    });
}

TEST(DialogItems, RemovingAGapAfterSetUpShrinksTheDialogAndItsMinimum)
{
    Bound b;
    ItemsDialog dialog(b);
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        RECT before{}, gap = dialog.GetItemRect(670), below = dialog.GetItemRect(672);
        GetWindowRect(h, &before);
        const int height = gap.bottom - gap.top;
        EXPECT_TRUE(dialog.RemoveItemGap(670));
        RECT after{};
        GetWindowRect(h, &after);
        EXPECT_EQ(after.bottom - after.top, before.bottom - before.top - height);
        EXPECT_EQ(dialog.GetItemRect(672).top, below.top - height);
        EXPECT_FALSE(IsWindowVisible(GetDlgItem(h, 670)));
        EXPECT_EQ(dialog.InitialRect().bottom - dialog.InitialRect().top, after.bottom - after.top);
        EXPECT_FALSE(dialog.RemoveItemGap(4242));
        Click(h, IDCANCEL);
    });
}

TEST(DialogItems, TextsByKindOfControl)
{
    Bound b;
    ItemsDialog dialog(b);
    dialog.AddItem(new DIListBox(0, 630));
    RunScripted(dialog, [&](Dialog& d) {
        HWND h = d.GetHandle();
        // A list box item takes the text's lines, empty ones kept.
        dialog.SetItemText(630, "a\nb\n\nc");
        EXPECT_EQ(SendDlgItemMessageA(h, 630, LB_GETCOUNT, 0, 0), 4);
        // An edit coloured like a static label, and one only with a text colour.
        dialog.SetItemTextColor(RGB(0, 128, 0), 660);
        HDC dc = CreateCompatibleDC(nullptr);
        auto brush = reinterpret_cast<HBRUSH>(
            SendMessageA(h, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(h, 660))));
        EXPECT_EQ(GetTextColor(dc), RGB(0, 128, 0));
        EXPECT_EQ(brush, GetSysColorBrush(COLOR_WINDOW));
        // A control without a colour record paints as the dialog manager says.
        SetTextColor(dc, RGB(9, 9, 9));
        SendMessageA(h, WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(GetDlgItem(h, 661)));
        EXPECT_NE(GetTextColor(dc), RGB(0, 128, 0));
        DeleteDC(dc);
        // Reading texts: an item's own text, a plain control's window text.
        SetDlgItemTextA(h, 620, "typed");
        EXPECT_EQ(dialog.GetItemText(620), "typed");
        EXPECT_EQ(dialog.GetItemText(650), "red");
        EXPECT_EQ(dialog.GetItemText(4242), "");
        Click(h, IDCANCEL);
    });
}

}  // namespace
