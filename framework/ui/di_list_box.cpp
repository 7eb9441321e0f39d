#include "framework/ui/di_list_box.h"

#include <new>

#include "framework/ui/list_controls.h"
#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"

void DIListBox::CreateControl() { control_ = new HListBox(DialogObject(), static_cast<int>(controlId_), userData_); }

void DIListBoxOD::CreateControl()
{
    control_ = new ODListBox(DialogObject(), static_cast<int>(controlId_), listFlags_, owner_);
}

void DIListBox::SetData()
{
    if (auto* list = dynamic_cast<ListBox*>(control_); list && list->GetHandle())
        list->Transfer(&data_, TransferDirection::SetData);
}

bool DIListBox::GetData()
{
    if (auto* list = dynamic_cast<ListBox*>(control_); list && list->GetHandle())
        list->Transfer(&data_, TransferDirection::GetData);
    return true;
}

DIListBox* NewDIListBox(uintptr_t userData, uint32_t id) { return new (std::nothrow) DIListBox(userData, id); }
DIListBoxOD* NewDIListBoxOD(uint32_t listFlags, uint32_t id) { return new (std::nothrow) DIListBoxOD(listFlags, id); }
