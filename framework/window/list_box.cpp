#include "framework/window/list_box.h"

#include <algorithm>

#include "framework/window/window_text.h"

void ListBoxData::AddString(const char* text, bool selected) { AddStringItem(text, 0, selected); }

void ListBoxData::AddStringItem(const char* text, uintptr_t data, bool selected)
{
    strings.emplace_back(text ? text : "");
    itemData.push_back(data);
    if (selected) Select(static_cast<int>(strings.size()) - 1);
}

void ListBoxData::Clear()
{
    strings.clear();
    itemData.clear();
    selIndices.clear();
}

void ListBoxData::Select(int index)
{
    if (index < 0 || index >= static_cast<int>(strings.size())) return;
    if (std::find(selIndices.begin(), selIndices.end(), index) == selIndices.end()) selIndices.push_back(index);
}

int ListBox::AddString(const char* text) const
{
    std::wstring wide = Wide1251(text);
    return static_cast<int>(SendMessageW(GetHandle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str())));
}

int ListBox::InsertString(const char* text, int index) const
{
    std::wstring wide = Wide1251(text);
    return static_cast<int>(
        SendMessageW(GetHandle(), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(wide.c_str())));
}

int ListBox::DeleteString(int index) const { return static_cast<int>(SendMessage(LB_DELETESTRING, static_cast<WPARAM>(index))); }

std::string ListBox::GetString(int index) const
{
    LRESULT n = SendMessageW(GetHandle(), LB_GETTEXTLEN, static_cast<WPARAM>(index), 0);
    if (n == LB_ERR || n < 0) return std::string();
    std::wstring text(static_cast<size_t>(n) + 1, L'\0');
    SendMessageW(GetHandle(), LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    return Narrow1251(text.c_str());
}

int ListBox::GetSelCount() const
{
    if (IsMultipleSelection()) return static_cast<int>(SendMessage(LB_GETSELCOUNT));
    return GetSelIndex() >= 0 ? 1 : 0;
}

std::vector<int> ListBox::GetSelIndices() const
{
    std::vector<int> result;
    if (!IsMultipleSelection()) {
        if (GetSelIndex() >= 0) result.push_back(GetSelIndex());
        return result;
    }
    int n = GetSelCount();
    if (n <= 0) return result;
    result.resize(static_cast<size_t>(n));
    int got = static_cast<int>(SendMessage(LB_GETSELITEMS, static_cast<WPARAM>(n), reinterpret_cast<LPARAM>(result.data())));
    result.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return result;
}

int ListBox::FindString(const char* text, int after) const
{
    std::wstring wide = Wide1251(text);
    return static_cast<int>(
        SendMessageW(GetHandle(), LB_FINDSTRING, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(wide.c_str())));
}

int ListBox::SelectString(const char* text, int after) const
{
    std::wstring wide = Wide1251(text);
    return static_cast<int>(
        SendMessageW(GetHandle(), LB_SELECTSTRING, static_cast<WPARAM>(after), reinterpret_cast<LPARAM>(wide.c_str())));
}

uint32_t ListBox::Transfer(void* buffer, TransferDirection direction)
{
    if (!buffer) return sizeof(ListBoxData);
    auto& data = *static_cast<ListBoxData*>(buffer);
    if (direction == TransferDirection::SetData) {
        ClearList();
        for (size_t i = 0; i < data.strings.size(); ++i) {
            int at = AddString(data.strings[i].c_str());
            if (i < data.itemData.size()) SetItemData(at, data.itemData[i]);
        }
        if (IsMultipleSelection()) {
            for (int index : data.selIndices) SetSel(index, true);
        } else {
            SetSelIndex(data.GetSelIndex());
        }
    } else {
        data.selIndices = GetSelIndices();
    }
    return sizeof(ListBoxData);
}
