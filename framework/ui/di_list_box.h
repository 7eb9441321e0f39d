// Items of list boxes: the strings and the selection travel through the
// item's list record, which the dialog fills before set-up and reads after OK.
#pragma once

#include "framework/ui/dlg_item.h"
#include "framework/window/list_box.h"

class DIListBox : public DlgItemDescr {
public:
    // `userData` is handed to the list box as its user data.
    DIListBox(uintptr_t userData, uint32_t id) : DlgItemDescr(DI_LIST_BOX, id, nullptr), userData_(userData) {}
    void CreateControl() override;
    void SetData() override;
    bool GetData() override;
    ListBoxData& Data() { return data_; }

protected:
    ListBoxData data_;
    uintptr_t userData_;
};

// An owner-drawn list box; `listFlags` steer its drawing.
class DIListBoxOD : public DIListBox {
public:
    DIListBoxOD(uint32_t listFlags, uint32_t id) : DIListBox(0, id), listFlags_(listFlags) {}
    void CreateControl() override;

private:
    uint32_t listFlags_;
};

DIListBox* NewDIListBox(uintptr_t userData, uint32_t id);
DIListBoxOD* NewDIListBoxOD(uint32_t listFlags, uint32_t id);
