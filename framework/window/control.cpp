#include "framework/window/control.h"

void Control::DrawItem(DRAWITEMSTRUCT& item)
{
    if (item.itemAction & ODA_DRAWENTIRE) ODADrawEntire(item);
    if (item.itemAction & ODA_FOCUS) ODAFocus(item);
    if (item.itemAction & ODA_SELECT) ODASelect(item);
}

void ForwardMeasureItem(Window& child, MEASUREITEMSTRUCT& item)
{
    if (auto* control = dynamic_cast<Control*>(&child)) control->MeasureItem(item);
}

void ForwardDrawItem(Window& child, DRAWITEMSTRUCT& item)
{
    if (auto* control = dynamic_cast<Control*>(&child)) control->DrawItem(item);
}
