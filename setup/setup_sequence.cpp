// The setup's own sequence of setup functions, in their fixed order, with
// the pages that /Y skips.
#include "setup/exec_plugins.h"
#include "setup/rigger_main.h"
#include "setup/setup_functions.h"
#include "setup/setup_table.h"

SetupTable DefaultSetupTable()
{
    return {
        {&GetSetupLanguage, -1, 1, "GetSetupLanguage"},
        {&SetupFeatures, -1, 0, "SetupFeatures"},
        {&DisplayLicense, -1, 1, "DisplayLicense"},
        {&DisplayVersions, -1, 1, "DisplayVersions"},
        {&DisplayUVersions, -1, 0, "DisplayUVersions"},
        {&DisplayFeatures, -1, 1, "DisplayFeatures"},
        {&DisplayFolder, -1, 1, "DisplayFolder"},
        {&InstallSelectedFeatures, -1, 0, "DoInstall"},
        {&ExecPlugIns, -1, 0, "ExecPlugIns"},
        {&CheckReboot, -1, 0, "CheckReboot"},
        {nullptr, -1, 0, nullptr},
    };
}

int RiggerMain(int argc, char** argv, SetupState& state)
{
    SetupTable table = DefaultSetupTable();
    return RiggerMain(argc, argv, state, table);
}
