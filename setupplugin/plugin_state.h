// The plug-in's process-wide state: built at load (InitPlugin), released at
// unload (FreePlugin). Execute runs once per load; the choices keep their
// values between calls.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "framework/base/path.h"
#include "framework/config/ini_stream.h"
#include "framework/config/poption.h"
#include "setup/plugin_block.h"

enum : uint32_t {
    CTRL_CCS2_FOLDER = 20599,
    CTRL_CCS3_FOLDER = 20626,
    CTRL_CCS2_BROWSE = 500,
    CTRL_CCS3_BROWSE = 200,
    CTRL_INSTALL_CCS2 = 300,
    CTRL_INSTALL_CCS3 = 301,
    CTRL_VIEW_HELP = 100,
    CTRL_LAUNCH_CCS2 = 101,
    CTRL_LAUNCH_CCS3 = 102,
};

struct PluginState {
    const PlugInBlock* block = nullptr;  // valid only during Execute
    std::string title;                       // "<product name> Installation"
    std::string debuggerName;
    // The folder of the plug-in's own file (with its trailing "\"): the file
    // list, the help setting file and the files to copy lie there.
    std::string folder;
    std::unique_ptr<INIStream> fileList;  // install.ini, read-only, never saved
    POptionList options;
    std::unique_ptr<PFolderOption> ccsDir2;
    std::unique_ptr<PFolderOption> ccsDir3;
    // The CC_APP folder of the accepted 2.x and 3.x installations; empty
    // until one is accepted.
    PPath ccApp2;
    PPath ccApp3;
    uint8_t install2 = 1;
    uint8_t install3 = 1;
    uint8_t viewHelp = 1;
    uint8_t launch2 = 1;
    uint8_t launch3 = 1;
};

// The state, or null outside InitPlugin .. FreePlugin.
PluginState* Plugin();

// At load: the folder of the module this code is in.
void InitPlugin();
// The same with the plug-in's folder given (tests use a scratch folder).
void InitPluginIn(const char* folder);
void FreePlugin();

// The folder option and CC_APP path of version 2 or 3.
PFolderOption& CcsFolderOption(uint32_t version);
PPath& CcsAppPath(uint32_t version);
