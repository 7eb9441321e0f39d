// The check box and radio button of the dialog items. With the option
// "SmartDoubleClick" on, a double click on one of them also chooses OK in
// its dialog (the click itself sets the button first), unless the dialog
// turned that off.
#pragma once

#include "framework/window/button.h"

// Double click on a check box or radio button of `dialog`: posts IDOK to
// it when the option is on and the dialog allows it.
void SmartDoubleClick(Window& button);

class ACheckBox : public CheckBox {
public:
    ACheckBox(Window* parent, int id) : CheckBox(parent, id) {}
    void EvLButtonDblClk(UINT modifiers, POINT point) override;
};

class ARadioButton : public RadioButton {
public:
    ARadioButton(Window* parent, int id) : RadioButton(parent, id) {}
    void EvLButtonDblClk(UINT modifiers, POINT point) override;
};
