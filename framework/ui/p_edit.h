// The edit control of the dialog items.
#pragma once

#include "framework/window/edit.h"

class PEdit : public Edit {
public:
    PEdit(Window* parent, int id, uint32_t textLimit) : Edit(parent, id, textLimit) {}
};
