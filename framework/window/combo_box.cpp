#include "framework/window/combo_box.h"

#include <strings.h>

#include "framework/window/window_text.h"

void ComboBoxData::AddString(const char* text, bool selected) { AddStringItem(text, 0, selected); }

void ComboBoxData::AddStringItem(const char* text, uintptr_t data, bool selected)
{
    strings.emplace_back(text ? text : "");
    itemData.push_back(data);
    if (selected) Select(static_cast<int>(strings.size()) - 1);
}

void ComboBoxData::Clear()
{
    strings.clear();
    itemData.clear();
    selIndex = -1;
    selection.clear();
}

void ComboBoxData::Select(int index)
{
    if (index < 0 || index >= static_cast<int>(strings.size())) {
        selIndex = -1;
        return;
    }
    selIndex = index;
    selection = strings[static_cast<size_t>(index)];
}

int ComboBoxData::SelectString(const char* text)
{
    for (size_t i = 0; i < strings.size(); ++i)
        if (strcasecmp(strings[i].c_str(), text ? text : "") == 0) {
            Select(static_cast<int>(i));
            return selIndex;
        }
    return -1;
}

void ComboBox::SetupWindow()
{
    if (textLimit_) SendMessage(CB_LIMITTEXT, textLimit_ - 1);
}

void ComboBox::SetTextLimit(uint32_t textLimit)
{
    textLimit_ = textLimit;
    if (textLimit_) SendMessage(CB_LIMITTEXT, textLimit_ - 1);
}

int ComboBox::AddString(const char* text) const
{
    std::wstring wide = Wide1251(text);
    return static_cast<int>(SendMessageW(GetHandle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int ComboBox::InsertString(const char* text, int index) const
{
    std::wstring wide = Wide1251(text);
    return static_cast<int>(
        SendMessageW(GetHandle(), CB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str())));
}

int ComboBox::DeleteString(int index) const { return static_cast<int>(SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index))); }

std::string ComboBox::GetString(int index) const
{
    LRESULT n = SendMessageW(GetHandle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == CB_ERR || n < 0) return std::string();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(GetHandle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return Narrow1251(text.c_str());
}

HWND ComboBox::GetEditWindow() const
{
    if (!GetHandle()) return nullptr;
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(GetHandle(), &info) && info.hwndItem) return info.hwndItem;
    return FindWindowExA(GetHandle(), nullptr, "EDIT", nullptr);
}

uint32_t ComboBox::Transfer(void* buffer, TransferDirection direction)
{
    if (!buffer) return sizeof(ComboBoxData);
    auto& data = *static_cast<ComboBoxData*>(buffer);
    if (direction == TransferDirection::SetData) {
        ClearList();
        for (size_t i = 0; i < data.strings.size(); ++i) {
            int at = AddString(data.strings[i].c_str());
            if (i < data.itemData.size()) SetItemData(at, data.itemData[i]);
        }
        if (data.selIndex >= 0) {
            SetSelIndex(data.selIndex);
        } else if (ComboStyle() != CBS_DROPDOWNLIST) {
            SetSelIndex(-1);
            SetText(data.selection.c_str());
        } else {
            // A list without an edit field shows its text by selecting it.
            std::wstring wide = Wide1251(data.selection.c_str());
            SetSelIndex(static_cast<int>(SendMessageW(GetHandle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                                      reinterpret_cast<LPARAM>(wide.c_str()))));
        }
    } else {
        data.selIndex = GetSelIndex();
        data.selection = GetText();
    }
    return sizeof(ComboBoxData);
}
