// Process-wide state of the dialog module: its options, the options bound to
// dialogs (for tooltips), the saved dialog sizes, the themes-allowed flag and
// the DPI scale units.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

class BaseObject;
class POption;
class SContainer;
class PBoolOption;
class PIntValueOption;
class PRadioOption;

// "TooltipsMode" (0 tooltips on hover, 1 only after F1 or the help button),
// "TooltipsDelay" (seconds), "_AutoHelp", "EnableGradientFill",
// "SmartDoubleClick".
PRadioOption& TooltipsModeOption();
PIntValueOption& TooltipsDelayOption();
PBoolOption& AutoHelpOption();
PBoolOption& GradientFillOption();
PBoolOption& SmartDoubleClickOption();

// The initial tooltip delay in ms for "TooltipsDelay" seconds: -1 (the
// control's default) for 0, at most 32767 so that the 16-bit field the
// control reads never turns negative or wraps.
int TooltipInitialDelay(uint32_t seconds);

// An option bound to a control of a dialog, with its tooltip text
// (bilingual literal or message id).
struct DialogOptionBinding {
    uint32_t dialogId;
    uint32_t controlId;
    POption* option;
    const char* tooltip;
};
void BindOptionToDialog(uint32_t dialogId, uint32_t controlId, POption* option, const char* tooltip);
void UnbindOption(const POption* option);
std::vector<DialogOptionBinding> OptionsBoundTo(uint32_t dialogId);

// Saved window sizes by template id (each language keeps its own).
struct DialogPlacement {
    uint32_t templateId;
    int32_t width;
    int32_t height;
};
const DialogPlacement* FindDialogPlacement(uint32_t templateId);
void StoreDialogPlacement(uint32_t templateId, int32_t width, int32_t height);
void ClearDialogPlacements();
const std::vector<DialogPlacement>& DialogPlacementList();

// The open top-level dialogs, in the order they were set up (not owning):
// a pop-up dialog enters at set-up while the program has a main window
// object and leaves at clean-up (or when it is destroyed).
const SContainer& OpenTopDialogs();
void AddOpenTopDialog(BaseObject* dialog);
void RemoveOpenTopDialog(const BaseObject* dialog);

// True when the module carries a manifest (resource type 24, id 1).
bool ThemesAllowed();
// True while themes are drawn: the module allows them and the visual-styles
// library reports an active theme. Asked each time; a test installs its own
// answer (null restores the default).
using ThemesActiveHook = bool (*)();
void SetThemesActiveHook(ThemesActiveHook hook);
bool ThemesActive();

// The screen's scale units (framework/ui/dialog_metrics.h), read once.
const std::array<uint32_t, 10>& DpiUnits();
