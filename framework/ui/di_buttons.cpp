#include "framework/ui/di_buttons.h"

#include <algorithm>
#include <new>

#include "framework/base/hooks.h"
#include "framework/base/sys_trace.h"
#include "framework/ui/check_controls.h"
#include "framework/ui/message.h"
#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"

namespace {
constexpr size_t kMaxGroup = 64;

bool IsThreeState(HWND button)
{
    UINT type = static_cast<UINT>(GetWindowLongA(button, GWL_STYLE)) & BS_TYPEMASK;
    return type == BS_3STATE || type == BS_AUTO3STATE;
}
}  // namespace

DIRadioButtons::DIRadioButtons(uint8_t* bound, std::initializer_list<uint32_t> ids)
    : DlgItemDescr(DI_RADIO_BUTTONS, ids.size() ? *ids.begin() : 0, bound), ids_(ids)
{
}

DIRadioButtons::DIRadioButtons(uint32_t* bound, std::initializer_list<uint32_t> ids)
    : DlgItemDescr(DI_RADIO_BUTTONS, ids.size() ? *ids.begin() : 0, bound), ids_(ids), wide_(true)
{
}

DIRadioButtons::DIRadioButtons(uint32_t count, uint32_t firstId, uint8_t* bound)
    : DlgItemDescr(DI_RADIO_BUTTONS, firstId, bound)
{
    for (uint32_t i = 0; i < count; ++i) ids_.push_back(firstId + i);
}

DIRadioButtons::DIRadioButtons(uint32_t count, const uint32_t* ids, uint8_t* bound)
    : DlgItemDescr(DI_RADIO_BUTTONS, count && ids ? ids[0] : 0, bound)
{
    if (ids) ids_.assign(ids, ids + count);
}

DIRadioButtons::DIRadioButtons(uint32_t firstId, void* bound, bool wide)
    : DlgItemDescr(DI_RADIO_BUTTONS, firstId, bound), wide_(wide)
{
}

void DIRadioButtons::CreateControl()
{
    for (uint32_t id : ids_) new ARadioButton(DialogObject(), static_cast<int>(id));
}

uint32_t DIRadioButtons::BoundValue() const
{
    if (!bound_) return 0;
    return wide_ ? *static_cast<uint32_t*>(bound_) : *static_cast<uint8_t*>(bound_);
}

void DIRadioButtons::Check(uint32_t position)
{
    HWND dialog = DialogHandle();
    if (!dialog) return;
    for (size_t i = 0; i < ids_.size(); ++i)
        SendDlgItemMessageA(dialog, static_cast<int>(ids_[i]), BM_SETCHECK, i == position ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DIRadioButtons::SetData()
{
    uint32_t v = BoundValue();
    if (g_fwSettings.debug && v >= ids_.size() && owner_)
        TraceIfOn(">>> Error in dialog resource %u: Value %u is out of range (%u) for Radio Buttons resource %u.",
                  owner_->ResourceId(), v, static_cast<uint32_t>(ids_.size()), controlId_);
    Check(v);
}

bool DIRadioButtons::GetData()
{
    value_ = 0;
    HWND dialog = DialogHandle();
    if (!dialog) return true;
    for (size_t i = 0; i < ids_.size(); ++i)
        if (SendDlgItemMessageA(dialog, static_cast<int>(ids_[i]), BM_GETCHECK, 0, 0) == BST_CHECKED) {
            value_ = static_cast<uint32_t>(i);
            return true;
        }
    if (g_fwSettings.debug)
        DoMessage("s", "DIRadioButtons(%u)::GetData(): No checked button, please contact Korvan", controlId_);
    return true;
}

void DIRadioButtons::Store()
{
    if (!bound_) return;
    if (wide_) *static_cast<uint32_t*>(bound_) = value_;
    else *static_cast<uint8_t*>(bound_) = static_cast<uint8_t>(value_);
}

void DIRadioButtons::SetValue(uint32_t value)
{
    Check(value);
    // The button's command runs as if clicked, so bound variables and rules follow.
    if (value < ids_.size() && owner_ && DialogHandle())
        owner_->OnCommand(BN_CLICKED, GetDlgItem(DialogHandle(), static_cast<int>(ids_[value])), ids_[value]);
}

uint32_t DIRadioButtons::GetValue()
{
    GetData();
    return value_;
}

void DIRadioButtons::OnCommand(uint32_t id)
{
    if (Immediate() && std::find(ids_.begin(), ids_.end(), id) != ids_.end()) {
        GetData();
        Store();
    }
}

bool IsRadioButtonWindow(HWND window)
{
    char name[16] = "";
    GetClassNameA(window, name, sizeof name);
    if (lstrcmpiA(name, "button") != 0) return false;
    UINT type = static_cast<UINT>(GetWindowLongA(window, GWL_STYLE)) & BS_TYPEMASK;
    return type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON;
}

void DIRadioButtonsNT::SetData()
{
    HWND dialog = DialogHandle();
    if (!found_ && dialog) {
        found_ = true;
        ids_.clear();
        HWND first = GetDlgItem(dialog, static_cast<int>(controlId_));
        if (first) {
            ids_.push_back(controlId_);
            for (HWND w = GetWindow(first, GW_HWNDNEXT); w && ids_.size() < kMaxGroup; w = GetWindow(w, GW_HWNDNEXT)) {
                if (!IsRadioButtonWindow(w) || (GetWindowLongA(w, GWL_STYLE) & WS_GROUP)) break;
                ids_.push_back(static_cast<uint32_t>(GetDlgCtrlID(w)));
            }
            for (uint32_t id : ids_) {
                Window* button = new ARadioButton(DialogObject(), static_cast<int>(id));
                button->AttachById();
            }
        }
    }
    DIRadioButtons::SetData();
}

void DICheckBox::CreateControl() { control_ = new ACheckBox(DialogObject(), static_cast<int>(controlId_)); }

void DICheckBox::SetData()
{
    HWND button = ControlHandle();
    if (!button || !bound_) return;
    uint8_t v = *static_cast<uint8_t*>(bound_);
    WPARAM state = v == 2 && IsThreeState(button) ? BST_INDETERMINATE : (v ? BST_CHECKED : BST_UNCHECKED);
    SendMessageA(button, BM_SETCHECK, state, 0);
}

bool DICheckBox::GetData()
{
    HWND button = ControlHandle();
    if (!button) return true;
    LRESULT state = SendMessageA(button, BM_GETCHECK, 0, 0);
    value_ = state == BST_INDETERMINATE && IsThreeState(button) ? 2 : (state == BST_CHECKED ? 1 : 0);
    return true;
}

void DICheckBox::Store()
{
    if (bound_) *static_cast<uint8_t*>(bound_) = static_cast<uint8_t>(value_);
}

void DICheckBox::SetValue(uint32_t value)
{
    if (HWND button = ControlHandle()) SendMessageA(button, BM_SETCHECK, value ? BST_CHECKED : BST_UNCHECKED, 0);
}

void DICheckBox::OnCommand(uint32_t id)
{
    if (id == controlId_ && Immediate()) {
        GetData();
        Store();
    }
}

DICheckBox* NewDICheckBox(uint32_t id, uint8_t* bound) { return new (std::nothrow) DICheckBox(id, bound); }
DIRadioButtonsNT* NewDIRadioButtonsNT(uint32_t firstId, uint8_t* bound)
{
    return new (std::nothrow) DIRadioButtonsNT(firstId, bound);
}
