#include "framework/ui/dialog_module.h"

#include <algorithm>

#include "framework/base/scontainer.h"
#include "framework/config/poption.h"
#include "framework/ui/dialog_metrics.h"
#include "framework/ui/dialog_placements.h"
#include "framework/ui/ml_text.h"
#include "framework/window/theme_library.h"

namespace {

PRadioOption g_tooltipsMode(nullptr, "TooltipsMode", 0);
// Control 14106 edits it as a numeric combo box, unsigned decimal.
PIntValueOption g_tooltipsDelay(nullptr, "TooltipsDelay", 1, 0, 2);
PBoolOption g_autoHelp(nullptr, "_AutoHelp", false);
PBoolOption g_gradientFill(nullptr, "EnableGradientFill", true);
PBoolOption g_smartDoubleClick(nullptr, "SmartDoubleClick", false);

std::vector<DialogOptionBinding>& Bindings()
{
    static std::vector<DialogOptionBinding> bindings;
    return bindings;
}

std::vector<DialogPlacement>& Placements()
{
    static std::vector<DialogPlacement> placements;
    // The placements' event handler lives in its own file; naming it here
    // links it into every program that keeps placements.
    static PEvHandler* const handler = &g_dialogPlacementsHandler;
    (void)handler;
    return placements;
}

SContainer& TopDialogs()
{
    static SContainer dialogs(SC_NOT_OWNING, 8);
    return dialogs;
}

}  // namespace

PRadioOption& TooltipsModeOption() { return g_tooltipsMode; }
PIntValueOption& TooltipsDelayOption() { return g_tooltipsDelay; }
PBoolOption& AutoHelpOption() { return g_autoHelp; }
PBoolOption& GradientFillOption() { return g_gradientFill; }
PBoolOption& SmartDoubleClickOption() { return g_smartDoubleClick; }

int TooltipInitialDelay(uint32_t seconds)
{
    if (seconds == 0) return -1;
    const uint64_t ms = static_cast<uint64_t>(seconds) * 1000;
    return ms > 32767 ? 32767 : static_cast<int>(ms);
}

void BindOptionToDialog(uint32_t dialogId, uint32_t controlId, POption* option, const char* tooltip)
{
    Bindings().push_back(DialogOptionBinding{dialogId, controlId, option, tooltip});
}

void UnbindOption(const POption* option)
{
    auto& b = Bindings();
    b.erase(std::remove_if(b.begin(), b.end(), [option](const DialogOptionBinding& x) { return x.option == option; }),
            b.end());
}

std::vector<DialogOptionBinding> OptionsBoundTo(uint32_t dialogId)
{
    std::vector<DialogOptionBinding> result;
    for (const auto& b : Bindings())
        if (b.dialogId == dialogId) result.push_back(b);
    return result;
}

const DialogPlacement* FindDialogPlacement(uint32_t templateId)
{
    for (const auto& p : Placements())
        if (p.templateId == templateId) return &p;
    return nullptr;
}

void StoreDialogPlacement(uint32_t templateId, int32_t width, int32_t height)
{
    for (auto& p : Placements())
        if (p.templateId == templateId) {
            p.width = width;
            p.height = height;
            return;
        }
    Placements().push_back(DialogPlacement{templateId, width, height});
}

void ClearDialogPlacements() { Placements().clear(); }
const std::vector<DialogPlacement>& DialogPlacementList() { return Placements(); }

const SContainer& OpenTopDialogs() { return TopDialogs(); }

void AddOpenTopDialog(BaseObject* dialog)
{
    if (dialog && TopDialogs().IndexOf(dialog) < 0) TopDialogs().Add(dialog);
}

void RemoveOpenTopDialog(const BaseObject* dialog)
{
    const int index = TopDialogs().IndexOf(dialog);
    if (index >= 0) TopDialogs().Detach(static_cast<uint32_t>(index));
}

bool ThemesAllowed()
{
    static const bool allowed = FindResourceA(GetProgramInstance(), MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) != nullptr;
    return allowed;
}

namespace {

bool SystemThemesActive() { return ThemesAllowed() && theme::IsThemeActive(); }

ThemesActiveHook g_themesActive = &SystemThemesActive;

}  // namespace

void SetThemesActiveHook(ThemesActiveHook hook) { g_themesActive = hook ? hook : &SystemThemesActive; }
bool ThemesActive() { return g_themesActive(); }

const std::array<uint32_t, 10>& DpiUnits()
{
    static const std::array<uint32_t, 10> units = [] {
        HDC screen = GetDC(nullptr);
        uint32_t dpi = static_cast<uint32_t>(GetDeviceCaps(screen, LOGPIXELSX));
        ReleaseDC(nullptr, screen);
        return DpiScaleTable(dpi);
    }();
    return units;
}
