#include "setupplugin/dlg_setup_ok.h"

#include <shellapi.h>

#include "framework/base/ml_text.h"
#include "framework/base/path.h"
#include "framework/ui/di_buttons.h"
#include "setupplugin/plugin_state.h"
#include "setupplugin/plugin_texts.h"

namespace {

void ShellOpen(const char* file) { ShellExecuteA(nullptr, nullptr, file, "", "", SW_SHOW); }

}  // namespace

std::string BoardSetupProgram(uint32_t version)
{
    PluginState& plugin = *Plugin();
    const uint8_t installed = version == 2 ? plugin.install2 : plugin.install3;
    const PPath& ccApp = CcsAppPath(version);
    if (!installed || ccApp.IsEmpty()) return {};
    PPath program = JoinPath(ccApp.Text(), "cc_setup.exe");
    if (program.IsTooLong() || !program.IsFile()) return {};
    return program.Text();
}

DlgSetupOk::DlgSetupOk() : SDialog(nullptr, DLG_SETUP_OK)
{
    PluginState& plugin = *Plugin();
    AddItems({NewDICheckBox(CTRL_VIEW_HELP, &plugin.viewHelp), NewDICheckBox(CTRL_LAUNCH_CCS2, &plugin.launch2),
              NewDICheckBox(CTRL_LAUNCH_CCS3, &plugin.launch3)});
    MarkButton(IDOK);
    SetItemBold(CTRL_SETUP_OK_NOTE);
}

void DlgSetupOk::SetupWindow()
{
    SDialog::SetupWindow();
    const char* name = Plugin()->debuggerName.c_str();
    SetCaption(GetMLText(kTextDialogCaption), name);
    FormatItemText(CTRL_SETUP_OK_NOTE, name);
    FormatItemText(CTRL_VIEW_HELP, name);
    for (uint32_t version : {2u, 3u}) {
        if (!BoardSetupProgram(version).empty()) continue;
        const uint32_t box = version == 2 ? CTRL_LAUNCH_CCS2 : CTRL_LAUNCH_CCS3;
        DisableItem(box);
        UncheckItem(box);
    }
}

void DlgSetupOk::CmOk()
{
    if (!Validate()) return;
    SDialog::CmOk();
    PluginState& plugin = *Plugin();
    if (plugin.viewHelp && plugin.block && plugin.block->targetDir) {
        PPath help = JoinPath(plugin.block->targetDir, "Setup.chm");
        if (!help.IsTooLong()) ShellOpen(help.Text());
    }
    // Looked up again: only a program that is there now is started.
    for (uint32_t version : {2u, 3u}) {
        if (!(version == 2 ? plugin.launch2 : plugin.launch3)) continue;
        std::string program = BoardSetupProgram(version);
        if (!program.empty()) ShellOpen(program.c_str());
    }
}
