// The edit control of the dialog items. It swallows the Escape key, so an
// edit never sees it (the dialog still closes on it through its own keys).
#pragma once

#include "framework/window/edit.h"

class PEdit : public Edit {
public:
    PEdit(Window* parent, int id, uint32_t textLimit) : Edit(parent, id, textLimit) {}
    void EvKeyDown(UINT key, LPARAM flags) override
    {
        if (key == VK_ESCAPE) return;
        Edit::EvKeyDown(key, flags);
    }
};
