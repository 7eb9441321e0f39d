// The list and combo controls of the dialog items.
//
// WTListBox: the list-box base with list flags (framework/ui/list_flags.h),
// an optional index map that numbers items in insertion order in a sorted
// list, type-ahead search, wheel scrolling and dragging of items. HListBox
// keeps its horizontal extent wide enough for its longest line; ODListBox
// draws its rows itself. HComboBox remembers what was typed, per history
// id, in the process history; ODComboBox draws its items itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "framework/base/ev_handler.h"
#include "framework/ui/drag_source.h"
#include "framework/ui/list_flags.h"
#include "framework/ui/od_list.h"
#include "framework/window/combo_box.h"
#include "framework/window/list_box.h"

class ISWindow;
class WTListBox;

// A question broadcast as a custom event (code kListQueryEvent, first word
// the query): the list with this control id and owner window answers by
// storing itself in `list`.
constexpr uint32_t kListQueryEvent = 14089;
struct ListQuery {
    int controlId;
    const Window* owner;
    WTListBox* list = nullptr;
};

// WM_VSCROLL steps for a wheel turn: `accumulated` is the summed delta
// (reset by the caller when the answer is not 0), `lines` the lines per notch
// (WHEEL_PAGESCROLL: a page per notch). At most `cap` steps.
struct WheelSteps {
    int count;
    bool page;
};
WheelSteps WheelScrollSteps(int accumulated, UINT lines, int cap);

class WTListBox : public ListBox, public PDragSource, public PEvHandler {
public:
    WTListBox(Window* parent, int id, uint32_t listFlags = 0);
    // A list box created in code on its parent.
    WTListBox(Window* parent, int id, int x, int y, int w, int h);
    ~WTListBox() override;

    uint32_t ListFlags() const { return listFlags_; }
    void SetListFlags(uint32_t flags) { listFlags_ = flags; }

    // Item operations by item number: with the index map, the number of an
    // item is its place in insertion order; without it, its list position.
    virtual int AddString(const char* text);
    // Inserts at list position `n` (-1: the end) and, with the map, as item
    // n. A sorted list box does not sort an inserted string.
    virtual int InsertString(const char* text, int n);
    // LB_ERR for an item number outside the list.
    int DeleteString(int n);
    virtual void ClearList();
    int GetTextLen(int n) const;
    std::string GetString(int n) const;
    uintptr_t GetItemData(int n) const;
    int SetItemData(int n, uintptr_t data) const;
    RECT GetItemRect(int n) override;
    int GetItemHeight(int n) const;
    void SetItemHeight(int n, int height) const;
    // The selected item's number; -1 when nothing is selected.
    int GetSelIndex() const;
    int SetSelIndex(int n) const;
    std::vector<int> GetSelIndices() const;
    const std::vector<uint32_t>& IndexMap() const { return map_; }

    // The item number under a client point, -1 when none.
    int ItemFromPoint(POINT point) override;
    // Answers a list query that names this list's id and parent.
    void OnFindQuery(uint32_t event, ListQuery* query);
    void OnCustomEvent(uint32_t code, uintptr_t first, uintptr_t) override
    {
        OnFindQuery(code, reinterpret_cast<ListQuery*>(first));
    }
    ISWindow* SearchWindow() const { return search_; }
    // Looks `text` up from the first item and selects what it finds.
    void SearchFor(const std::string& text);

    uint32_t Transfer(void* buffer, TransferDirection direction) override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    void CleanupWindow() override;
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;
    void EvChar(UINT key, LPARAM flags) override;
    void EvLButtonDown(UINT modifiers, POINT point) override;
    void EvLButtonUp(UINT modifiers, POINT point) override;
    void EvMouseMove(UINT modifiers, POINT point) override;
    bool EvMouseWheel(UINT modifiers, int delta, POINT point) override;
    void MakeDragCursor(int index) override;

    // The box tells its list that it is gone.
    void SearchWindowGone(ISWindow* box);

protected:
    // An item number's list position (0x7FFFFFFF past the end, which the
    // list box refuses).
    int Position(int n) const;
    // A list position's item number, -1 for none.
    int ItemOf(int position) const;
    void AfterInsert(int position, int n);
    void OpenSearch(const std::string& text);

private:
    uint32_t listFlags_;
    std::vector<uint32_t> map_;
    ISWindow* search_ = nullptr;
};

class HListBox : public WTListBox {
public:
    HListBox(Window* parent, int id, uintptr_t userData = 0);
    uintptr_t UserData() const { return userData_; }
    void SetUserData(uintptr_t data) { userData_ = data; }

    // Widens the horizontal extent to the widest text + 2 pixels.
    int AddString(const char* text) override;
    void ClearList() override;
    int WidestText() const { return widest_; }

private:
    uintptr_t userData_;
    int widest_ = 0;
};

class ODListBox : public WTListBox, public ODList {
public:
    // `listFlags` steer the drawing; `owner` is the dialog engine that answers
    // the row colours.
    ODListBox(Window* parent, int id, uint32_t listFlags, void* owner = nullptr);
    void* Owner() const { return ownerEngine_; }

    // Texts are measured before they are added.
    int AddString(const char* text) override;
    int InsertString(const char* text, int n) override;
    void ClearList() override;
    uint32_t Transfer(void* buffer, TransferDirection direction) override;
    void SetupWindow() override;
    bool EvEraseBkgnd(HDC dc) override;
    void EvHScroll(UINT code, UINT position, HWND scrollBar) override;
    void DrawItem(DRAWITEMSTRUCT& item) override;

    // The column header over the list, made once (later calls give the
    // same header); null when it cannot be made.
    HColumnHeader* AttachHeader(const char* titles);
    HColumnHeader* AttachHeader(uint32_t titlesId);

protected:
    void SetOwnerExtent(int extent) override { SetHorizontalExtent(extent); }
    bool NoSelection() const override { return (GetStyle() & LBS_NOSEL) != 0; }

private:
    HColumnHeader* Attach(HColumnHeader* header);
    void* ownerEngine_;
};

enum : uint32_t {
    HCB_CASE_SENSITIVE = 0x1,  // the history keeps texts with their case
    HCB_UPPER_LETTER = 0x8,    // a single typed letter is upper-cased
};

class HComboBox : public ComboBox {
public:
    // History id 0: the control id. `initialText` is shown until the user
    // typed something, when given.
    HComboBox(Window* parent, int id, uint32_t textLimit, uint32_t historyId = 0, uint32_t flags = 0,
              const char* initialText = nullptr);
    uint32_t HistoryId() const { return historyId_ ? historyId_ : static_cast<uint32_t>(GetId()); }
    uint32_t Flags() const { return flags_; }
    void SetHistoryOn(bool on) { historyOn_ = on; }
    void SetSaveToHistory(bool save) { saveToHistory_ = save; }
    const std::string& LastText() const { return lastText_; }

    // Editable drop-downs with a history: the write fills the list from the
    // history of the id; the read adds the typed text to it.
    uint32_t Transfer(void* buffer, TransferDirection direction) override;
    LRESULT EvCommand(UINT id, HWND control, UINT code) override;
    // Completes the name at the end of the text from the known names; this
    // system has no name list, so nothing is ever offered (false).
    bool CompleteName();

private:
    bool UsesHistory() const;

    uint32_t historyId_;
    bool historyOn_ = true;
    bool hasInitial_;
    std::string initialText_;
    bool saveToHistory_ = true;
    std::string lastText_;
    bool gotData_ = false;
    uint32_t flags_;
};

class ODComboBox : public HComboBox, public ODList {
public:
    ODComboBox(Window* parent, int id, uint32_t textLimit, uint32_t historyId = 0, uint32_t flags = 0,
               const char* initialText = nullptr);
    void SetupWindow() override;
    // The write sets the drop-down list as wide as its widest item, after
    // the history has filled it.
    uint32_t Transfer(void* buffer, TransferDirection direction) override;
    LRESULT WindowProc(UINT msg, WPARAM w, LPARAM l) override;
    std::string GetItemText(int index) const { return GetString(index); }
    void DrawItem(DRAWITEMSTRUCT& item) override;

protected:
    void SetOwnerExtent(int) override {}
};
