// A control of a dialog or window: attached to a template control by id, or
// created. Owner-drawn controls answer WM_DRAWITEM and WM_MEASUREITEM here.
#pragma once

#include "framework/window/window.h"

class Control : public Window {
public:
    Control(Window* parent, int id) : Window(parent, id) {}

    virtual void MeasureItem(MEASUREITEMSTRUCT&) {}
    // Splits by action: ODADrawEntire, ODAFocus, ODASelect.
    virtual void DrawItem(DRAWITEMSTRUCT& item);
    virtual void ODADrawEntire(DRAWITEMSTRUCT&) {}
    virtual void ODAFocus(DRAWITEMSTRUCT&) {}
    virtual void ODASelect(DRAWITEMSTRUCT&) {}
};
