// The process-wide state that the framework builds at its initialisation and
// destroys at exit, in reverse order: the tooltip container, then the
// process history (loaded when built, saved when destroyed).
//
// A program holds one `FrameworkState` for its run, made after it has set
// the project name (the history's file is named after it). While none
// exists both accessors answer null.
#pragma once

#include <memory>

#include "framework/config/history.h"
#include "framework/ui/tooltip_container.h"

class FrameworkState {
public:
    // A read-only history neither reads nor writes its file.
    explicit FrameworkState(bool historyReadOnly = false);
    ~FrameworkState();
    FrameworkState(const FrameworkState&) = delete;
    FrameworkState& operator=(const FrameworkState&) = delete;

private:
    std::unique_ptr<STooltipContainer> tooltips_;
    std::unique_ptr<History> history_;
    FrameworkState* outer_;
};

STooltipContainer* TooltipContainer();
History* ProcessHistory();
