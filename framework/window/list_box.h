// List boxes and their transfer record.
#pragma once

#include <string>
#include <vector>

#include "framework/window/control.h"

// Strings, their item data and the selected indices.
struct ListBoxData {
    std::vector<std::string> strings;
    std::vector<uintptr_t> itemData;
    std::vector<int> selIndices;

    void AddString(const char* text, bool selected = false);
    void AddStringItem(const char* text, uintptr_t data, bool selected = false);
    void Clear();
    void Select(int index);
    void ResetSelections() { selIndices.clear(); }
    int GetSelIndex() const { return selIndices.empty() ? -1 : selIndices.front(); }
};

class ListBox : public Control {
public:
    ListBox(Window* parent, int id) : Control(parent, id) {}
    const char* ClassName() const override { return "LISTBOX"; }

    int AddString(const char* text) const;
    int InsertString(const char* text, int index) const;
    int DeleteString(int index) const;
    void ClearList() const { SendMessage(LB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(LB_GETCOUNT)); }
    std::string GetString(int index) const;
    uintptr_t GetItemData(int index) const { return static_cast<uintptr_t>(SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(index))); }
    void SetItemData(int index, uintptr_t data) const { SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
    bool IsMultipleSelection() const { return (GetStyle() & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
    int GetSelIndex() const { return static_cast<int>(SendMessage(LB_GETCURSEL)); }
    void SetSelIndex(int index) const { SendMessage(LB_SETCURSEL, static_cast<WPARAM>(index)); }
    void SetSel(int index, bool select) const { SendMessage(LB_SETSEL, select, index); }
    int GetSelCount() const;
    std::vector<int> GetSelIndices() const;
    int FindString(const char* text, int after = -1) const;
    int SelectString(const char* text, int after = -1) const;
    int GetTopIndex() const { return static_cast<int>(SendMessage(LB_GETTOPINDEX)); }
    void SetTopIndex(int index) const { SendMessage(LB_SETTOPINDEX, static_cast<WPARAM>(index)); }
    int GetHorizontalExtent() const { return static_cast<int>(SendMessage(LB_GETHORIZONTALEXTENT)); }
    void SetHorizontalExtent(int extent) const { SendMessage(LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(extent)); }

    // Transfer record: ListBoxData.
    uint32_t Transfer(void* buffer, TransferDirection direction) override;
};
