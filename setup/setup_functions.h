// The setup functions that the main flow runs in order, each a page or a
// step. Each takes the run's state and the first-page flag (true when no
// earlier function of the run went forward) and returns one of the results
// below.
#pragma once

class SetupState;

enum : int {
    SETUP_RESULT_NEXT = 1,     // done, the user went forward
    SETUP_RESULT_CANCEL = 2,   // cancel the whole setup
    SETUP_RESULT_SKIPPED = 8,  // nothing shown
    SETUP_RESULT_BACK = 518,
};

int GetSetupLanguage(SetupState& state, bool firstPage);
int SetupFeatures(SetupState& state, bool firstPage);
int DisplayLicense(SetupState& state, bool firstPage);
int DisplayVersions(SetupState& state, bool firstPage);
int DisplayUVersions(SetupState& state, bool firstPage);
int DisplayFeatures(SetupState& state, bool firstPage);
int DisplayFolder(SetupState& state, bool firstPage);
// The installation step over the checked features (DoInstall with the plan
// of the feature walk).
int InstallSelectedFeatures(SetupState& state, bool firstPage);
int ExecPlugIns(SetupState& state, bool firstPage);
int CheckReboot(SetupState& state, bool firstPage);
