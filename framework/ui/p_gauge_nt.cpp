#include "framework/ui/p_gauge_nt.h"

#include <cstdio>

#include "framework/ui/dialog_metrics.h"
#include "framework/window/window_text.h"

void PGaugeNT::SetupWindow()
{
    SetRange(0, 100);
    SetValue(0);
}

void PGaugeNT::SetPosition(uint32_t n)
{
    if (n > maximum_) n = maximum_;
    const uint32_t before = GaugePercent(position_, maximum_);
    const uint32_t after = GaugePercent(n, maximum_);
    position_ = n;
    if (before == after && n != 0) return;
    if (Parent() && Parent()->GetHandle() && textId_) {
        char text[16];
        snprintf(text, sizeof text, "%u%%", after);
        SetItemText1251(Parent()->GetHandle(), static_cast<int>(textId_), text);
    }
    SetValue(static_cast<int>(after));
    Invalidate(false);
}
