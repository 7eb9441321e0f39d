// Combo boxes and their transfer record.
#pragma once

#include <string>
#include <vector>

#include "framework/window/control.h"

// Strings, their item data, the selected index (-1 none) and the text.
struct ComboBoxData {
    std::vector<std::string> strings;
    std::vector<uintptr_t> itemData;
    int selIndex = -1;
    std::string selection;

    void AddString(const char* text, bool selected = false);
    void AddStringItem(const char* text, uintptr_t data, bool selected = false);
    void Clear();
    void Select(int index);
    // Selects the first string equal to `text` (without case); -1 when none.
    int SelectString(const char* text);
};

class ComboBox : public Control {
public:
    ComboBox(Window* parent, int id, uint32_t textLimit = 0) : Control(parent, id), textLimit_(textLimit) {}
    const char* ClassName() const override { return "COMBOBOX"; }
    void SetupWindow() override;

    int AddString(const char* text) const;
    int InsertString(const char* text, int index) const;
    int DeleteString(int index) const;
    void ClearList() const { SendMessage(CB_RESETCONTENT); }
    int GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }
    std::string GetString(int index) const;
    int GetSelIndex() const { return static_cast<int>(SendMessage(CB_GETCURSEL)); }
    int SetSelIndex(int index) const { return static_cast<int>(SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index))); }
    uintptr_t GetItemData(int index) const { return static_cast<uintptr_t>(SendMessage(CB_GETITEMDATA, static_cast<WPARAM>(index))); }
    void SetItemData(int index, uintptr_t data) const { SendMessage(CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(data)); }
    std::string GetText() const { return GetWindowText(); }
    void SetText(const char* text) { SetWindowText(text); }
    void SetEditSel(int start, int end) const { SendMessage(CB_SETEDITSEL, 0, MAKELPARAM(start, end)); }
    uint32_t TextLimit() const { return textLimit_; }
    void SetTextLimit(uint32_t textLimit);
    void SetDroppedWidth(int width) const { SendMessage(CB_SETDROPPEDWIDTH, static_cast<WPARAM>(width)); }
    // The edit field of a drop-down combo box, or null.
    HWND GetEditWindow() const;
    // CBS_DROPDOWN, CBS_DROPDOWNLIST or CBS_SIMPLE.
    uint32_t ComboStyle() const { return GetStyle() & 3; }

    // Transfer record: ComboBoxData.
    uint32_t Transfer(void* buffer, TransferDirection direction) override;

private:
    uint32_t textLimit_;
};
