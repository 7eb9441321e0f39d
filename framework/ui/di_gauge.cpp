#include "framework/ui/di_gauge.h"

#include "framework/ui/p_gauge_nt.h"
#include "framework/ui/sidialog.h"
#include "framework/window/dialog.h"

void DIGauge::CreateControl() { control_ = new PGaugeNT(DialogObject(), static_cast<int>(controlId_), textId_); }

PGaugeNT* DIGauge::Gauge() const { return dynamic_cast<PGaugeNT*>(control_); }
