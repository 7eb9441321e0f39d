#include "setupplugin/dlg_setup.h"

#include "framework/base/message.h"
#include "framework/base/ml_text.h"
#include "framework/ui/di_buttons.h"
#include "framework/ui/option_items.h"
#include "setupplugin/file_install.h"
#include "setupplugin/host_discovery.h"
#include "setupplugin/plugin_state.h"
#include "setupplugin/plugin_texts.h"

DlgSetup::DlgSetup() : SDialog(nullptr, DLG_SETUP)
{
    PluginState& plugin = *Plugin();
    AddItems({NewDICheckBox(CTRL_INSTALL_CCS3, &plugin.install3), NewDICheckBox(CTRL_INSTALL_CCS2, &plugin.install2),
              CreateDlgItem(*plugin.ccsDir3, CTRL_CCS3_FOLDER, CTRL_CCS3_BROWSE),
              CreateDlgItem(*plugin.ccsDir2, CTRL_CCS2_FOLDER, CTRL_CCS2_BROWSE)});
    MarkButtons({IDOK, IDCANCEL});
    SetItemBold(CTRL_SETUP_NOTE);
}

void DlgSetup::SetupWindow()
{
    SDialog::SetupWindow();
    const char* name = Plugin()->debuggerName.c_str();
    SetCaption(GetMLText(kTextDialogCaption), name);
    FormatItemText(CTRL_INSTALL_CCS2, name);
    FormatItemText(CTRL_INSTALL_CCS3, name);
    FormatItemText(CTRL_SETUP_NOTE, name);
    ShowFoundFolder(2);
    ShowFoundFolder(3);
    HWND next = GetDlgItem(GetHandle(), Plugin()->ccsDir2->GetText()[0] ? static_cast<int>(IDOK) : static_cast<int>(CTRL_CCS2_BROWSE));
    if (next) BringWindowToTop(next);
}

void DlgSetup::ShowFoundFolder(uint32_t version)
{
    const bool found = version == 2 ? FindCcs2Folder() : FindCcs3Folder();
    const uint32_t combo = version == 2 ? CTRL_CCS2_FOLDER : CTRL_CCS3_FOLDER;
    if (found) {
        SetItemText(combo, "%s", CcsFolderOption(version).GetText());
        return;
    }
    SetItemText(version == 2 ? CTRL_CCS2_TEXT : CTRL_CCS3_TEXT, GetMLText(version == 2 ? kTextCcs2NotFound : kTextCcs3NotFound),
                Plugin()->debuggerName.c_str());
    UncheckItem(version == 2 ? CTRL_INSTALL_CCS2 : CTRL_INSTALL_CCS3);
}

LRESULT DlgSetup::EvCommand(UINT id, HWND control, UINT code)
{
    LRESULT result = SDialog::EvCommand(id, control, code);
    if (code == BN_CLICKED && (id == CTRL_INSTALL_CCS2 || id == CTRL_INSTALL_CCS3)) UpdateInstallButton();
    return result;
}

void DlgSetup::UpdateInstallButton()
{
    EnableItem(IsItemChecked(CTRL_INSTALL_CCS2) || IsItemChecked(CTRL_INSTALL_CCS3), IDOK);
}

void DlgSetup::CmOk()
{
    if (Install()) SDialog::CmOk();
}

bool DlgSetup::Install()
{
    if (!Validate()) return false;
    StoreData();
    PluginState& plugin = *Plugin();
    for (uint32_t version : {2u, 3u}) {
        const uint8_t chosen = version == 2 ? plugin.install2 : plugin.install3;
        if (chosen && !CcsFolderOption(version).GetText()[0]) {
            DoMessage("sf", kTextSpecifyFolder, version);
            return false;
        }
    }
    WriteHelpSetting(plugin.block ? plugin.block->targetDir : "");
    if ((plugin.install2 || plugin.install3) && !plugin.fileList->IsLoaded() && plugin.block && plugin.block->logPrintf)
        plugin.block->logPrintf("Plug-in file list '%s' not found: no driver files copied\n",
                                plugin.fileList->FileName().c_str());
    if (plugin.install2 && !InstallFileList("Files2", plugin.ccsDir2->GetText(), 2)) return false;
    if (plugin.install3 && !InstallFileList("Files3", plugin.ccsDir3->GetText(), 3)) return false;
    return true;
}
