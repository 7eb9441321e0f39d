// The percentage gauge of a dialog item, with a companion text that shows
// the percentage.
#pragma once

#include "framework/window/gauge.h"

class PGaugeNT : public Gauge {
public:
    PGaugeNT(Window* parent, int id, uint32_t companionTextId) : Gauge(parent, id), textId_(companionTextId) {}
    void SetupWindow() override;
    void SetMaximum(uint32_t maximum) { maximum_ = maximum; }
    uint32_t Maximum() const { return maximum_; }
    uint32_t Position() const { return position_; }
    // Clamps n to the maximum; the text and the bar change only when the
    // whole percentage does (and always for 0).
    void SetPosition(uint32_t n);

private:
    uint32_t textId_;
    uint32_t maximum_ = 1;
    uint32_t position_ = 0;
};
