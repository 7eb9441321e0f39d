// List and combo controls: the index map of a sorted list, type-ahead
// search, wheel scrolling, dragging between lists of this process, the
// combo box history through its dialog item, and the smart double click.
// Read back through Win32 (item data, selection, top index, cursors).
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "framework/config/poption.h"
#include "framework/ui/check_controls.h"
#include "framework/ui/di_buttons.h"
#include "framework/ui/di_combo_box.h"
#include "framework/ui/dialog_module.h"
#include "framework/ui/framework_state.h"
#include "framework/ui/list_controls.h"
#include "framework/ui/p_edit.h"
#include "framework/ui/sdialog.h"
#include "framework/ui/search_window.h"
#include "framework/ui/tests/support/recording_host.h"
#include "framework/window/tests/support/dialog_script.h"

namespace {

using Host = RecordingHost;

WTListBox* MakeList(Host& host, int id, uint32_t flags, DWORD extraStyle = 0, int x = 10)
{
    auto* list = new WTListBox(&host, id, x, 10, 180, 150);
    list->Attr.style |= extraStyle;
    list->SetListFlags(flags);
    EXPECT_TRUE(list->Create());
    return list;
}

std::vector<uint32_t> Map(const WTListBox& list) { return list.IndexMap(); }

TEST(IndexMap, SortedListNumbersItemsInInsertionOrder)
{
    Host host;
    WTListBox* list = MakeList(host, 901, LIST_INDEX_MAP, LBS_SORT);
    list->AddString("b");
    list->AddString("a");
    list->AddString("c");
    EXPECT_EQ(Map(*list), (std::vector<uint32_t>{1, 0, 2}));
    EXPECT_EQ(list->GetString(0), "b");
    EXPECT_EQ(list->GetString(1), "a");
    list->SetItemData(0, 0xB0);
    EXPECT_EQ(SendMessageA(list->GetHandle(), LB_GETITEMDATA, 1, 0), 0xB0);  // "b" sits at position 1

    // Nothing selected stays -1; a selected position gives its item number.
    EXPECT_EQ(list->GetSelIndex(), -1);
    SendMessageA(list->GetHandle(), LB_SETCURSEL, 2, 0);  // "c"
    EXPECT_EQ(list->GetSelIndex(), 2);
    list->SetSelIndex(0);
    EXPECT_EQ(SendMessageA(list->GetHandle(), LB_GETCURSEL, 0, 0), 1);

    // Item numbers past the end are refused and change nothing.
    EXPECT_EQ(list->DeleteString(3), LB_ERR);
    EXPECT_EQ(list->DeleteString(-1), LB_ERR);
    EXPECT_EQ(Map(*list), (std::vector<uint32_t>{1, 0, 2}));
    EXPECT_EQ(list->GetString(7), "");
    EXPECT_EQ(list->GetItemData(7), static_cast<uintptr_t>(LB_ERR));

    EXPECT_EQ(list->DeleteString(1), 2);  // "a"
    EXPECT_EQ(Map(*list), (std::vector<uint32_t>{0, 1}));
    EXPECT_EQ(list->GetString(0), "b");
    EXPECT_EQ(list->GetString(1), "c");

    // An inserted string sits where it is put, sorted list or not, and
    // takes item number n.
    EXPECT_EQ(list->InsertString("z", 0), 0);
    EXPECT_EQ(Map(*list), (std::vector<uint32_t>{0, 1, 2}));
    EXPECT_EQ(list->GetString(0), "z");
    EXPECT_EQ(list->GetString(1), "b");
    EXPECT_EQ(list->InsertString("y", 9), LB_ERR);

    list->ClearList();
    EXPECT_TRUE(Map(*list).empty());
    EXPECT_EQ(list->GetSelIndex(), -1);
}

TEST(IndexMap, WithoutTheMapOutOfRangeDeletesAreRefused)
{
    Host host;
    WTListBox* list = MakeList(host, 902, 0);
    list->AddString("one");
    EXPECT_EQ(list->DeleteString(1), LB_ERR);
    EXPECT_EQ(list->GetCount(), 1);
    EXPECT_EQ(list->GetSelIndex(), -1);
    EXPECT_EQ(list->ItemFromPoint(POINT{5, 3}), 0);
    EXPECT_EQ(list->ItemFromPoint(POINT{5, 140}), -1);
}

TEST(HListBoxExtent, TheWidestLineAsShownPlusTwoPixels)
{
    Host host;
    auto* list = new HListBox(&host, 908);
    list->Attr.style = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_HSCROLL;
    list->Attr.w = 120;
    list->Attr.h = 80;
    ASSERT_TRUE(list->Create());
    const char* longest = "\xF1\xF2\xF0\xEE\xEA\xE0 \xE4\xEB\xE8\xED\xED\xE5\xE5 \xF1\xEF\xE8\xF1\xEA\xE0";  // 1251
    list->AddString("short");
    list->AddString(longest);
    list->AddString("mid length");
    HDC dc = GetDC(list->GetHandle());
    HGDIOBJ old = SelectObject(dc, list->GetFont());
    SIZE size{};
    const std::wstring wide = Wide1251(longest);
    GetTextExtentPoint32W(dc, wide.c_str(), static_cast<int>(wide.size()), &size);
    SelectObject(dc, old);
    ReleaseDC(list->GetHandle(), dc);
    EXPECT_EQ(list->WidestText(), size.cx);
    EXPECT_EQ(list->GetHorizontalExtent(), size.cx + 2);
    EXPECT_EQ(list->GetString(1), longest);  // the measured text is the one shown
    list->ClearList();
    EXPECT_EQ(list->WidestText(), 0);
}

std::string SearchText(WTListBox& list) { return list.SearchWindow() ? list.SearchWindow()->GetText() : "<none>"; }

TEST(TypeAhead, TypedLettersOpenTheBoxAndSelectTheFirstMatch)
{
    Host host;
    WTListBox* list = MakeList(host, 903, LIST_TYPE_AHEAD);
    for (const char* s : {"Alpha", "Beta", "Bravo", "\xCF\xB8\xF2\xF0", "\xD0\xE8\xE3\xE0"})  // Пётр, Рига
        list->AddString(s);
    list->SetFocus();

    // Control characters do not start a search.
    SendMessageW(list->GetHandle(), WM_CHAR, 8, 1);
    EXPECT_EQ(list->SearchWindow(), nullptr);

    SendMessageW(list->GetHandle(), WM_CHAR, L'b', 1);
    ASSERT_NE(list->SearchWindow(), nullptr);
    HWND box = list->SearchWindow()->GetHandle();
    EXPECT_EQ(SearchText(*list), "b");
    EXPECT_EQ(GetFocus(), box);
    EXPECT_EQ(list->GetSelIndex(), 1);
    // Directly under the list and as wide.
    RECT lr = list->GetRectInParent(), br = list->SearchWindow()->GetRectInParent();
    EXPECT_EQ(br.top, lr.bottom);
    EXPECT_EQ(br.left, lr.left);
    EXPECT_EQ(br.right - br.left, lr.right - lr.left);
    // Enter and Escape belong to the box; no system-wide hot key is taken.
    EXPECT_TRUE(SendMessageW(box, WM_GETDLGCODE, 0, 0) & DLGC_WANTALLKEYS);
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x2001, 0, VK_RETURN));
    UnregisterHotKey(nullptr, 0x2001);
    EXPECT_TRUE(RegisterHotKey(nullptr, 0x2002, 0, VK_ESCAPE));
    UnregisterHotKey(nullptr, 0x2002);

    // Each key release looks the text up again.
    SetWindowTextW(box, L"br");
    SendMessageW(box, WM_KEYUP, 'R', 0);
    EXPECT_EQ(list->GetSelIndex(), 2);

    // Enter gives the focus back; the lost focus ends the box.
    SendMessageW(box, WM_KEYDOWN, VK_RETURN, 0);
    EXPECT_EQ(GetFocus(), list->GetHandle());
    PumpPending();
    EXPECT_EQ(list->SearchWindow(), nullptr);
    EXPECT_FALSE(IsWindow(box));

    // A 1251 letter above 0x7F starts the search too, repeated as typed.
    SendMessageW(list->GetHandle(), WM_CHAR, 0x0420, 2);  // Р twice
    ASSERT_NE(list->SearchWindow(), nullptr);
    EXPECT_EQ(SearchText(*list), "\xD0\xD0");
    SetWindowTextW(list->SearchWindow()->GetHandle(), L"\x041F");  // П
    SendMessageW(list->SearchWindow()->GetHandle(), WM_KEYUP, 'G', 0);
    EXPECT_EQ(list->GetSelIndex(), 3);
    SendMessageW(list->SearchWindow()->GetHandle(), WM_KEYDOWN, VK_ESCAPE, 0);
    PumpPending();
    EXPECT_EQ(list->SearchWindow(), nullptr);
}

TEST(Wheel, StepsAreBoundedForEverySetting)
{
    struct Case {
        int accumulated;
        UINT lines;
        int cap;
        int count;
        bool page;
    } cases[] = {
        {60, 3, 100, 0, false},     {120, 3, 100, 3, false},       {-240, 3, 100, 6, false},
        {120, 0, 100, 0, false},    {120, WHEEL_PAGESCROLL, 100, 1, true}, {-1200, WHEEL_PAGESCROLL, 4, 4, true},
        {120 * 1000, 1000, 50, 50, false}, {120, 3, 0, 1, false},
    };
    for (const Case& c : cases) {
        WheelSteps s = WheelScrollSteps(c.accumulated, c.lines, c.cap);
        EXPECT_EQ(s.count, c.count) << c.accumulated << " " << c.lines;
        EXPECT_EQ(s.page, c.page) << c.accumulated << " " << c.lines;
    }
}

class WheelLines {
public:
    WheelLines() { SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &saved_, 0); }
    ~WheelLines() { Set(saved_); }
    static void Set(UINT lines) { SystemParametersInfoA(SPI_SETWHEELSCROLLLINES, lines, nullptr, 0); }

private:
    UINT saved_ = 3;
};

void Wheel(HWND list, int delta, UINT keys = 0)
{
    SendMessageW(list, WM_MOUSEWHEEL, MAKEWPARAM(keys, static_cast<WORD>(static_cast<short>(delta))), 0);
}

int Top(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0)); }

TEST(Wheel, HalfNotchesAddUpAndEverySettingEnds)
{
    WheelLines keep;
    Host host;
    WTListBox* list = MakeList(host, 904, 0);
    for (int i = 0; i < 60; ++i) list->AddString(("row " + std::to_string(i)).c_str());
    HWND h = list->GetHandle();

    WheelLines::Set(3);
    Wheel(h, -60);
    EXPECT_EQ(Top(h), 0);
    Wheel(h, -60);
    EXPECT_EQ(Top(h), 3);
    Wheel(h, 120);
    EXPECT_EQ(Top(h), 0);

    // A page per notch scrolls a page, not billions of lines.
    WheelLines::Set(WHEEL_PAGESCROLL);
    Wheel(h, -120);
    const int page = Top(h);
    EXPECT_GT(page, 3);
    EXPECT_LT(page, 60);
    Wheel(h, 120);
    EXPECT_EQ(Top(h), 0);

    // No lines per notch: nothing scrolls and nothing is kept for later.
    WheelLines::Set(0);
    Wheel(h, -60);
    Wheel(h, -60);
    EXPECT_EQ(Top(h), 0);
    WheelLines::Set(3);
    Wheel(h, -60);
    EXPECT_EQ(Top(h), 0);
    Wheel(h, -60);
    EXPECT_EQ(Top(h), 3);
}

POINT ItemCentre(HWND list, int position)
{
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, position, reinterpret_cast<LPARAM>(&r));
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

LPARAM Lp(POINT p) { return MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)); }

// Presses on item `from` of `list` and moves far enough to start a drag.
void StartDragging(HWND list, int from)
{
    POINT p = ItemCentre(list, from);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, Lp(p));
    SendMessageA(list, WM_MOUSEMOVE, MK_LBUTTON, Lp(POINT{p.x + 2, p.y}));
}

TEST(Drag, DropOnAnotherListOfThisProcessTellsBothParents)
{
    Host host;
    WTListBox* source = MakeList(host, 905, LIST_DRAG);
    WTListBox* target = MakeList(host, 906, 0, 0, 220);
    for (const char* s : {"one", "two", "three"}) {
        source->AddString(s);
        target->AddString(s);
    }
    HWND src = source->GetHandle();
    const HCURSOR before = SetCursor(LoadCursorA(nullptr, IDC_ARROW));

    StartDragging(src, 1);
    EXPECT_FALSE(source->Dragging());  // 2 pixels are not enough
    POINT p = ItemCentre(src, 1);
    SendMessageA(src, WM_MOUSEMOVE, MK_LBUTTON, Lp(POINT{p.x, p.y + 9}));
    ASSERT_TRUE(source->Dragging());
    EXPECT_EQ(source->DraggedItem(), 1);
    const HCURSOR drag = source->DragCursor();
    ASSERT_NE(drag, nullptr);
    EXPECT_EQ(GetCursor(), drag);
    EXPECT_EQ(GetCapture(), src);
    ICONINFO info{};
    ASSERT_TRUE(GetIconInfo(drag, &info));
    EXPECT_EQ(info.xHotspot, 0u);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);

    // Released over the other list's item 0.
    POINT drop = ItemCentre(target->GetHandle(), 0);
    MapWindowPoints(target->GetHandle(), src, &drop, 1);
    SendMessageA(src, WM_LBUTTONUP, 0, Lp(drop));
    EXPECT_FALSE(source->Dragging());
    EXPECT_NE(GetCapture(), src);
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_FALSE(GetIconInfo(drag, &info));  // the drag cursor is gone
    const RecordingHost::Received* away = host.Find(DragDroppedAwayMessage());
    ASSERT_NE(away, nullptr);
    EXPECT_EQ(away->w, reinterpret_cast<WPARAM>(src));
    EXPECT_EQ(away->l, 1);
    PumpPending();
    const RecordingHost::Received* relay = host.Find(DragDropRelayMessage());
    ASSERT_NE(relay, nullptr);
    EXPECT_EQ(relay->w, reinterpret_cast<WPARAM>(src));
    POINT inTarget = ItemCentre(target->GetHandle(), 0);
    EXPECT_EQ(relay->l, Lp(inTarget));
    SetCursor(before);
}

TEST(Drag, SameItemForeignWindowsAndALostCaptureDropNothing)
{
    Host host;
    WTListBox* source = MakeList(host, 907, LIST_DRAG);
    for (const char* s : {"one", "two", "three"}) source->AddString(s);
    HWND src = source->GetHandle();
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));

    struct Drop {
        const char* what;
        POINT point;
    };
    POINT same = ItemCentre(src, 1);
    // A point outside every window of this process: the desktop's.
    POINT outside{5, 5};
    ScreenToClient(src, &outside);
    ASSERT_NE(WindowFromPoint(POINT{5, 5}), nullptr);
    DWORD process = 0;
    GetWindowThreadProcessId(WindowFromPoint(POINT{5, 5}), &process);
    ASSERT_NE(process, GetCurrentProcessId());
    for (const Drop& d : {Drop{"same item", same}, Drop{"another program's window", outside}}) {
        StartDragging(src, 1);
        SendMessageA(src, WM_MOUSEMOVE, MK_LBUTTON, Lp(POINT{same.x + 8, same.y}));
        ASSERT_TRUE(source->Dragging()) << d.what;
        SendMessageA(src, WM_LBUTTONUP, 0, Lp(d.point));
        PumpPending();
        EXPECT_TRUE(host.NoRegisteredMessages()) << d.what;
    }

    // Alt-Tab: the capture goes elsewhere and the drag ends with no drop.
    StartDragging(src, 0);
    SendMessageA(src, WM_MOUSEMOVE, MK_LBUTTON, Lp(POINT{same.x, same.y + 12}));
    ASSERT_TRUE(source->Dragging());
    const HCURSOR drag = source->DragCursor();
    SetCapture(host.GetHandle());
    EXPECT_FALSE(source->Dragging());
    EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_ARROW));
    ICONINFO info{};
    EXPECT_FALSE(GetIconInfo(drag, &info));
    ReleaseCapture();
    SendMessageA(src, WM_LBUTTONUP, 0, Lp(ItemCentre(src, 2)));
    PumpPending();
    EXPECT_TRUE(host.NoRegisteredMessages());
}

// The combo box history through the dialog item: template 600 holds the
// editable drop-down 620 and the check boxes 610 (two-state) and 611
// (automatic three-state).
constexpr uint32_t kItems = 600;
constexpr int kCombo = 620;

class HistoryDialog : public SDialog {
public:
    HistoryDialog(char* text, size_t size, uint32_t historyId, uint32_t flags = 0) : SDialog(nullptr, kItems)
    {
        AddItem(historyId ? NewDIComboBox(historyId, text, static_cast<uint32_t>(size), DICB_STORE_TEXT | flags, kCombo)
                          : NewDIComboBox(text, static_cast<uint32_t>(size), DICB_STORE_TEXT | flags, kCombo));
    }
};

std::vector<std::string> ComboStrings(HWND combo)
{
    std::vector<std::string> result;
    const int n = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) {
        wchar_t buffer[256] = L"";
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buffer));
        result.push_back(Narrow1251(buffer));
    }
    return result;
}

// Runs the dialog once: `seen` gets the combo's strings and text at set-up,
// then `typed` is entered and OK chosen.
void RunOnce(char* text, size_t size, uint32_t historyId, const char* typed, std::vector<std::string>& seen,
             std::string& shown, uint32_t flags = 0)
{
    HistoryDialog dialog(text, size, historyId, flags);
    int result = RunScripted(dialog, [&](Dialog& d) {
        HWND combo = GetDlgItem(d.GetHandle(), kCombo);
        seen = ComboStrings(combo);
        shown = GetText1251(combo);
        SetText1251(combo, typed);
        Click(d.GetHandle(), IDOK);
    });
    EXPECT_EQ(result, IDOK);
}

TEST(ComboHistory, TypedTextsComeBackNewestFirstPerHistoryId)
{
    FrameworkState state(true);  // read-only: no file is touched
    char text[32] = "";
    std::vector<std::string> seen;
    std::string shown;

    RunOnce(text, sizeof text, 77, "alpha", seen, shown);
    EXPECT_EQ(seen, (std::vector<std::string>{""}));  // no history yet: one empty entry
    EXPECT_EQ(shown, "");
    EXPECT_STREQ(text, "alpha");
    ASSERT_NE(ProcessHistory()->Text(77, 0), nullptr);
    EXPECT_STREQ(ProcessHistory()->Text(77, 0), "alpha");

    text[0] = 0;
    RunOnce(text, sizeof text, 77, "\xC1\xE5\xF2\xE0", seen, shown);  // Бета
    EXPECT_EQ(seen, (std::vector<std::string>{"alpha"}));
    EXPECT_EQ(shown, "alpha");  // no text of its own: the newest entry

    strcpy(text, "given");
    RunOnce(text, sizeof text, 77, "ALPHA", seen, shown);
    EXPECT_EQ(seen, (std::vector<std::string>{"\xC1\xE5\xF2\xE0", "alpha"}));
    EXPECT_EQ(shown, "given");  // the bound text comes first
    // Without case: "ALPHA" replaced "alpha" and became the newest.
    const QueueList* list = ProcessHistory()->List(77);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->Items().size(), 2u);
    EXPECT_STREQ(ProcessHistory()->Text(77, 0), "ALPHA");

    // With case (flag 1) both spellings stay.
    RunOnce(text, sizeof text, 78, "x", seen, shown, HCB_CASE_SENSITIVE);
    RunOnce(text, sizeof text, 78, "X", seen, shown, HCB_CASE_SENSITIVE);
    EXPECT_EQ(ProcessHistory()->List(78)->Items().size(), 2u);

    // No history id: the control id is the history's.
    RunOnce(text, sizeof text, 0, "by id", seen, shown);
    EXPECT_STREQ(ProcessHistory()->Text(kCombo, 0), "by id");
    EXPECT_EQ(ProcessHistory()->Text(77, 2), nullptr);
}

class CheckDialog : public SDialog {
public:
    CheckDialog(uint8_t& two, uint8_t& three) : SDialog(nullptr, kItems)
    {
        AddItems({new DICheckBox(610, &two), new DICheckBox(611, &three)});
    }
};

void DoubleClick(HWND button)
{
    SendMessageA(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    SendMessageA(button, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(3, 3));
    SendMessageA(button, WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
}

TEST(SmartDoubleClick, ChoosesOkOnlyWhenOnAndNotForAThreeStateBox)
{
    struct Case {
        bool on;
        int button;
        int result;
    } cases[] = {{true, 610, IDOK}, {false, 610, IDCANCEL}, {true, 611, IDCANCEL}};
    for (const Case& c : cases) {
        SmartDoubleClickOption().SetValue(c.on);
        uint8_t two = 0, three = 0;
        CheckDialog dialog(two, three);
        int result = RunScripted(dialog, [&](Dialog& d) {
            DoubleClick(GetDlgItem(d.GetHandle(), c.button));
            // Queued after the double click's own command: it closes the
            // dialog only when that command did not.
            PostMessageA(d.GetHandle(), WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
        });
        EXPECT_EQ(result, c.result) << c.button << " " << c.on;
    }
    SmartDoubleClickOption().SetValue(0);
}

// An edit control class that counts the keys its window procedure is given
// before it hands them to the system's edit control.
std::vector<WPARAM> g_editKeys;
WNDPROC g_systemEdit = nullptr;

LRESULT CALLBACK CountingEditProc(HWND window, UINT msg, WPARAM w, LPARAM l)
{
    if (msg == WM_KEYDOWN) g_editKeys.push_back(w);
    return CallWindowProcA(g_systemEdit, window, msg, w, l);
}

class ProbedEdit : public PEdit {
public:
    ProbedEdit(Window* parent, int id) : PEdit(parent, id, 64)
    {
        static const bool registered = [] {
            WNDCLASSA c{};
            if (!GetClassInfoA(nullptr, "EDIT", &c)) return false;
            g_systemEdit = c.lpfnWndProc;
            c.lpfnWndProc = &CountingEditProc;
            c.lpszClassName = "VoqCountingEdit";
            c.hInstance = GetModuleHandleA(nullptr);
            c.style |= CS_GLOBALCLASS;
            return RegisterClassA(&c) != 0;
        }();
        EXPECT_TRUE(registered);
        Attr.style = WS_CHILD | WS_VISIBLE | WS_BORDER | ES_AUTOHSCROLL;
        Attr.x = 10;
        Attr.y = 10;
        Attr.w = 200;
        Attr.h = 24;
    }
    const char* ClassName() const override { return "VoqCountingEdit"; }
};

TEST(PEditKeys, EscapeNeverReachesTheEditControlOtherKeysDo)
{
    RecordingHost host;
    ProbedEdit edit(&host, 970);
    ASSERT_TRUE(edit.Create());
    edit.SetText("abc");
    edit.SetSelection(3, 3);
    g_editKeys.clear();
    edit.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    edit.SendMessage(WM_KEYDOWN, VK_HOME, 0);
    edit.SendMessage(WM_KEYDOWN, VK_ESCAPE, 0);
    EXPECT_EQ(g_editKeys, std::vector<WPARAM>{VK_HOME});
    // Home did what the control does with it: the caret went to the start.
    DWORD start = 0, end = 0;
    edit.SendMessage(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
}

TEST(ListQueryEvent, OnlyTheListWithTheIdAndOwnerAnswers)
{
    RecordingHost host, other;
    auto* a = new WTListBox(&host, 980, 0, 0, 100, 80);
    auto* b = new WTListBox(&host, 981, 0, 90, 100, 80);
    auto* c = new WTListBox(&other, 980, 0, 0, 100, 80);
    ASSERT_TRUE(a->Create() && b->Create() && c->Create());
    auto ask = [](uint32_t code, int id, const Window* owner) {
        ListQuery query{id, owner};
        PEvHandlerDispatcher::OnCustomEvent(code, reinterpret_cast<uintptr_t>(&query), 0);
        return query.list;
    };
    EXPECT_EQ(ask(kListQueryEvent, 980, &host), a);
    EXPECT_EQ(ask(kListQueryEvent, 981, &host), b);
    EXPECT_EQ(ask(kListQueryEvent, 980, &other), c);
    EXPECT_EQ(ask(kListQueryEvent, 981, &other), nullptr);
    EXPECT_EQ(ask(kListQueryEvent + 1, 980, &host), nullptr);
    // A query word of null is ignored.
    PEvHandlerDispatcher::OnCustomEvent(kListQueryEvent, 0, 0);
    delete c;
    EXPECT_EQ(ask(kListQueryEvent, 980, &other), nullptr);
}

}  // namespace
