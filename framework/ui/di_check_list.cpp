#include "framework/ui/di_check_list.h"

#include <new>

namespace {

void Rebuild(ODCBListBox& list, const CheckListEntries& rows)
{
    const int current = list.GetSelIndex();
    list.ClearList();
    for (const CheckListEntry& row : rows) list.AddRow(row.text.c_str(), row.state);
    if (list.GetCount() > 0) list.SetSelIndex(current >= 0 && current < list.GetCount() ? current : 0);
    list.Invalidate(true);
}

void ReadRows(const ODCBListBox& list, CheckListEntries& rows)
{
    for (int row = 0; row < list.GetCount() && static_cast<size_t>(row) < rows.size(); ++row)
        rows[static_cast<size_t>(row)].state = list.RowState(row);
}

}  // namespace

DICheckBoxesAsListBox::DICheckBoxesAsListBox(uint32_t id, CheckListEntries* rows, uint32_t options)
    : DlgItemDescr(DI_LIST_BOX, id, rows), options_(options)
{
}

void DICheckBoxesAsListBox::CreateControl()
{
    control_ = new ODCBListBox(DialogObject(), static_cast<int>(controlId_), options_, this);
}

ODCBListBox* DICheckBoxesAsListBox::List() const
{
    auto* list = dynamic_cast<ODCBListBox*>(control_);
    return list && list->GetHandle() ? list : nullptr;
}

void DICheckBoxesAsListBox::SetData()
{
    working_ = BoundRows() ? *BoundRows() : CheckListEntries{};
    if (ODCBListBox* list = List()) Rebuild(*list, working_);
}

bool DICheckBoxesAsListBox::GetData()
{
    if (ODCBListBox* list = List()) ReadRows(*list, working_);
    return true;
}

void DICheckBoxesAsListBox::Store()
{
    if (!BoundRows()) return;
    for (size_t i = 0; i < working_.size() && i < BoundRows()->size(); ++i) (*BoundRows())[i].state = working_[i].state;
}

void DICheckBoxesAsListBox::OnCommand(uint32_t id)
{
    if (id != controlId_) return;
    GetData();
    if (Immediate()) Store();
}

void DICheckBoxesAsListBox::RowStateChanged(int row, uint32_t state)
{
    if (row >= 0 && static_cast<size_t>(row) < working_.size()) working_[static_cast<size_t>(row)].state = state;
}

DIRadioButtonsAsListBox::DIRadioButtonsAsListBox(uint32_t id, uint8_t* value, CheckListEntries* rows, uint32_t options)
    : DlgItemDescr(DI_LIST_BOX, id, value), value_(value), rows_(rows), options_(options)
{
}

void DIRadioButtonsAsListBox::CreateControl()
{
    control_ = new ODRBListBox(DialogObject(), static_cast<int>(controlId_), options_, this);
}

ODRBListBox* DIRadioButtonsAsListBox::List() const
{
    auto* list = dynamic_cast<ODRBListBox*>(control_);
    return list && list->GetHandle() ? list : nullptr;
}

void DIRadioButtonsAsListBox::SetData()
{
    ODRBListBox* list = List();
    if (!list) return;
    if (rows_) {
        working_ = *rows_;
        // The bound value decides the selection: the rows' own bit 0 does not.
        for (CheckListEntry& row : working_) row.state &= ~ROW_CHECKED;
        Rebuild(*list, working_);
    }
    selected_ = 0;
    SetValue(value_ ? *value_ : 0);
}

bool DIRadioButtonsAsListBox::GetData()
{
    ODRBListBox* list = List();
    if (!list) return true;
    const int row = list->SelectedRow();
    selected_ = static_cast<uint8_t>(row > 0 ? row : 0);
    ReadRows(*list, working_);
    return true;
}

void DIRadioButtonsAsListBox::Store()
{
    if (value_) *value_ = selected_;
    if (!rows_) return;
    for (size_t i = 0; i < working_.size() && i < rows_->size(); ++i) (*rows_)[i].state = working_[i].state;
}

void DIRadioButtonsAsListBox::SetValue(uint32_t value)
{
    ODRBListBox* list = List();
    // An index beyond the rows selects nothing rather than a row that
    // does not exist.
    if (!list || value >= static_cast<uint32_t>(list->GetCount())) return;
    list->Select(list->SelectedRow(), static_cast<int>(value));
    list->SetSelIndex(static_cast<int>(value));
}

uint32_t DIRadioButtonsAsListBox::GetValue()
{
    ODRBListBox* list = List();
    const int row = list ? list->SelectedRow() : -1;
    return row > 0 ? static_cast<uint32_t>(row) : 0;
}

void DIRadioButtonsAsListBox::OnCommand(uint32_t id)
{
    if (id != controlId_) return;
    GetData();
    if (Immediate()) Store();
}

void DIRadioButtonsAsListBox::RowStateChanged(int row, uint32_t state)
{
    if (row >= 0 && static_cast<size_t>(row) < working_.size()) working_[static_cast<size_t>(row)].state = state;
}

void DIRadioButtonsAsListBox::RadioSelected(int row)
{
    if (row >= 0 && row < ODRBListBox::kMaxRows) selected_ = static_cast<uint8_t>(row);
}

DICheckBoxesAsListBox* NewDICheckBoxesAsListBox(uint32_t id, CheckListEntries* rows, uint32_t options)
{
    return new (std::nothrow) DICheckBoxesAsListBox(id, rows, options);
}

DIRadioButtonsAsListBox* NewDIRadioButtonsAsListBox(uint32_t id, uint8_t* value, CheckListEntries* rows)
{
    return new (std::nothrow) DIRadioButtonsAsListBox(id, value, rows);
}
