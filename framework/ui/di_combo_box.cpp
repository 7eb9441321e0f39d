#include "framework/ui/di_combo_box.h"

#include <cstring>
#include <new>

#include "framework/ui/int_value_text.h"
#include "framework/ui/list_controls.h"
#include "framework/ui/message.h"
#include "framework/ui/ml_text.h"
#include "framework/ui/parse_integer.h"
#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"

namespace {
constexpr uint16_t kEmptyText = 5119;
}  // namespace

DIComboBox::DIComboBox(uint32_t historyId, char* boundText, uint32_t textLimit, uint32_t flags, uint32_t id)
    : DlgItemDescr(DI_COMBO_BOX, id, boundText),
      textLimit_(textLimit ? textLimit : 256),
      boundText_(boundText),
      historyId_(historyId),
      flags_(flags)
{
    if (boundText_) data_.selection.assign(boundText_, strnlen(boundText_, textLimit_));
}

ComboBox* DIComboBox::Combo() const { return dynamic_cast<ComboBox*>(control_); }

void DIComboBox::CreateControl()
{
    if (flags_ & DICB_OWNER_DRAWN)
        control_ = new ODComboBox(DialogObject(), static_cast<int>(controlId_), textLimit_, historyId_, flags_);
    else
        control_ = new HComboBox(DialogObject(), static_cast<int>(controlId_), textLimit_, historyId_, flags_);
}

void DIComboBox::SetData()
{
    if (ComboBox* combo = Combo(); combo && combo->GetHandle()) combo->Transfer(&data_, TransferDirection::SetData);
}

void DIComboBox::FocusControl()
{
    ComboBox* combo = Combo();
    if (!combo || !combo->GetHandle()) return;
    HWND edit = combo->GetEditWindow();
    ::SetFocus(edit ? edit : combo->GetHandle());
}

bool DIComboBox::ReadNumber(const std::string& text)
{
    const bool wide = (flags_ & DICB_NUMBER64) != 0;
    IntValueRead read = ReadIntValue(displayType_, wide, (flags_ & DICB_HEX) != 0, text.c_str(), false);
    if (!read.ok) return false;
    number_ = read.value;
    return true;
}

bool DIComboBox::GetData()
{
    ComboBox* combo = Combo();
    if (!combo || !combo->GetHandle()) return true;
    combo->Transfer(&data_, TransferDirection::GetData);
    const bool disabled = !combo->IsWindowEnabled();
    if ((flags_ & DICB_NO_CHECK_DISABLED) && disabled) return true;
    const bool editable = combo->ComboStyle() == CBS_DROPDOWN || combo->ComboStyle() == CBS_SIMPLE;
    // A list without an edit field holds only offered texts; a numeric one
    // still has its choice read as a number, or the choice would be lost.
    if (!editable && !Numeric()) return true;
    std::string text = editable ? GetText() : data_.selection;
    if (text.empty() && !(flags_ & DICB_EMPTY_OK)) {
        if (!editable) return true;
        DoMessage("mf", static_cast<uint32_t>(kEmptyText));
        FocusControl();
        return false;
    }
    if (!Numeric()) return true;
    if (text.empty()) return true;  // accepted empty: the number stays
    if (!ReadNumber(text)) {
        FocusControl();
        return false;
    }
    return true;
}

bool DIComboBox::StoreBlocked() const
{
    ComboBox* combo = Combo();
    return (flags_ & DICB_NO_STORE_DISABLED) && combo && combo->GetHandle() && !combo->IsWindowEnabled();
}

void DIComboBox::Store()
{
    if (!(flags_ & DICB_STORE_TEXT) || !boundText_ || StoreBlocked()) return;
    // Never more than the buffer: the text may exceed the limit (a browsed
    // list of folders, a text set in code).
    size_t n = std::min<size_t>(data_.selection.size(), textLimit_ - 1);
    memcpy(boundText_, data_.selection.data(), n);
    boundText_[n] = 0;
}

void DIComboBox::SetValue(uint32_t index)
{
    if (ComboBox* combo = Combo()) combo->SetSelIndex(static_cast<int>(index));
}

std::string DIComboBox::GetText()
{
    ComboBox* combo = Combo();
    if (!combo || !combo->GetHandle()) return data_.selection;
    std::string text = combo->GetText();
    if (text.size() > textLimit_) text.resize(textLimit_);
    return text;
}

void DIComboBox::SetText(const char* text)
{
    if (ComboBox* combo = Combo(); combo && combo->GetHandle()) combo->SetText(text);
    else data_.selection = text ? text : "";
}

DIIntValueComboBox::DIIntValueComboBox(uint32_t flags, uint8_t displayType, uint32_t* bound, uint32_t id)
    : DIComboBox(0, nullptr, 96, flags & ~DICB_NUMBER64, id), boundNumber_(bound)
{
    displayType_ = displayType;
    number_ = bound ? *bound : 0;
    data_.selection = FormatIntValue(displayType, false, number_);
}

DIIntValueComboBox::DIIntValueComboBox(uint32_t flags, uint8_t displayType, uint64_t* bound, uint32_t id)
    : DIComboBox(0, nullptr, 96, flags | DICB_NUMBER64, id), boundNumber_(bound)
{
    displayType_ = displayType;
    number_ = bound ? *bound : 0;
    data_.selection = FormatIntValue(displayType, true, number_);
}

void DIIntValueComboBox::Store()
{
    if (!boundNumber_ || StoreBlocked()) return;
    if (flags_ & DICB_NUMBER64) *static_cast<uint64_t*>(boundNumber_) = number_;
    else *static_cast<uint32_t*>(boundNumber_) = static_cast<uint32_t>(number_);
}

DIComboBoxList::DIComboBoxList(std::vector<std::string> strings, uint32_t id, uint32_t* boundIndex)
    : DlgItemDescr(DI_DROP_DOWN_LIST, id, boundIndex)
{
    for (const auto& s : strings) data_.AddString(GetMLText(s.c_str()));
}

DIComboBoxList::DIComboBoxList(uint32_t id, uint32_t* boundIndex, uint32_t textId)
    : DlgItemDescr(DI_DROP_DOWN_LIST, id, boundIndex)
{
    std::string all = GetMLResString(textId);
    size_t start = 0;
    while (start < all.size()) {
        size_t end = all.find('\x01', start);
        if (end == std::string::npos) end = all.size();
        data_.AddString(all.substr(start, end - start).c_str());
        start = end + 1;
    }
}

void DIComboBoxList::CreateControl() { control_ = new ComboBox(DialogObject(), static_cast<int>(controlId_)); }

void DIComboBoxList::SetData()
{
    auto* combo = dynamic_cast<ComboBox*>(control_);
    if (!combo || !combo->GetHandle()) return;
    uint32_t index = bound_ ? *static_cast<uint32_t*>(bound_) : 0;
    data_.Select(index < data_.strings.size() ? static_cast<int>(index) : 0);
    combo->Transfer(&data_, TransferDirection::SetData);
}

bool DIComboBoxList::GetData()
{
    auto* combo = dynamic_cast<ComboBox*>(control_);
    if (!combo || !combo->GetHandle()) return true;
    combo->Transfer(&data_, TransferDirection::GetData);
    chosen_ = data_.selIndex >= 0;
    value_ = chosen_ ? static_cast<uint32_t>(data_.selIndex) : 0;
    return true;
}

void DIComboBoxList::Store()
{
    // An empty list has no choice: the bound index stays as it was.
    if (bound_ && chosen_) *static_cast<uint32_t*>(bound_) = value_;
}

void DIComboBoxList::SetValue(uint32_t index)
{
    if (auto* combo = dynamic_cast<ComboBox*>(control_)) combo->SetSelIndex(static_cast<int>(index));
}

uint32_t DIComboBoxList::GetValue()
{
    GetData();
    return value_;
}

DIComboBox* NewDIComboBox(uint32_t historyId, char* boundText, uint32_t textLimit, uint32_t flags, uint32_t id)
{
    return new (std::nothrow) DIComboBox(historyId, boundText, textLimit, flags, id);
}
DIComboBox* NewDIComboBox(char* boundText, uint32_t textLimit, uint32_t flags, uint32_t id)
{
    return new (std::nothrow) DIComboBox(boundText, textLimit, flags, id);
}
DIComboBox* NewDIComboBox(uint32_t textLimit, uint32_t flags, uint32_t id)
{
    return new (std::nothrow) DIComboBox(textLimit, flags, id);
}
DIComboBox* NewDIComboBox(uint32_t flags, uint32_t id) { return new (std::nothrow) DIComboBox(256, flags, id); }
DIComboBox* NewDIComboBox(uint32_t id) { return new (std::nothrow) DIComboBox(256, 0, id); }
DIIntValueComboBox* NewDIIntValueComboBox(uint32_t flags, uint8_t displayType, uint32_t* bound, uint32_t id)
{
    return new (std::nothrow) DIIntValueComboBox(flags, displayType, bound, id);
}
