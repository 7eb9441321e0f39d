#include "setup/setup_busy.h"

#include "framework/base/file_utils.h"
#include "setup/setup_state.h"

std::string ClockAnimationFile(const std::string& programFolder)
{
    const std::string file = programFolder + "\\..\\STARTUP\\clock.avi";
    const DWORD attributes = GetFileAttributesA(file.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY)) return std::string();
    return file;
}

SMSControl::SMSControl(const SetupState& state, const char* text) : file_(ClockAnimationFile(state.programFolder))
{
    if (file_.empty()) {
        scope_ = std::make_unique<MSControl>(SETUP_CLOCK_ANIMATION, BUSY_ANIMATION_BOX, true, 0, 0, text);
    } else {
        scope_ = std::make_unique<MSControl>(file_, true, 0, 0, text);
    }
}
