// Dialog items that bind a check list or a radio list (check_list_box.h)
// to a container of rows {text, state word}.
//
// The item keeps a working copy of the rows: the user's clicks change the
// list and the copy (the list tells the item of each row change), OK
// stores the copy into the bound rows, Cancel stores nothing. With
// DI_IMMEDIATE every click stores at once.
#pragma once

#include <string>
#include <vector>

#include "framework/ui/check_list_box.h"
#include "framework/ui/dlg_item.h"

struct CheckListEntry {
    std::string text;
    uint32_t state = 0;
};
using CheckListEntries = std::vector<CheckListEntry>;

class DICheckBoxesAsListBox : public DlgItemDescr, public CheckListBinding {
public:
    // `options`: the list's CBLIST_* word.
    DICheckBoxesAsListBox(uint32_t id, CheckListEntries* rows, uint32_t options = 0);

    void CreateControl() override;
    // Rebuilds the rows (texts and states) from the bound rows; the current
    // row stays, or becomes 0 when the list got shorter.
    void SetData() override;
    // Each row's state word goes back to the working copy.
    bool GetData() override;
    void Store() override;
    void OnCommand(uint32_t id) override;
    void RowStateChanged(int row, uint32_t state) override;

    ODCBListBox* List() const;
    const CheckListEntries& Rows() const { return working_; }

protected:
    CheckListEntries* BoundRows() const { return static_cast<CheckListEntries*>(bound_); }
    void FillList(ODCBListBox& list);
    uint32_t options_;
    CheckListEntries working_;
};

class DIRadioButtonsAsListBox : public DlgItemDescr, public CheckListBinding {
public:
    // `value`: the index of the selected row; `rows` may be null when the
    // dialog fills the list itself.
    DIRadioButtonsAsListBox(uint32_t id, uint8_t* value, CheckListEntries* rows = nullptr, uint32_t options = 0);

    void CreateControl() override;
    // Rows from the bound rows, then row `*value` is selected; a value
    // beyond the last row selects none.
    void SetData() override;
    // The first selected row (0 when none) and every row's state word.
    bool GetData() override;
    void Store() override;
    void SetValue(uint32_t value) override;
    uint32_t GetValue() override;
    void OnCommand(uint32_t id) override;
    void RowStateChanged(int row, uint32_t state) override;
    void RadioSelected(int row) override;

    ODRBListBox* List() const;
    const CheckListEntries& Rows() const { return working_; }

private:
    uint8_t* value_;
    CheckListEntries* rows_;
    uint32_t options_;
    CheckListEntries working_;
    uint8_t selected_ = 0;
};

DICheckBoxesAsListBox* NewDICheckBoxesAsListBox(uint32_t id, CheckListEntries* rows, uint32_t options = 0);
DIRadioButtonsAsListBox* NewDIRadioButtonsAsListBox(uint32_t id, uint8_t* value, CheckListEntries* rows = nullptr);
