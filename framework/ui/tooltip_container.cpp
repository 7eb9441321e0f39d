#include "framework/ui/tooltip_container.h"

STooltipContainer::STooltipContainer() : TreeContainer(-1, 0, 0, "TTP", nullptr), option_(nullptr, "TTP", "", kMaxText) {}
