#include "framework/ui/framework_state.h"

namespace {

FrameworkState* g_state = nullptr;
STooltipContainer* g_tooltips = nullptr;
History* g_history = nullptr;

}  // namespace

FrameworkState::FrameworkState(bool historyReadOnly)
    : tooltips_(std::make_unique<STooltipContainer>()), history_(std::make_unique<History>(historyReadOnly, 0)),
      outer_(g_state)
{
    history_->Load();
    g_state = this;
    g_tooltips = tooltips_.get();
    g_history = history_.get();
    History::SetProcessHistory(g_history);
}

FrameworkState::~FrameworkState()
{
    // Reverse order: the history goes first (its destructor saves the file).
    History::SetProcessHistory(nullptr);
    g_history = nullptr;
    history_.reset();
    g_tooltips = nullptr;
    tooltips_.reset();
    g_state = outer_;
    if (outer_) {
        g_tooltips = outer_->tooltips_.get();
        g_history = outer_->history_.get();
        History::SetProcessHistory(g_history);
    }
}

STooltipContainer* TooltipContainer() { return g_tooltips; }
History* ProcessHistory() { return g_history; }
