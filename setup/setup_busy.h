// The setup's busy indicator: the wait cursor and a wait box playing
// "clock.avi" from the folder "..\STARTUP" beside the setup program when that
// file exists, else the built-in clock animation.
#pragma once

#include <memory>
#include <string>

#include "framework/ui/busy_scope.h"

enum : uint32_t { SETUP_CLOCK_ANIMATION = 22283 };

class SetupState;

// The animation file the busy indicator plays; empty when there is none.
std::string ClockAnimationFile(const std::string& programFolder);

class SMSControl {
public:
    // `text`: a bilingual literal or a message id.
    SMSControl(const SetupState& state, const char* text);
    const MSControl& Scope() const { return *scope_; }

private:
    std::string file_;
    std::unique_ptr<MSControl> scope_;
};
