#include "framework/ui/list_controls.h"

#include "framework/base/text_utils.h"
#include "framework/config/history.h"
#include "framework/ui/framework_state.h"
#include "framework/window/window_text.h"

HComboBox::HComboBox(Window* parent, int id, uint32_t textLimit, uint32_t historyId, uint32_t flags,
                     const char* initialText)
    : ComboBox(parent, id, textLimit),
      historyId_(historyId),
      hasInitial_(initialText != nullptr),
      initialText_(initialText ? initialText : ""),
      flags_(flags)
{
}

bool HComboBox::UsesHistory() const
{
    // Only an editable drop-down has typed texts to remember; without a
    // process history (no framework state) the plain transfer runs.
    return historyOn_ && HistoryId() != 0 && ProcessHistory() && GetHandle() && ComboStyle() == CBS_DROPDOWN;
}

uint32_t HComboBox::Transfer(void* buffer, TransferDirection direction)
{
    if (!buffer) return sizeof(ComboBoxData);
    auto& data = *static_cast<ComboBoxData*>(buffer);
    if (!UsesHistory()) {
        if (direction == TransferDirection::GetData) {
            gotData_ = true;
            return ComboBox::Transfer(buffer, direction);
        }
        const uint32_t size = ComboBox::Transfer(buffer, direction);
        if (hasInitial_ && !gotData_) SetText(initialText_.c_str());
        return size;
    }
    History& history = *ProcessHistory();
    if (direction == TransferDirection::GetData) {
        gotData_ = true;
        lastText_ = GetText();
        // Added on every read, even when a later item refuses and the dialog
        // is then cancelled: what was typed is remembered either way.
        if (saveToHistory_ && !lastText_.empty())
            history.Add(HistoryId(), lastText_.c_str(), (flags_ & HCB_CASE_SENSITIVE) != 0);
        return ComboBox::Transfer(buffer, direction);
    }
    // The item's own text (its bound buffer) is the initial text when none
    // was given at construction.
    const std::string initial = hasInitial_ ? initialText_ : data.selection;
    data.Clear();
    for (size_t n = 0;; ++n) {
        const char* text = history.Text(HistoryId(), n);
        if (!text) break;
        data.AddString(text);
    }
    if (data.strings.empty()) data.AddString("");
    std::string text;
    if (gotData_) text = lastText_;
    else if (!initial.empty()) text = initial;
    else if (const char* newest = history.Text(HistoryId(), 0)) text = newest;
    data.selection = text;
    const uint32_t size = ComboBox::Transfer(buffer, direction);
    SetText(text.c_str());
    return size;
}

LRESULT HComboBox::EvCommand(UINT id, HWND control, UINT code)
{
    if (code == EN_CHANGE && (flags_ & HCB_UPPER_LETTER) && control && control == GetEditWindow()) {
        std::string text = GetText();
        if (text.size() == 1) {
            std::string upper(1, ToUpper1251(text[0]));
            if (upper != text) {
                SetText(upper.c_str());
                SetEditSel(1, 1);
            }
        }
    }
    return ComboBox::EvCommand(id, control, code);
}

bool HComboBox::CompleteName() { return false; }

ODComboBox::ODComboBox(Window* parent, int id, uint32_t textLimit, uint32_t historyId, uint32_t flags,
                       const char* initialText)
    : HComboBox(parent, id, textLimit, historyId, flags, initialText), ODList(0, *this)
{
}

void ODComboBox::SetupWindow()
{
    HComboBox::SetupWindow();
    MeasureFont();
}

uint32_t ODComboBox::Transfer(void* buffer, TransferDirection direction)
{
    const uint32_t size = HComboBox::Transfer(buffer, direction);
    if (!buffer || direction != TransferDirection::SetData) return size;
    // Measured after the transfer: the history may have replaced the
    // record's strings with its own entries.
    ClearWidths();
    for (int i = 0; i < GetCount(); ++i) MeasureText(GetString(i));
    SetDroppedWidth(ODList::Extent());
    return size;
}

LRESULT ODComboBox::WindowProc(UINT msg, WPARAM w, LPARAM l)
{
    switch (msg) {
    case CB_RESETCONTENT:
        ClearWidths();
        break;
    case CB_ADDSTRING:
    case CB_INSERTSTRING:
        // The window is Unicode: strings arrive as UTF-16.
        if (l) MeasureText(Narrow1251(reinterpret_cast<const wchar_t*>(l)));
        break;
    default:
        break;
    }
    return HComboBox::WindowProc(msg, w, l);
}

void ODComboBox::DrawItem(DRAWITEMSTRUCT& item)
{
    if (static_cast<int>(item.itemID) < 0) return;
    DrawRow(item, GetString(static_cast<int>(item.itemID)));
}
