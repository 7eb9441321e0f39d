#include "ccsdriver/settings_dialog.h"

#include "ccsdriver/board_config.h"
#include "ccsdriver/driver_settings.h"
#include "ccsdriver/master_link.h"
#include "framework/base/hooks.h"
#include "framework/ui/di_buttons.h"
#include "framework/ui/ml_text.h"

DlgSettings::DlgSettings()
    : SDialog(nullptr, kSettingsDialogId), logOn_(DrvLogOn() ? 1 : 0), jtagSpeed_(DrvJtagSpeed())
{
    // The items work on copies: the settings themselves are plain values
    // that GTI_GETCONFIGPARAM, GTI_SETCONFIGPARAM and the settings file share.
    AddItems({NewDICheckBox(kLogOnControl, &logOn_), new DIRadioButtonsNT(kFirstSpeedControl, &jtagSpeed_)});
    SetCaption(GetMLResString(kSettingsCaptionText), "VOQ-TMS");
}

void DlgSettings::CmOk()
{
    speedChosen_ = false;
    if (auto* group = dynamic_cast<DIRadioButtons*>(FindItem(kFirstSpeedControl)))
        for (uint32_t id : group->Ids())
            if (IsDlgButtonChecked(GetHandle(), static_cast<int>(id)) == BST_CHECKED) speedChosen_ = true;
    SDialog::CmOk();
}

LRESULT DlgSettings::EvCommand(UINT id, HWND control, UINT code)
{
    if (id == kHelpButton && code == BN_CLICKED) {
        DialogHelp();
        return 0;
    }
    return SDialog::EvCommand(id, control, code);
}

int RunSettingsDialog()
{
    int result;
    bool logOn;
    uint32_t speed;
    bool chosen;
    {
        DlgSettings dialog;
        result = dialog.Execute();
        logOn = dialog.LogOn();
        speed = dialog.JtagSpeed();
        chosen = dialog.SpeedChosen();
    }
    if (result != IDOK) return result;
    DrvSetLogOn(logOn);
    // An index outside 0..7, or none chosen, keeps the speed it had.
    if (chosen) DrvSetJtagSpeed(speed);
    g_fwSettings.tracing = logOn ? 1 : 0;
    // The host's board parameters show the same values: a list it keeps
    // and hands back to GTI_SETCONFIGPARAM must not undo the dialog.
    if (BoardParamList* list = BoardRecord().params; list && list->count >= 2 && list->entries) {
        list->entries[0].current = DrvJtagSpeed();
        list->entries[1].current = DrvLogOn() ? 1 : 0;
    }
    // Sent even when nothing changed; the loop has ended by now.
    ApplyJtagSpeed();
    return result;
}
