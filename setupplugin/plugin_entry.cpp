#include "setupplugin/plugin_entry.h"

#include <windows.h>

#include "framework/base/hooks.h"
#include "framework/base/ml_text.h"
#include "framework/ui/error_box.h"
#include "setupplugin/dlg_setup.h"
#include "setupplugin/dlg_setup_ok.h"
#include "setupplugin/file_install.h"
#include "setupplugin/plugin_state.h"

namespace {

constexpr const char* kDefaultDebuggerName = "VOQ-TMS";

const char* TitleCaption()
{
    PluginState* plugin = Plugin();
    return plugin ? plugin->title.c_str() : FwDefaultCaption();
}

// "DebuggerName" of [Options] names the driver's files (its settings file
// beside the plug-in, its help file in TARGETDIR): a name that is not a
// plain file name would put them elsewhere, and the default stands.
std::string ReadDebuggerName(PluginState& plugin)
{
    INIStream& list = *plugin.fileList;
    list.SetSection("Options");
    const char* value = list.FindValue("DebuggerName");
    if (!value) return kDefaultDebuggerName;
    if (IsPlainFileName(value)) return value;
    if (plugin.block->logPrintf)
        plugin.block->logPrintf("Plug-in file list: DebuggerName '%s' refused, '%s' used\n", value, kDefaultDebuggerName);
    return kDefaultDebuggerName;
}

}  // namespace

int32_t RunPlugin(const PlugInBlock* block)
{
    PluginState* plugin = Plugin();
    if (!plugin || !block) return -1;
    plugin->title = std::string(block->productName ? block->productName : "") + " Installation";
    g_fwHooks.caption = &TitleCaption;
    InstallMessageDialog();
    plugin->block = block;
    g_mlLanguage = block->language;
    plugin->debuggerName = ReadDebuggerName(*plugin);

    int32_t result;
    {
        DlgSetup setup;
        result = setup.Execute();
    }
    if (result == IDOK) {
        DlgSetupOk done;
        result = done.Execute() == IDOK ? 1 : 0;
    } else {
        result = -1;
    }
    // The block and its texts are the setup's and end with this call.
    plugin->block = nullptr;
    return result;
}

extern "C" int32_t __stdcall Execute(const PlugInBlock* block)
{
    // Nothing may escape into the setup program.
    try {
        return RunPlugin(block);
    } catch (...) {
        if (PluginState* plugin = Plugin()) plugin->block = nullptr;
        return -1;
    }
}
