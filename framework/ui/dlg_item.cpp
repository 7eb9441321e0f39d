#include "framework/ui/dlg_item.h"

#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"
#include "framework/window/window_text.h"

Window* DlgItemDescr::DialogObject() const { return owner_ ? &owner_->DialogWindow() : nullptr; }

HWND DlgItemDescr::DialogHandle() const { return owner_ ? owner_->DialogWindow().GetHandle() : nullptr; }

HWND DlgItemDescr::ControlHandle() const
{
    HWND dialog = DialogHandle();
    return dialog ? GetDlgItem(dialog, static_cast<int>(controlId_)) : nullptr;
}

std::string DlgItemDescr::GetText()
{
    HWND dialog = DialogHandle();
    if (!dialog) return std::string();
    std::string text = GetItemText1251(dialog, static_cast<int>(controlId_));
    if (text.size() > 4095) text.resize(4095);
    return text;
}

void DlgItemDescr::SetText(const char* text)
{
    if (HWND dialog = DialogHandle()) SetItemText1251(dialog, static_cast<int>(controlId_), text);
}
