#include "setup/exec_plugins.h"

#include <algorithm>
#include <cstring>

#include "framework/base/dir_finder.h"
#include "framework/base/message.h"
#include "framework/ui/p_library.h"
#include "setup/plugin_block.h"
#include "setup/setup_functions.h"
#include "setup/setup_state.h"

std::vector<std::string> FindPlugIns(const SetupState& state)
{
    std::vector<std::string> paths;
    if (state.supportDir.empty()) return paths;
    const std::string mask = state.supportDir + "\\PlugIn*.dll";
    for (PFileFinder finder(false, mask.c_str()); finder.Found(); finder.Next()) paths.push_back(finder.FullPath());
    std::sort(paths.begin(), paths.end(),
              [](const std::string& a, const std::string& b) { return _stricmp(a.c_str(), b.c_str()) < 0; });
    return paths;
}

int ExecPlugIns(SetupState& state, bool)
{
    const std::vector<std::string> paths = FindPlugIns(state);
    if (paths.empty()) return SETUP_RESULT_SKIPPED;
    const PlugInBlock block = {state.product.name.c_str(),
                               state.product.emuName.c_str(),
                               state.product.simName.c_str(),
                               state.targetDir.c_str(),
                               &DoMessage,
                               nullptr,
                               0,
                               &LogPrintf};
    for (const std::string& path : paths) {
        PLibrary library;
        if (!library.Load(path.c_str(), 0, true)) continue;
        FARPROC entry = library.GetProc("Execute");
        if (!entry) entry = library.GetProc("_Execute@4");
        if (!entry) continue;
        LogPrintf("Calling plugin: \"%s\"\n", path.c_str());
        // A fresh copy for each plug-in: what one plug-in wrote into its
        // block never reaches the next.
        PlugInBlock call = block;
        call.setupFolder = state.programFolder.c_str();
        call.language = state.language;
        reinterpret_cast<PlugInEntry>(reinterpret_cast<void*>(entry))(&call);
    }
    return SETUP_RESULT_NEXT;
}
