// A percentage gauge with its companion text (no bound variable).
#pragma once

#include "framework/ui/dlg_item.h"

class PGaugeNT;

class DIGauge : public DlgItemDescr {
public:
    DIGauge(uint32_t companionTextId, uint32_t gaugeId)
        : DlgItemDescr(DI_GAUGE, gaugeId, nullptr), textId_(companionTextId) {}
    void CreateControl() override;
    void SetData() override {}
    // A gauge has nothing to check: it never keeps the dialog open.
    bool GetData() override { return true; }
    PGaugeNT* Gauge() const;

private:
    uint32_t textId_;
};
