#include "setupplugin/plugin_state.h"

#include "framework/base/path.h"

namespace {

std::unique_ptr<PluginState> g_plugin;

}  // namespace

PluginState* Plugin() { return g_plugin.get(); }

void InitPlugin() { InitPluginIn(PPath::ProgramFolder().Text()); }

void InitPluginIn(const char* folder)
{
    auto state = std::make_unique<PluginState>();
    state->folder = folder ? folder : "";
    if (!state->folder.empty() && state->folder.back() != '\\' && state->folder.back() != '/') state->folder += '\\';
    state->ccsDir2 = std::make_unique<PFolderOption>(&state->options, "CCSDir2", "", CTRL_CCS2_FOLDER);
    state->ccsDir3 = std::make_unique<PFolderOption>(&state->options, "CCSDir3", "", CTRL_CCS3_FOLDER);
    // Reading a file is all that happens here: this runs under the loader
    // lock, where no library may be loaded and no window shown.
    state->fileList = std::make_unique<INIStream>(INI_READ_ONLY, (state->folder + "install.ini").c_str());
    g_plugin = std::move(state);
}

void FreePlugin() { g_plugin.reset(); }

PFolderOption& CcsFolderOption(uint32_t version) { return version == 2 ? *g_plugin->ccsDir2 : *g_plugin->ccsDir3; }
PPath& CcsAppPath(uint32_t version) { return version == 2 ? g_plugin->ccApp2 : g_plugin->ccApp3; }
