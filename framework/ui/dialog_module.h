// Process-wide state of the dialog module: its options, the options bound to
// dialogs (for tooltips), the saved dialog sizes, the themes-allowed flag and
// the DPI scale units.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <vector>

class POption;
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

// True when the module carries a manifest (resource type 24, id 1).
bool ThemesAllowed();

// The screen's scale units (framework/ui/dialog_metrics.h), read once.
const std::array<uint32_t, 10>& DpiUnits();
