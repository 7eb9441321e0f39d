// The check box and radio button of the dialog items. The smart double click
// and the themed drawing come with the controls.
#pragma once

#include "framework/window/button.h"

class ACheckBox : public CheckBox {
public:
    ACheckBox(Window* parent, int id) : CheckBox(parent, id) {}
};

class ARadioButton : public RadioButton {
public:
    ARadioButton(Window* parent, int id) : RadioButton(parent, id) {}
};
