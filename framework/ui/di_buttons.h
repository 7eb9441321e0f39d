// Items of radio-button groups and check boxes.
#pragma once

#include <initializer_list>
#include <vector>

#include "framework/ui/dlg_item.h"

// A group of radio buttons bound to the position of the checked one. The
// bound variable is a byte, or a 32-bit value for the options that keep one.
class DIRadioButtons : public DlgItemDescr {
public:
    DIRadioButtons(uint8_t* bound, std::initializer_list<uint32_t> ids);
    DIRadioButtons(uint32_t count, uint32_t firstId, uint8_t* bound);
    DIRadioButtons(uint32_t count, const uint32_t* ids, uint8_t* bound);
    DIRadioButtons(uint32_t* bound, std::initializer_list<uint32_t> ids);

    void CreateControl() override;
    void SetData() override;
    bool GetData() override;
    void Store() override;
    void SetValue(uint32_t value) override;
    uint32_t GetValue() override;
    void OnCommand(uint32_t id) override;
    const std::vector<uint32_t>& Ids() const { return ids_; }

protected:
    DIRadioButtons(uint32_t firstId, void* bound, bool wide);
    uint32_t BoundValue() const;
    void Check(uint32_t position);
    std::vector<uint32_t> ids_;
    bool wide_ = false;
};

// A group found at set-up: the button `firstId` and the radio buttons that
// follow it in the dialog, up to the next group start (at most 64).
class DIRadioButtonsNT : public DIRadioButtons {
public:
    DIRadioButtonsNT(uint32_t firstId, uint8_t* bound) : DIRadioButtons(firstId, bound, false) {}
    DIRadioButtonsNT(uint32_t firstId, uint32_t* bound) : DIRadioButtons(firstId, bound, true) {}
    void CreateControl() override {}
    void SetData() override;

private:
    bool found_ = false;
};

// True for a window of class "button" whose type is a radio button.
bool IsRadioButtonWindow(HWND window);

// A check box bound to a byte: 0 unchecked, 1 checked, 2 indeterminate (only
// for three-state boxes).
class DICheckBox : public DlgItemDescr {
public:
    DICheckBox(uint32_t id, uint8_t* bound) : DlgItemDescr(DI_CHECK_BOX, id, bound) {}
    void CreateControl() override;
    void SetData() override;
    bool GetData() override;
    void Store() override;
    void SetValue(uint32_t value) override;
    void OnCommand(uint32_t id) override;
};

DICheckBox* NewDICheckBox(uint32_t id, uint8_t* bound);
DIRadioButtonsNT* NewDIRadioButtonsNT(uint32_t firstId, uint8_t* bound);
