// Push buttons, check boxes and radio buttons.
#pragma once

#include "framework/window/control.h"

class Button : public Control {
public:
    Button(Window* parent, int id, bool isDefault = false) : Control(parent, id), isDefault_(isDefault) {}
    const char* ClassName() const override { return "BUTTON"; }
    // A default push button makes itself the dialog's default.
    void SetupWindow() override;
    bool IsDefault() const { return isDefault_; }

private:
    bool isDefault_;
};

class CheckBox : public Button {
public:
    CheckBox(Window* parent, int id) : Button(parent, id) {}
    void Check() { SetCheck(BST_CHECKED); }
    void Uncheck() { SetCheck(BST_UNCHECKED); }
    void SetCheck(UINT state) { SendMessage(BM_SETCHECK, state); }
    UINT GetCheck() const { return static_cast<UINT>(SendMessage(BM_GETCHECK)); }
    // Transfer record: one UINT check state.
    uint32_t Transfer(void* buffer, TransferDirection direction) override;
};

class RadioButton : public CheckBox {
public:
    RadioButton(Window* parent, int id) : CheckBox(parent, id) {}
};
